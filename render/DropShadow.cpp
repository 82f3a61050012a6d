#include "DropShadow.h"

#include "LayerBuffer.h"

#include <QtMath>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Fixed-point precision of the filter weight and of the running state.
constexpr int kWeightBits = 12;
constexpr int kStateBits = 10;
constexpr int kValueShift = kWeightBits + kStateBits;
constexpr qreal kHalvingRadius = 4.0;

// The filter weight for which an opaque pixel fades to 2/255 at the radius.
int filterWeight(qreal radius)
{
    if (radius <= 1e-5)
        return (1 << kWeightBits) - 1;
    return qRound((1 << kWeightBits) * (1.0 - std::pow(2.0 / 255.0, 1.0 / radius)));
}

inline void filterStep(uchar &value, int &state, int weight)
{
    state += weight * ((int(value) << kStateBits) - (state >> kWeightBits));
    value = uchar(state >> kValueShift);
}

// Each row runs forwards and then backwards, the state carried over at the turn, so
// the result is symmetric apart from rounding.
void filterRows(QImage &plane, int weight)
{
    const int width = plane.width();
    for (int y = 0; y < plane.height(); ++y) {
        uchar *row = plane.scanLine(y);
        int state = 0;
        for (int x = 0; x < width; ++x)
            filterStep(row[x], state, weight);
        for (int x = width - 2; x >= 0; --x)
            filterStep(row[x], state, weight);
    }
}

// The same along every column, upwards first; all columns advance together, row by row,
// to stay in cache.
void filterColumns(QImage &plane, int weight)
{
    const int width = plane.width();
    const int height = plane.height();
    std::vector<int> states(std::size_t(width), 0);
    for (int y = height - 1; y >= 0; --y) {
        uchar *row = plane.scanLine(y);
        for (int x = 0; x < width; ++x)
            filterStep(row[x], states[std::size_t(x)], weight);
    }
    for (int y = 1; y < height; ++y) {
        uchar *row = plane.scanLine(y);
        for (int x = 0; x < width; ++x)
            filterStep(row[x], states[std::size_t(x)], weight);
    }
}

inline int average(int a, int b)
{
    return (a + b) >> 1;
}

// The alpha channel of a premultiplied image with a transparent border of pad pixels
// around it, halved in both directions by averaging pairs when halve is set (an odd last
// row or column is dropped).
QImage alphaPlane(const QImage &image, int pad, bool halve)
{
    const int step = halve ? 2 : 1;
    QImage plane((image.width() + 2 * pad) / step, (image.height() + 2 * pad) / step,
                 QImage::Format_Alpha8);
    if (plane.isNull())
        return plane;
    plane.fill(0);
    const int width = image.width();
    const int height = image.height();
    auto alphaAt = [&image, width](int x, const QRgb *line) {
        return line && x >= 0 && x < width ? qAlpha(line[x]) : 0;
    };
    auto lineAt = [&image, height](int y) {
        return y >= 0 && y < height ? reinterpret_cast<const QRgb *>(image.constScanLine(y))
                                    : nullptr;
    };
    for (int y = 0; y < plane.height(); ++y) {
        const int top = y * step - pad;
        if (top + step <= 0 || top >= height)
            continue;
        const QRgb *upper = lineAt(top);
        const QRgb *lower = halve ? lineAt(top + 1) : nullptr;
        uchar *out = plane.scanLine(y);
        const int first = std::max(0, (pad - 1) / step);
        const int last = std::min(plane.width() - 1, (width + pad) / step);
        for (int x = first; x <= last; ++x) {
            const int left = x * step - pad;
            if (!halve) {
                out[x] = uchar(alphaAt(left, upper));
                continue;
            }
            const int upperPair = average(alphaAt(left, upper), alphaAt(left + 1, upper));
            const int lowerPair = average(alphaAt(left, lower), alphaAt(left + 1, lower));
            out[x] = uchar(average(upperPair, lowerPair));
        }
    }
    return plane;
}

// Each channel times a / 255, rounded as the toolkit's raster engine rounds it; the four
// channels are spread over a 64-bit word and multiplied at once.
inline QRgb multiplyPixel(QRgb pixel, uint a)
{
    constexpr quint64 kChannelMask = 0x00ff00ff00ff00ffULL;
    quint64 t = ((quint64(pixel) | (quint64(pixel) << 24)) & kChannelMask) * a;
    t = (t + ((t >> 8) & kChannelMask) + 0x0080008000800080ULL) >> 8;
    t &= kChannelMask;
    return QRgb(t | (t >> 24));
}

// Where an output row or column samples the blurred plane when that is scaled up by 2:
// between cells low and high, with weight 3/4 on the nearer one.
struct Sample
{
    int nearer;
    int farther;
};

Sample sampleAt(int padded, bool halve, int cells)
{
    if (!halve)
        return {padded, padded};
    const int cell = padded >> 1;
    const int other = (padded & 1) ? cell + 1 : cell - 1;
    return {std::clamp(cell, 0, cells - 1), std::clamp(other, 0, cells - 1)};
}

} // namespace

bool drawWithDropShadow(const QImage &image, const QColor &color, qreal blurRadius, QImage &out)
{
    if (image.isNull()) {
        out = QImage();
        return false;
    }
    const QImage source = image.format() == QImage::Format_ARGB32_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const bool halve = blurRadius >= kHalvingRadius && source.width() >= 2 && source.height() >= 2;
    const qreal radius = halve ? blurRadius * 0.5 : blurRadius;
    // The toolkit's effect blurs a source padded by the radius, so the shadow fades out
    // towards the image border as if it went on beyond it.
    const int pad = qCeil(blurRadius);
    QImage plane = alphaPlane(source, pad, halve);
    if (plane.isNull() || !prepareLayer(out, source.size())) {
        out = QImage();
        return false;
    }
    const int weight = filterWeight(radius);
    filterRows(plane, weight);
    filterColumns(plane, weight);

    // Scale the blurred alpha back up bilinearly (the weights are exactly 3/4 and 1/4),
    // colour it and put the image over it, all in one pass.
    // QImage's size getters are out-of-line calls: read them once, not per pixel.
    const int width = source.width();
    const int height = source.height();
    std::vector<Sample> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[std::size_t(x)] = sampleAt(x + pad, halve, plane.width());
    const QRgb shadowColor = qPremultiply(color.rgba());
    for (int y = 0; y < height; ++y) {
        const Sample row = sampleAt(y + pad, halve, plane.height());
        const uchar *nearRow = plane.constScanLine(row.nearer);
        const uchar *farRow = plane.constScanLine(row.farther);
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        auto *result = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = in[x];
            const uint cover = 255u - qAlpha(pixel);
            if (cover == 0) {
                result[x] = pixel;
                continue;
            }
            const Sample &column = columns[std::size_t(x)];
            const uint alpha = halve ? (9u * nearRow[column.nearer] + 3u * nearRow[column.farther] +
                                        3u * farRow[column.nearer] + farRow[column.farther]) >>
                                           4
                                     : nearRow[column.nearer];
            result[x] = alpha == 0
                            ? pixel
                            : pixel + multiplyPixel(multiplyPixel(shadowColor, alpha), cover);
        }
    }
    return true;
}
