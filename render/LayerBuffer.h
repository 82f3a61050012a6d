#pragma once

#include <QImage>
#include <QSize>

// Makes buffer a transparent premultiplied ARGB image of the given size, keeping its
// memory when it already has that size and nobody else holds it: touching fresh memory
// for a full-size layer costs far more than clearing it. False when the image cannot be
// allocated; buffer is then null.
bool prepareLayer(QImage &buffer, const QSize &size);

// Drops a kept buffer once the canvas is larger than the biggest screen preset, so huge
// custom canvases do not hold several gigabytes between renders.
void releaseIfHuge(QImage &buffer);
