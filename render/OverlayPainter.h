#pragma once

#include "OverlayObject.h"

#include <QFont>
#include <QImage>
#include <QRect>

class QPainter;
struct CollageDocument;

// Each routine paints one object into an image of its own, turns that by the object's
// rotation and draws it onto layer with its top-left corner at (x, y); bounds becomes the
// area it covers. They return false, leaving layer and bounds untouched, when the object
// cannot be drawn: nothing to paint (empty text, unreadable picture, no size) or an image
// too large to hold.
bool drawLabel(QPainter &layer, OverlayObject &object);
bool drawSticker(QPainter &layer, OverlayObject &object);
bool drawEmoji(QPainter &layer, OverlayObject &object);

// The font an emoji is drawn with. The colour emoji family comes second so that the
// first family is preferred where it exists and the glyphs still come in colour elsewhere.
QFont emojiFont(int pointSize);

// The point size an emoji is drawn at for its box width and scale, or 0 when it would be
// too small or too large to draw.
int emojiPointSize(const OverlayObject &object);

// A transparent image of area's size holding the document's objects in list order (canvas
// coordinates, area's top-left at the image origin) and, unless forExport, the marker
// around the selected object.
QImage drawOverlayLayer(CollageDocument &document, const QRect &area, bool forExport);
// The same for the live document.
QImage drawOverlayLayer(const QRect &area, bool forExport);
// Draws the document's objects in list order straight through painter (canvas
// coordinates), without a layer of their own: the same look as composing that layer, and
// no image of the canvas's size beside the target.
void drawOverlayObjects(QPainter &painter, CollageDocument &document, bool forExport);
