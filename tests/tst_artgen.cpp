#include "IcoWriter.h"
#include "TestSupport.h"
#include "ValueNoise.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

namespace {

// A picture whose every row and column differs, with a soft alpha ramp, fully clear
// and fully opaque pixels: row order, channel order and the mask all show up in it.
QImage probe(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int alpha = x == 0 ? 0 : (y == 0 ? 255 : (x * 255) / w);
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
        QTest::newRow("one small") << QList<QSize>{{16, 16}};
        QTest::newRow("width not a multiple of 32") << QList<QSize>{{33, 33}};
        QTest::newRow("not square") << QList<QSize>{{20, 12}};
        QTest::newRow("largest, stored as png") << QList<QSize>{{256, 256}};
        QTest::newRow("application icon set")
            << QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {256, 256}};
    }

    void icoRoundTrip()
    {
        QFETCH(QList<QSize>, sizes);
        QList<QImage> images;
        for (const QSize &size : sizes)
            images << probe(size.width(), size.height());
        const QByteArray ico = encodeIco(images);
        QVERIFY(!ico.isEmpty());
        QCOMPARE(qFromLittleEndian<quint16>(ico.constData() + 2), quint16(1));
        QCOMPARE(qFromLittleEndian<quint16>(ico.constData() + 4), quint16(images.size()));

        QBuffer buffer;
        buffer.setData(ico);
        QImageReader reader(&buffer, "ico");
        QCOMPARE(reader.imageCount(), int(images.size()));
        for (int i = 0; i < images.size(); ++i) {
            const char *entry = ico.constData() + 6 + 16 * i;
            QCOMPARE(qFromLittleEndian<quint16>(entry + 6), quint16(32));
            const quint32 length = qFromLittleEndian<quint32>(entry + 8);
            const quint32 offset = qFromLittleEndian<quint32>(entry + 12);
            QVERIFY(qint64(offset) + length <= ico.size());
            const QByteArray payload = ico.mid(offset, length);
            if (!payload.startsWith("\x89PNG")) {
                // Qt ignores the transparency mask of a 32-bit bitmap but Windows does
                // not: its rows are padded to four bytes, bottom row first, and a set bit
                // marks a clear pixel (the first column of the probe).
                const int w = images[i].width();
                const int h = images[i].height();
                const int stride = ((w + 31) / 32) * 4;
                QCOMPARE(payload.size(), 40 + w * h * 4 + stride * h);
                const char *mask = payload.constData() + 40 + w * h * 4;
                for (int row = 0; row < h; ++row) {
                    QCOMPARE(quint8(mask[row * stride]) & 0xC0, 0x80);
                }
            }

            QVERIFY(reader.jumpToImage(i));
            const QImage back = reader.read();
            QCOMPARE(back.size(), images[i].size());
            QVERIFY(back.hasAlphaChannel());
            QCOMPARE(TestSupport::maxChannelDifference(back, images[i]), 0);
        }
    }

    void icoRefusesWhatItCannotHold_data()
    {
        QTest::addColumn<QList<QImage>>("images");
        QTest::newRow("nothing") << QList<QImage>{};
        QTest::newRow("null image") << QList<QImage>{probe(16, 16), QImage()};
        QTest::newRow("too wide") << QList<QImage>{probe(257, 16)};
        QTest::newRow("too tall") << QList<QImage>{probe(16, 300)};
    }

    void icoRefusesWhatItCannotHold()
    {
        QFETCH(QList<QImage>, images);
        QVERIFY(encodeIco(images).isEmpty());
    }

    void noiseRepeatsAndStaysInRange_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("octaves");
        QTest::newRow("two cells") << 7u << 2 << 1;
        QTest::newRow("three cells, layered") << 140u << 3 << 5;
        QTest::newRow("many cells") << 4242u << 64 << 2;
    }

    // Textures are built from this noise on the promise that a tile laid beside itself
    // shows no seam, and that values map straight onto a colour ramp.
    void noiseRepeatsAndStaysInRange()
    {
        QFETCH(quint32, seed);
        QFETCH(int, period);
        QFETCH(int, octaves);
        const ValueNoise noise(seed, period);
        double low = 1.0, high = 0.0;
        for (int i = 0; i < 400; ++i) {
            const double x = (i % 20) * 0.173 * period - 0.5 * period;
            const double y = (i / 20) * 0.137 * period;
            const double v = noise.fractal(x, y, octaves);
            QVERIFY(v >= 0.0 && v <= 1.0);
            QCOMPARE(noise.fractal(x + period, y, octaves), v);
            QCOMPARE(noise.fractal(x, y - period, octaves), v);
            low = std::min(low, v);
            high = std::max(high, v);
        }
        QVERIFY2(high - low > 0.2, "noise this flat would give blank textures");
    }

    void noiseDependsOnlyOnItsSeed()
    {
        const ValueNoise a(11, 4);
        const ValueNoise b(11, 4);
        const ValueNoise other(12, 4);
        int differing = 0;
        for (int i = 0; i < 100; ++i) {
            const double x = i * 0.29;
            const double y = i * 0.41;
            QCOMPARE(a.fractal(x, y, 3), b.fractal(x, y, 3));
            differing += a.fractal(x, y, 3) != other.fractal(x, y, 3) ? 1 : 0;
        }
        QVERIFY(differing > 90);
    }
};

QUILTRA_TEST_MAIN(TestArtGen)
#include "tst_artgen.moc"
