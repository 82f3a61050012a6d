#pragma once

#include "LayoutCell.h"

#include <QPointF>

// Appends the built-in layouts to CollageState::instance().layoutCatalogue, list k
// receiving the layouts for k + 1 photos. Called once, on an empty catalogue.
void buildLayoutCatalogue();

// The spacing codes of a rectangular cell spanning [low, high] in percent: an edge on
// the border of the collage area gets no spacing, an interior edge gets half of it.
int horizontalSpacingSides(qreal left, qreal right);
int verticalSpacingSides(qreal top, qreal bottom);

LayoutCell makeRectangleCell(QPointF topLeft, QPointF topRight, QPointF bottomRight,
                             QPointF bottomLeft, int hSpacingSides, int vSpacingSides);

// A triangle whose base vertex1-vertex2 is one whole side of the collage area; its apex is
// found at render time, so vertex3 stays (0, 0). The guide points are the far ends of the
// diagonals through the base ends.
LayoutCell makeApexTriangleCell(QPointF vertex1, QPointF vertex2, QPointF anchor);
