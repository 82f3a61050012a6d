#pragma once

class QImage;
class QPainter;
class QRectF;

// Draws image into target (logical coordinates) through painter, as drawImage does. While
// the painter's transformation reduces (a view of the collage below its full size), the
// image is first reduced with filtering to the pixels it covers and then drawn unscaled,
// so the view looks like the full-size drawing smoothly scaled down, where sampling the
// image would alias its fine detail.
void drawImageReduced(QPainter &painter, const QRectF &target, const QImage &image);
