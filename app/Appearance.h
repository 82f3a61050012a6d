#pragma once

class QPalette;

// Whether the desktop shows a dark appearance. Every widget that picks between light
// and dark icon variants asks this one function, so they never disagree.
bool isDarkAppearance();

// The rule used where the toolkit cannot report the colour scheme: a palette whose
// window text is lighter than the window itself belongs to a dark appearance.
bool paletteLooksDark(const QPalette &palette);
