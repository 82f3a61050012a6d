#include "IcoWriter.h"

#include <QBuffer>
#include <QtEndian>

namespace {

constexpr int kMaxSide = 256;
constexpr int kHeaderSize = 6;
constexpr int kEntrySize = 16;
constexpr int kBitmapHeaderSize = 40;

void putU16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void putU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

QByteArray pngPayload(const QImage &image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

// A bottom-up BGRA bitmap followed by its one-bit transparency mask; the header gives
// twice the height because it counts the mask rows too.
QByteArray bitmapPayload(const QImage &image)
{
    const int w = image.width();
    const int h = image.height();
    const int maskStride = ((w + 31) / 32) * 4;
    QByteArray out;
    putU32(out, kBitmapHeaderSize);
    putU32(out, quint32(w));
    putU32(out, quint32(h * 2));
    putU16(out, 1);
    putU16(out, 32);
    putU32(out, 0);
    putU32(out, quint32(w * h * 4 + maskStride * h));
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            putU32(out, line[x]);
    }
    for (int y = h - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < w; ++x) {
            if (qAlpha(line[x]) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        out.append(row);
    }
    return out;
}

} // namespace

QByteArray encodeIco(const QList<QImage> &images)
{
    if (images.isEmpty() || images.size() > 0xFFFF)
        return {};
    QList<QByteArray> payloads;
    for (const QImage &image : images) {
        if (image.isNull() || image.width() > kMaxSide || image.height() > kMaxSide)
            return {};
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        const bool large = argb.width() == kMaxSide || argb.height() == kMaxSide;
        payloads.append(large ? pngPayload(argb) : bitmapPayload(argb));
    }

    QByteArray out;
    putU16(out, 0);
    putU16(out, 1);
    putU16(out, quint16(images.size()));
    quint32 offset = quint32(kHeaderSize + kEntrySize * images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        // A side of 256 does not fit the byte and is written as 0.
        out.append(char(images[i].width() % kMaxSide));
        out.append(char(images[i].height() % kMaxSide));
        out.append('\0');
        out.append('\0');
        putU16(out, 1);
        putU16(out, 32);
        putU32(out, quint32(payloads[i].size()));
        putU32(out, offset);
        offset += quint32(payloads[i].size());
    }
    for (const QByteArray &payload : payloads)
        out.append(payload);
    return out;
}
