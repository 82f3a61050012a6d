#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// Renders the SVG file at `path` into a transparent square image of `size` pixels,
// the view box filling it. Returns a null image when the file is not a valid SVG.
QImage renderSvg(const QString &path, int size);

// Gives every pixel `colour` and keeps its coverage: the icon sources are drawn in
// one ink, and the light, dark and disabled variants differ only in colour.
QImage recolour(const QImage &image, const QColor &colour);
