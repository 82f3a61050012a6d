#include "LayerBuffer.h"

namespace {

constexpr qint64 kKeptPixels = qint64(5120) * 2880;

} // namespace

bool prepareLayer(QImage &buffer, const QSize &size)
{
    if (buffer.size() != size || buffer.format() != QImage::Format_ARGB32_Premultiplied ||
        !buffer.isDetached()) {
        buffer = QImage();
        if (size.isEmpty())
            return false;
        buffer = QImage(size, QImage::Format_ARGB32_Premultiplied);
        if (buffer.isNull())
            return false;
    }
    buffer.fill(0);
    return true;
}

void releaseIfHuge(QImage &buffer)
{
    if (qint64(buffer.width()) * buffer.height() > kKeptPixels)
        buffer = QImage();
}
