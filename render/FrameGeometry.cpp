#include "FrameGeometry.h"

#include "SpacingSides.h"

#include <QtMath>
#include <array>
#include <cmath>

namespace {

// The angle the diagonal corners are cut at; deliberately not exactly pi/4, which
// changes the look of the rounded triangle corners.
constexpr qreal kDiagonalAngle = 0.785;
// Where the curve's control point lies between the chord midpoint and the corner.
constexpr qreal kControlFraction = 3.0 / 4.5;

// +1, -1 or 0: the direction in which from has to move to reach to.
qreal towards(qreal from, qreal to)
{
    if (from < to)
        return 1.0;
    if (from > to)
        return -1.0;
    return 0.0;
}

// Moves a vertex that lies on one of the anchor's two lines by h towards the anchor.
void insetTowardsAnchor(QPointF &vertex, const QPointF &anchor, qreal h)
{
    if (vertex == anchor)
        return;
    if (vertex.x() == anchor.x())
        vertex.ry() += towards(vertex.y(), anchor.y()) * h;
    if (vertex.y() == anchor.y())
        vertex.rx() += towards(vertex.x(), anchor.x()) * h;
}

// Each corner is cut by the shortened ends of its two edges and rounded by a quadratic
// curve; corners[i + 1] lies between edge i (corners[i] to corners[i + 1]) and edge i + 1.
template <std::size_t N>
QPainterPath roundedPolygonPath(const std::array<QPointF, N> &corners, qreal radius)
{
    std::array<std::pair<QPointF, QPointF>, N> edges;
    for (std::size_t i = 0; i < N; ++i)
        edges[i] = edgeEndpoints(corners[i], corners[(i + 1) % N], radius);

    QPainterPath path(edges[0].first);
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t next = (i + 1) % N;
        const QPointF &end = edges[i].second;
        const QPointF &nextStart = edges[next].first;
        const QPointF middle = (end + nextStart) / 2.0;
        path.lineTo(end);
        path.quadTo(middle + (corners[next] - middle) * kControlFraction, nextStart);
    }
    path.closeSubpath();
    return path;
}

} // namespace

FrameArea frameArea(const QRect &target, int margin, int topOffset)
{
    FrameArea area;
    area.origin = QPointF(target.x() + margin, target.y() + margin + topOffset);
    area.scaleX = (target.width() - 2.0 * margin) / 100.0;
    area.scaleY = (target.height() - 2.0 * margin - topOffset) / 100.0;
    return area;
}

QMarginsF spacingInsets(const LayoutCell &cell, int spacing)
{
    const qreal h = spacing / 2.0;
    const int across = cell.hSpacingSides;
    const int down = cell.vSpacingSides;
    return QMarginsF(across == SpacingLeft || across == SpacingLeftRight ? h : 0.0,
                     down == SpacingTop || down == SpacingTopBottom ? h : 0.0,
                     across == SpacingRight || across == SpacingLeftRight ? h : 0.0,
                     down == SpacingBottom || down == SpacingTopBottom ? h : 0.0);
}

QRectF cellFrameRect(const LayoutCell &cell, const FrameArea &area, int spacing)
{
    const QMarginsF insets = spacingInsets(cell, spacing);
    const QPointF topLeft = area.map(cell.topLeft) + QPointF(insets.left(), insets.top());
    const QPointF bottomRight =
        area.map(cell.bottomRight) - QPointF(insets.right(), insets.bottom());
    return QRectF(topLeft, bottomRight);
}

TriangleFrame cellTriangleFrame(const LayoutCell &cell, const FrameArea &area, int spacing)
{
    TriangleFrame frame;
    frame.vertex1 = area.map(cell.vertex1);
    frame.vertex2 = area.map(cell.vertex2);
    frame.vertex3 = area.map(cell.vertex3);
    frame.anchor = area.map(cell.anchor);
    QPointF guideP = area.map(cell.guideP);
    QPointF guideQ = area.map(cell.guideQ);
    if (cell.apexComputed) {
        insetApexTriangle(frame.vertex1, frame.vertex2, frame.vertex3, frame.anchor, spacing,
                          guideP, guideQ);
    } else {
        insetRightTriangle(frame.vertex1, frame.vertex2, frame.vertex3, frame.anchor, spacing);
    }
    frame.path.moveTo(frame.vertex1);
    frame.path.lineTo(frame.vertex2);
    frame.path.lineTo(frame.vertex3);
    frame.path.closeSubpath();
    return frame;
}

std::pair<QPointF, QPointF> edgeEndpoints(const QPointF &p1, const QPointF &p2, qreal radius)
{
    qreal dx = 0.0;
    qreal dy = 0.0;
    if (p1.y() == p2.y()) {
        dx = radius;
    } else if (p1.x() == p2.x()) {
        dy = radius;
    } else {
        dx = radius * std::cos(kDiagonalAngle);
        dy = radius * std::sin(kDiagonalAngle);
    }
    const QPointF start(p1.x() + towards(p1.x(), p2.x()) * dx,
                        p1.y() + towards(p1.y(), p2.y()) * dy);
    const QPointF end(p2.x() + towards(p2.x(), p1.x()) * dx, p2.y() + towards(p2.y(), p1.y()) * dy);
    return {start, end};
}

QPainterPath roundedRectPath(const QRectF &rect, qreal radius)
{
    return roundedPolygonPath<4>(
        {rect.topLeft(), rect.topRight(), rect.bottomRight(), rect.bottomLeft()}, radius);
}

QPainterPath roundedTrianglePath(const TriangleFrame &triangle, qreal radius)
{
    return roundedPolygonPath<3>({triangle.vertex1, triangle.vertex2, triangle.vertex3}, radius);
}

void insetRightTriangle(QPointF &first, QPointF &second, QPointF &third, const QPointF &anchor,
                        qreal spacing)
{
    const qreal h = spacing / 2.0;
    insetTowardsAnchor(first, anchor, h);
    insetTowardsAnchor(second, anchor, h);
    insetTowardsAnchor(third, anchor, h);
}

void insetApexTriangle(QPointF &first, QPointF &second, QPointF &third, const QPointF &anchor,
                       qreal spacing, QPointF &guideP, QPointF &guideQ)
{
    const qreal h = spacing / 2.0;
    insetTowardsAnchor(first, anchor, h);
    insetTowardsAnchor(second, anchor, h);

    if (guideP.x() != guideQ.x() && guideP.y() == guideQ.y()) {
        const qreal y = guideP.y() + towards(guideP.y(), anchor.y()) * h;
        guideP.ry() = y;
        guideQ.ry() = y;
    } else if (guideP.x() == guideQ.x()) {
        const qreal x = guideP.x() + towards(guideP.x(), anchor.x()) * h;
        guideP.rx() = x;
        guideQ.rx() = x;
    }

    const qreal slope = (guideP.y() - first.y()) / (guideP.x() - first.x());
    QPointF apex = third;
    if (first.x() == second.x()) {
        apex.ry() = (first.y() + second.y()) / 2.0;
        apex.rx() = (apex.y() - first.y()) / slope + first.x();
    } else if (first.y() == second.y()) {
        apex.rx() = (first.x() + second.x()) / 2.0;
        apex.ry() = (apex.x() - first.x()) * slope + first.y();
    }
    third = qIsFinite(apex.x()) && qIsFinite(apex.y()) ? apex : (first + second) / 2.0;
}
