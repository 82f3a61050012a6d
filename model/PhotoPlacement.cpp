#include "PhotoPlacement.h"

#include "CollageState.h"

#include <QImageReader>
#include <QRectF>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr int kPhotoAllocationLimitMB = 256;

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

    QImage display;
    qreal dx = 0.0;
    qreal dy = 0.0;
    if (r.width() > r.height()) {
        const int width = wholePixels(r.width());
        if (width > 0)
            display = image.scaledToWidth(width, Qt::FastTransformation);
        dy = std::trunc((display.height() - r.height()) * 0.5);
    } else {
        const int height = wholePixels(r.height());
        if (height > 0)
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

QImage readPhotoFile(const QString &path)
{
    // The limit is shared by every image reader in the process; raising it only for this
    // read keeps other reads from depending on whether a photo was dropped before.
    const int previousLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(kPhotoAllocationLimitMB);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    QImageReader::setAllocationLimit(previousLimit);
    return image;
}
