#include "ValueNoise.h"

#include <algorithm>
#include <cmath>

namespace {

double fade(double t)
{
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

int wrap(int i, int period)
{
    const int r = i % period;
    return r < 0 ? r + period : r;
}

quint32 mix(quint32 h)
{
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

} // namespace

ValueNoise::ValueNoise(quint32 seed, int period) : m_seed(seed), m_period(std::max(1, period)) {}

double ValueNoise::fractal(double x, double y, int octaves, double gain) const
{
    double sum = 0.0;
    double weight = 1.0;
    double total = 0.0;
    double frequency = 1.0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += weight * layer(x * frequency, y * frequency, m_period << octave, quint32(octave));
        total += weight;
        weight *= gain;
        frequency *= 2.0;
    }
    return total > 0.0 ? sum / total : 0.5;
}

double ValueNoise::layer(double x, double y, int period, quint32 salt) const
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int ix = int(fx);
    const int iy = int(fy);
    const double tx = fade(x - fx);
    const double ty = fade(y - fy);
    const double a = lattice(ix, iy, period, salt);
    const double b = lattice(ix + 1, iy, period, salt);
    const double c = lattice(ix, iy + 1, period, salt);
    const double d = lattice(ix + 1, iy + 1, period, salt);
    const double top = a + (b - a) * tx;
    const double bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

double ValueNoise::lattice(int ix, int iy, int period, quint32 salt) const
{
    const quint32 x = quint32(wrap(ix, period));
    const quint32 y = quint32(wrap(iy, period));
    const quint32 h =
        mix(m_seed ^ mix(x * 0x27D4EB2Du ^ mix(y * 0x165667B1u ^ (salt * 0x9E3779B9u))));
    return double(h) / 4294967295.0;
}
