#include "PhotoPlacement.h"

#include "CollageState.h"

#include <QImageReader>
#include <QRectF>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr int kPhotoAllocationLimitMB = 256;
// A display image may cover a few canvases; beyond that no frame shows more of it, and
// an extreme aspect ratio fitted to a frame would otherwise ask for gigabytes.
constexpr qint64 kDisplayCanvasMultiple = 4;
constexpr qint64 kMinDisplayPixels = qint64(16) * 1024 * 1024;
constexpr qint64 kMaxDisplayPixels = qint64(256) * 1024 * 1024;

// A frame side truncated to whole pixels, or 0 when it is no usable length.
int wholePixels(qreal length)
{
    if (!(length >= 1.0) || length >= qreal(std::numeric_limits<int>::max()))
        return 0;
    return int(length);
}

// The rectangle a photo is fitted to in the slot's frame, when the slot has a frame.
std::optional<QRectF> frameRectangle(const CollageDocument &document, int slot)
{
    if (slot < 0)
        return std::nullopt;
    if (slot < document.frameRects.size())
        return document.frameRects[slot];
    if (slot < document.triangleFrames.size())
        return document.triangleFrames[slot].path.boundingRect();
    return std::nullopt;
}

} // namespace

bool placePhoto(int slot, const QString &filePath, const QImage &image)
{
    if (image.isNull() || slot < 0 || slot >= kPhotoSlotCount)
        return false;
    CollageState &state = CollageState::instance();
    const std::optional<QRectF> frame = frameRectangle(state.document, slot);
    if (!frame)
        return false;
    const QRectF &r = *frame;

    const qint64 maxPixels = maxDisplayPixels(state.canvasSize);
    QImage display;
    qreal dx = 0.0;
    qreal dy = 0.0;
    if (r.width() > r.height()) {
        const int width = wholePixels(r.width());
        if (width > 0 && scaledPhotoSize(image.size(), qreal(width) / image.width(), maxPixels))
            display = image.scaledToWidth(width, Qt::FastTransformation);
        dy = std::trunc((display.height() - r.height()) * 0.5);
    } else {
        const int height = wholePixels(r.height());
        if (height > 0 && scaledPhotoSize(image.size(), qreal(height) / image.height(), maxPixels))
            display = image.scaledToHeight(height, Qt::FastTransformation);
        dx = std::trunc((display.width() - r.width()) * 0.5);
    }
    if (display.isNull())
        return false;

    PhotoFrame &photo = state.document.photos[size_t(slot)];
    photo.filePath = filePath;
    photo.sourceImage = image;
    photo.displayImage = display;
    photo.displaySize = display.size();
    photo.scale = float(display.width()) / float(image.width());
    photo.position =
        QPointF(std::trunc(r.x() - dx), std::trunc(r.y() - dy - state.settings.topOffset));
    photo.angle = 0.0f;
    return true;
}

qint64 maxDisplayPixels(const QSizeF &canvasSize)
{
    const qreal canvasPixels = canvasSize.width() * canvasSize.height();
    if (!(canvasPixels > 0.0))
        return kMinDisplayPixels;
    const qreal wanted = canvasPixels * kDisplayCanvasMultiple;
    if (wanted >= qreal(kMaxDisplayPixels))
        return kMaxDisplayPixels;
    return std::max(kMinDisplayPixels, qint64(wanted));
}

std::optional<QSize> scaledPhotoSize(const QSize &source, qreal factor, qint64 maxPixels)
{
    if (source.isEmpty() || !(factor > 0.0) || !std::isfinite(factor))
        return std::nullopt;
    // Rounded as the toolkit rounds a scaled side.
    const qreal width = std::round(source.width() * factor);
    const qreal height = std::round(source.height() * factor);
    if (width < 1.0 || height < 1.0 || width * height > qreal(maxPixels))
        return std::nullopt;
    return QSize(int(width), int(height));
}

QImage readPhotoFile(const QString &path)
{
    // The limit is shared by every image reader in the process; raising it only for this
    // read keeps other reads from depending on whether a photo was dropped before.
    const int previousLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(kPhotoAllocationLimitMB);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image;
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    if (size.isEmpty() || format == QImage::Format_Invalid) {
        // These readers build the image themselves and write every pixel of it.
        image = reader.read();
    } else {
        // Readers fill an image of the announced size and format when given one. Some
        // leave the rows a truncated file lacks untouched, so they must hold black rather
        // than whatever the memory held before. The limit is checked here, since a reader
        // given an image does not allocate and so does not check it.
        const qint64 bytes =
            qint64(size.width()) * size.height() * QImage::toPixelFormat(format).bitsPerPixel() / 8;
        if (bytes <= qint64(kPhotoAllocationLimitMB) * 1024 * 1024) {
            image = QImage(size, format);
            if (!image.isNull()) {
                image.fill(0);
                if (!reader.read(&image))
                    image = QImage();
            }
        }
    }
    QImageReader::setAllocationLimit(previousLimit);
    return image;
}
