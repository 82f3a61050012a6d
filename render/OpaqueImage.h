#pragma once

#include <QImage>

// Whether no pixel of image is transparent, even partly. Formats without alpha are.
bool isOpaque(const QImage &image);

// image itself, relabelled as 32-bit RGB when it is premultiplied or plain 32-bit ARGB and
// opaque: the same bytes, which encoders then write without an alpha channel, smaller and
// faster. Pass the only reference (moved in) to keep it from being copied.
QImage withoutOpaqueAlpha(QImage image);
