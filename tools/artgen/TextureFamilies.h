#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>

// Procedural families from which every texture tile is made. Each returns an opaque
// square tile of `size` pixels. The editor enlarges one tile to the whole canvas
// without smoothing, so the families work in soft, broad strokes: smooth noise,
// wide bands, anti-aliased shapes well above one pixel.

struct WashStyle
{
    QList<QColor> ramp; // from the lightest to the deepest tone
    int period = 3;     // noise cells across the tile
    int octaves = 4;
    double contrast = 1.6;
    quint32 seed = 1;
    double bloom = 0.0; // pooled-pigment rims, as where a watercolour wash dries
    double grain = 0.0; // broad mottling on top, in ramp units
};
QImage wash(int size, const WashStyle &style);

struct GradientStyle
{
    QList<QColor> ramp;
    QPointF from; // tile fractions; the ramp runs from `from` to `to`
    QPointF to;
    double swirl = 0.0; // how far noise bends the bands, in ramp units
    quint32 seed = 1;
};
QImage gradient(int size, const GradientStyle &style);

struct DotStyle
{
    QColor background;
    QColor dot;
    int perRow = 8;         // dots across the tile
    double radius = 0.25;   // fraction of the dot spacing
    bool staggered = false; // every other row shifted by half a step
    double softness = 1.5;  // edge width in pixels
    double growth = 0.0;    // halftone: the radius grows by this fraction towards the bottom
};
QImage dots(int size, const DotStyle &style);

enum class ScatterShape
{
    Glow,
    Confetti,
    Heart,
    Star,
    Leaf,
    Flower,
    Snowflake,
    Chip
};

struct ScatterStyle
{
    QColor background;
    QList<QColor> palette;
    ScatterShape shape = ScatterShape::Confetti;
    int count = 30;
    double minSize = 10.0; // pixels
    double maxSize = 20.0;
    double opacity = 1.0;
    quint32 seed = 1;
    WashStyle backdrop; // used instead of `background` when its ramp is not empty
};
QImage scatter(int size, const ScatterStyle &style);

struct Band
{
    QColor colour; // its alpha is how much of the band shows over the base
    double width;  // pixels
};
QImage stripes(int size, const QList<Band> &bands, Qt::Orientation orientation,
               double softness = 1.5);
QImage plaid(int size, const QColor &base, const QList<Band> &warp, const QList<Band> &weft,
             double softness = 1.5);

struct WeaveStyle
{
    QColor warp;
    QColor weft;
    double thread = 5.0;  // pixels per thread: the width of the streaks
    int twill = 1;        // 1 a plain weave; more gives the diagonal streaks of a twill
    double relief = 0.18; // how much the streaks lighten and darken the cloth
    double slub = 0.12;   // broad unevenness of the cloth
    quint32 seed = 1;
};
QImage weave(int size, const WeaveStyle &style);

struct WoodStyle
{
    QColor light;
    QColor dark;
    int planks = 5;
    double rings = 6.0;
    quint32 seed = 1;
};
QImage wood(int size, const WoodStyle &style);

struct MarbleStyle
{
    QColor base;
    QColor mottle;
    QColor vein;
    double veins = 1.5;
    double sharpness = 6.0;
    quint32 seed = 1;
};
QImage marble(int size, const MarbleStyle &style);

QImage hexagons(int size, const QList<QColor> &palette, const QColor &grout, int across,
                quint32 seed);
QImage scales(int size, const QList<QColor> &rings, int across);
QImage chevrons(int size, const QList<QColor> &palette, int rows, int zigzags);
QImage basketWeave(int size, const QColor &light, const QColor &dark, int cells);
QImage bricks(int size, const QList<QColor> &palette, const QColor &mortar, int rows, quint32 seed);
QImage tiles(int size, const QColor &tile, const QColor &grout, int rows);
QImage diamonds(int size, const QColor &a, const QColor &b, const QColor &line, int across);
QImage lowPoly(int size, const QList<QColor> &ramp, int cells, quint32 seed);
QImage waves(int size, const QList<QColor> &palette, int rows, int crests);
QImage sunburst(int size, const QColor &a, const QColor &b, const QColor &glow, int rays);
QImage arcs(int size, const QList<QColor> &palette, double bandWidth);
QImage argyle(int size, const QList<QColor> &palette, const QColor &line);
QImage blocks(int size, const QList<QColor> &palette, const QColor &gap, int splits, quint32 seed);
QImage graphPaper(int size, const QColor &paper, const QColor &line, int minor, int major);
QImage checks(int size, const QColor &a, const QColor &b, int across);

// A light blur. Hard edges enlarged without smoothing show every pixel step; blurred a
// little first, the steps are gentler. The border pixels are repeated rather than
// wrapped, as most tiles do not continue across their edges.
QImage soften(const QImage &image);
