#pragma once

#include "CollageDocument.h"

#include <QList>
#include <QPoint>
#include <QPointF>
#include <QSize>
#include <optional>

// What the canvas decides, kept apart from the widget: pointer mapping, hit tests,
// divider dragging and the wheel steps. Positions are named by their space: widget
// pixels (what the pointer reports) or document pixels (the finished collage).

// Half the side of the square probed around the pointer, in document pixels.
constexpr qreal kProbeHalfDocPixels = 2.0;
// No frame may be dragged narrower or lower than this, in document pixels.
constexpr qreal kMinFrameDocPixels = 30.0;

// A zoom that can map the pointer and size the view: finite and above 0.
bool zoomUsable(float zoomPercent);

// The document point under a widget position: the position rounded to whole widget
// pixels, times 100 / zoomPercent. Nothing at a zoom that is not usable.
std::optional<QPointF> widgetToDocument(QPointF widgetPos, float zoomPercent);

// docPos truncated toward zero to whole document pixels (clamped to the int range).
QPoint wholeDocPoint(QPointF docPos);

// The 4 x 4 square probed around the pointer: centred on docPos for presses and drags,
// on the whole point for the wheel and for objects.
QRectF docProbe(QPointF docPos);
QRectF docProbe(QPoint docPoint);

// The view of a full-size rendering at the zoom, each side rounded; empty when the zoom
// is not usable.
QSize viewSize(QSize fullSize, float zoomPercent);

// The slot of the first rectangular frame, else the first triangle, that the 4 x 4
// probe centred on docPos touches; -1 when none does.
int frameAt(const CollageDocument &document, QPointF docPos);

// The index in document.objects of the topmost object whose bounds touch the probe
// around the whole document point docPoint; -1 when none does.
int objectAt(const CollageDocument &document, QPoint docPoint);

enum class DividerOrientation : int
{
    None = -1,
    Horizontal = 0,
    Vertical = 1,
};

struct DividerHit
{
    DividerOrientation orientation = DividerOrientation::None;
    int index = -1;
};

// The divider whose grab zone (the divider widened by the spacing across it) holds
// docPos, horizontal ones first. With spacing 0 the zones are empty.
DividerHit dividerAt(const CollageDocument &document, QPointF docPos, qreal spacing);

// A divider being dragged and the dividers across it that end or start on it (within one
// pixel), which follow it: for a vertical divider the horizontal ones ending at its left
// (leading) and starting at its right (trailing); for a horizontal one the vertical ones
// ending at its top and starting at its bottom.
struct DividerDrag
{
    DividerHit divider;
    QList<int> leading;
    QList<int> trailing;
};

DividerDrag beginDividerDrag(const CollageDocument &document, DividerHit divider);

// Moves the dragged divider's top-left to docTopLeft (whole pixels) and the frame edges
// beside it to half the spacing on either side, the attached dividers following. The
// whole move is refused, changing nothing, when a frame would end up under
// kMinFrameDocPixels or inside out. True when the move was made.
bool moveDivider(CollageDocument &document, const DividerDrag &drag, QPointF docTopLeft,
                 qreal spacing);

// Whether the photo's drawn rectangle (its y shifted by the top offset, rotation not
// counted) touches docProbe. An empty slot is never under the pointer.
bool photoUnderProbe(const PhotoFrame &photo, const QRectF &docProbe, int topOffset);

// One wheel event is one step: the sign of the vertical angle in whole degrees, else of
// the horizontal one; 0 when both round to 0.
int wheelStep(QPoint angleDelta);

// The scale after one wheel step of 0.01, clamped to 0.05 to 2.0, or to the scale
// itself where placement left it outside that range, so a step never reverses.
float steppedPhotoScale(float scale, int step);

// Zooms the photo by one wheel step about the centre of its drawn rectangle. A display
// size above maxPixels is held smaller (see heldDisplaySize). A step whose display image
// would be under one pixel or cannot be made keeps the photo as it was; false then.
bool zoomPhoto(PhotoFrame &photo, int step, qint64 maxPixels);

// A label's point size or a sticker's or emoji's scale by one step, each within 1 to
// 999; with rotate, the rotation by one degree, kept within -360 to 360.
void wheelObject(OverlayObject &object, int step, bool rotate);
