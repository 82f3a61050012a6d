#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

// Toward zero like a plain cast, but defined for every input: NaN gives 0 and values
// beyond the int range give its ends, where a plain cast would be undefined.
inline int truncatedToInt(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return static_cast<int>(std::trunc(std::clamp(value, lowest, highest)));
}
