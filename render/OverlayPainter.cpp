#include "OverlayPainter.h"

#include "CollageState.h"
#include "ReducedDrawing.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QStringList>
#include <QTransform>
#include <cmath>

namespace {

// Limits for one object's image. The raster engine's coordinates are good to 32767, and a
// wheel-scaled sticker or emoji can ask for gigabytes; an image beyond either limit is
// treated as one that cannot be allocated.
constexpr int kMaxImageSide = 32767;
constexpr qint64 kMaxImageBytes = qint64(512) * 1024 * 1024;
// Positions far beyond any canvas would overflow the engine's integer arithmetic.
constexpr double kMaxPosition = 1.0e7;

bool fitsLimits(const QSize &size)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxImageSide &&
           size.height() <= kMaxImageSide &&
           qint64(size.width()) * size.height() * 4 <= kMaxImageBytes;
}

// A transparent image to paint one object on, or a null image when it cannot be had.
QImage transparentImage(const QSize &size)
{
    if (!fitsLimits(size))
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull())
        image.fill(Qt::transparent);
    return image;
}

// The object's box times its scale, rounded; an invalid size when that is not drawable.
QSize scaledBox(const QRect &rect, float scale)
{
    const double width = std::round(rect.width() * double(scale) / 100.0);
    const double height = std::round(rect.height() * double(scale) / 100.0);
    if (!(width >= 1.0 && width <= kMaxImageSide && height >= 1.0 && height <= kMaxImageSide))
        return {};
    return QSize(int(width), int(height));
}

bool isPlaceable(const OverlayObject &object)
{
    return std::abs(object.x) <= kMaxPosition && std::abs(object.y) <= kMaxPosition &&
           std::isfinite(object.rotation);
}

bool placeRotated(QPainter &layer, OverlayObject &object, const QImage &image)
{
    QTransform rotation;
    rotation.rotate(object.rotation);
    const QRect turnedArea = rotation.mapRect(QRectF(QPointF(), image.size())).toAlignedRect();
    if (!fitsLimits(turnedArea.size()))
        return false;
    const QImage turned = image.transformed(rotation, Qt::SmoothTransformation);
    if (turned.isNull())
        return false;

    object.bounds = QRectF(object.rect.x(), object.rect.y(), turned.width(), turned.height());
    // Whole pixels, rounded the same way wherever the painter's origin lies: the raster
    // engine rounds a half-pixel position away from zero, so an object centred at .5 would
    // land a pixel off in an export slice whose top lies below the object's top.
    const QPointF at(std::floor(object.x + 0.5), std::floor(object.y + 0.5));
    drawImageReduced(layer, QRectF(at, QSizeF(turned.size())), turned);
    return true;
}

bool drawObject(QPainter &layer, OverlayObject &object)
{
    switch (object.kind) {
    case Label:
        return drawLabel(layer, object);
    case Sticker:
        return drawSticker(layer, object);
    case Emoji:
        return drawEmoji(layer, object);
    default:
        return false;
    }
}

void drawSelectionMarker(QPainter &layer, const QRectF &bounds)
{
    layer.save();
    layer.setPen(QPen(Qt::black, 2, Qt::DashDotLine));
    layer.setBrush(Qt::transparent);
    layer.drawRect(bounds);
    layer.restore();
}

} // namespace

bool drawLabel(QPainter &layer, OverlayObject &object)
{
    if (!isPlaceable(object))
        return false;
    QImage image = transparentImage(object.rect.size());
    QPainter painter;
    if (image.isNull() || !painter.begin(&image))
        return false;
    painter.setFont(object.font);
    painter.setPen(object.color);
    painter.setBrush(object.color);
    painter.setOpacity(object.opacity / 100.0);

    const QFontMetrics metrics(object.font);
    const int lineHeight = metrics.height();
    if (!object.text.contains(QLatin1Char('\n'))) {
        painter.drawText(QPoint(0, lineHeight), object.text);
    } else {
        const int boxWidth = object.rect.width();
        const QStringList lines = object.text.split(QLatin1Char('\n'));
        for (int k = 0; k < lines.size(); ++k) {
            const int advance = metrics.horizontalAdvance(lines[k]);
            int left = 0;
            if (object.alignment == 1)
                left = (boxWidth - advance) / 2;
            else if (object.alignment == 2)
                left = boxWidth - advance;
            painter.drawText(QPoint(left, (k + 1) * lineHeight), lines[k]);
        }
    }
    painter.end();
    return placeRotated(layer, object, image);
}

bool drawSticker(QPainter &layer, OverlayObject &object)
{
    if (!isPlaceable(object))
        return false;
    QImage image = transparentImage(scaledBox(object.rect, object.scale));
    if (image.isNull())
        return false;
    const QImage picture(object.source);
    QPainter painter;
    if (picture.isNull() || !painter.begin(&image))
        return false;
    painter.setOpacity(object.opacity / 100.0);
    // Stretched to the box without smoothing, like a fast scale of the picture.
    painter.drawImage(image.rect(), picture);
    painter.end();
    return placeRotated(layer, object, image);
}

QFont emojiFont(int pointSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Noto Color Emoji")});
    font.setPointSize(pointSize);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    return font;
}

int emojiPointSize(const OverlayObject &object)
{
    const QSize box =
        scaledBox(QRect(0, 0, object.rect.width(), object.rect.width()), object.scale);
    // Seven tenths in whole numbers: a width of 90 gives 63, where 90 * 0.7 falls just short.
    return box.isValid() ? box.width() * 7 / 10 : 0;
}

bool drawEmoji(QPainter &layer, OverlayObject &object)
{
    const int pointSize = emojiPointSize(object);
    if (pointSize <= 0 || !isPlaceable(object))
        return false;
    const QFont font = emojiFont(pointSize);
    const QFontMetrics metrics(font);
    const int advance = metrics.horizontalAdvance(object.source);
    const int lineHeight = metrics.height();

    QImage image = transparentImage(QSize(advance, advance));
    QPainter painter;
    if (image.isNull() || !painter.begin(&image))
        return false;
    painter.setOpacity(object.opacity / 100.0);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::black);
    painter.setFont(font);
    painter.drawText(QPoint(int(-advance * 0.075), int(lineHeight - lineHeight * 0.2)),
                     object.source);
    painter.end();
    return placeRotated(layer, object, image);
}

QImage drawOverlayLayer(CollageDocument &document, const QRect &area, bool forExport)
{
    if (area.isEmpty())
        return {};
    QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return {};
    layer.fill(Qt::transparent);
    QPainter painter;
    if (!painter.begin(&layer))
        return layer;
    painter.translate(-area.topLeft());
    drawOverlayObjects(painter, document, forExport);
    painter.end();
    return layer;
}

void drawOverlayObjects(QPainter &painter, CollageDocument &document, bool forExport)
{
    for (OverlayObject &object : document.objects) {
        // An object that cannot be drawn is left out on its own, so the ones above it
        // still show and keep following their edits.
        if (!drawObject(painter, object))
            continue;
        if (!forExport && object.id == document.selectedObjectId)
            drawSelectionMarker(painter, object.bounds);
    }
}

QImage drawOverlayLayer(const QRect &area, bool forExport)
{
    return drawOverlayLayer(CollageState::instance().document, area, forExport);
}
