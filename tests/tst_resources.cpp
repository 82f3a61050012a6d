#include "ArtGenerator.h"
#include "IconCatalogue.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtEndian>
#include <cmath>

namespace {

const QString root = QStringLiteral(":/resources/images/");

const QStringList textureNumbers{
    "036", "040", "061", "064", "094", "095", "104", "109", "114", "128", "129", "130", "131",
    "132", "133", "134", "135", "136", "137", "138", "139", "140", "148", "149", "170", "180",
    "185", "191", "213", "229", "230", "237", "248", "250", "251", "255", "257", "259", "272",
    "273", "274", "275", "276", "277", "280", "283", "294", "295", "296"};

QStringList texturePaths()
{
    QStringList paths;
    for (const QString &number : textureNumbers)
        paths << root + QStringLiteral("Pattern/pattern_%1.png").arg(number);
    for (int i = 1; i <= 3; ++i)
        paths << root + QStringLiteral("Pattern/Pattern%1.png").arg(i);
    return paths;
}

QSize textureSize(const QString &path)
{
    if (path.endsWith(QLatin1String("Pattern1.png")))
        return {198, 198};
    if (path.endsWith(QLatin1String("Pattern3.png")))
        return {180, 180};
    return {200, 200};
}

struct SvgArt
{
    const char *file;
    const char *viewBox;
};

const SvgArt svgArt[] = {
    {"Sticker/Ballons.svg", "0 0 190.34 312.96"},
    {"Sticker/Gift.svg", "0 0 208.46 215.96"},
    {"Sticker/HatBlack.svg", "0 0 281.75 164.74"},
    {"Sticker/FedoraRed.svg", "0 0 237.09 161.74"},
    {"Sticker/HatBirthday.svg", "0 0 116.29 180.2"},
    {"Sticker/CakeBirthday.svg", "0 0 254.67 228.87"},
    {"Sticker/Trumpet.svg", "0 0 148.71 77.47"},
    {"Sticker/Heart.svg", "0 0 307.66 297.82"},
    {"Sticker/Glasses.svg", "0 0 152.32 51.2"},
    {"Sticker/Moustache.svg", "0 0 261.27 60.82"},
    {"Sticker/prize.svg", "0 0 169.83 220.5"},
    {"Sticker/Star.svg", "0 0 238.9 248.37"},
    {"Corner/velloran-stylized-floral-border.svg", "0 0 344.33 404.82"},
};

// Relative luminance and contrast ratio as used for legibility of text and icons.
double luminance(const QColor &c)
{
    auto channel = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour of the fully covered pixels of an icon.
QColor inkOf(const QImage &icon)
{
    const QImage argb = icon.convertToFormat(QImage::Format_ARGB32);
    double r = 0, g = 0, b = 0;
    int n = 0;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = argb.pixel(x, y);
            if (qAlpha(p) > 240) {
                r += qRed(p);
                g += qGreen(p);
                b += qBlue(p);
                ++n;
            }
        }
    }
    return n == 0 ? QColor() : QColor(qRound(r / n), qRound(g / n), qRound(b / n));
}

double coverage(const QImage &image, const QRect &area)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    qint64 covered = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            covered += qAlpha(argb.pixel(x, y)) > 32 ? 1 : 0;
    return double(covered) / double(area.width() * area.height());
}

double lightness(QRgb p)
{
    return 0.2126 * qRed(p) + 0.7152 * qGreen(p) + 0.0722 * qBlue(p);
}

// Mean and spread of the lightness, and the mean distance of each pixel from the mean
// of its 3 x 3 neighbourhood: large when a tile is made of one-pixel detail, which turns
// into blocks when the tile is enlarged to a canvas.
struct ToneStats
{
    double mean = 0;
    double spread = 0;
    double fineDetail = 0;
};

ToneStats toneStats(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width();
    const int h = rgb.height();
    double sum = 0, sum2 = 0, detail = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double l = lightness(rgb.pixel(x, y));
            double around = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    around += lightness(rgb.pixel((x + dx + w) % w, (y + dy + h) % h));
            sum += l;
            sum2 += l * l;
            detail += std::abs(l - around / 9.0);
        }
    }
    const double n = double(w) * h;
    ToneStats stats;
    stats.mean = sum / n;
    stats.spread = std::sqrt(std::max(0.0, sum2 / n - stats.mean * stats.mean));
    stats.fineDetail = detail / n;
    return stats;
}

