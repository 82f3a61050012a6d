#pragma once

#include <QRect>
#include <QSettings>
#include <QSize>
#include <memory>

// The window's stored position and size, corrected so that the window comes back
// on the given screen (screen pixels, client area without the frame).
QRect restoredWindowGeometry(const QRect &stored, const QSize &screen);

// The per-user store that holds the window geometry record.
std::unique_ptr<QSettings> openWindowSettings();
