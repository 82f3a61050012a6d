#pragma once

#include "LayoutTemplate.h"

#include <QPoint>
#include <QRectF>

class QPainter;

// The grid of layout thumbnails in the layout picker, in the picker's widget pixels.
struct LayoutGrid
{
    static constexpr int kThumbSize = 100;
    static constexpr int kGap = 9;
    static constexpr int kColumns = 3;
    // Once the grid is taller than this it scrolls, and the first column moves left so
    // the scroll bar does not cover the third.
    static constexpr int kScrollingHeight = 130;

    int left = 10;
    int top = 1;

    QRectF thumbnailRect(int index) const;
    // The layout whose thumbnail (or the gap to its right) holds pos, or -1: above or left
    // of the grid, in the gap below a row, right of the last column, or past the last of
    // layoutCount layouts.
    int indexAt(const QPoint &pos, int layoutCount) const;
};

// The height the picker needs for layoutCount layouts: one row more than the full rows,
// and a gap above and below.
int layoutContentHeight(int layoutCount);

// Draws one layout as white rounded frames with black outlines inside rect, at thumbnail
// scale (margin, spacing and corner radius of 4). Works on its own copy of the cells.
void renderLayoutPreview(QPainter &painter, const LayoutTemplate &layout, const QRectF &rect);