// The average of the premultiplied pixels: what an image looks like from afar.
QColor averageColour(const QImage &image)
{
    const QImage small = image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                             .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return QColor::fromRgba(small.convertToFormat(QImage::Format_ARGB32).pixel(0, 0));
}

// The largest difference of a colour channel, leaving coverage aside.
int colourDistance(const QColor &a, const QColor &b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

// Every image in a file: one for most formats, several for an icon file.
QList<QImage> readAll(QImageReader &reader)
{
    QList<QImage> images;
    const int count = std::max(1, reader.imageCount());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (image.isNull())
            break;
        images << image;
    }
    return images;
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_generated.isValid());
        ArtGenerator generator(m_generated.path());
        QVERIFY2(generator.run(), qPrintable(generator.errorString()));
        m_written = generator.writtenFiles();
    }

    void picturesLoadAtTheirSize_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        for (const IconSpec &icon : iconCatalogue()) {
            QTest::newRow(qPrintable(icon.name)) << root + icon.name + ".png" << QSize(24, 24);
            QTest::newRow(qPrintable(icon.name + "@2x"))
                << root + icon.name + "@2x.png" << QSize(48, 48);
        }
        for (const QString &path : texturePaths())
            QTest::newRow(qPrintable(path.mid(root.size()))) << path << textureSize(path);
        // The view boxes rounded to whole pixels.
        const QList<QPair<QString, QSize>> svgSizes{
            {"Sticker/Ballons.svg", {190, 313}},
            {"Sticker/Gift.svg", {208, 216}},
            {"Sticker/HatBlack.svg", {282, 165}},
            {"Sticker/FedoraRed.svg", {237, 162}},
            {"Sticker/HatBirthday.svg", {116, 180}},
            {"Sticker/CakeBirthday.svg", {255, 229}},
            {"Sticker/Trumpet.svg", {149, 77}},
            {"Sticker/Heart.svg", {308, 298}},
            {"Sticker/Glasses.svg", {152, 51}},
            {"Sticker/Moustache.svg", {261, 61}},
            {"Sticker/prize.svg", {170, 221}},
            {"Sticker/Star.svg", {239, 248}},
            {"Corner/velloran-stylized-floral-border.svg", {344, 405}},
        };
        for (const auto &[file, size] : svgSizes)
            QTest::newRow(qPrintable(file)) << root + file << size;
        QTest::newRow("logo") << root + "RerivUzazara.png" << QSize(256, 256);
    }

    void picturesLoadAtTheirSize()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), size);
    }

    void svgArtLoadsAtItsViewBox_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("viewBox");
        for (const SvgArt &art : svgArt)
            QTest::newRow(art.file)
                << QString::fromLatin1(art.file) << QString::fromLatin1(art.viewBox);
    }

    // A width or height on the root would override the view box as the natural size;
    // the other features are ones the toolkit's SVG support leaves out or draws wrongly.
    void svgArtLoadsAtItsViewBox()
    {
        QFETCH(QString, file);
        QFETCH(QString, viewBox);
        QFile svg(root + file);
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&svg);
        const QSet<QString> unsupported{"filter", "mask",  "clipPath", "text",
                                        "style",  "image", "pattern",  "foreignObject"};
        bool sawRoot = false;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QString name = xml.name().toString();
            QVERIFY2(!unsupported.contains(name), qPrintable(name));
            QVERIFY2(!xml.attributes().hasAttribute("class"), qPrintable(name));
            QVERIFY2(!xml.attributes().hasAttribute("style"), qPrintable(name));
            if (!sawRoot) {
                sawRoot = true;
                QCOMPARE(name, QStringLiteral("svg"));
                QCOMPARE(xml.attributes().value("viewBox").toString(), viewBox);
                QVERIFY(!xml.attributes().hasAttribute("width"));
                QVERIFY(!xml.attributes().hasAttribute("height"));
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(sawRoot);
    }

    void stickersFillTheirBox_data()
    {
        QTest::addColumn<QString>("file");
        for (const SvgArt &art : svgArt) {
            if (QByteArray(art.file).startsWith("Sticker/"))
                QTest::newRow(art.file) << QString::fromLatin1(art.file);
        }
    }

    // A sticker is placed by its box, so a drawing that leaves most of the box empty
    // or runs off one side of it would sit in the wrong place.
    void stickersFillTheirBox()
    {
        QFETCH(QString, file);
        const QImage sticker(root + file);
        QVERIFY(!sticker.isNull());
        QVERIFY(sticker.hasAlphaChannel());
        QVERIFY2(coverage(sticker, sticker.rect()) > 0.3, qPrintable(file));
        const int w = sticker.width();
        const int h = sticker.height();
        QVERIFY(coverage(sticker, QRect(0, 0, w / 2, h)) > 0.1);
        QVERIFY(coverage(sticker, QRect(w / 2, 0, w - w / 2, h)) > 0.1);
        QVERIFY(coverage(sticker, QRect(0, 0, w, h / 2)) > 0.1);
        QVERIFY(coverage(sticker, QRect(0, h / 2, w, h - h / 2)) > 0.1);
    }

    // The ornament is mirrored into the other corners over the collage, so it must hug
    // the top and left edges and leave the photos free.
    void cornerOrnamentHugsTheTopLeftEdges()
    {
        const QImage corner(root + "Corner/velloran-stylized-floral-border.svg");
        QVERIFY(!corner.isNull());
        const int w = corner.width();
        const int h = corner.height();
        QVERIFY(coverage(corner, corner.rect()) < 0.3);
        QVERIFY(coverage(corner, QRect(0, 0, w, 50)) > 0.25);
        QVERIFY(coverage(corner, QRect(0, 0, 50, h)) > 0.25);
        QVERIFY(coverage(corner, QRect(w / 3, h / 3, w - w / 3, h - h / 3)) < 0.01);
    }

    void iconSizesShowTheSameGlyph_data()
    {
        QTest::addColumn<QString>("name");
        for (const IconSpec &icon : iconCatalogue())
            QTest::newRow(qPrintable(icon.name)) << icon.name;
    }

    // On a high-density screen the toolkit swaps in name@2x.png for name.png, so the
    // two must show the same glyph in the same colour.
    void iconSizesShowTheSameGlyph()
    {
        QFETCH(QString, name);
        const QImage small(root + name + ".png");
        const QImage large = QImage(root + name + "@2x.png")
                                 .scaled(24, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY(TestSupport::fuzzyEqual(small, large, 96, 0.08));
        QVERIFY(contrast(inkOf(small), inkOf(large)) < 1.2);
    }

    void themedIconsSuitTheirScheme_data()
    {
        QTest::addColumn<QString>("stem");
        for (const char *stem : {"_Delete", "_Settings", "_Text", "_Sticker"})
            QTest::newRow(stem) << QString::fromLatin1(stem);
    }

    // The plain icon is for a light panel, White for a dark one; Gray marks a disabled
    // button and must read as weaker than the enabled icon on either.
    void themedIconsSuitTheirScheme()
    {
        QFETCH(QString, stem);
        const QColor lightPanel(0xF3, 0xF3, 0xF3);
        const QColor darkPanel(0x35, 0x35, 0x35);
        const QColor plain = inkOf(QImage(root + stem + "Icon24.png"));
        const QColor white = inkOf(QImage(root + stem + "WhiteIcon24.png"));
        const QColor gray = inkOf(QImage(root + stem + "GrayIcon24.png"));
        QVERIFY(plain.isValid() && white.isValid() && gray.isValid());
        QVERIFY(contrast(plain, lightPanel) >= 7.0);
        QVERIFY(contrast(white, darkPanel) >= 7.0);
        QVERIFY(contrast(gray, lightPanel) < contrast(plain, lightPanel) / 2);
        QVERIFY(contrast(gray, darkPanel) < contrast(white, darkPanel) / 2);
        QVERIFY(contrast(gray, lightPanel) >= 1.8);
        QVERIFY(contrast(gray, darkPanel) >= 1.8);
    }

    void untintedIconsShowOnBothSchemes_data()
    {
        QTest::addColumn<QString>("name");
        for (const IconSpec &icon : iconCatalogue()) {
            if (!icon.name.startsWith('_'))
                QTest::newRow(qPrintable(icon.name)) << icon.name;
        }
    }

    void untintedIconsShowOnBothSchemes()
    {
        QFETCH(QString, name);
        const QColor ink = inkOf(QImage(root + name + ".png"));
        QVERIFY(ink.isValid());
        QVERIFY2(contrast(ink, QColor(0xF3, 0xF3, 0xF3)) >= 2.5, qPrintable(ink.name()));
        QVERIFY2(contrast(ink, QColor(0x35, 0x35, 0x35)) >= 2.5, qPrintable(ink.name()));
    }

    void texturesSurviveEnlargement_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString &path : texturePaths())
            QTest::newRow(qPrintable(path.mid(root.size()))) << path;
    }

    void texturesSurviveEnlargement()
    {
        QFETCH(QString, path);
        const QImage tile(path);
        QVERIFY(!tile.isNull());
        QVERIFY2(!tile.hasAlphaChannel(), "a see-through tile lets the canvas show through");
        const ToneStats stats = toneStats(tile);
        QVERIFY2(stats.spread > 2.0, "a flat tile is not a texture");
        QVERIFY2(stats.fineDetail < 8.0, qPrintable(QString::number(stats.fineDetail)));
    }

    // The default background sits behind every new collage at full screen size.
    void defaultTextureIsSoftAndLight()
    {
        const ToneStats stats = toneStats(QImage(root + "Pattern/pattern_140.png"));
        QVERIFY(stats.mean > 230.0);
        QVERIFY(stats.spread < 8.0);
        QVERIFY(stats.fineDetail < 1.0);
    }

    void texturesAreAllDifferent()
    {
        const QStringList paths = texturePaths();
        QList<QImage> thumbs;
        for (const QString &path : paths)
            thumbs << QImage(path).scaled(40, 40, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        for (int i = 0; i < thumbs.size(); ++i) {
            for (int j = i + 1; j < thumbs.size(); ++j) {
                QVERIFY2(!TestSupport::fuzzyEqual(thumbs[i], thumbs[j], 12, 0.03),
                         qPrintable(paths[i] + " looks like " + paths[j]));
            }
        }
    }

    void applicationIconHoldsFourSizes_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("side");
        const int sides[] = {16, 32, 48, 256};
        for (int i = 0; i < 4; ++i)
            QTest::newRow(qPrintable(QString::number(sides[i]))) << i << sides[i];
    }

    void applicationIconHoldsFourSizes()
    {
        QFETCH(int, index);
        QFETCH(int, side);
        QFile file(root + "RerivUzazara.ico");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.size() > 6 + 16 * 4);
        QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 4), quint16(4));
        const char *entry = bytes.constData() + 6 + 16 * index;
        QCOMPARE(quint8(entry[0]) == 0 ? 256 : int(quint8(entry[0])), side);
        QCOMPARE(qFromLittleEndian<quint16>(entry + 6), quint16(32));

        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer, "ico");
        QCOMPARE(reader.imageCount(), 4);
        QVERIFY(reader.jumpToImage(index));
        const QImage image = reader.read();
        QCOMPARE(image.size(), QSize(side, side));
        QCOMPARE(image.depth(), 32);
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.convertToFormat(QImage::Format_ARGB32).pixel(0, 0)), 0);
        // Every size shows the logo: the small ones are redrawn for their size, so
        // compare the overall colour rather than the pixels.
        const QImage logo(root + "RerivUzazara.png");
        QVERIFY(colourDistance(averageColour(image), averageColour(logo)) < 24);
        QVERIFY(averageColour(image).alpha() > 128);
    }

    // The committed pictures must be what the generator makes from the sources, and
    // nothing else: a stale or hand-edited file would otherwise go unnoticed.
    void generatorWritesExactlyTheCommittedSet()
    {
        QCOMPARE(m_written, ArtGenerator::expectedFiles());
        QSet<QString> committed;
        QDirIterator it(root, {"*.png", "*.ico"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            committed.insert(it.next().mid(root.size()));
        const QStringList written = m_written;
        QCOMPARE(committed, QSet<QString>(written.begin(), written.end()));
    }

    void regeneratedPicturesMatchTheCommittedOnes_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &file : ArtGenerator::expectedFiles())
            QTest::newRow(qPrintable(file)) << file;
    }

    void regeneratedPicturesMatchTheCommittedOnes()
    {
        QFETCH(QString, file);
        QImageReader fresh(m_generated.filePath(file));
        QImageReader committed(root + file);
        const QList<QImage> a = readAll(fresh);
        const QList<QImage> b = readAll(committed);
        QVERIFY(!a.isEmpty());
        QCOMPARE(a.size(), b.size());
        for (qsizetype i = 0; i < a.size(); ++i)
            QVERIFY2(TestSupport::fuzzyEqual(a[i], b[i], 2, 0.001),
                     qPrintable(QString::number(TestSupport::maxChannelDifference(a[i], b[i]))));
    }

private:
    QTemporaryDir m_generated;
    QStringList m_written;
};

QUILTRA_TEST_MAIN(TestResources)
#include "tst_resources.moc"
