#include "LayoutPreview.h"

#include "FrameGeometry.h"

#include <QPainter>
#include <cmath>

namespace {

constexpr int kPreviewMargin = 4;
constexpr int kPreviewSpacing = 4;
constexpr qreal kPreviewRadius = 4.0;

} // namespace

QRectF LayoutGrid::thumbnailRect(int index) const
{
    const int step = kThumbSize + kGap;
    return QRectF(left + (index % kColumns) * step, top + (index / kColumns) * step, kThumbSize,
                  kThumbSize);
}

int LayoutGrid::indexAt(const QPoint &pos, int layoutCount) const
{
    if (pos.x() < left || pos.y() < top)
        return -1;
    const int step = kThumbSize + kGap;
    const int column = (pos.x() - left) / step;
    const int row = (pos.y() - top) / step;
    if (column >= kColumns)
        return -1;
    if (pos.y() > top + row * step + kThumbSize)
        return -1;
    const int index = row * kColumns + column;
    return index < layoutCount ? index : -1;
}

int layoutContentHeight(int layoutCount)
{
    const int rows = layoutCount / LayoutGrid::kColumns + 1;
    return rows * (LayoutGrid::kThumbSize + LayoutGrid::kGap) + 2 * LayoutGrid::kGap;
}

void renderLayoutPreview(QPainter &painter, const LayoutTemplate &layout, const QRectF &rect)
{
    // Single precision, as the thumbnails have always been scaled.
    const float scaleX = float(rect.width() - 2 * kPreviewMargin) / 100.0f;
    const float scaleY = float(rect.height() - 2 * kPreviewMargin) / 100.0f;
    FrameArea area;
    area.origin =
        QPointF(std::trunc(rect.x() + kPreviewMargin), std::trunc(rect.y() + kPreviewMargin));
    area.scaleX = scaleX;
    area.scaleY = scaleY;

    painter.save();
    painter.setPen(QPen(QColor(Qt::black), 1));
    painter.setBrush(Qt::white);
    for (const LayoutCell &cell : layout.cells) {
        QPainterPath path;
        if (cell.kind == LayoutCell::Triangle) {
            const TriangleFrame triangle = cellTriangleFrame(cell, area, kPreviewSpacing);
            path = roundedTrianglePath(triangle, kPreviewRadius);
        } else {
            path = roundedRectPath(cellFrameRect(cell, area, kPreviewSpacing), kPreviewRadius);
        }
        painter.drawPath(path);
    }
    painter.restore();
}
