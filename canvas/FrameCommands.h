#pragma once

#include <QColor>

struct LayoutCell;

// The frame menu's commands on the photo slot and the layout cell of one frame of
// CollageState::instance(). Each answers whether the document changed and needs a
// redraw; a slot or cell that does not exist changes nothing.

// Both images of the slot as 8-bit grayscale.
bool grayscalePhoto(int slot);
// applyFilter() on both images of the slot, so that adjustments accumulate.
bool filterPhoto(int slot, int filterIndex, int value);
// Reads the slot's file again and fits it afresh, undoing every adjustment. When the file
// can no longer be read only the photo's rotation goes back to 0.
bool resetPhoto(int slot);
// Empties the slot's images; its file, position, zoom and rotation stay.
bool clearPhoto(int slot);

// The cell of the current layout that draws the frame of slot, or null.
LayoutCell *frameCell(int slot);
bool setFrameBackground(int slot, const QColor &color);
// Degrees, clockwise about the frame's centre.
bool setFrameRotation(int slot, int degrees);
