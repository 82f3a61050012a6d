#include "TextureCatalogue.h"

#include "TextureFamilies.h"

namespace {

QColor hex(quint32 rgb)
{
    return QColor::fromRgb(QRgb(0xFF000000u | rgb));
}

QColor hex(quint32 rgb, double alpha)
{
    QColor c = hex(rgb);
    c.setAlphaF(float(alpha));
    return c;
}

const QColor clear(0, 0, 0, 0);

WashStyle watercolour(QList<QColor> ramp, quint32 seed)
{
    WashStyle style;
    style.ramp = std::move(ramp);
    style.period = 3;
    style.octaves = 5;
    style.contrast = 1.7;
    style.bloom = 0.35;
    style.seed = seed;
    return style;
}

WashStyle paper(QList<QColor> ramp, int period, double contrast, double grain, quint32 seed)
{
    WashStyle style;
    style.ramp = std::move(ramp);
    style.period = period;
    style.octaves = 4;
    style.contrast = contrast;
    style.grain = grain;
    style.seed = seed;
    return style;
}

QList<Band> gingham(const QColor &colour, double width)
{
    return {{colour, width}, {clear, width}};
}

TextureSpec tile(const char *number, std::function<QImage(int)> paint)
{
    return {QStringLiteral("pattern_%1.png").arg(QLatin1String(number)), 200, std::move(paint)};
}

} // namespace

