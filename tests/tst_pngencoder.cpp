#include "ImageFileWriter.h"
#include "PngEncoder.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstring>

namespace {

// Pixels deflate cannot shorten, so every band holds real work. With flatRows, those
// rows are one colour instead; with repeatFrom, the left half of each row from there on
// repeats the row eight above, which only matches reaching back across a band edge find.
QImage noise(QSize size, QImage::Format format, bool alpha, QRect flat = {}, int repeatFrom = -1)
{
    QImage image(size, QImage::Format_ARGB32);
    QRandomGenerator random(size.width() * 7 + size.height());
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = random.generate() | (alpha ? 0u : 0xff000000u);
        if (repeatFrom >= 0 && y >= repeatFrom + 8)
            std::memcpy(line, image.constScanLine(y - 8), size_t(size.width()) * 2);
    }
    QPainter(&image).fillRect(flat, QColor(200, 180, 20));
    return image.convertToFormat(format);
}

QByteArray encode(const QImage &image, const QList<int> &batches, bool alpha)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (batches.isEmpty())
        return PngEncoder::write(image, &buffer) ? buffer.data() : QByteArray();
    PngEncoder encoder(&buffer, image.size(), alpha);
    int top = 0;
    for (int rows : batches) {
        encoder.addRows(image.copy(0, top, image.width(), rows));
        top += rows;
    }
    return encoder.isComplete() ? buffer.data() : QByteArray();
}

} // namespace

class TestPngEncoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesToTheSamePixels_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QList<int>>("batches"); // rows per addRows; none: the whole image
        QTest::addColumn<bool>("alpha");

        const QImage rgba = noise({64, 40}, QImage::Format_ARGB32, true);
        QImage clear(1, 1, QImage::Format_ARGB32);
        clear.fill(qRgba(10, 20, 30, 0));
        const QList<int> whole;
        QTest::newRow("opaque, odd width")
            << noise({37, 23}, QImage::Format_RGB32, false) << whole << false;
        QTest::newRow("alpha of every level") << rgba << whole << true;
        QTest::newRow("premultiplied")
            << noise({51, 33}, QImage::Format_ARGB32_Premultiplied, true) << whole << true;
        QTest::newRow("one pixel") << noise({1, 1}, QImage::Format_RGB32, false) << whole << false;
        QTest::newRow("one clear pixel") << clear << whole << true;
        QTest::newRow("single row")
            << noise({1001, 1}, QImage::Format_ARGB32, true) << whole << true;
        // More bands than are deflated at once.
        QTest::newRow("many bands")
            << noise({1500, 1900}, QImage::Format_RGB32, false) << whole << false;
        // A flat run over several band edges, meeting bands of noise.
        QTest::newRow("long run above noise")
            << noise({1000, 1400}, QImage::Format_RGB32, false, QRect(0, 0, 1000, 1000)) << whole
            << false;
        QTest::newRow("noise above a long run, in batches")
            << noise({1000, 1400}, QImage::Format_RGB32, false, QRect(0, 400, 1000, 1000))
            << QList<int>{700, 700} << false;
        QTest::newRow("in uneven batches") << rgba << QList<int>{1, 5, 13, 21} << true;
        QTest::newRow("three-byte pixels in batches")
            << noise({333, 99}, QImage::Format_RGB888, false) << QList<int>{50, 49} << false;
    }

    // The toolkit's own reader is the judge: each pixel must come back exactly, in a file
    // with alpha only where the image has any.
    void decodesToTheSamePixels()
    {
        QFETCH(QImage, image);
        QFETCH(QList<int>, batches);
        QFETCH(bool, alpha);
        const QImage decoded = QImage::fromData(encode(image, batches, alpha), "PNG");
        QCOMPARE(decoded.hasAlphaChannel(), alpha);
        QCOMPARE(decoded.convertToFormat(QImage::Format_ARGB32),
                 image.convertToFormat(QImage::Format_ARGB32));
    }

    void noLargerThanTheToolkits_data()
    {
        QTest::addColumn<QImage>("image");
        const QImage photo(TestSupport::dataPath(QStringLiteral("photos/camera_480x360.jpg")));
        QImage faded = photo.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < faded.height(); ++y) {
            for (int x = 0; x < faded.width(); ++x)
                faded.setPixel(x, y,
                               (faded.pixel(x, y) & 0xffffffu) | quint32(y * 255 / 359) << 24);
        }
        QTest::newRow("photo") << photo;
        QTest::newRow("photo with a soft alpha edge") << faded;
        QTest::newRow("photo, four times over")
            << photo.scaled(photo.size() * 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QTest::newRow("half of each row repeating")
            << noise({1000, 2000}, QImage::Format_RGB32, false, {}, 0);
        QTest::newRow("flat colour")
            << noise({3000, 2000}, QImage::Format_RGB32, false, QRect(0, 0, 3000, 2000));
    }

    // Cutting the stream into bands must not cost more than the toolkit's writer spends.
    void noLargerThanTheToolkits()
    {
        QFETCH(QImage, image);
        QBuffer toolkits;
        toolkits.open(QIODevice::WriteOnly);
        QVERIFY(QImageWriter(&toolkits, "png").write(image));
        const QByteArray ours = encode(image, {}, false);
        QVERIFY2(!ours.isEmpty() && ours.size() <= toolkits.size(),
                 qPrintable(QStringLiteral("%1 > %2").arg(ours.size()).arg(toolkits.size())));
        QCOMPARE(QImage::fromData(ours, "PNG").convertToFormat(QImage::Format_ARGB32),
                 image.convertToFormat(QImage::Format_ARGB32));
    }

    // Rows that do not belong to the image stop the encoder for good, and a render that
    // gives up part way leaves the file that was there, not a PNG cut short.
    void writesWholeOrNotAtAll_data()
    {
        QTest::addColumn<QList<QSize>>("batches");
        QTest::addColumn<bool>("written");
        QTest::newRow("every row") << QList<QSize>{{200, 100}, {200, 200}} << true;
        QTest::newRow("stops halfway") << QList<QSize>{{200, 150}} << false;
        QTest::newRow("nothing") << QList<QSize>() << false;
        QTest::newRow("narrower") << QList<QSize>{{199, 300}} << false;
        QTest::newRow("past the last row") << QList<QSize>{{200, 200}, {200, 101}} << false;
    }

    void writesWholeOrNotAtAll()
    {
        QFETCH(QList<QSize>, batches);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("collage.png"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("previous") == 8);
        old.close();

        const QImage image = noise({200, 300}, QImage::Format_ARGB32, true);
        ImageFileWriter writer(path);
        QCOMPARE(
            writer.writePngRows(image.size(), true,
                                [&](const ImageFileWriter::RowSink &sink) {
                                    int top = 0;
                                    for (const QSize &rows : batches) {
                                        if (!sink(image.copy(0, top, rows.width(), rows.height())))
                                            return false;
                                        top += rows.height();
                                    }
                                    return true;
                                }),
            written);
        QCOMPARE(writer.errorString().isEmpty(), written);
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        if (written)
            QCOMPARE(QImage::fromData(kept.readAll()).convertToFormat(QImage::Format_ARGB32),
                     image);
        else
            QCOMPARE(kept.readAll(), QByteArray("previous"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"collage.png"});
    }
};

QUILTRA_TEST_MAIN(TestPngEncoder)
#include "tst_pngencoder.moc"
