#pragma once

#include <QColor>
#include <QString>

// Canvas-wide style of the collage; the side bar edits it, the renderer reads it.
struct CanvasSettings
{
    int backgroundType = 0;      // 0 colour, 1 texture, 2 image
    int backgroundColorMode = 0; // 0 single colour, 1 gradient top to bottom, 2 left to right
    QColor backgroundColor1 = Qt::white;
    QColor backgroundColor2 = Qt::green;
    QString backgroundTexture = QStringLiteral(":/resources/images/Pattern/pattern_140.png");
    QString backgroundImage;
    int topOffset = 0;
    int margin = 140;
    int spacing = 40;
    int lineWidth = 3;
    int roundCorners = 20;
    int frameBackgroundMode = 0; // 0 single colour, 1 gradient top to bottom, 2 left to right
    QColor frameBackgroundColor1 = Qt::white;
    QColor frameBackgroundColor2 = Qt::white;
    int dropShadow = 1;
    bool cornerTopLeft = true;
    bool cornerTopRight = false;
    bool cornerBottomLeft = false;
    bool cornerBottomRight = true;
};
