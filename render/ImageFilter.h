#pragma once

#include <QImage>

// The per-pixel adjustments, numbered as the canvas, the adjustment dialog and
// applyFilter() share them.
namespace ImageFilter {
inline constexpr int Brightness = 0; // value added to each channel
inline constexpr int Contrast = 1;   // contrast amount
inline constexpr int Gamma = 2;      // slider value; the gamma is (value + 100) / 100
inline constexpr int Sepia = 3;      // no value
inline constexpr int Invert = 4;     // channels below the value are inverted
} // namespace ImageFilter

// A copy of image with one adjustment applied to every pixel, as opaque 32-bit RGB. Each
// channel is worked out in floating point, clamped to 0..255 and truncated; a result that
// is not a number counts as 0. An unknown index only converts the format. An image less
// than one pixel high comes back unchanged.
QImage applyFilter(const QImage &image, int filterIndex, float value);
