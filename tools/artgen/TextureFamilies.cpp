#include "TextureFamilies.h"

#include "Rng.h"
#include "ValueNoise.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSqrt3 = 1.7320508075688772;

double clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

double smoothstep(double edge0, double edge1, double x)
{
    const double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

double fract(double v)
{
    return v - std::floor(v);
}

int positiveMod(int value, int modulus)
{
    const int r = value % modulus;
    return r < 0 ? r + modulus : r;
}

quint32 cellHash(int i, int j, quint32 seed)
{
    quint32 h = seed ^ (quint32(i) * 0x8DA6B343u) ^ (quint32(j) * 0xD8163841u);
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    t = clamp01(t);
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t),
                            float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

// Darkens towards black (amount < 0) or lightens towards white (amount > 0).
QColor tone(const QColor &c, double amount)
{
    return amount >= 0.0 ? mix(c, Qt::white, amount) : mix(c, Qt::black, -amount);
}

QColor rampAt(const QList<QColor> &ramp, double t)
{
    if (ramp.isEmpty())
        return Qt::white;
    if (ramp.size() == 1)
        return ramp.first();
    const double scaled = clamp01(t) * double(ramp.size() - 1);
    const int i = std::min(int(scaled), int(ramp.size()) - 2);
    return mix(ramp[i], ramp[i + 1], scaled - i);
}

QColor over(const QColor &below, const QColor &above)
{
    return mix(below, QColor(above.red(), above.green(), above.blue()), above.alphaF());
}

QImage blank(int size, const QColor &fill)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// A tile whose every pixel is colourAt(x, y): the common loop of the procedural families.
template <typename ColourAt> QImage perPixel(int size, ColourAt colourAt)
{
    QImage image(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size; ++x)
            line[x] = colourAt(x, y);
    }
    return image;
}

// Evaluates `shade` at samples x samples points inside every pixel and averages them:
// the anti-aliasing for the families whose shapes have hard edges.
template <typename Shade> QImage sampled(int size, int samples, Shade shade)
{
    const double inv = 1.0 / double(samples * samples);
    return perPixel(size, [&](int x, int y) {
        double r = 0.0, g = 0.0, b = 0.0;
        for (int sy = 0; sy < samples; ++sy) {
            for (int sx = 0; sx < samples; ++sx) {
                const QColor c = shade(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples);
                r += c.redF();
                g += c.greenF();
                b += c.blueF();
            }
        }
        return qRgb(qRound(r * inv * 255.0), qRound(g * inv * 255.0), qRound(b * inv * 255.0));
    });
}

// The colour of each pixel along one axis for bands repeating in order, each edge
// blurred over `softness` pixels. Colours keep their alpha for compositing.
QList<QColor> bandProfile(int size, const QList<Band> &bands, double softness)
{
    double period = 0.0;
    for (const Band &band : bands)
        period += band.width;
    QList<QColor> profile(size, QColor(0, 0, 0, 0));
    if (period <= 0.0)
        return profile;
    const double window = std::max(1.0, softness);
    constexpr int taps = 24;
    for (int x = 0; x < size; ++x) {
        double r = 0.0, g = 0.0, b = 0.0, a = 0.0;
        for (int k = 0; k < taps; ++k) {
            const double pos = x + 0.5 + ((k + 0.5) / taps - 0.5) * window;
            double offset = std::fmod(pos, period);
            if (offset < 0.0)
                offset += period;
            const QColor *colour = &bands.last().colour;
            for (const Band &band : bands) {
                if (offset < band.width) {
                    colour = &band.colour;
                    break;
                }
                offset -= band.width;
            }
            const double alpha = colour->alphaF();
            r += colour->redF() * alpha;
            g += colour->greenF() * alpha;
            b += colour->blueF() * alpha;
            a += alpha;
        }
        if (a > 0.0)
            profile[x] =
                QColor::fromRgbF(float(r / a), float(g / a), float(b / a), float(a / taps));
    }
    return profile;
}

void softDisc(QPainter &painter, const QPointF &centre, double radius, const QColor &colour,
              double softness)
{
    const double outer = radius + softness * 0.5;
    const double inner = std::max(0.0, radius - softness * 0.5);
    QRadialGradient fill(centre, outer);
    QColor clear = colour;
    clear.setAlpha(0);
    fill.setColorAt(0.0, colour);
    fill.setColorAt(inner / outer, colour);
    fill.setColorAt(1.0, clear);
    painter.setBrush(fill);
    painter.drawEllipse(centre, outer, outer);
}

