#pragma once

#include <QSizeF>

// The canvas sizes the side bar offers. Paper sizes are in points and become the canvas
// size in pixels unchanged.
namespace CanvasSizePresets {

// The screen preset of a screen list index; 1920 x 1080 for an index outside the list.
QSizeF screenSize(int index);
// The paper of a paper list index turned by orientation (0 landscape, 1 portrait); 0 x 0
// for an index outside the list.
QSizeF paperSize(int index, int orientation);

} // namespace CanvasSizePresets
