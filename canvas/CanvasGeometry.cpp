#include "CanvasGeometry.h"

#include "IntConversion.h"
#include "PhotoPlacement.h"

#include <QRectF>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kObjectSizeMin = 1;
constexpr int kObjectSizeMax = 999;
constexpr float kPhotoScaleStep = 0.01f;
constexpr float kPhotoScaleMin = 0.05f;
constexpr float kPhotoScaleMax = 2.0f;

bool within(qreal value, qreal low, qreal high)
{
    return low <= value && value <= high;
}

int sign(int value)
{
    return value > 0 ? 1 : (value < 0 ? -1 : 0);
}

// A frame beside a dragged divider and which of its edges follows the divider.
struct FrameEdge
{
    int frame;
    bool before; // the frame lies before the divider: its far edge moves
};

} // namespace

bool zoomUsable(float zoomPercent)
{
    return std::isfinite(zoomPercent) && zoomPercent > 0.0f;
}

std::optional<QPointF> widgetToDocument(QPointF widgetPos, float zoomPercent)
{
    if (!zoomUsable(zoomPercent))
        return std::nullopt;
    const qreal factor = 100.0 / qreal(zoomPercent);
    const QPointF whole(std::round(widgetPos.x()), std::round(widgetPos.y()));
    const QPointF docPos = whole * factor;
    if (!std::isfinite(docPos.x()) || !std::isfinite(docPos.y()))
        return std::nullopt;
    return docPos;
}

QPoint wholeDocPoint(QPointF docPos)
{
    return QPoint(truncatedToInt(docPos.x()), truncatedToInt(docPos.y()));
}

QRectF docProbe(QPointF docPos)
{
    return QRectF(docPos.x() - kProbeHalfDocPixels, docPos.y() - kProbeHalfDocPixels,
                  2 * kProbeHalfDocPixels, 2 * kProbeHalfDocPixels);
}

QRectF docProbe(QPoint docPoint)
{
    return docProbe(QPointF(docPoint));
}

QSize viewSize(QSize fullSize, float zoomPercent)
{
    if (!zoomUsable(zoomPercent) || fullSize.isEmpty())
        return QSize();
    const qreal factor = qreal(zoomPercent) / 100.0;
    return QSize(qRound(fullSize.width() * factor), qRound(fullSize.height() * factor));
}

int frameAt(const CollageDocument &document, QPointF docPos)
{
    const QRectF probe = docProbe(docPos);
    for (qsizetype i = 0; i < document.frameRects.size(); ++i) {
        if (document.frameRects[i].intersects(probe))
            return int(i);
    }
    for (qsizetype i = 0; i < document.triangleFrames.size(); ++i) {
        if (document.triangleFrames[i].path.intersects(probe))
            return int(i);
    }
    return -1;
}

int objectAt(const CollageDocument &document, QPoint docPoint)
{
    const QRectF probe = docProbe(docPoint);
    for (qsizetype i = document.objects.size() - 1; i >= 0; --i) {
        if (document.objects[i].bounds.intersects(probe))
            return int(i);
    }
    return -1;
}

DividerHit dividerAt(const CollageDocument &document, QPointF docPos, qreal spacing)
{
    const QRectF probe(docPos.x(), docPos.y(), 1, 1);
    const qreal half = spacing / 2;
    for (qsizetype i = 0; i < document.horizontalDividers.size(); ++i) {
        const QRectF &d = document.horizontalDividers[i];
        if (QRectF(d.left(), d.top() - half, d.width(), d.height() + spacing).intersects(probe))
            return {DividerOrientation::Horizontal, int(i)};
    }
    for (qsizetype i = 0; i < document.verticalDividers.size(); ++i) {
        const QRectF &d = document.verticalDividers[i];
        if (QRectF(d.left() - half, d.top(), d.width() + spacing, d.height()).intersects(probe))
            return {DividerOrientation::Vertical, int(i)};
    }
    return {};
}

DividerDrag beginDividerDrag(const CollageDocument &document, DividerHit divider)
{
    DividerDrag drag{divider, {}, {}};
    if (divider.orientation == DividerOrientation::Vertical) {
        if (divider.index < 0 || divider.index >= document.verticalDividers.size())
            return DividerDrag{};
        const QRectF &v = document.verticalDividers[divider.index];
        for (qsizetype j = 0; j < document.horizontalDividers.size(); ++j) {
            const QRectF &h = document.horizontalDividers[j];
            if (within(h.right(), v.left() - 1, v.left() + 1))
                drag.leading.append(int(j));
            if (within(h.left(), v.right() - 1, v.right() + 1))
                drag.trailing.append(int(j));
        }
    } else if (divider.orientation == DividerOrientation::Horizontal) {
        if (divider.index < 0 || divider.index >= document.horizontalDividers.size())
            return DividerDrag{};
        const QRectF &h = document.horizontalDividers[divider.index];
        for (qsizetype j = 0; j < document.verticalDividers.size(); ++j) {
            const QRectF &v = document.verticalDividers[j];
            if (within(v.bottom(), h.top() - 1, h.top() + 1))
                drag.leading.append(int(j));
            if (within(v.top(), h.bottom() - 1, h.bottom() + 1))
                drag.trailing.append(int(j));
        }
    }
    return drag;
}

