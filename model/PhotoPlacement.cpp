#include "PhotoPlacement.h"

#include "CollageState.h"

#include <QImageReader>
#include <QRectF>
#include <QtConcurrent/QtConcurrentMap>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

constexpr int kPhotoAllocationLimitMB = 256;
// A photo may be shown over a few canvases; beyond that no frame shows more of it, and
// an extreme aspect ratio fitted to a frame would otherwise ask for gigabytes.
constexpr qint64 kDisplayCanvasMultiple = 4;
constexpr qint64 kMinDisplayPixels = qint64(16) * 1024 * 1024;
constexpr qint64 kMaxDisplayPixels = qint64(256) * 1024 * 1024;

// value truncated towards zero, except that a value within rounding noise of a whole
// number is that number: a frame 5.02 percent units wide ends at 511.99999999999994, and
// truncating that leaves the frame's last column without photo.
qreal truncated(qreal value)
{
    constexpr qreal kNoise = 1e-6;
    const qreal nearest = std::round(value);
    return std::abs(value - nearest) < kNoise ? nearest : std::trunc(value);
}

// A frame side truncated to whole pixels, or 0 when it is no usable length.
int wholePixels(qreal length)
{
    length = truncated(length);
    if (!(length >= 1.0) || length >= qreal(std::numeric_limits<int>::max()))
        return 0;
    return int(length);
}

// The size the JPEG decoder delivers when it scales by 1/2, 1/4 or 1/8 while decoding, the
// smallest that still covers atLeast; invalid when the full size is needed. The fractions
// are exact multiples, so the reader has nothing left to resample.
QSize reducedDecodeSize(QImageReader &reader, const QSize &atLeast)
{
    if (!atLeast.isValid() || reader.format() != "jpeg")
        return {};
    const QSize stored = reader.size();
    if (stored.isEmpty())
        return {};
    QSize needed = atLeast;
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        needed.transpose();
    QSize best;
    for (int denominator = 2; denominator <= 8; denominator *= 2) {
        const QSize reduced(stored.width() / denominator, stored.height() / denominator);
        if (reduced.width() < needed.width() || reduced.height() < needed.height())
            break;
        best = reduced;
    }
    return best;
}

// Reads under whatever allocation limit is in force.
QImage readWithinLimit(const QString &path, const QSize &atLeast)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    const QSize reduced = reducedDecodeSize(reader, atLeast);
    if (reduced.isValid()) {
        reader.setScaledSize(reduced);
        size = reduced;
    }
    const QImage::Format format = reader.imageFormat();
    if (size.isEmpty() || format == QImage::Format_Invalid) {
        // These readers build the image themselves and write every pixel of it.
        return reader.read();
    }
    // Readers fill an image of the announced size and format when given one. Some leave
    // the rows a truncated file lacks untouched, so they must hold black rather than
    // whatever the memory held before. The limit is checked here, since a reader given an
    // image does not allocate and so does not check it.
    const qint64 bytes =
        qint64(size.width()) * size.height() * QImage::toPixelFormat(format).bitsPerPixel() / 8;
    if (bytes > qint64(kPhotoAllocationLimitMB) * 1024 * 1024)
        return {};
    QImage image(size, format);
    if (image.isNull())
        return {};
    image.fill(0);
    if (!reader.read(&image))
        return {};
    return image;
}

} // namespace

QRectF placementRect(int slot)
{
    const CollageDocument &document = CollageState::instance().document;
    if (slot < 0)
        return {};
    if (slot < document.frameRects.size())
        return document.frameRects[slot];
    if (slot < document.triangleFrames.size())
        return document.triangleFrames[slot].path.boundingRect();
    return {};
}

