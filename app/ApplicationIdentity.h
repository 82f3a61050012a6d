#pragma once

#include <QIcon>

// Tells the desktop which program this is: the organisation and application names,
// of which the application name also becomes the window class that docks match
// against the installed desktop entry, and the name of that desktop entry.
void setApplicationIdentity();

// The window icon for platforms where the executable carries none: the application
// icon with its hand-tuned small sizes and a large one for high-density screens.
QIcon applicationIcon();
