#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>

enum OverlayKind : int
{
    Label = 0,
    Sticker = 1,
    Emoji = 2,
};

// A text label, sticker or emoji placed over the collage, in canvas pixels.
struct OverlayObject
{
    QString name;
    double x = 0.0;
    double y = 0.0;
    QSizeF size;
    QRect rect;
    QString text;
    int alignment = 1; // 0 left, 1 centre, 2 right
    QFont font;
    QColor color;
    int opacity = 100;
    float rotation = 0.0f;
    // Area covered when last drawn: the hit area and the selection marker.
    QRectF bounds;
    int id = -1;
    QString source;
    float scale = 100.0f;
    int kind = Label;
};

// New objects are centred on the canvas, take their name and id from the counters
// beside the document (never reused) and become the selected object.
void createLabel();
// A resource that cannot be read still gives a sticker, of size zero.
void createSticker(const QString &resourcePath);
void createEmoji(const QString &emojiText);

// Sizes a label's box from its font and text: the widest line by the number of lines,
// plus a quarter line below for descenders. Stickers and emoji keep their box.
void updateLabelBox(OverlayObject *object);
