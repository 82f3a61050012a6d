#pragma once

#include <QPainterPath>
#include <QPointF>

// Pixel geometry of one triangular cell: the vertices after the spacing inset and
// the cell's unmoved anchor.
struct TriangleFrame
{
    QPointF vertex1;
    QPointF vertex2;
    QPointF vertex3;
    QPointF anchor;
    QPainterPath path;
};