QImage filteredScale(const QImage &image, const QSize &size)
{
    if (size.isEmpty() || image.isNull())
        return {};
    QImage reduced = image;
    while (reduced.width() >= 2 * size.width() && reduced.height() >= 2 * size.height()) {
        reduced = reduced.scaled(reduced.width() / 2, reduced.height() / 2, Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
    }
    if (reduced.size() == size)
        return reduced;
    return reduced.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QSize fittedPhotoSize(const QSize &photoSize, const QRectF &frame)
{
    if (photoSize.isEmpty())
        return {};
    const bool byWidth = frame.width() > frame.height();
    const int length = wholePixels(byWidth ? frame.width() : frame.height());
    if (length <= 0)
        return {};
    const qreal ratio = byWidth ? qreal(photoSize.height()) / photoSize.width()
                                : qreal(photoSize.width()) / photoSize.height();
    const qreal across = std::round(length * ratio);
    if (!(across >= 1.0) || across >= qreal(std::numeric_limits<int>::max()))
        return {};
    return byWidth ? QSize(length, int(across)) : QSize(int(across), length);
}

bool placePhoto(int slot, const QString &filePath, const QImage &image)
{
    if (image.isNull() || slot < 0 || slot >= kPhotoSlotCount)
        return false;
    CollageState &state = CollageState::instance();
    const QRectF r = placementRect(slot);
    if (r.isNull())
        return false;

    // Filtered, as a photo reduced to a fraction of its size turns fine detail into moire
    // otherwise; scaled to the computed size, since scaledToWidth can come out a pixel
    // short and leave a gap at the frame's edge.
    const QSize size = fittedPhotoSize(image.size(), r);
    if (size.isEmpty() || qint64(size.width()) * size.height() > maxShownPixels(state.canvasSize))
        return false;
    const QImage display = makeDisplayImage(image, size, maxDisplayPixels(state.canvasSize));
    if (display.isNull())
        return false;
    const qreal dx = r.width() > r.height() ? 0.0 : truncated((size.width() - r.width()) * 0.5);
    const qreal dy = r.width() > r.height() ? truncated((size.height() - r.height()) * 0.5) : 0.0;

    PhotoFrame &photo = state.document.photos[size_t(slot)];
    photo.filePath = filePath;
    photo.sourceImage = image;
    photo.displayImage = display;
    photo.displaySize = size;
    photo.scale = float(size.width()) / float(image.width());
    photo.position =
        QPointF(truncated(r.x() - dx), truncated(r.y() - dy - state.settings.topOffset));
    photo.angle = 0.0f;
    return true;
}

qint64 maxShownPixels(const QSizeF &canvasSize)
{
    const qreal wanted = canvasSize.width() * canvasSize.height() * kDisplayCanvasMultiple;
    if (!(wanted > qreal(kMinDisplayPixels)))
        return kMinDisplayPixels;
    return wanted >= qreal(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max()
                                                               : qint64(wanted);
}

qint64 maxDisplayPixels(const QSizeF &canvasSize)
{
    return std::min(maxShownPixels(canvasSize), kMaxDisplayPixels);
}

QSize heldDisplaySize(const QSize &displaySize, const QSize &source, qint64 maxPixels)
{
    if (displaySize.isEmpty() || source.isEmpty())
        return {};
    const qreal pixels = qreal(displaySize.width()) * displaySize.height();
    const bool enlarged =
        displaySize.width() > source.width() || displaySize.height() > source.height();
    if (!enlarged && pixels <= qreal(maxPixels))
        return displaySize;
    const qreal factor = std::min({std::sqrt(qreal(std::max<qint64>(maxPixels, 1)) / pixels),
                                   qreal(source.width()) / displaySize.width(),
                                   qreal(source.height()) / displaySize.height()});
    // Truncated, so that rounding never takes the result past either bound.
    const QSize held(std::max(1, int(truncated(displaySize.width() * factor))),
                     std::max(1, int(truncated(displaySize.height() * factor))));
    // A shape a pixel off the source's is not worth a copy of the source.
    if (std::abs(held.width() - source.width()) <= 1 &&
        std::abs(held.height() - source.height()) <= 1) {
        return source;
    }
    return held;
}

QImage makeDisplayImage(const QImage &source, const QSize &displaySize, qint64 maxPixels)
{
    const QSize held = heldDisplaySize(displaySize, source.size(), maxPixels);
    if (held.isEmpty())
        return {};
    return held == source.size() ? source : filteredScale(source, held);
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

QImage readPhotoFile(const QString &path, const QSize &atLeast)
{
    return readPhotoFiles({path}, {atLeast}).value(0);
}

QList<QImage> readPhotoFiles(const QStringList &paths, const QList<QSize> &atLeast)
{
    // The limit is shared by every image reader in the process; raising it only for these
    // reads keeps other reads from depending on whether a photo was dropped before. It is
    // set once around the parallel reads, which all read it.
    const int previousLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(kPhotoAllocationLimitMB);
    QList<qsizetype> indices(paths.size());
    std::iota(indices.begin(), indices.end(), 0);
    QList<QImage> images;
    if (paths.size() == 1) {
        images.append(readWithinLimit(paths.first(), atLeast.value(0)));
    } else {
        images = QtConcurrent::blockingMapped(indices, [&paths, &atLeast](qsizetype index) {
            return readWithinLimit(paths[index], atLeast.value(index));
        });
    }
    QImageReader::setAllocationLimit(previousLimit);
    return images;
}
