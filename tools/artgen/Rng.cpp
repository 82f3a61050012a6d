#include "Rng.h"

quint64 Rng::next()
{
    // splitmix64
    m_state += 0x9E3779B97F4A7C15ull;
    quint64 z = m_state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::uniform()
{
    return double(next() >> 11) * (1.0 / 9007199254740992.0);
}

double Rng::range(double low, double high)
{
    return low + (high - low) * uniform();
}

int Rng::below(int count)
{
    return int(next() % quint64(count));
}
