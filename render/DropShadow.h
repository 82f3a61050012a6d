#pragma once

#include <QColor>
#include <QImage>

// Draws image over a shadow of its own shape into out: the shadow is the image's alpha,
// blurred by blurRadius (> 0) and filled with color, without offset, cut at the image
// border. It looks like the toolkit's drop-shadow graphics effect rendered into an image
// of the same size: radii of 4 and more are blurred at half resolution by a two-sided
// exponential filter and scaled back up smoothly. Only the alpha plane is blurred, which
// makes it several times faster than going through a graphics scene.
// out's memory is reused when it has the right size and is not shared. False when a buffer
// cannot be allocated or image is null; out is then null.
bool drawWithDropShadow(const QImage &image, const QColor &color, qreal blurRadius, QImage &out);
