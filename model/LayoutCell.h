#pragma once

#include <QColor>
#include <QPointF>

// One cell of a layout template, in percent of the collage area.
struct LayoutCell
{
    static constexpr int Rectangle = 4;
    static constexpr int Triangle = 3;

    int kind = Rectangle;
    QPointF topLeft;
    QPointF topRight;
    QPointF bottomLeft;
    QPointF bottomRight;
    QPointF vertex1;
    QPointF vertex2;
    QPointF vertex3;
    QPointF anchor;
    int hSpacingSides = 0;
    int vSpacingSides = 0;
    QPointF guideP;
    QPointF guideQ;
    bool apexComputed = false;
    QColor backgroundColor = Qt::white;
    bool hasBackgroundColor = false;
    int rotation = 0;
};
