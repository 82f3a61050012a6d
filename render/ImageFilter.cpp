#include "ImageFilter.h"

#include <cmath>

namespace {

// Clamps before truncating, so that nothing out of range (or NaN) reaches the cast.
int toChannel(double x)
{
    if (!(x > 0.0))
        return 0;
    if (x >= 255.0)
        return 255;
    return int(x);
}

template <typename ChannelFunction> void mapChannels(QImage &image, ChannelFunction f)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            line[x] = qRgba(toChannel(f(float(qRed(pixel)))), toChannel(f(float(qGreen(pixel)))),
                            toChannel(f(float(qBlue(pixel)))), qAlpha(pixel));
        }
    }
}

void applySepia(QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            // Every output channel is made from the unchanged input channels.
            const double r = qRed(pixel);
            const double g = qGreen(pixel);
            const double b = qBlue(pixel);
            line[x] = qRgba(toChannel(0.393 * r + 0.769 * g + 0.189 * b),
                            toChannel(0.349 * r + 0.686 * g + 0.168 * b),
                            toChannel(0.272 * r + 0.534 * g + 0.131 * b), qAlpha(pixel));
        }
    }
}

} // namespace

QImage applyFilter(const QImage &image, int filterIndex, float value)
{
    if (image.height() < 1)
        return image;
    QImage result = image.convertToFormat(QImage::Format_RGB32);
    if (result.isNull())
        return image;

    switch (filterIndex) {
    case ImageFilter::Brightness:
        mapChannels(result, [value](float x) { return double(x + value); });
        break;
    case ImageFilter::Contrast: {
        float divisor = (259.0f - value) * 255.0f;
        if (divisor == 0.0f)
            divisor = (259.0f - (value + 1.0f)) * 255.0f;
        const float factor = (value + 255.0f) * 259.0f / divisor;
        mapChannels(result, [factor](float x) { return double((x - 128.0f) * factor + 128.0f); });
        break;
    }
    case ImageFilter::Gamma: {
        // At a slider value of -100 the gamma is 0 and the exponent infinite: channels
        // below 255 go to 0 and 255 stays, which is the limit of the curve.
        const float gamma = (value + 100.0f) / 100.0f;
        const float exponent = 1.0f / gamma;
        mapChannels(result, [exponent](float x) {
            return double(std::pow(x / 255.0f, exponent) * 255.0f);
        });
        break;
    }
    case ImageFilter::Sepia:
        applySepia(result);
        break;
    case ImageFilter::Invert:
        mapChannels(result, [value](float x) { return double(value > x ? 255.0f - x : x); });
        break;
    default:
        break;
    }
    return result;
}