QPainterPath starPath(double inner)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double angle = -kPi / 2.0 + i * kPi / 5.0;
        const double r = (i % 2 == 0) ? 1.0 : inner;
        const QPointF point(r * std::cos(angle), r * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

QPainterPath heartPath()
{
    QPainterPath path;
    path.moveTo(0.0, 0.9);
    path.cubicTo(-1.35, 0.05, -0.8, -1.05, 0.0, -0.42);
    path.cubicTo(0.8, -1.05, 1.35, 0.05, 0.0, 0.9);
    return path;
}

// One scattered item in unit space ([-1, 1] both ways), already rotated and scaled
// by the painter. `jitter` gives the item its own irregularities.
void paintItem(QPainter &painter, ScatterShape shape, const QColor &colour, int variant,
               const std::array<double, 6> &jitter)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    switch (shape) {
    case ScatterShape::Glow: {
        QRadialGradient glow(QPointF(0, 0), 1.0);
        QColor c = colour;
        c.setAlphaF(0.34f);
        glow.setColorAt(0.0, c);
        c.setAlphaF(0.42f);
        glow.setColorAt(0.72, c);
        c.setAlphaF(0.55f);
        glow.setColorAt(0.9, c);
        c.setAlphaF(0.0f);
        glow.setColorAt(1.0, c);
        painter.setBrush(glow);
        painter.drawEllipse(QPointF(0, 0), 1.0, 1.0);
        break;
    }
    case ScatterShape::Confetti:
        if (variant == 0) {
            painter.drawRoundedRect(QRectF(-1.0, -0.38, 2.0, 0.76), 0.3, 0.3);
        } else if (variant == 1) {
            painter.drawEllipse(QPointF(0, 0), 0.55, 0.55);
        } else {
            QPainterPath wedge;
            wedge.moveTo(0.0, -0.75);
            wedge.lineTo(0.75, 0.55);
            wedge.lineTo(-0.75, 0.55);
            wedge.closeSubpath();
            painter.setPen(QPen(colour, 0.25, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPath(wedge);
        }
        break;
    case ScatterShape::Heart:
        painter.drawPath(heartPath());
        break;
    case ScatterShape::Star:
        painter.setPen(QPen(colour, 0.18, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(starPath(0.46));
        break;
    case ScatterShape::Leaf: {
        QPainterPath leaf;
        leaf.moveTo(-1.0, 0.0);
        leaf.quadTo(-0.1, -0.78 - 0.1 * jitter[0], 1.0, 0.0);
        leaf.quadTo(-0.1, 0.78 + 0.1 * jitter[1], -1.0, 0.0);
        painter.drawPath(leaf);
        painter.setPen(QPen(tone(colour, 0.28), 0.09, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(-0.95, 0.0), QPointF(0.7, 0.0));
        break;
    }
    case ScatterShape::Flower:
        for (int petal = 0; petal < 5; ++petal) {
            painter.save();
            painter.rotate(petal * 72.0);
            painter.drawEllipse(QPointF(0.0, -0.5), 0.36, 0.52);
            painter.restore();
        }
        painter.setBrush(QColor(0xFF, 0xD1, 0x66));
        painter.drawEllipse(QPointF(0, 0), 0.27, 0.27);
        break;
    case ScatterShape::Snowflake:
        if (variant == 0) {
            painter.drawEllipse(QPointF(0, 0), 0.3, 0.3);
            break;
        }
        painter.setPen(QPen(colour, 0.17, Qt::SolidLine, Qt::RoundCap));
        for (int arm = 0; arm < 6; ++arm) {
            painter.save();
            painter.rotate(arm * 60.0);
            painter.drawLine(QPointF(0, 0), QPointF(0, -1.0));
            painter.drawLine(QPointF(0, -0.55), QPointF(-0.28, -0.8));
            painter.drawLine(QPointF(0, -0.55), QPointF(0.28, -0.8));
            painter.restore();
        }
        break;
    case ScatterShape::Chip: {
        QPolygonF chip;
        for (int i = 0; i < 6; ++i) {
            const double angle = i * kPi / 3.0 + 0.35 * jitter[(i + 3) % 6];
            const double r = 0.6 + 0.4 * std::abs(jitter[i]);
            chip << QPointF(r * std::cos(angle), r * std::sin(angle));
        }
        painter.drawPolygon(chip);
        break;
    }
    }
}

double scatterTurn(ScatterShape shape)
{
    switch (shape) {
    case ScatterShape::Heart:
        return 25.0;
    case ScatterShape::Flower:
    case ScatterShape::Snowflake:
        return 36.0;
    default:
        return 180.0;
    }
}

} // namespace

QImage wash(int size, const WashStyle &style)
{
    const ValueNoise body(style.seed, style.period);
    const ValueNoise pool(style.seed * 7919u + 13u, style.period);
    const int grainPeriod = std::max(1, size / 6);
    const ValueNoise grain(style.seed * 104729u + 7u, grainPeriod);
    return perPixel(size, [&](int x, int y) {
        const double u = (x + 0.5) / size;
        const double v = (y + 0.5) / size;
        const double n = body.fractal(u * style.period, v * style.period, style.octaves);
        double t = (n - 0.5) * style.contrast + 0.5;
        if (style.bloom > 0.0) {
            const double m = pool.fractal(u * style.period, v * style.period, 3);
            const double d = (m - 0.5) / 0.035;
            t += style.bloom * (0.6 * std::exp(-d * d) + 0.25 * smoothstep(0.45, 0.6, m));
        }
        if (style.grain > 0.0)
            t += (grain.fractal(u * grainPeriod, v * grainPeriod, 2) - 0.5) * 2.0 * style.grain;
        return rampAt(style.ramp, t).rgb();
    });
}

QImage gradient(int size, const GradientStyle &style)
{
    const ValueNoise noise(style.seed, 2);
    const QPointF dir = style.to - style.from;
    const double length2 = std::max(1e-9, QPointF::dotProduct(dir, dir));
    return perPixel(size, [&](int x, int y) {
        const QPointF p((x + 0.5) / size, (y + 0.5) / size);
        double t = QPointF::dotProduct(p - style.from, dir) / length2;
        t += style.swirl * (noise.fractal(p.x() * 2.0, p.y() * 2.0, 3) - 0.5) * 2.0;
        return rampAt(style.ramp, t).rgb();
    });
}

QImage dots(int size, const DotStyle &style)
{
    QImage image = blank(size, style.background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const double step = double(size) / style.perRow;
    for (int j = -1; j <= style.perRow; ++j) {
        const double shift = (style.staggered && positiveMod(j, 2) == 1) ? 0.5 : 0.0;
        for (int i = -1; i <= style.perRow; ++i) {
            const QPointF centre((i + 0.5 + shift) * step, (j + 0.5) * step);
            const double grow = 1.0 + style.growth * (centre.y() / size - 0.5) * 2.0;
            const double radius = style.radius * step * grow;
            if (radius > 0.0)
                softDisc(painter, centre, radius, style.dot, style.softness);
        }
    }
    return image;
}

QImage scatter(int size, const ScatterStyle &style)
{
    QImage image =
        style.backdrop.ramp.isEmpty() ? blank(size, style.background) : wash(size, style.backdrop);
    Rng rng(style.seed);

    // Best-candidate placement on a torus spreads the items evenly, and drawing each
    // one again a tile away lets them run over the edges without a seam.
    QList<QPointF> centres;
    for (int k = 0; k < style.count; ++k) {
        QPointF best;
        double bestDistance = -1.0;
        for (int candidate = 0; candidate < 24; ++candidate) {
            const QPointF p(rng.uniform() * size, rng.uniform() * size);
            double nearest = std::numeric_limits<double>::max();
            for (const QPointF &c : centres) {
                double dx = std::abs(p.x() - c.x());
                double dy = std::abs(p.y() - c.y());
                dx = std::min(dx, size - dx);
                dy = std::min(dy, size - dy);
                nearest = std::min(nearest, dx * dx + dy * dy);
            }
            if (nearest > bestDistance) {
                bestDistance = nearest;
                best = p;
            }
        }
        centres.append(best);
    }

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(style.opacity);
    for (const QPointF &centre : centres) {
        const double extent = rng.range(style.minSize, style.maxSize);
        const double turn = rng.range(-1.0, 1.0) * scatterTurn(style.shape);
        const QColor colour = style.palette[rng.below(int(style.palette.size()))];
        const int variant = rng.below(3);
        std::array<double, 6> jitter{};
        for (double &j : jitter)
            j = rng.range(-1.0, 1.0);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const QPointF at = centre + QPointF(dx * size, dy * size);
                if (at.x() + extent < 0 || at.x() - extent > size || at.y() + extent < 0 ||
                    at.y() - extent > size)
                    continue;
                painter.save();
                painter.translate(at);
                painter.rotate(turn);
                painter.scale(extent / 2.0, extent / 2.0);
                paintItem(painter, style.shape, colour, variant, jitter);
                painter.restore();
            }
        }
    }
    return image;
}

QImage stripes(int size, const QList<Band> &bands, Qt::Orientation orientation, double softness)
{
    const QList<QColor> profile = bandProfile(size, bands, softness);
    return perPixel(size, [&](int x, int y) {
        return over(Qt::white, profile[orientation == Qt::Vertical ? x : y]).rgb();
    });
}

QImage plaid(int size, const QColor &base, const QList<Band> &warp, const QList<Band> &weft,
             double softness)
{
    const QList<QColor> columns = bandProfile(size, warp, softness);
    const QList<QColor> rows = bandProfile(size, weft, softness);
    return perPixel(size,
                    [&](int x, int y) { return over(over(base, columns[x]), rows[y]).rgb(); });
}

QImage weave(int size, const WeaveStyle &style)
{
    // Threads are suggested by streaks of noise stretched along them rather than drawn
    // one by one: single threads would turn into blocks when the tile is enlarged.
    const ValueNoise warpNoise(style.seed, 64);
    const ValueNoise weftNoise(style.seed * 31u + 5u, 64);
    const ValueNoise cloth(style.seed * 57u + 9u, 2);
    const double threads = size / style.thread;
    return perPixel(size, [&](int x, int y) {
        const double u = (x + 0.5) / size;
        const double v = (y + 0.5) / size;
        double warp;
        double weft;
        if (style.twill > 1) {
            const double along = (u - v) * 0.7071;
            const double across = (u + v) * 0.7071;
            warp = warpNoise.fractal(across * threads, along * 3.0, 2);
            weft = weftNoise.fractal(u * threads * 0.5, v * 2.0, 2);
        } else {
            warp = warpNoise.fractal(u * threads, v * 3.0, 2);
            weft = weftNoise.fractal(u * 3.0, v * threads, 2);
        }
        const double t = 0.5 + (warp - weft) * 1.6;
        const QColor thread = mix(style.warp, style.weft, t);
        const double shade = style.relief * ((warp + weft) - 1.0) +
                             style.slub * (cloth.fractal(u * 2.0, v * 2.0, 3) - 0.5) * 2.0;
        return tone(thread, shade).rgb();
    });
}

QImage wood(int size, const WoodStyle &style)
{
    Rng rng(style.seed);
    const ValueNoise figure(style.seed, 2);
    const ValueNoise fibre(style.seed * 17u + 3u, 32);
    const double plankHeight = double(size) / style.planks;
    QList<double> plankTone, plankPhase, plankJoint;
    for (int k = 0; k < style.planks; ++k) {
        plankTone.append(rng.range(-0.1, 0.1));
        plankPhase.append(rng.uniform());
        plankJoint.append(rng.uniform() * size);
    }
    return sampled(size, 2, [&](double x, double y) {
        const int k = std::clamp(int(y / plankHeight), 0, style.planks - 1);
        const double inPlank = y - k * plankHeight;
        const double u = x / size;
        const double v = y / size;
        const double ring = fract(
            v * style.rings + 0.6 * figure.fractal(u * 1.2 + k * 0.37, v * 4.0, 3) + plankPhase[k]);
        const double late = smoothstep(0.5, 0.9, ring) * (1.0 - smoothstep(0.9, 1.0, ring));
        const double streak = fibre.fractal(u * 2.0, v * 24.0, 2) - 0.5;
        double t = 0.22 + 0.42 * late + 0.35 * streak + plankTone[k];
        double jointDistance = std::abs(x - plankJoint[k]);
        jointDistance = std::min(jointDistance, size - jointDistance);
        const double seam = std::min(inPlank, jointDistance);
        t += 0.55 * (1.0 - smoothstep(0.6, 2.2, seam));
        return mix(style.light, style.dark, t);
    });
}

QImage marble(int size, const MarbleStyle &style)
{
    const ValueNoise turbulence(style.seed, 3);
    const ValueNoise cloud(style.seed * 131u + 11u, 2);
    QImage image(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double v = (y + 0.5) / size;
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) / size;
            const double turb = turbulence.fractal(u * 3.0, v * 3.0, 5);
            const double phase = (u * 0.8 + v * 0.6) * style.veins * 2.0 * kPi + turb * 7.0;
            const double vein = std::pow(1.0 - std::abs(std::sin(phase)), style.sharpness);
            const double mottle = smoothstep(0.35, 0.75, cloud.fractal(u * 2.0, v * 2.0, 4));
            const QColor c =
                mix(mix(style.base, style.mottle, mottle * 0.7), style.vein, vein * 0.8);
            line[x] = c.rgb();
        }
    }
    return image;
}

QImage hexagons(int size, const QList<QColor> &palette, const QColor &grout, int across,
                quint32 seed)
{
    const double a = double(size) / (2.0 * across); // centre to flat side
    const double rowStep = kSqrt3 * a;
    return sampled(size, 3, [&](double x, double y) {
        double best = std::numeric_limits<double>::max();
        int bi = 0, bj = 0;
        QPointF centre;
        const int row = int(std::round(y / rowStep));
        for (int j = row - 1; j <= row + 1; ++j) {
            const double offset = positiveMod(j, 2) == 1 ? a : 0.0;
            const int col = int(std::round((x - offset) / (2.0 * a)));
            for (int i = col - 1; i <= col + 1; ++i) {
                const QPointF c(i * 2.0 * a + offset, j * rowStep);
                const double d = std::hypot(x - c.x(), y - c.y());
                if (d < best) {
                    best = d;
                    bi = i;
                    bj = j;
                    centre = c;
                }
            }
        }
        const double px = std::abs(x - centre.x());
        const double py = std::abs(y - centre.y());
        const double inside = a - std::max(px, 0.5 * px + 0.5 * kSqrt3 * py);
        if (inside < 1.6)
            return grout;
        const QColor cell =
            palette[int(cellHash(positiveMod(bi, across), bj, seed) % quint32(palette.size()))];
        return tone(cell, 0.1 * smoothstep(a * 0.2, a, inside) - 0.05);
    });
}

QImage scales(int size, const QList<QColor> &rings, int across)
{
    const double radius = double(size) / (2.0 * across);
    const double rowStep = radius / 2.0;
    return sampled(size, 3, [&](double x, double y) {
        const int lowest = int(std::ceil((y + radius) / rowStep));
        for (int j = lowest; j >= lowest - 6; --j) {
            const double offset = positiveMod(j, 2) == 1 ? radius : 0.0;
            const double cy = j * rowStep;
            const int i = int(std::round((x - offset) / (2.0 * radius)));
            const double d = std::hypot(x - (i * 2.0 * radius + offset), y - cy);
            if (d < radius) {
                const int ring = std::min(int(d / radius * rings.size()), int(rings.size()) - 1);
                return rings[ring];
            }
        }
        return rings.last();
    });
}

QImage chevrons(int size, const QList<QColor> &palette, int rows, int zigzags)
{
    return sampled(size, 4, [&](double x, double y) {
        const double zig = std::abs(2.0 * (fract(x / size * zigzags) - 0.5));
        const double t = y / size * rows + 0.5 * zig;
        return palette[positiveMod(int(std::floor(t)), int(palette.size()))];
    });
}

QImage basketWeave(int size, const QColor &light, const QColor &dark, int cells)
{
    const double cell = double(size) / cells;
    return sampled(size, 3, [&](double x, double y) {
        const int i = int(x / cell);
        const int j = int(y / cell);
        const bool horizontal = (i + j) % 2 == 0;
        const double local = horizontal ? (y - j * cell) : (x - i * cell);
        const double slat = local / (cell / 3.0);
        const int k = std::min(int(slat), 2);
        const double f = slat - k;
        const double edge = std::min(f, 1.0 - f) * (cell / 3.0);
        double t = 0.25 + 0.12 * ((k + i + j) % 2) - 0.12 * std::sin(kPi * f);
        t += 0.45 * (1.0 - smoothstep(0.4, 1.8, edge));
        const double end = horizontal ? std::min(x - i * cell, (i + 1) * cell - x)
                                      : std::min(y - j * cell, (j + 1) * cell - y);
        t += 0.3 * (1.0 - smoothstep(0.4, 1.8, end));
        return mix(light, dark, t);
    });
}

QImage bricks(int size, const QList<QColor> &palette, const QColor &mortar, int rows, quint32 seed)
{
    const ValueNoise noise(seed, 4);
    const double h = double(size) / rows;
    const double w = 2.0 * h;
    const int perRow = std::max(1, int(std::round(size / w)));
    return sampled(size, 2, [&](double x, double y) {
        const int j = int(y / h);
        const double shifted = x + (j % 2 == 1 ? w / 2.0 : 0.0);
        const int i = int(std::floor(shifted / w));
        const double lx = shifted - i * w;
        const double ly = y - j * h;
        const double edge = std::min({lx, w - lx, ly, h - ly});
        const QColor brick =
            palette[int(cellHash(positiveMod(i, perRow), j, seed) % quint32(palette.size()))];
        const double mottle = noise.fractal(x / size * 4.0, y / size * 4.0, 3) - 0.5;
        const QColor face = tone(brick, 0.18 * mottle);
        return mix(mortar, face, smoothstep(1.2, 2.6, edge));
    });
}

QImage tiles(int size, const QColor &tile, const QColor &grout, int rows)
{
    const double h = double(size) / rows;
    const double w = 2.0 * h;
    return sampled(size, 2, [&](double x, double y) {
        const int j = int(y / h);
        const double shifted = x + (j % 2 == 1 ? w / 2.0 : 0.0);
        const double lx = shifted - std::floor(shifted / w) * w;
        const double ly = y - j * h;
        const double edge = std::min({lx, w - lx, ly, h - ly});
        const double bevel =
            0.35 * std::exp(-ly / 2.5) - 0.12 * std::exp(-(h - ly) / 3.0) + 0.06 * (0.5 - ly / h);
        return mix(grout, tone(tile, bevel), smoothstep(1.0, 2.4, edge));
    });
}

QImage diamonds(int size, const QColor &a, const QColor &b, const QColor &line, int across)
{
    const double w = double(size) / across;
    const double h = double(size) / std::max(1, int(std::round(across * 0.75)));
    const double slope = std::sqrt(1.0 / (w * w) + 1.0 / (h * h));
    return sampled(size, 4, [&](double x, double y) {
        const double u = x / w + y / h;
        const double v = x / w - y / h;
        const bool odd = (int(std::floor(u)) + int(std::floor(v))) % 2 != 0;
        const double du = std::min(fract(u), 1.0 - fract(u)) / slope;
        const double dv = std::min(fract(v), 1.0 - fract(v)) / slope;
        if (std::min(du, dv) < 1.0)
            return line;
        return odd ? a : b;
    });
}

QImage lowPoly(int size, const QList<QColor> &ramp, int cells, quint32 seed)
{
    const double cell = double(size) / cells;
    return sampled(size, 4, [&](double x, double y) {
        const int i = int(x / cell);
        const int j = int(y / cell);
        const double fx = x / cell - i;
        const double fy = y / cell - j;
        const bool flip = (i + j) % 2 == 0;
        const bool upper = flip ? fx > fy : fx + fy < 1.0;
        const int which = upper ? 0 : 1;
        const double jitter = double(cellHash(i * 2 + which, j, seed) % 1000u) / 1000.0 - 0.5;
        const double t = (x + y) / (2.0 * size) + 0.4 * jitter;
        return rampAt(ramp, t);
    });
}

QImage waves(int size, const QList<QColor> &palette, int rows, int crests)
{
    const double band = double(size) / rows;
    return sampled(size, 4, [&](double x, double y) {
        const double t = y / band + 0.3 * std::sin(2.0 * kPi * x / size * crests);
        const int k = positiveMod(int(std::floor(t)), int(palette.size()));
        const double fromEdge = fract(t) * band;
        QColor c = palette[k];
        if (fromEdge < 2.0)
            c = mix(c, Qt::white, 0.55);
        return c;
    });
}

QImage sunburst(int size, const QColor &a, const QColor &b, const QColor &glow, int rays)
{
    const QPointF centre(size * 0.5, size * 1.1);
    return sampled(size, 4, [&](double x, double y) {
        const double angle = std::atan2(y - centre.y(), x - centre.x());
        const int ray = int(std::floor((angle + kPi) / (2.0 * kPi) * rays * 2.0));
        const double distance = std::hypot(x - centre.x(), y - centre.y()) / size;
        const QColor c = (ray % 2 == 0) ? a : b;
        return mix(c, glow, 0.75 * std::exp(-distance * 2.2));
    });
}

QImage arcs(int size, const QList<QColor> &palette, double bandWidth)
{
    return sampled(size, 4, [&](double x, double y) {
        const double d = std::hypot(x, y - size);
        return palette[positiveMod(int(d / bandWidth), int(palette.size()))];
    });
}

QImage argyle(int size, const QList<QColor> &palette, const QColor &line)
{
    const double w = size / 3.0;
    const double h = size / 2.0;
    const double slope = std::sqrt(1.0 / (w * w) + 1.0 / (h * h));
    return sampled(size, 4, [&](double x, double y) {
        const double u = x / w + y / h;
        const double v = x / w - y / h;
        const int fu = int(std::floor(u));
        const int fv = int(std::floor(v));
        QColor c = positiveMod(fu + fv, 2) == 0 ? palette[0] : palette[1 + positiveMod(fu, 2)];
        const double du = std::abs(fract(u) - 0.5) / slope;
        const double dv = std::abs(fract(v) - 0.5) / slope;
        if (std::min(du, dv) < 1.1)
            c = mix(c, line, 0.8);
        return c;
    });
}

QImage blocks(int size, const QList<QColor> &palette, const QColor &gap, int splits, quint32 seed)
{
    Rng rng(seed);
    QList<QRectF> pending{QRectF(0, 0, size, size)};
    QList<QRectF> leaves;
    for (int depth = 0; depth < splits; ++depth) {
        QList<QRectF> next;
        for (const QRectF &r : pending) {
            const bool vertical = r.width() > r.height() * 1.2 ||
                                  (r.height() <= r.width() * 1.2 && rng.below(2) == 0);
            const double extent = vertical ? r.width() : r.height();
            if (extent < size * 0.22 || (depth > 1 && rng.below(4) == 0)) {
                leaves.append(r);
                continue;
            }
            const double cut = std::round(extent * rng.range(0.35, 0.65));
            if (vertical) {
                next.append(QRectF(r.left(), r.top(), cut, r.height()));
                next.append(QRectF(r.left() + cut, r.top(), r.width() - cut, r.height()));
            } else {
                next.append(QRectF(r.left(), r.top(), r.width(), cut));
                next.append(QRectF(r.left(), r.top() + cut, r.width(), r.height() - cut));
            }
        }
        pending = next;
    }
    leaves.append(pending);

    QImage image = blank(size, gap);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (const QRectF &leaf : leaves) {
        painter.setBrush(palette[rng.below(int(palette.size()))]);
        painter.drawRoundedRect(leaf.adjusted(2.5, 2.5, -2.5, -2.5), 4.0, 4.0);
    }
    return image;
}

QImage graphPaper(int size, const QColor &paper, const QColor &line, int minor, int major)
{
    return sampled(size, 4, [&](double x, double y) {
        auto distance = [](double p, int step) {
            const double f = std::fmod(p, double(step));
            return std::min(f, step - f);
        };
        const double dMajor = std::min(distance(x, major), distance(y, major));
        const double dMinor = std::min(distance(x, minor), distance(y, minor));
        if (dMajor < 1.25)
            return mix(paper, line, 0.75);
        if (dMinor < 0.8)
            return mix(paper, line, 0.38);
        return paper;
    });
}

QImage soften(const QImage &image)
{
    const int w = image.width();
    const int h = image.height();
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    QImage result(w, h, QImage::Format_RGB32);
    auto at = [&](int x, int y) {
        return reinterpret_cast<const QRgb *>(
            source.constScanLine(std::clamp(y, 0, h - 1)))[std::clamp(x, 0, w - 1)];
    };
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int r = 0, g = 0, b = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int weight = (dx == 0 ? 2 : 1) * (dy == 0 ? 2 : 1);
                    const QRgb p = at(x + dx, y + dy);
                    r += qRed(p) * weight;
                    g += qGreen(p) * weight;
                    b += qBlue(p) * weight;
                }
            }
            line[x] = qRgb((r + 8) / 16, (g + 8) / 16, (b + 8) / 16);
        }
    }
    return result;
}

QImage checks(int size, const QColor &a, const QColor &b, int across)
{
    const double cell = double(size) / across;
    return sampled(size, 2, [&](double x, double y) {
        return (int(x / cell) + int(y / cell)) % 2 == 0 ? a : b;
    });
}
