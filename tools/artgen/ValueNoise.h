#pragma once

#include <QtGlobal>

// Smooth value noise on a square lattice that repeats every `period` cells in both
// directions, so a texture built from it can be laid side by side without a seam.
class ValueNoise
{
public:
    ValueNoise(quint32 seed, int period);

    // Noise in [0, 1] at (x, y) measured in lattice cells: the sum of `octaves` layers,
    // each at twice the frequency and `gain` times the weight of the one before, scaled
    // back to [0, 1]. It still repeats every `period` cells.
    double fractal(double x, double y, int octaves, double gain = 0.5) const;

private:
    double layer(double x, double y, int period, quint32 salt) const;
    double lattice(int ix, int iy, int period, quint32 salt) const;

    quint32 m_seed;
    int m_period;
};
