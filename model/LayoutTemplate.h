#pragma once

#include "LayoutCell.h"

#include <QList>
#include <QRectF>

// A built-in layout: its cells in frame order and its divider lines, in percent.
struct LayoutTemplate
{
    QList<LayoutCell> cells;
    QList<QRectF> horizontalLines;
    QList<QRectF> verticalLines;
};
