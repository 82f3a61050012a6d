#include "ColorQuantizer.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// The histogram keeps 5 bits of each channel: fine enough for the palette choice,
// small enough (32768 cells) to sort and split quickly.
constexpr int kHistogramBits = 5;
constexpr int kHistogramSide = 1 << kHistogramBits;
// The nearest-palette cache keeps 6 bits of each channel of the dithered colour.
constexpr int kLookupBits = 6;
constexpr int kLookupSide = 1 << kLookupBits;

struct ColourCell
{
    std::array<double, 3> sum{}; // of the exact 8-bit values that fell into the cell
    qint64 count = 0;

    double mean(int channel) const { return sum[size_t(channel)] / double(count); }
};

struct Box
{
    size_t begin = 0; // range of cells
    size_t end = 0;
    qint64 count = 0;
    double error = 0.0; // summed squared distance of the cells from the box mean
};

int histogramIndex(QRgb pixel)
{
    constexpr int shift = 8 - kHistogramBits;
    return ((qRed(pixel) >> shift) << (2 * kHistogramBits)) |
           ((qGreen(pixel) >> shift) << kHistogramBits) | (qBlue(pixel) >> shift);
}

void measureBox(Box &box, const std::vector<ColourCell> &cells)
{
    std::array<double, 3> sum{};
    double squares = 0.0;
    box.count = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
        const ColourCell &cell = cells[i];
        box.count += cell.count;
        for (int c = 0; c < 3; ++c) {
            const double mean = cell.mean(c);
            sum[size_t(c)] += mean * double(cell.count);
            squares += mean * mean * double(cell.count);
        }
    }
    const double total = double(std::max<qint64>(box.count, 1));
    box.error = squares - (sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]) / total;
}

// Splits box at the weighted median of the channel along which its colours spread most.
bool splitBox(const Box &box, std::vector<ColourCell> &cells, Box &low, Box &high)
{
    if (box.end - box.begin < 2)
        return false;
    std::array<double, 3> minimum{255, 255, 255};
    std::array<double, 3> maximum{0, 0, 0};
    for (size_t i = box.begin; i < box.end; ++i) {
        for (int c = 0; c < 3; ++c) {
            minimum[size_t(c)] = std::min(minimum[size_t(c)], cells[i].mean(c));
            maximum[size_t(c)] = std::max(maximum[size_t(c)], cells[i].mean(c));
        }
    }
    int axis = 0;
    for (int c = 1; c < 3; ++c) {
        if (maximum[size_t(c)] - minimum[size_t(c)] > maximum[size_t(axis)] - minimum[size_t(axis)])
            axis = c;
    }
    const auto first = cells.begin() + qsizetype(box.begin);
    const auto last = cells.begin() + qsizetype(box.end);
    std::sort(first, last, [axis](const ColourCell &a, const ColourCell &b) {
        return a.mean(axis) < b.mean(axis);
    });
    qint64 seen = 0;
    size_t cut = box.begin + 1;
    for (size_t i = box.begin; i + 1 < box.end; ++i) {
        seen += cells[i].count;
        cut = i + 1;
        if (seen * 2 >= box.count)
            break;
    }
    low = {box.begin, cut, 0, 0.0};
    high = {cut, box.end, 0, 0.0};
    measureBox(low, cells);
    measureBox(high, cells);
    return true;
}

QList<QRgb> medianCutPalette(const QImage &image)
{
    std::vector<ColourCell> histogram(size_t(kHistogramSide * kHistogramSide * kHistogramSide));
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            ColourCell &cell = histogram[size_t(histogramIndex(line[x]))];
            cell.sum[0] += qRed(line[x]);
            cell.sum[1] += qGreen(line[x]);
            cell.sum[2] += qBlue(line[x]);
            ++cell.count;
        }
    }
    std::vector<ColourCell> cells;
    for (const ColourCell &cell : histogram) {
        if (cell.count > 0)
            cells.push_back(cell);
    }

    std::vector<Box> boxes{{0, cells.size(), 0, 0.0}};
    measureBox(boxes.front(), cells);
    while (boxes.size() < size_t(ColorQuantizer::kMaxColors)) {
        // The box whose colours lie farthest from its mean gains most from a split.
        auto worst = std::max_element(boxes.begin(), boxes.end(), [](const Box &a, const Box &b) {
            return (a.end - a.begin < 2 ? -1.0 : a.error) < (b.end - b.begin < 2 ? -1.0 : b.error);
        });
        Box low;
        Box high;
        if (!splitBox(*worst, cells, low, high))
            break;
        *worst = low;
        boxes.push_back(high);
    }

    QList<QRgb> palette;
    for (const Box &box : boxes) {
        std::array<double, 3> sum{};
        for (size_t i = box.begin; i < box.end; ++i) {
            for (int c = 0; c < 3; ++c)
                sum[size_t(c)] += cells[i].sum[size_t(c)];
        }
        const double count = double(box.count);
        palette.append(qRgb(int(std::lround(sum[0] / count)), int(std::lround(sum[1] / count)),
                            int(std::lround(sum[2] / count))));
    }
    return palette;
}

class NearestColour
{
public:
    explicit NearestColour(const QList<QRgb> &palette)
        : m_palette(palette), m_cache(size_t(kLookupSide * kLookupSide * kLookupSide), -1)
    {
    }

