#include "WindowGeometry.h"

namespace {
constexpr int kMinimumWidth = 986;
constexpr int kMinimumHeight = 513;
} // namespace

QRect restoredWindowGeometry(const QRect &stored, const QSize &screen)
{
    const int sw = screen.width();
    const int sh = screen.height();

    int x = stored.x();
    if (x < 0 || x > sw)
        x = 100;
    int y = stored.y();
    if (y < 0 || y > sh)
        y = 100;

    // A width or height that had to be corrected keeps the stored position as it is.
    int w = stored.width();
    if (w < kMinimumWidth)
        w = kMinimumWidth;
    else if (w > sw)
        w = sw;
    else if (x + w > sw)
        x = sw - w;

    int h = stored.height();
    if (h < kMinimumHeight)
        h = kMinimumHeight;
    else if (h > sh)
        h = sh;
    else if (y + h > sh)
        y = sh - h;

    return QRect(x, y, w, h);
}

std::unique_ptr<QSettings> openWindowSettings()
{
    // The record lives at "Software\Maplestead Vantry": on Windows the registry key
    // HKEY_CURRENT_USER\Software\Maplestead Vantry; elsewhere a file of its own in the
    // user's configuration folder, "Maplestead Vantry.conf" (on Linux
    // ~/.config/Maplestead Vantry.conf), apart from the editor form's store
    // Maplestead/Quiltra.conf.
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Maplestead Vantry"), QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Maplestead Vantry"));
#endif
}
