#include "IcoWriter.h"
#include "TestSupport.h"
#include "ValueNoise.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

namespace {

// Every row and column differs, with a soft alpha ramp, fully clear and fully opaque
// pixels: row order, channel order and the mask all show up in it.
QImage probe(QSize size)
{
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int alpha = x == 0 ? 0 : (y == 0 ? 255 : (x * 255) / size.width());
            image.setPixel(x, y, qRgba((x * 37) % 256, (y * 53) % 256, (x * y) % 256, alpha));
        }
    }
    return image;
}

} // namespace

class TestArtGen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void icoRoundTrip_data()
    {
        QTest::addColumn<QList<QSize>>("sizes");
        QTest::addColumn<bool>("valid");
        QTest::newRow("odd width, not square") << QList<QSize>{{33, 20}} << true;
        QTest::newRow("application icon set")
            << QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {256, 256}} << true;
        QTest::newRow("nothing") << QList<QSize>{} << false;
        QTest::newRow("null image") << QList<QSize>{{16, 16}, {0, 0}} << false;
        QTest::newRow("too wide") << QList<QSize>{{257, 16}} << false;
        QTest::newRow("too tall") << QList<QSize>{{16, 300}} << false;
    }

    void icoRoundTrip()
    {
        QFETCH(QList<QSize>, sizes);
        QFETCH(bool, valid);
        QList<QImage> images;
        for (const QSize &size : sizes)
            images << probe(size);
        const QByteArray ico = encodeIco(images);
        QCOMPARE(!ico.isEmpty(), valid);
        if (!valid)
            return;
        QCOMPARE(qFromLittleEndian<quint16>(ico.constData() + 2), quint16(1)); // not a cursor

        QBuffer buffer;
        buffer.setData(ico);
        QImageReader reader(&buffer, "ico");
        QCOMPARE(reader.imageCount(), int(images.size()));
        for (int i = 0; i < images.size(); ++i) {
            // The directory entry is what Windows picks a size by: a side of 256 is 0.
            const char *entry = ico.constData() + 6 + 16 * i;
            auto side = [](char byte) { return quint8(byte) == 0 ? 256 : int(quint8(byte)); };
            QCOMPARE(QSize(side(entry[0]), side(entry[1])), images[i].size());
            QCOMPARE(qFromLittleEndian<quint16>(entry + 6), quint16(32));
            const QByteArray payload = ico.mid(qFromLittleEndian<quint32>(entry + 12),
                                               qFromLittleEndian<quint32>(entry + 8));
            if (!payload.startsWith("\x89PNG")) {
                // Qt ignores the transparency mask of a 32-bit bitmap but Windows does
                // not: its rows are padded to four bytes, bottom row first, and a set bit
                // marks a clear pixel (the first column of the probe).
                const int w = images[i].width();
                const int h = images[i].height();
                const int stride = ((w + 31) / 32) * 4;
                QCOMPARE(payload.size(), 40 + w * h * 4 + stride * h);
                for (int row = 0; row < h; ++row)
                    QCOMPARE(quint8(payload[40 + w * h * 4 + row * stride]) & 0xC0, 0x80);
            }
            QVERIFY(reader.jumpToImage(i));
            QCOMPARE(TestSupport::maxChannelDifference(reader.read(), images[i]), 0);
        }
    }

    void noise_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("octaves");
        QTest::newRow("two cells") << 7u << 2 << 1;
        QTest::newRow("three cells, layered") << 140u << 3 << 5;
    }

    // Textures are built from this noise on the promise that a tile laid beside itself
    // shows no seam, that values map straight onto a colour ramp and that a seed gives
    // the same art on every run.
    void noise()
    {
        QFETCH(quint32, seed);
        QFETCH(int, period);
        QFETCH(int, octaves);
        const ValueNoise noise(seed, period);
        const ValueNoise other(seed + 1, period);
        double low = 1.0, high = 0.0;
        int differing = 0;
        for (int i = 0; i < 400; ++i) {
            const double x = (i % 20) * 0.173 * period - 0.5 * period;
            const double y = (i / 20) * 0.137 * period;
            const double v = noise.fractal(x, y, octaves);
            QVERIFY(v >= 0.0 && v <= 1.0);
            QCOMPARE(noise.fractal(x + period, y, octaves), v);
            QCOMPARE(noise.fractal(x, y - period, octaves), v);
            QCOMPARE(ValueNoise(seed, period).fractal(x, y, octaves), v);
            differing += other.fractal(x, y, octaves) != v ? 1 : 0;
            low = std::min(low, v);
            high = std::max(high, v);
        }
        QVERIFY2(high - low > 0.2, "noise this flat would give blank textures");
        QVERIFY(differing > 360);
    }
};

QUILTRA_TEST_MAIN(TestArtGen)
#include "tst_artgen.moc"
