#include "CatalogueSync.h"

#include "CollageState.h"
#include "FrameGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

// Coordinates go through single precision before they become percentages, so the
// template holds the same values whichever way the pixels were reached.
qreal toPercent(qreal pixels, qreal extent)
{
    return qreal(float(pixels)) * 100.0 / extent;
}

QRectF toPercent(const QRectF &pixels, qreal width, qreal height)
{
    return QRectF(QPointF(toPercent(pixels.left(), width), toPercent(pixels.top(), height)),
                  QPointF(toPercent(pixels.right(), width), toPercent(pixels.bottom(), height)));
}

// Writes a list of divider rectangles into a template's list of lines, entry by entry.
void syncLines(const QList<QRectF> &dividers, QList<QRectF> &lines, int margin, int topOffset,
               qreal width, qreal height, bool flatten)
{
    const qsizetype count = std::min(dividers.size(), lines.size());
    for (qsizetype i = 0; i < count; ++i) {
        QRectF line =
            toPercent(dividers[i].translated(-margin, -(margin + topOffset)), width, height);
        if (flatten)
            line.setHeight(0.0);
        lines[i] = line;
    }
}

// The canvas is rendered at its size cut to whole pixels, and the pixel geometry was
// mapped from that size; dividing by the fractional size would shrink a paper layout a
// little on every rebuild.
QSizeF renderedCanvasSize(const CollageState &state)
{
    return QSizeF(std::trunc(state.canvasSize.width()), std::trunc(state.canvasSize.height()));
}

} // namespace

void syncCellsToCatalogue()
{
    CollageState &state = CollageState::instance();
    LayoutTemplate *layout = state.currentLayout();
    if (!layout)
        return;
    const CanvasSettings &settings = state.settings;
    const int margin = settings.margin;
    const QSizeF canvas = renderedCanvasSize(state);
    const qreal width = canvas.width() - 2.0 * margin;
    const qreal height = canvas.height() - 2.0 * margin - settings.topOffset;
    if (!(width > 0.0) || !(height > 0.0))
        return;

    const QList<QRectF> &rects = state.document.frameRects;
    const qsizetype count = std::min(rects.size(), layout->cells.size());
    for (qsizetype i = 0; i < count; ++i) {
        LayoutCell &cell = layout->cells[i];
        if (cell.kind != LayoutCell::Rectangle)
            continue;
        const QRectF rect = rects[i].translated(-margin, -(margin + settings.topOffset));
        const QMarginsF insets = spacingInsets(cell, settings.spacing);
        const QPointF topLeft = rect.topLeft() - QPointF(insets.left(), insets.top());
        const QPointF bottomRight =
            QPointF(rect.right(), rect.bottom()) + QPointF(insets.right(), insets.bottom());
        const qreal left = toPercent(topLeft.x(), width);
        const qreal top = toPercent(topLeft.y(), height);
        const qreal right = toPercent(bottomRight.x(), width);
        const qreal bottom = toPercent(bottomRight.y(), height);
        cell.topLeft = QPointF(left, top);
        cell.topRight = QPointF(right, top);
        cell.bottomLeft = QPointF(left, bottom);
        cell.bottomRight = QPointF(right, bottom);
    }
}

void syncLinesToCatalogue()
{
    CollageState &state = CollageState::instance();
    LayoutTemplate *layout = state.currentLayout();
    if (!layout)
        return;
    const int margin = state.settings.margin;
    const int topOffset = state.settings.topOffset;
    const QSizeF canvas = renderedCanvasSize(state);
    const qreal width = canvas.width() - 2.0 * margin;
    const qreal height = canvas.height() - 2.0 * margin - topOffset;
    if (!(width > 0.0) || !(height > 0.0))
        return;
    syncLines(state.document.horizontalDividers, layout->horizontalLines, margin, topOffset, width,
              height, true);
    syncLines(state.document.verticalDividers, layout->verticalLines, margin, topOffset, width,
              height, false);
}
