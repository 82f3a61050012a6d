#pragma once

#include <QtGlobal>

// A small seeded generator. The art must come out the same on every run and every
// machine, so neither std::random_device nor the std distributions (whose results are
// left to the library) are used.
class Rng
{
public:
    explicit Rng(quint64 seed) : m_state(seed) {}

    quint64 next();
    // Uniform in [0, 1).
    double uniform();
    // Uniform in [low, high).
    double range(double low, double high);
    // Uniform in [0, count); count must be positive.
    int below(int count);

private:
    quint64 m_state;
};
