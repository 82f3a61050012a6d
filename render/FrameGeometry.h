#pragma once

#include "LayoutCell.h"
#include "TriangleFrame.h"

#include <QMarginsF>
#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <utility>

// The collage area in document pixels. Layout points are percentages of it; map() turns
// one into pixels without rounding.
struct FrameArea
{
    QPointF origin;
    qreal scaleX = 0.0;
    qreal scaleY = 0.0;

    QPointF map(const QPointF &percent) const
    {
        return {percent.x() * scaleX + origin.x(), percent.y() * scaleY + origin.y()};
    }
};

// The area inside the margin on all sides of target and the top offset above it. The
// dividers are placed with a top offset of 0.
FrameArea frameArea(const QRect &target, int margin, int topOffset);

// Half the spacing on each edge of a rectangular cell that faces another cell, as
// left, top, right and bottom insets; edges on the border of the collage area get none.
QMarginsF spacingInsets(const LayoutCell &cell, int spacing);
// The pixel rectangle of a rectangular cell, its interior edges moved in by half the
// spacing.
QRectF cellFrameRect(const LayoutCell &cell, const FrameArea &area, int spacing);

// The pixel triangle of a triangular cell: the vertices inset by half the spacing (the
// apex computed for an apex triangle) and the unmoved anchor, with the closed path.
TriangleFrame cellTriangleFrame(const LayoutCell &cell, const FrameArea &area, int spacing);

// Both ends of the edge p1-p2 moved towards each other by radius: along the edge when it
// is horizontal or vertical, else by radius·cos(0.785) and radius·sin(0.785) on the axes.
std::pair<QPointF, QPointF> edgeEndpoints(const QPointF &p1, const QPointF &p2, qreal radius);

// The outline with each corner replaced by a quadratic curve between the shortened edge
// ends. A radius of 0 gives the plain polygon.
QPainterPath roundedRectPath(const QRectF &rect, qreal radius);
QPainterPath roundedTrianglePath(const TriangleFrame &triangle, qreal radius);

// Insets a right triangle whose right angle is at anchor: the vertices on the anchor's
// lines move half the spacing towards it, which moves the hypotenuse inwards.
void insetRightTriangle(QPointF &first, QPointF &second, QPointF &third, const QPointF &anchor,
                        qreal spacing);

// Insets an apex triangle: the base ends move half the spacing towards the anchor (the
// base midpoint), the guide line moves half the spacing towards the anchor, and the apex
// (third) is where the diagonal from first through guideP meets the base's perpendicular
// bisector. When that point cannot be computed (a collapsed area) the apex is the base's
// midpoint.
void insetApexTriangle(QPointF &first, QPointF &second, QPointF &third, const QPointF &anchor,
                       qreal spacing, QPointF &guideP, QPointF &guideQ);
