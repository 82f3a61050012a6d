#include "CanvasSizePresets.h"

#include <array>

namespace CanvasSizePresets {

QSizeF screenSize(int index)
{
    constexpr std::array<QSizeF, 5> screens{QSizeF(1680, 1050), QSizeF(1920, 1080),
                                            QSizeF(2560, 1440), QSizeF(3840, 2160),
                                            QSizeF(5120, 2880)};
    if (index < 0 || index >= int(screens.size()))
        return QSizeF(1920, 1080);
    return screens[size_t(index)];
}

QSizeF paperSize(int index, int orientation)
{
    // Portrait sizes in points: Letter, A3, A4, A5, Legal.
    constexpr std::array<QSizeF, 5> papers{QSizeF(612, 792), QSizeF(841.8898, 1190.5511),
                                           QSizeF(595.2756, 841.8898), QSizeF(419.5276, 595.2756),
                                           QSizeF(612, 1008)};
    if (index < 0 || index >= int(papers.size()))
        return QSizeF(0, 0);
    const QSizeF portrait = papers[size_t(index)];
    return orientation == 0 ? portrait.transposed() : portrait;
}

} // namespace CanvasSizePresets
