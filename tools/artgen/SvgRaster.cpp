#include "SvgRaster.h"

#include <QPainter>
#include <QSvgRenderer>

QImage renderSvg(const QString &path, int size)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid() || size <= 0)
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return image;
}

QImage recolour(const QImage &image, const QColor &colour)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb ink = colour.rgb();
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const int alpha = qAlpha(line[x]) * colour.alpha() / 255;
            line[x] = qRgba(qRed(ink), qGreen(ink), qBlue(ink), alpha);
        }
    }
    return result;
}
