#pragma once

#include <QImage>

// Whether no pixel of image is transparent, even partly. Formats without alpha are.
bool isOpaque(const QImage &image);

// When image is premultiplied or plain 32-bit ARGB and opaque, an image over the same
// pixels labelled as 32-bit RGB, which encoders write without an alpha channel: smaller
// and faster. Otherwise image itself. Nothing is copied, so the result borrows image's
// memory: keep image alive and unchanged while the result is in use.
QImage withoutOpaqueAlpha(const QImage &image);
