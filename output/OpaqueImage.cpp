#include "OpaqueImage.h"

bool isOpaque(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return true;
    if (image.format() != QImage::Format_ARGB32_Premultiplied &&
        image.format() != QImage::Format_ARGB32) {
        return isOpaque(image.convertToFormat(QImage::Format_ARGB32));
    }
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        // AND-ing the whole row first keeps the loop free of branches.
        QRgb all = 0xffffffffu;
        for (int x = 0; x < width; ++x)
            all &= line[x];
        if (qAlpha(all) != 255)
            return false;
    }
    return true;
}

QImage withoutOpaqueAlpha(const QImage &image)
{
    if ((image.format() != QImage::Format_ARGB32_Premultiplied &&
         image.format() != QImage::Format_ARGB32) ||
        !isOpaque(image)) {
        return image;
    }
    // Opaque premultiplied and plain pixels are the same bytes as RGB32 ones. Relabelling
    // image itself would copy it while anyone else holds it: gigabytes on a poster.
    return QImage(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                  QImage::Format_RGB32);
}
