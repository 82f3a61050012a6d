#pragma once

// Write the document's pixel geometry back into the selected layout template, in percent
// of the collage area, so that frames and dividers moved on the canvas keep their places
// when the geometry is rebuilt (after a change of size, margin, spacing or top offset).
// Nothing is written while the collage area has no width or height.

// frameRects into the rectangular cells' corners, the spacing insets undone.
void syncCellsToCatalogue();
// horizontalDividers and verticalDividers into the template's lines, mapped like the
// frames.
void syncLinesToCatalogue();
