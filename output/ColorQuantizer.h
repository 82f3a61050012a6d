#pragma once

#include <QImage>

// Reduces an image to an 8-bit indexed image for formats limited to a palette. Alpha is
// dropped: each pixel keeps its unpremultiplied red, green and blue.
class ColorQuantizer
{
public:
    static constexpr int kMaxColors = 256;

    // An image with at most kMaxColors distinct colours keeps exactly those colours;
    // any other gets a palette chosen for it (median cut over a colour histogram) and
    // Floyd-Steinberg error diffusion, which looks far closer to the original than a
    // fixed colour cube. Null for a null image or one that cannot be allocated.
    static QImage toIndexed8(const QImage &image);
};
