#include "ArtGenerator.h"
#include "TestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cmath>

namespace {

const QString root = QStringLiteral(":/resources/images/");
const QColor lightPanel(0xF3, 0xF3, 0xF3);
const QColor darkPanel(0x35, 0x35, 0x35);

// The texture picker's files, in its order.
QStringList texturePaths()
{
    QStringList paths;
    const QString numbers = QStringLiteral(
        "036 040 061 064 094 095 104 109 114 128 129 130 131 132 133 134 135 136 137 138 139 140 "
        "148 149 170 180 185 191 213 229 230 237 248 250 251 255 257 259 272 273 274 275 276 277 "
        "280 283 294 295 296");
    for (const QString &number : numbers.split(' '))
        paths << root + QStringLiteral("Pattern/pattern_%1.png").arg(number);
    for (int i = 1; i <= 3; ++i)
        paths << root + QStringLiteral("Pattern/Pattern%1.png").arg(i);
    return paths;
}

// Relative luminance and contrast ratio as used for legibility of text and icons.
double contrast(const QColor &a, const QColor &b)
{
    auto luminance = [](const QColor &c) {
        double sum = 0;
        for (const auto &[v, weight] :
             {std::pair{c.redF(), 0.2126}, {c.greenF(), 0.7152}, {c.blueF(), 0.0722}})
            sum += weight * (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        return sum;
    };
    const auto [darker, lighter] = std::minmax({luminance(a), luminance(b)});
    return (lighter + 0.05) / (darker + 0.05);
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

// Mean and spread of the lightness, and the mean distance of each pixel from the mean
// of its 3 x 3 neighbourhood: large when a tile is made of one-pixel detail, which turns
// into blocks when the tile is enlarged to a canvas.
struct ToneStats
{
    double mean = 0, spread = 0, fineDetail = 0;
};

ToneStats toneStats(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    double sum = 0, sum2 = 0, detail = 0;
    const int w = grey.width(), h = grey.height();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double around = 0;
            for (int d = 0; d < 9; ++d)
                around += qGray(grey.pixel((x + d % 3 - 1 + w) % w, (y + d / 3 - 1 + h) % h));
            const double l = qGray(grey.pixel(x, y));
            sum += l;
            sum2 += l * l;
            detail += std::abs(l - around / 9.0);
        }
    }
    const double n = double(w) * h;
    return {sum / n, std::sqrt(std::max(0.0, sum2 / n - sum * sum / n / n)), detail / n};
}

// The average of the premultiplied pixels: what an image looks like from afar.
QColor averageColour(const QImage &image)
{
    const QImage small = image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                             .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return QColor::fromRgba(small.convertToFormat(QImage::Format_ARGB32).pixel(0, 0));
}

// Every image in a file: one for most formats, several for an icon file.
QList<QImage> readAll(const QString &path)
{
    QImageReader reader(path);
    QList<QImage> images;
    for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
        const QImage image = i > 0 && !reader.jumpToImage(i) ? QImage() : reader.read();
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

    void svgArt_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *name :
             {"Ballons", "Gift", "HatBlack", "FedoraRed", "HatBirthday", "CakeBirthday", "Trumpet",
              "Heart", "Glasses", "Moustache", "prize", "Star"})
            QTest::newRow(name) << QStringLiteral("Sticker/%1.svg").arg(QLatin1String(name));
        QTest::newRow("corner") << "Corner/velloran-stylized-floral-border.svg";
    }

    // A width or height on the root would override the view box as the natural size;
    // the other features are ones the toolkit's SVG support leaves out or draws wrongly.
    // A sticker is placed by its box, so a drawing that leaves most of the box empty or
    // runs off one side of it would sit in the wrong place.
    void svgArt()
    {
        QFETCH(QString, file);
        QFile svg(root + file);
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&svg);
        QVERIFY(xml.readNextStartElement());
        QCOMPARE(xml.name().toString(), QStringLiteral("svg"));
        for (const char *attribute : {"width", "height", "class", "style"})
            QVERIFY2(!xml.attributes().hasAttribute(attribute), attribute);
        const QSet<QString> unsupported{"filter", "mask",  "clipPath", "text",
                                        "style",  "image", "pattern",  "foreignObject"};
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QString name = xml.name().toString();
            QVERIFY2(!unsupported.contains(name) && !xml.attributes().hasAttribute("class") &&
                         !xml.attributes().hasAttribute("style"),
                     qPrintable(name));
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));

        const QImage art(root + file);
        const int w = art.width();
        const int h = art.height();
        if (file.startsWith("Sticker/")) {
            QVERIFY(w > 40 && h > 40);
            QVERIFY(coverage(art, art.rect()) > 0.3);
            for (const QRect &half : {QRect(0, 0, w / 2, h), QRect(w / 2, 0, w - w / 2, h),
                                      QRect(0, 0, w, h / 2), QRect(0, h / 2, w, h - h / 2)})
                QVERIFY(coverage(art, half) > 0.1);
        } else {
            QCOMPARE(art.size(), QSize(344, 405)); // its view box, rounded
            // The ornament is mirrored into the other corners over the collage, so it
            // must hug the top and left edges and leave the photos free.
            QVERIFY(coverage(art, art.rect()) < 0.3);
            QVERIFY(coverage(art, QRect(0, 0, w, 50)) > 0.25);
            QVERIFY(coverage(art, QRect(0, 0, 50, h)) > 0.25);
            QVERIFY(coverage(art, QRect(w / 3, h / 3, w - w / 3, h - h / 3)) < 0.01);
        }
    }

    void icons_data()
    {
        QTest::addColumn<QString>("name");
        // The tool row's and the panels' icons, listed here rather than taken from the
        // generator, so that a picture the generator stops making is missed.
        for (const char *name : {"Add24", "Delete24", "FormatAlignLeft24", "FormatAlignCenter24",
                                 "FormatAlignRight24", "Sticker24", "About24", "Text24", "Export24",
                                 "websiteIcon24", "Print24", "Keyboard24", "Options24"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
        for (const char *stem : {"_Delete", "_Settings", "_Text", "_Sticker"}) {
            for (const char *scheme : {"Icon24", "WhiteIcon24", "GrayIcon24"}) {
                const QString name = QLatin1String(stem) + QLatin1String(scheme);
                QTest::newRow(qPrintable(name)) << name;
            }
        }
    }

    // On a high-density screen the toolkit swaps in name@2x.png for name.png, so the
    // two must show the same glyph in the same colour. The untinted icons stand on light
    // and dark panels alike; of the themed ones the plain icon is for a light panel,
    // White for a dark one, and Gray marks a disabled button: readable on either, yet
    // weaker than the enabled icon.
    void icons()
    {
        QFETCH(QString, name);
        const QImage small(root + name + ".png");
        const QImage large(root + name + "@2x.png");
        QCOMPARE(small.size(), QSize(24, 24));
        QCOMPARE(large.size(), QSize(48, 48));
        QVERIFY(TestSupport::fuzzyEqual(
            small, large.scaled(24, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 96,
            0.08));
        const QColor ink = inkOf(small);
        QVERIFY(ink.isValid() && contrast(ink, inkOf(large)) < 1.2);
        const double onLight = contrast(ink, lightPanel);
        const double onDark = contrast(ink, darkPanel);
        auto enabled = [&name](const char *scheme, const QColor &panel) {
            return contrast(inkOf(QImage(root + name.chopped(10) + scheme)), panel);
        };
        if (!name.startsWith('_')) {
            QVERIFY2(onLight >= 2.5 && onDark >= 2.5, qPrintable(ink.name()));
        } else if (name.endsWith("GrayIcon24")) {
            QVERIFY(onLight >= 1.8 && onLight < enabled("Icon24.png", lightPanel) / 2);
            QVERIFY(onDark >= 1.8 && onDark < enabled("WhiteIcon24.png", darkPanel) / 2);
        } else {
            QVERIFY((name.endsWith("WhiteIcon24") ? onDark : onLight) >= 7.0);
        }
    }

    void texturesSurviveEnlargement_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("side");
        for (const QString &path : texturePaths()) {
            const int side = path.endsWith("Pattern1.png")   ? 198
                             : path.endsWith("Pattern3.png") ? 180
                                                             : 200;
            QTest::newRow(qPrintable(path.mid(root.size()))) << path << side;
        }
    }

    void texturesSurviveEnlargement()
    {
        QFETCH(QString, path);
        QFETCH(int, side);
        const QImage tile(path);
        QCOMPARE(tile.size(), QSize(side, side));
        QVERIFY2(!tile.hasAlphaChannel(), "a see-through tile lets the canvas show through");
        const ToneStats stats = toneStats(tile);
        QVERIFY2(stats.spread > 2.0, "a flat tile is not a texture");
        QVERIFY2(stats.fineDetail < 8.0, qPrintable(QString::number(stats.fineDetail)));
        // The default background sits behind every new collage at full screen size.
        if (path.endsWith("pattern_140.png"))
            QVERIFY(stats.mean > 230.0 && stats.spread < 8.0 && stats.fineDetail < 1.0);
    }

    void texturesAreAllDifferent()
    {
        const QStringList paths = texturePaths();
        QList<QImage> thumbs;
        for (const QString &path : paths)
            thumbs << QImage(path).scaled(40, 40, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        for (int i = 0; i < thumbs.size(); ++i) {
            for (int j = i + 1; j < thumbs.size(); ++j)
                QVERIFY2(!TestSupport::fuzzyEqual(thumbs[i], thumbs[j], 12, 0.03),
                         qPrintable(paths[i] + " looks like " + paths[j]));
        }
    }

    // The icon file itself is checked where it is written; here that every size shows
    // the logo. The small ones are redrawn for their size, so compare the overall
    // colour rather than the pixels.
    void applicationIconShowsTheLogo()
    {
        const QImage logo(root + "RerivUzazara.png");
        QCOMPARE(logo.size(), QSize(256, 256));
        const QList<QImage> sizes = readAll(root + "RerivUzazara.ico");
        QCOMPARE(sizes.size(), 4);
        const int sides[] = {16, 32, 48, 256};
        for (int i = 0; i < 4; ++i) {
            const QImage image = sizes[i].convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(image.size(), QSize(sides[i], sides[i]));
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            const QColor average = averageColour(image);
            const QColor expected = averageColour(logo);
            QVERIFY(std::max({std::abs(average.red() - expected.red()),
                              std::abs(average.green() - expected.green()),
                              std::abs(average.blue() - expected.blue())}) < 24);
            QVERIFY(average.alpha() > 128);
        }
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
        QCOMPARE(committed, QSet<QString>(m_written.cbegin(), m_written.cend()));
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
        const QList<QImage> fresh = readAll(m_generated.filePath(file));
        const QList<QImage> committed = readAll(root + file);
        QVERIFY(!fresh.isEmpty());
        QCOMPARE(fresh.size(), committed.size());
        for (qsizetype i = 0; i < fresh.size(); ++i)
            QVERIFY(TestSupport::fuzzyEqual(fresh[i], committed[i], 2, 0.001));
    }

private:
    QTemporaryDir m_generated;
    QStringList m_written;
};

QUILTRA_TEST_MAIN(TestResources)
#include "tst_resources.moc"
