#include "ImageFileWriter.h"
#include "PngEncoder.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstring>

namespace {

// Pixels without a pattern deflate could shorten, so every band holds real work.
QImage noise(const QSize &size, QImage::Format format, bool varyAlpha, quint32 seed)
{
    QImage image(size, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const quint32 value = random.generate();
            line[x] = varyAlpha ? value : (value | 0xff000000u);
        }
    }
    return image.convertToFormat(format);
}

// One colour with a few odd pixels: deflate's matches run on across every band edge.
QImage longRuns(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(30, 140, 90));
    for (int i = 0; i < 7; ++i)
        image.setPixel(size.width() * i / 7, size.height() * (6 - i) / 7, qRgb(250, i * 30, 7));
    return image;
}

// Rows of noise repeating every few rows: only matches reaching back across a band edge
// shorten the rows just after it.
QImage repeatingNoise(const QSize &size, int period)
{
    const QImage rows = noise({size.width(), period}, QImage::Format_RGB32, false, 20);
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        std::memcpy(image.scanLine(y), rows.constScanLine(y % period), size_t(size.width()) * 4);
    return image;
}

// Flat colour above or below noise: bands that shrink to nothing meet bands that do not.
QImage flatAndNoise(const QSize &size, bool flatAbove)
{
    QImage image = noise(size, QImage::Format_RGB32, false, 21);
    const int half = size.height() / 2;
    QPainter(&image).fillRect(QRect(0, flatAbove ? 0 : half, size.width(), half + 1),
                              QColor(200, 180, 20));
    return image;
}

// The left half of each row repeats the row eight above, the right half is fresh noise:
// every band is large, and its first rows shrink only when deflate sees the band before.
QImage halfRepeating(const QSize &size)
{
    QImage image = noise(size, QImage::Format_RGB32, false, 22);
    for (int y = 8; y < size.height(); ++y)
        std::memcpy(image.scanLine(y), image.constScanLine(y - 8), size_t(size.width()) * 2);
    return image;
}

// A soft vertical fade, as a photo cut out with a feathered edge has.
QImage withAlphaFade(const QImage &photo)
{
    QImage image = photo.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const int alpha = 255 * y / std::max(1, image.height() - 1);
        for (int x = 0; x < image.width(); ++x)
            line[x] = (line[x] & 0x00ffffffu) | (quint32(alpha) << 24);
    }
    return image;
}

QByteArray encodeInBatches(const QImage &image, const QList<int> &batches, bool alpha)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PngEncoder encoder(&buffer, image.size(), alpha);
    int top = 0;
    for (int rows : batches) {
        if (!encoder.addRows(image.copy(0, top, image.width(), rows)))
            return QByteArray();
        top += rows;
    }
    return encoder.isComplete() ? buffer.data() : QByteArray();
}

QByteArray encodeWhole(const QImage &image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return PngEncoder::write(image, &buffer) ? buffer.data() : QByteArray();
}

QByteArray encodeWithToolkit(const QImage &image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    return writer.write(image) ? buffer.data() : QByteArray();
}

} // namespace

class TestPngEncoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesToTheSamePixels_data()
    {
        QTest::addColumn<QImage>("image");
        // Rows per call of addRows; none writes the image whole.
        QTest::addColumn<QList<int>>("batches");
        QTest::addColumn<bool>("alpha");

        const QImage rgba = noise({64, 40}, QImage::Format_ARGB32, true, 2);
        QTest::newRow("opaque, odd width")
            << noise({37, 23}, QImage::Format_RGB32, false, 1) << QList<int>() << false;
        QTest::newRow("alpha of every level") << rgba << QList<int>() << true;
        QTest::newRow("premultiplied")
            << noise({51, 33}, QImage::Format_ARGB32_Premultiplied, true, 3) << QList<int>()
            << true;
        QTest::newRow("opaque premultiplied")
            << noise({45, 17}, QImage::Format_ARGB32_Premultiplied, false, 4) << QList<int>()
            << false;
        QTest::newRow("one pixel")
            << noise({1, 1}, QImage::Format_RGB32, false, 5) << QList<int>() << false;
        QImage clear(1, 1, QImage::Format_ARGB32);
        clear.fill(qRgba(10, 20, 30, 0));
        QTest::newRow("one transparent pixel") << clear << QList<int>() << true;
        QTest::newRow("single row")
            << noise({1001, 1}, QImage::Format_ARGB32, true, 6) << QList<int>() << true;
        QTest::newRow("single column")
            << noise({1, 301}, QImage::Format_RGB32, false, 7) << QList<int>() << false;
        // More bands than are deflated at once, so later bands follow earlier batches.
        QTest::newRow("many bands")
            << noise({1500, 1900}, QImage::Format_RGB32, false, 8) << QList<int>() << false;
        QTest::newRow("runs across band edges") << longRuns({2000, 1500}) << QList<int>() << false;
        QTest::newRow("flat above noise")
            << flatAndNoise({1000, 1400}, true) << QList<int>() << false;
        QTest::newRow("noise above flat, in batches")
            << flatAndNoise({1000, 1400}, false) << QList<int>{700, 700} << false;
        QTest::newRow("in uneven batches") << rgba << QList<int>{1, 5, 13, 21} << true;
        QTest::newRow("runs in batches")
            << longRuns({1200, 900}) << QList<int>{300, 1, 599} << false;
        QTest::newRow("three-byte pixels in batches")
            << noise({333, 99}, QImage::Format_RGB888, false, 9) << QList<int>{50, 49} << false;
        QTest::newRow("alpha dropped from opaque rows")
            << noise({40, 30}, QImage::Format_ARGB32, false, 10) << QList<int>{30} << false;
    }

    // The toolkit's own reader is the judge: each pixel must come back exactly, in a file
    // with alpha only where the image has any.
    void decodesToTheSamePixels()
    {
        QFETCH(QImage, image);
        QFETCH(QList<int>, batches);
        QFETCH(bool, alpha);

        const QByteArray file =
            batches.isEmpty() ? encodeWhole(image) : encodeInBatches(image, batches, alpha);
        QVERIFY(!file.isEmpty());
        const QImage decoded = QImage::fromData(file, "PNG");
        QCOMPARE(decoded.size(), image.size());
        QCOMPARE(decoded.hasAlphaChannel(), alpha);
        const QImage expected = image.convertToFormat(QImage::Format_ARGB32);
        const QImage actual = decoded.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < expected.height(); ++y) {
            const int bytes = expected.width() * 4;
            if (std::memcmp(expected.constScanLine(y), actual.constScanLine(y), size_t(bytes))) {
                QFAIL(qPrintable(QStringLiteral("row %1 differs").arg(y)));
            }
        }
    }

    void noLargerThanTheToolkits_data()
    {
        QTest::addColumn<QImage>("image");
        const QImage photo(TestSupport::dataPath(QStringLiteral("photos/camera_480x360.jpg")));
        QTest::newRow("photo") << photo;
        QTest::newRow("photo with a soft alpha edge") << withAlphaFade(photo);
        QTest::newRow("photo, four times over")
            << photo.scaled(photo.size() * 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QTest::newRow("noise repeating every five rows") << repeatingNoise({1000, 2000}, 5);
        QTest::newRow("half of each row repeating") << halfRepeating({1000, 2000});
    }

    // Cutting the stream into bands must not cost what the toolkit's writer saves.
    void noLargerThanTheToolkits()
    {
        QFETCH(QImage, image);
        QVERIFY(!image.isNull());
        const QByteArray ours = encodeWhole(image);
        const QByteArray toolkits = encodeWithToolkit(image);
        QVERIFY(!ours.isEmpty() && !toolkits.isEmpty());
        QVERIFY2(ours.size() <= toolkits.size(),
                 qPrintable(QStringLiteral("%1 > %2").arg(ours.size()).arg(toolkits.size())));
        QCOMPARE(QImage::fromData(ours, "PNG").convertToFormat(QImage::Format_ARGB32),
                 image.convertToFormat(QImage::Format_ARGB32));
    }

    void refusesWhatDoesNotFit_data()
    {
        QTest::addColumn<QSize>("rows");
        QTest::addColumn<int>("times");
        QTest::newRow("narrower") << QSize(9, 2) << 1;
        QTest::newRow("wider") << QSize(11, 2) << 1;
        QTest::newRow("past the last row") << QSize(10, 3) << 3;
    }

    // Rows that do not belong to the image stop the encoder, which never reports the
    // file complete afterwards.
    void refusesWhatDoesNotFit()
    {
        QFETCH(QSize, rows);
        QFETCH(int, times);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        PngEncoder encoder(&buffer, QSize(10, 8), false);
        bool accepted = true;
        for (int i = 0; i < times; ++i)
            accepted = encoder.addRows(noise(rows, QImage::Format_RGB32, false, 11));
        QVERIFY(!accepted);
        QVERIFY(!encoder.errorString().isEmpty());
        QVERIFY(!encoder.addRows(noise({10, 1}, QImage::Format_RGB32, false, 12)));
        QVERIFY(!encoder.isComplete());
    }

    void writesWholeOrNotAtAll_data()
    {
        QTest::addColumn<int>("delivered");
        QTest::addColumn<bool>("written");
        QTest::newRow("every row") << 300 << true;
        QTest::newRow("stops halfway") << 150 << false;
        QTest::newRow("nothing") << 0 << false;
    }

    // A render that gives up part way (no memory for the next slice) leaves the file that
    // was there, not a PNG cut short.
    void writesWholeOrNotAtAll()
    {
        QFETCH(int, delivered);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("collage.png"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the previous file");
        old.close();

        const QImage image = noise({200, 300}, QImage::Format_ARGB32, true, 13);
        ImageFileWriter writer(path);
        const bool result =
            writer.writePngRows(image.size(), true, [&](const ImageFileWriter::RowSink &sink) {
                for (int top = 0; top < delivered; top += 100) {
                    if (!sink(image.copy(0, top, image.width(), 100)))
                        return false;
                }
                return delivered == image.height();
            });
        QCOMPARE(result, written);
        QCOMPARE(writer.errorString().isEmpty(), written);
        if (written) {
            QCOMPARE(QImage(path).convertToFormat(QImage::Format_ARGB32), image);
        } else {
            QFile kept(path);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), QByteArray("the previous file"));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"collage.png"});
    }
};

QUILTRA_TEST_MAIN(TestPngEncoder)
#include "tst_pngencoder.moc"