    // The palette entry nearest to the colour, searched once per cache cell.
    uchar find(int red, int green, int blue)
    {
        constexpr int shift = 8 - kLookupBits;
        const size_t key = size_t(((red >> shift) << (2 * kLookupBits)) |
                                  ((green >> shift) << kLookupBits) | (blue >> shift));
        short &cached = m_cache[key];
        if (cached < 0) {
            // The cell's centre stands for every colour in it.
            constexpr int half = 1 << (shift - 1);
            const int r = ((red >> shift) << shift) + half;
            const int g = ((green >> shift) << shift) + half;
            const int b = ((blue >> shift) << shift) + half;
            int best = 0;
            int bestDistance = std::numeric_limits<int>::max();
            for (qsizetype i = 0; i < m_palette.size(); ++i) {
                const QRgb entry = m_palette[i];
                const int dr = qRed(entry) - r;
                const int dg = qGreen(entry) - g;
                const int db = qBlue(entry) - b;
                const int distance = dr * dr + dg * dg + db * db;
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = int(i);
                }
            }
            cached = short(best);
        }
        return uchar(cached);
    }

private:
    const QList<QRgb> &m_palette;
    std::vector<short> m_cache;
};

// Floyd-Steinberg diffusion in serpentine order, so the error does not drift one way.
QImage ditherToPalette(const QImage &image, const QList<QRgb> &palette)
{
    QImage indexed(image.size(), QImage::Format_Indexed8);
    if (indexed.isNull())
        return QImage();
    indexed.setColorTable(palette);
    NearestColour nearest(palette);

    const int width = image.width();
    // Errors of the current and the next row, one pixel of room at either end.
    std::vector<float> current(size_t(width + 2) * 3, 0.0f);
    std::vector<float> next(size_t(width + 2) * 3, 0.0f);
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        uchar *out = indexed.scanLine(y);
        const bool forward = y % 2 == 0;
        const int step = forward ? 1 : -1;
        std::fill(next.begin(), next.end(), 0.0f);
        for (int i = 0; i < width; ++i) {
            const int x = forward ? i : width - 1 - i;
            float *error = &current[size_t(x + 1) * 3];
            const QRgb pixel = line[x];
            const float wanted[3] = {float(qRed(pixel)) + error[0], float(qGreen(pixel)) + error[1],
                                     float(qBlue(pixel)) + error[2]};
            int clamped[3];
            for (int c = 0; c < 3; ++c)
                clamped[c] = std::clamp(int(std::lround(wanted[c])), 0, 255);
            const uchar index = nearest.find(clamped[0], clamped[1], clamped[2]);
            out[x] = index;
            const QRgb chosen = palette[index];
            const float miss[3] = {wanted[0] - float(qRed(chosen)),
                                   wanted[1] - float(qGreen(chosen)),
                                   wanted[2] - float(qBlue(chosen))};
            float *ahead = &current[size_t(x + 1 + step) * 3];
            float *belowBehind = &next[size_t(x + 1 - step) * 3];
            float *below = &next[size_t(x + 1) * 3];
            float *belowAhead = &next[size_t(x + 1 + step) * 3];
            for (int c = 0; c < 3; ++c) {
                ahead[c] += miss[c] * (7.0f / 16.0f);
                belowBehind[c] += miss[c] * (3.0f / 16.0f);
                below[c] += miss[c] * (5.0f / 16.0f);
                belowAhead[c] += miss[c] * (1.0f / 16.0f);
            }
        }
        current.swap(next);
    }
    return indexed;
}

// The image's own colours in the order first met, or an empty list when there are more
// than the palette can hold.
QList<QRgb> exactPalette(const QImage &image)
{
    QHash<QRgb, int> seen;
    QList<QRgb> palette;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        QRgb previous = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb colour = line[x] | 0xff000000u;
            // Runs of one colour are common in a collage; skip the hash lookup for them.
            if ((x > 0 && colour == previous) || seen.contains(colour)) {
                previous = colour;
                continue;
            }
            if (palette.size() == ColorQuantizer::kMaxColors)
                return {};
            seen.insert(colour, int(palette.size()));
            palette.append(colour);
            previous = colour;
        }
    }
    return palette;
}

QImage mapToExactPalette(const QImage &image, const QList<QRgb> &palette)
{
    QImage indexed(image.size(), QImage::Format_Indexed8);
    if (indexed.isNull())
        return QImage();
    indexed.setColorTable(palette);
    QHash<QRgb, uchar> index;
    for (qsizetype i = 0; i < palette.size(); ++i)
        index.insert(palette[i], uchar(i));
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        uchar *out = indexed.scanLine(y);
        QRgb previous = 0;
        uchar previousIndex = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb colour = line[x] | 0xff000000u;
            if (x == 0 || colour != previous) {
                previous = colour;
                previousIndex = index.value(colour);
            }
            out[x] = previousIndex;
        }
    }
    return indexed;
}

} // namespace

QImage ColorQuantizer::toIndexed8(const QImage &image)
{
    if (image.isNull())
        return QImage();
    const QImage rgb = image.convertToFormat(QImage::Format_ARGB32);
    if (rgb.isNull())
        return QImage();
    const QList<QRgb> exact = exactPalette(rgb);
    if (!exact.isEmpty())
        return mapToExactPalette(rgb, exact);
    return ditherToPalette(rgb, medianCutPalette(rgb));
}
