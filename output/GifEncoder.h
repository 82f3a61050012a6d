#pragma once

#include <QImage>
#include <QString>

class QIODevice;

// Writes one image as a single-frame GIF89a through giflib: the same colour table as
// global and local table, background index 0, no extension blocks, not interlaced.
class GifEncoder
{
public:
    // The largest width or height a GIF can record.
    static constexpr int kMaxSide = 65535;

    // Encodes image into device, which must be open for writing. An image that is not
    // 8-bit indexed with 1 to 256 colours is reduced by ColorQuantizer first. False, with
    // a short reason in errorString when given, if anything fails on the way; the device
    // may then hold part of a file.
    static bool write(const QImage &image, QIODevice *device, QString *errorString = nullptr);
};
