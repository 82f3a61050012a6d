#include "ArtGenerator.h"
#include "TestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

const QString root = QStringLiteral(":/resources/images/");

// The share of pixels of area that are not nearly clear.
double coverage(const QImage &image, const QRect &area)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    qint64 covered = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            covered += qAlpha(argb.pixel(x, y)) > 32 ? 1 : 0;
    return double(covered) / double(area.width() * area.height());
}

// The lightness of the fully covered pixels of an icon; -1 when it has none.
int inkLightness(const QImage &icon)
{
    const QImage argb = icon.convertToFormat(QImage::Format_ARGB32);
    qint64 sum = 0, n = 0;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(argb.pixel(x, y)) > 240)
                sum += QColor(argb.pixel(x, y)).lightness(), ++n;
        }
    }
    return n == 0 ? -1 : int(sum / n);
}

// Every image in a file: one for most formats, several for an icon file.
QList<QImage> readAll(QImageReader &&reader)
{
    QList<QImage> images;
    for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        images << reader.read();
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

    void icons_data()
    {
        QTest::addColumn<QString>("name");
        // What the tool row and the panels show, listed here rather than taken from the
        // generator, so that a picture it stops making is missed.
        for (const char *name :
             {"Add24", "Delete24", "FormatAlignLeft24", "FormatAlignCenter24", "FormatAlignRight24",
              "Sticker24", "About24", "Text24", "Export24", "websiteIcon24", "Print24",
              "Keyboard24", "Options24", "_Delete", "_Settings", "_Text", "_Sticker"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    // On a high-density screen name@2x.png stands in for name.png and must show the same
    // glyph. Of the themed icons the plain one is for a light panel, White for a dark one,
    // and Gray marks a disabled button between the two.
    void icons()
    {
        QFETCH(QString, name);
        const bool themed = name.startsWith('_');
        QList<int> ink;
        for (const char *scheme : {"Icon24", "GrayIcon24", "WhiteIcon24"}) {
            const QString stem = themed ? name + scheme : name;
            const QImage small(root + stem + ".png"), large(root + stem + "@2x.png");
            QCOMPARE(small.size(), QSize(24, 24));
            QCOMPARE(large.size(), QSize(48, 48));
            const QImage reduced =
                large.scaled(24, 24, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            QVERIFY(TestSupport::fuzzyEqual(small, reduced, 96, 0.08));
            ink << inkLightness(small);
            QVERIFY(ink.last() >= 0 && std::abs(ink.last() - inkLightness(large)) < 20);
            if (!themed)
                return;
        }
        QVERIFY2(ink[0] < 110 && ink[0] + 40 < ink[1] && ink[1] + 40 < ink[2] && ink[2] > 200,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(ink[0]).arg(ink[1]).arg(ink[2])));
    }

    // A sticker is placed by its box, so its drawing must fill the box rather than leave
    // most of it empty or run off one side; the ornament is mirrored into the corners over
    // the collage, so it hugs the top and left edges and leaves the middle free.
    void svgArt()
    {
        QDirIterator it(root + "Sticker", {"*.svg"});
        int stickers = 0;
        for (; it.hasNext(); ++stickers) {
            const QImage art(it.next());
            const int w = art.width(), h = art.height();
            QVERIFY2(w > 40 && h > 40 && coverage(art, art.rect()) > 0.3,
                     qPrintable(it.filePath()));
            for (const QRect &half : {QRect(0, 0, w / 2, h), QRect(w / 2, 0, w - w / 2, h),
                                      QRect(0, 0, w, h / 2), QRect(0, h / 2, w, h - h / 2)})
                QVERIFY2(coverage(art, half) > 0.1, qPrintable(it.filePath()));
        }
        QCOMPARE(stickers, 12);
        const QImage corner(root + "Corner/velloran-stylized-floral-border.svg");
        const int w = corner.width(), h = corner.height();
        QVERIFY(w > 200 && h > 200 && coverage(corner, corner.rect()) < 0.3);
        QVERIFY(coverage(corner, QRect(0, 0, w, 50)) > 0.25);
        QVERIFY(coverage(corner, QRect(0, 0, 50, h)) > 0.25);
        QVERIFY(coverage(corner, QRect(w / 3, h / 3, w - w / 3, h - h / 3)) < 0.01);
    }

    // Tiles are enlarged to a whole canvas: a see-through tile would let the canvas show
    // through, one-pixel detail would turn into blocks.
    void textures()
    {
        QDirIterator it(root + "Pattern", {"*.png"});
        int count = 0;
        for (; it.hasNext(); ++count) {
            const QImage tile = QImage(it.next()).convertToFormat(QImage::Format_Grayscale8);
            const QImage blurred =
                tile.scaled(tile.size() / 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .scaled(tile.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            double detail = 0;
            for (int y = 0; y < tile.height(); ++y) {
                for (int x = 0; x < tile.width(); ++x)
                    detail += std::abs(qGray(tile.pixel(x, y)) - qGray(blurred.pixel(x, y)));
            }
            QVERIFY2(tile.width() == tile.height() && tile.width() >= 180 &&
                         !QImage(it.filePath()).hasAlphaChannel(),
                     qPrintable(it.filePath()));
            QVERIFY2(detail / tile.width() / tile.height() < 12.0, qPrintable(it.filePath()));
        }
        QCOMPARE(count, 52);
    }

    // The committed pictures are what the generator makes from its sources, and nothing
    // else: a stale or hand-edited file would otherwise go unnoticed.
    void generatorMatchesTheCommittedSet()
    {
        QCOMPARE(m_written, ArtGenerator::expectedFiles());
        QSet<QString> committed;
        QDirIterator it(root, {"*.png", "*.ico"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            committed.insert(it.next().mid(root.size()));
        QCOMPARE(committed, QSet<QString>(m_written.cbegin(), m_written.cend()));
        for (const QString &file : m_written) {
            const QList<QImage> fresh = readAll(QImageReader(m_generated.filePath(file)));
            const QList<QImage> kept = readAll(QImageReader(root + file));
            QCOMPARE(fresh.size(), kept.size());
            for (qsizetype i = 0; i < fresh.size(); ++i)
                QVERIFY2(TestSupport::fuzzyEqual(fresh[i], kept[i], 2, 0.001), qPrintable(file));
        }
    }

    // Every size of the application icon is drawn on a clear background. The toolkit reads
    // the alpha of a bitmap entry, Windows its mask: rows padded to four bytes, bottom row
    // first, a set bit for each clear pixel. Windows picks a size by the directory entry,
    // where a side of 256 is written 0.
    void applicationIcon()
    {
        QFile file(m_generated.filePath("RerivUzazara.ico"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray ico = file.readAll();
        const QList<QImage> sizes = readAll(QImageReader(file.fileName()));
        QCOMPARE(sizes.size(), 4);
        const int sides[] = {16, 32, 48, 256};
        for (int i = 0; i < 4; ++i) {
            const QImage image = sizes[i].convertToFormat(QImage::Format_ARGB32);
            const int side = sides[i];
            QCOMPARE(image.size(), QSize(side, side));
            QVERIFY(qAlpha(image.pixel(0, 0)) == 0 && coverage(image, image.rect()) > 0.3);
            const char *entry = ico.constData() + 6 + 16 * i;
            QCOMPARE(QSize(quint8(entry[0]), quint8(entry[1])), QSize(side % 256, side % 256));
            const QByteArray payload = ico.mid(qFromLittleEndian<quint32>(entry + 12),
                                               qFromLittleEndian<quint32>(entry + 8));
            const int mask = 40 + side * side * 4, stride = (side + 31) / 32 * 4;
            for (int y = 0; side < 256 && y < side; ++y) {
                for (int x = 0; x < side; ++x) {
                    const char bits = payload[mask + (side - 1 - y) * stride + x / 8];
                    QCOMPARE(bool(bits & (0x80 >> (x % 8))), qAlpha(image.pixel(x, y)) == 0);
                }
            }
        }
    }

private:
    QTemporaryDir m_generated;
    QStringList m_written;
};

QUILTRA_TEST_MAIN(TestResources)
#include "tst_resources.moc"