QList<TextureSpec> textureCatalogue()
{
    QList<TextureSpec> list;

    list << tile("036", [](int s) {
        WeaveStyle linen{hex(0xEEE7DA), hex(0xDDD2BF), 5.0, 1, 0.1, 0.06, 36};
        return weave(s, linen);
    });
    list << tile("040", [](int s) {
        return soften(dots(s, {hex(0xF9D5DE), hex(0xFFFFFF), 8, 0.22, true, 1.6, 0.0}));
    });
    list << tile("061", [](int s) {
        return wash(s, paper({hex(0xDCBF94), hex(0xCBA877), hex(0xB38C5C)}, 3, 1.5, 0.08, 61));
    });
    list << tile("064", [](int s) {
        return stripes(
            s, {{hex(0xF4B6C8), 16}, {hex(0xFFF7F9), 9}, {hex(0xF9D3DE), 6}, {hex(0xFFF7F9), 9}},
            Qt::Vertical, 2.0);
    });
    list << tile("094", [](int s) {
        return soften(dots(s, {hex(0x27365A), hex(0xF5F1E8), 6, 0.2, true, 1.8, 0.0}));
    });
    list << tile("095", [](int s) {
        return wash(s, watercolour({hex(0xF3F8FC), hex(0xCFE3F3), hex(0x9EC5E6)}, 95));
    });
    list << tile("104", [](int s) {
        return plaid(s, hex(0xFFFFFF), gingham(hex(0xE0525B, 0.5), 12.5),
                     gingham(hex(0xE0525B, 0.5), 12.5));
    });
    list << tile("109", [](int s) {
        ScatterStyle style;
        style.background = hex(0xFFFDF8);
        style.palette = {hex(0xFF7A7A), hex(0xFFC145), hex(0x2EC4B6),
                         hex(0x5AA9E6), hex(0x9B7EDE), hex(0xF78FB3)};
        style.shape = ScatterShape::Confetti;
        style.count = 38;
        style.minSize = 10;
        style.maxSize = 18;
        style.seed = 109;
        return soften(scatter(s, style));
    });
    list << tile("114", [](int s) { return wood(s, {hex(0xEBD3AE), hex(0xA9794A), 5, 7.0, 114}); });
    list << tile("128", [](int s) {
        return marble(s, {hex(0xF7F6F3), hex(0xE8E6E1), hex(0xA7A8AF), 1.2, 5.0, 128});
    });
    list << tile("129", [](int s) {
        ScatterStyle style;
        style.backdrop = paper({hex(0x2B1E3D), hex(0x4A2A50), hex(0x6B3558)}, 2, 1.3, 0.0, 129);
        style.palette = {hex(0xFFC98B), hex(0xFF9AA2), hex(0xFFE3A3), hex(0xF7B2D9)};
        style.shape = ScatterShape::Glow;
        style.count = 22;
        style.minSize = 30;
        style.maxSize = 70;
        style.seed = 129;
        return scatter(s, style);
    });
    list << tile("130", [](int s) {
        return gradient(s, {{hex(0xFFE2B8), hex(0xFFC0A8), hex(0xF7A1B5), hex(0xC9A7E0)},
                            QPointF(0.5, 0.0),
                            QPointF(0.5, 1.0),
                            0.08,
                            130});
    });
    list << tile("131", [](int s) {
        return wash(s, watercolour({hex(0xF3FBF7), hex(0xCDEFE2), hex(0x9EDCC8)}, 131));
    });
    list << tile("132", [](int s) {
        return soften(
            hexagons(s, {hex(0xFDE2E4), hex(0xE2ECE9), hex(0xFFF1E6), hex(0xDFE7FD), hex(0xF0EFEB)},
                     hex(0xFFFFFF), 5, 132));
    });
    list << tile("133", [](int s) {
        return stripes(s, {{hex(0x1F3B63), 14}, {hex(0xF8F4EA), 26}}, Qt::Horizontal, 1.5);
    });
    list << tile("134", [](int s) {
        ScatterStyle style;
        style.backdrop = paper({hex(0xF6F1E8), hex(0xEDE6DA)}, 3, 1.4, 0.05, 134);
        style.palette = {hex(0xE88D72), hex(0x6FA8A0), hex(0xF2C14E), hex(0x2F4858), hex(0xD7BBA8)};
        style.shape = ScatterShape::Chip;
        style.count = 46;
        style.minSize = 7;
        style.maxSize = 16;
        style.seed = 134;
        return soften(scatter(s, style));
    });
    list << tile("135", [](int s) {
        ScatterStyle style;
        style.backdrop = paper({hex(0xFDEEF1), hex(0xFADCE3)}, 2, 1.4, 0.0, 135);
        style.palette = {hex(0xF26D85), hex(0xF79AAE), hex(0xE94F64)};
        style.shape = ScatterShape::Heart;
        style.count = 22;
        style.minSize = 16;
        style.maxSize = 28;
        style.seed = 135;
        return soften(scatter(s, style));
    });
    list << tile("136", [](int s) {
        ScatterStyle style;
        style.backdrop = paper({hex(0x2C3A66), hex(0x22304F), hex(0x1B2642)}, 2, 1.4, 0.0, 136);
        style.palette = {hex(0xFFE08A), hex(0xFFF3C4), hex(0xFFD166)};
        style.shape = ScatterShape::Star;
        style.count = 26;
        style.minSize = 8;
        style.maxSize = 20;
        style.seed = 136;
        return soften(scatter(s, style));
    });
    list << tile("137", [](int s) {
        return soften(
            chevrons(s, {hex(0xBFD7EA), hex(0xFFFFFF), hex(0xF9E0AE), hex(0xFFFFFF)}, 8, 5));
    });
    list << tile("138", [](int s) {
        WeaveStyle denim{hex(0x34547E), hex(0x5D7CA5), 6.0, 3, 0.08, 0.16, 138};
        return weave(s, denim);
    });
    list << tile("139", [](int s) {
        return wash(s, watercolour({hex(0xFFF6F1), hex(0xFAD4CB), hex(0xF2A7A0)}, 139));
    });
    list << tile("140", [](int s) {
        return wash(s, paper({hex(0xFFFEFA), hex(0xFBF5EC), hex(0xF3E8D8)}, 2, 1.25, 0.05, 140));
    });
    list << tile("148", [](int s) {
        return plaid(s, hex(0xF1F4EE), gingham(hex(0x2F5D50, 0.6), 25.0),
                     gingham(hex(0x2F5D50, 0.6), 25.0));
    });
    list << tile("149", [](int s) {
        return gradient(s, {{hex(0x16324F), hex(0x1C6E7D), hex(0x46B7A0), hex(0x7B6CC4)},
                            QPointF(0.0, 1.0),
                            QPointF(1.0, 0.0),
                            0.18,
                            149});
    });
    list << tile("170", [](int s) {
        WashStyle sky = paper({hex(0x8EC5EE), hex(0xBFE0F7), hex(0xFFFFFF)}, 2, 2.0, 0.0, 170);
        sky.octaves = 5;
        return wash(s, sky);
    });
    list << tile("180", [](int s) {
        return wash(s, paper({hex(0xD9D8D5), hex(0xC8C6C2), hex(0xB3B1AC)}, 4, 1.4, 0.12, 180));
    });
    list << tile("185", [](int s) {
        return bricks(s, {hex(0xB5573F), hex(0xC0654A), hex(0xA84D38), hex(0xC97A5C)},
                      hex(0xE3DDD2), 8, 185);
    });
    list << tile("191", [](int s) { return tiles(s, hex(0xF7F7F4), hex(0xD7D6D0), 8); });
    list << tile("213", [](int s) {
        ScatterStyle style;
        style.background = hex(0xF5F1E6);
        style.palette = {hex(0x8DB596), hex(0x6E9F7F), hex(0xA9C5A0), hex(0x5E8B6B)};
        style.shape = ScatterShape::Leaf;
        style.count = 26;
        style.minSize = 22;
        style.maxSize = 38;
        style.seed = 213;
        return soften(scatter(s, style));
    });
    list << tile("229", [](int s) {
        return soften(diamonds(s, hex(0xF9D6D5), hex(0xFFF8F0), hex(0xFFFFFF), 4));
    });
    list << tile("230", [](int s) {
        return soften(
            lowPoly(s, {hex(0xA0E1E4), hex(0xB8C7F0), hex(0xD7B9EC), hex(0xF5C0D7)}, 6, 230));
    });
    list << tile("237", [](int s) {
        const double w = s / 6.0;
        return stripes(s,
                       {{hex(0xF9C6C9), w},
                        {hex(0xFBE0C4), w},
                        {hex(0xFFF3C4), w},
                        {hex(0xD4F0D0), w},
                        {hex(0xC9E4F5), w},
                        {hex(0xDCCFF2), w}},
                       Qt::Horizontal, 2.0);
    });
    list << tile("248", [](int s) {
        return soften(blocks(s,
                             {hex(0xF4D6CC), hex(0xF4B393), hex(0xFCE8C3), hex(0xC6DABF),
                              hex(0xB8D8E8), hex(0xE3D0F5)},
                             hex(0xFFFFFF), 4, 248));
    });
    list << tile("250", [](int s) {
        return soften(waves(
            s, {hex(0xEAF6F6), hex(0xC5E8E6), hex(0x9FD7D6), hex(0x74C0C8), hex(0x4FA3B5)}, 10, 2));
    });
    list << tile("251", [](int s) { return graphPaper(s, hex(0xFBFCFE), hex(0x9DC3E6), 20, 100); });
    list << tile("255", [](int s) {
        return soften(dots(s, {hex(0xFBF8F1), hex(0xC9C2B5), 10, 0.12, false, 1.2, 0.0}));
    });
    list << tile("257", [](int s) {
        const QList<Band> sett{
            {hex(0x1F2E4F, 0.7), 20}, {clear, 8},  {hex(0xC8463F, 0.65), 5}, {clear, 8},
            {hex(0x1F2E4F, 0.5), 8},  {clear, 14}, {hex(0xE8C547, 0.55), 3}, {clear, 34}};
        return plaid(s, hex(0x3A6150), sett, sett);
    });
    list << tile("259", [](int s) {
        ScatterStyle style;
        style.background = hex(0xDDEFE6);
        style.palette = {hex(0xFFFFFF), hex(0xF9C5D1), hex(0xFDE2B8)};
        style.shape = ScatterShape::Flower;
        style.count = 24;
        style.minSize = 18;
        style.maxSize = 32;
        style.seed = 259;
        return soften(scatter(s, style));
    });
    list << tile("272", [](int s) {
        ScatterStyle style;
        style.backdrop = paper({hex(0xE3EFF9), hex(0xC8DEF2)}, 2, 1.4, 0.0, 272);
        style.palette = {hex(0xFFFFFF)};
        style.shape = ScatterShape::Snowflake;
        style.count = 30;
        style.minSize = 16;
        style.maxSize = 34;
        style.seed = 272;
        return soften(scatter(s, style));
    });
    list << tile("273", [](int s) {
        return soften(dots(s, {hex(0xFFF6EC), hex(0xF29A8C), 12, 0.28, true, 1.4, 0.8}));
    });
    list << tile("274", [](int s) {
        return soften(scales(s, {hex(0xF5EFE3), hex(0xA7C4DB), hex(0xF5EFE3), hex(0x5B84A8)}, 4));
    });
    list << tile("275", [](int s) { return basketWeave(s, hex(0xE9D5B0), hex(0xA67C4E), 5); });
    list << tile("276", [](int s) {
        return soften(sunburst(s, hex(0xFFE7B3), hex(0xFFDC94), hex(0xFFF8E6), 18));
    });
    list << tile("277", [](int s) {
        return marble(s, {hex(0x2E3338), hex(0x3C4249), hex(0xD9D4CB), 1.0, 5.0, 277});
    });
    list << tile("280", [](int s) { return wood(s, {hex(0x8A5A3B), hex(0x4A2C1C), 4, 8.0, 280}); });
    list << tile("283", [](int s) {
        return soften(argyle(s, {hex(0xEDE3D1), hex(0xC25B56), hex(0x4A6378)}, hex(0xF7F2E8)));
    });
    list << tile("294", [](int s) {
        return wash(s, paper({hex(0xF3E3C3), hex(0xE8D2A8), hex(0xD9BD8B)}, 3, 1.3, 0.15, 294));
    });
    list << tile("295", [](int s) { return checks(s, hex(0xDCE8DA), hex(0xF7F5EE), 8); });
    list << tile("296", [](int s) {
        return soften(arcs(s,
                           {hex(0xF7C8C1), hex(0xFBE3C5), hex(0xFDF3D0), hex(0xD5EBD6),
                            hex(0xCFE3F3), hex(0xE2D6F0)},
                           22.0));
    });

    list << TextureSpec{
        QStringLiteral("Pattern1.png"), 198, [](int s) {
            return wash(s, watercolour({hex(0xF8F5FD), hex(0xE3D9F6), hex(0xC6B4EC)}, 1001));
        }};
    list << TextureSpec{QStringLiteral("Pattern2.png"), 200, [](int s) {
                            return plaid(s, hex(0xFFFFFF), gingham(hex(0x5B8FD6, 0.5), 10.0),
                                         gingham(hex(0x5B8FD6, 0.5), 10.0));
                        }};
    list << TextureSpec{QStringLiteral("Pattern3.png"), 180, [](int s) {
                            ScatterStyle style;
                            style.backdrop = paper({hex(0xD6AE7A), hex(0xC0915C), hex(0xA57645)}, 4,
                                                   1.6, 0.2, 1003);
                            style.palette = {hex(0xB07B45), hex(0xDDB783), hex(0x8F6035)};
                            style.shape = ScatterShape::Chip;
                            style.count = 60;
                            style.minSize = 4;
                            style.maxSize = 8;
                            style.opacity = 0.55;
                            style.seed = 1003;
                            return soften(scatter(s, style));
                        }};
    return list;
}