bool moveDivider(CollageDocument &document, const DividerDrag &drag, QPointF docTopLeft,
                 qreal spacing)
{
    const bool vertical = drag.divider.orientation == DividerOrientation::Vertical;
    QList<QRectF> &dividers = vertical ? document.verticalDividers : document.horizontalDividers;
    QList<QRectF> &across = vertical ? document.horizontalDividers : document.verticalDividers;
    if (drag.divider.orientation == DividerOrientation::None || drag.divider.index < 0 ||
        drag.divider.index >= dividers.size() || !std::isfinite(docTopLeft.x()) ||
        !std::isfinite(docTopLeft.y())) {
        return false;
    }
    QRectF &divider = dividers[drag.divider.index];
    const qreal half = spacing / 2;
    const qreal to = vertical ? docTopLeft.x() : docTopLeft.y();
    const qreal from = vertical ? divider.left() : divider.top();
    const QRectF zone = vertical ? divider.adjusted(-spacing, 0, spacing, 0)
                                 : divider.adjusted(0, -spacing, 0, spacing);

    QList<FrameEdge> edges;
    for (qsizetype i = 0; i < document.frameRects.size(); ++i) {
        const QRectF &frame = document.frameRects[i];
        if (!frame.intersects(zone))
            continue;
        const qreal nearSide = vertical ? frame.left() : frame.top();
        const qreal farSide = vertical ? frame.right() : frame.bottom();
        const bool before = nearSide < from;
        if (before) {
            const qreal newFar = to - half;
            if (std::abs(nearSide - newFar) < kMinFrameDocPixels || nearSide > newFar)
                return false;
        } else {
            const qreal newNear = to + half;
            if (std::abs(farSide - newNear) < kMinFrameDocPixels || newNear > farSide)
                return false;
        }
        edges.append({int(i), before});
    }

    for (const FrameEdge &edge : edges) {
        QRectF &frame = document.frameRects[edge.frame];
        if (vertical)
            edge.before ? frame.setRight(to - half) : frame.setLeft(to + half);
        else
            edge.before ? frame.setBottom(to - half) : frame.setTop(to + half);
    }
    divider.moveTopLeft(QPointF(std::trunc(docTopLeft.x()), std::trunc(docTopLeft.y())));
    for (int j : drag.leading) {
        if (j >= 0 && j < across.size())
            vertical ? across[j].setRight(divider.left()) : across[j].setBottom(divider.top());
    }
    for (int j : drag.trailing) {
        if (j >= 0 && j < across.size())
            vertical ? across[j].setLeft(divider.right()) : across[j].setTop(divider.bottom());
    }
    return true;
}

bool photoUnderProbe(const PhotoFrame &photo, const QRectF &docProbe, int topOffset)
{
    if (photo.displayImage.isNull() || !photo.displaySize.isValid())
        return false;
    const QRectF drawn(QPointF(photo.position.x(), photo.position.y() + topOffset),
                       QSizeF(photo.displaySize));
    return drawn.intersects(docProbe);
}

int wheelStep(QPoint angleDelta)
{
    const int dy = qRound(angleDelta.y() * 0.125);
    const int dx = qRound(angleDelta.x() * 0.125);
    return dy != 0 ? sign(dy) : sign(dx);
}

float steppedPhotoScale(float scale, int step)
{
    const float low = std::min(kPhotoScaleMin, scale);
    const float high = std::max(kPhotoScaleMax, scale);
    return std::clamp(scale + float(step) * kPhotoScaleStep, low, high);
}

bool zoomPhoto(PhotoFrame &photo, int step, qint64 maxPixels)
{
    const QImage &source = photo.sourceImage;
    if (source.isNull() || step == 0 || !std::isfinite(photo.scale))
        return false;
    const float scale = steppedPhotoScale(photo.scale, step);
    const float width = float(source.width()) * scale;
    if (!(width >= 1.0f) || width >= float(std::numeric_limits<int>::max()))
        return false;
    const int newWidth = int(width);
    const std::optional<QSize> size = scaledPhotoSize(
        source.size(), qreal(newWidth) / source.width(), std::numeric_limits<qint64>::max());
    if (!size)
        return false;
    // Fast, as the wheel turns in steps; the smooth copy comes when the geometry is next
    // rebuilt. A size above maxPixels is held smaller and drawn scaled.
    const QSize held = heldDisplaySize(*size, source.size(), maxPixels);
    QImage display;
    QSize shown = *size;
    if (held == *size) {
        display = source.scaledToWidth(newWidth, Qt::FastTransformation);
        shown = display.size();
    } else if (held == source.size()) {
        display = source;
    } else {
        display = source.scaled(held, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    if (display.isNull())
        return false;

    // Centred on the size shown, which the scale gives only before truncation: measured
    // from the scale, every step of a small photo would creep right and down.
    const bool shownBefore = photo.displaySize.isValid();
    const float oldWidth =
        shownBefore ? float(photo.displaySize.width()) : float(source.width()) * photo.scale;
    const float oldHeight =
        shownBefore ? float(photo.displaySize.height()) : float(source.height()) * photo.scale;
    photo.scale = scale;
    photo.displayImage = display;
    photo.displaySize = shown;
    photo.position.rx() -= (float(shown.width()) - oldWidth) * 0.5f;
    photo.position.ry() -= (float(shown.height()) - oldHeight) * 0.5f;
    return true;
}

void wheelObject(OverlayObject &object, int step, bool rotate)
{
    if (rotate) {
        object.rotation = std::fmod(object.rotation + float(step), 360.0f);
        return;
    }
    if (object.kind == Label) {
        object.font.setPointSize(
            std::clamp(object.font.pointSize() + step, kObjectSizeMin, kObjectSizeMax));
        updateLabelBox(&object);
    } else {
        object.scale =
            std::clamp(object.scale + float(step), float(kObjectSizeMin), float(kObjectSizeMax));
    }
}
