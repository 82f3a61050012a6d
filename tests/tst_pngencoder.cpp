#include "ImageFileWriter.h"
#include "PngEncoder.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>

namespace {

// Pixels deflate cannot shorten, so every band holds real work. With flat, those pixels
// are one colour instead; with repeatFrom, the left half of each row from there on
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

} // namespace

class TestPngEncoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every image with an alpha channel here has pixels that are not opaque.
    void encodes_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QList<int>>("batches"); // rows per addRows; none: the whole image
        const auto add = [](const char *name, const QImage &image, const QList<int> &batches = {}) {
            QTest::newRow(name) << image << batches;
        };
        const QImage rgba = noise({64, 40}, QImage::Format_ARGB32, true);
        const QImage photo(TestSupport::dataPath(QStringLiteral("photos/camera_480x360.jpg")));
        add("alpha of every level", rgba);
        add("premultiplied", noise({51, 33}, QImage::Format_ARGB32_Premultiplied, true));
        // More bands than are deflated at once.
        add("many bands", noise({1500, 1900}, QImage::Format_RGB32, false));
        // A flat run over several band edges, meeting bands of noise.
        add("long run above noise",
            noise({1000, 1400}, QImage::Format_RGB32, false, QRect(0, 0, 1000, 1000)));
        add("noise above a long run, in batches",
            noise({1000, 1400}, QImage::Format_RGB32, false, QRect(0, 400, 1000, 1000)),
            {700, 700});
        add("in uneven batches", rgba, {1, 5, 13, 21});
        add("three-byte pixels, odd width, in batches",
            noise({333, 99}, QImage::Format_RGB888, false), {50, 49});
        add("photo", photo);
        add("photo, four times over",
            photo.scaled(photo.size() * 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        add("half of each row repeating", noise({1000, 2000}, QImage::Format_RGB32, false, {}, 0));
        add("flat colour",
            noise({3000, 2000}, QImage::Format_RGB32, false, QRect(0, 0, 3000, 2000)));
    }

    // The toolkit's own reader is the judge: each pixel must come back exactly, in a file
    // with alpha only where the image has any. Cutting the stream into bands must not cost
    // more than the toolkit's own writer spends.
    void encodes()
    {
        QFETCH(QImage, image);
        QFETCH(QList<int>, batches);
        const bool alpha = image.hasAlphaChannel();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (batches.isEmpty()) {
            QVERIFY(PngEncoder::write(image, &buffer));
        } else {
            PngEncoder encoder(&buffer, image.size(), alpha);
            for (int top = 0; int rows : batches) {
                QVERIFY(encoder.addRows(image.copy(0, top, image.width(), rows)));
                top += rows;
            }
            QVERIFY(encoder.isComplete());
        }
        const QImage decoded = QImage::fromData(buffer.data(), "PNG");
        QCOMPARE(decoded.hasAlphaChannel(), alpha);
        QCOMPARE(decoded.convertToFormat(QImage::Format_ARGB32),
                 image.convertToFormat(QImage::Format_ARGB32));
        QBuffer toolkits;
        toolkits.open(QIODevice::WriteOnly);
        QVERIFY(QImageWriter(&toolkits, "png").write(image));
        QVERIFY2(buffer.size() <= toolkits.size(),
                 qPrintable(QStringLiteral("%1 > %2").arg(buffer.size()).arg(toolkits.size())));
    }

    // Rows that do not belong to the image stop the encoder for good, and a render that
    // gives up part way leaves the file that was there, not a PNG cut short.
    void writesWholeOrNotAtAll_data()
    {
        QTest::addColumn<QList<QRect>>("batches");
        QTest::addColumn<bool>("written");
        QTest::newRow("every row") << QList<QRect>{{0, 0, 200, 100}, {0, 100, 200, 200}} << true;
        QTest::newRow("stops halfway") << QList<QRect>{{0, 0, 200, 150}} << false;
        QTest::newRow("narrower") << QList<QRect>{{0, 0, 199, 300}} << false;
        QTest::newRow("past the last row")
            << QList<QRect>{{0, 0, 200, 300}, {0, 0, 200, 1}} << false;
    }

    void writesWholeOrNotAtAll()
    {
        QFETCH(QList<QRect>, batches);
        QFETCH(bool, written);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("collage.png")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("previous") == 8);
        file.close();

        const QImage image = noise({200, 300}, QImage::Format_ARGB32, true);
        ImageFileWriter writer(file.fileName());
        const auto produce = [&](const ImageFileWriter::RowSink &sink) {
            return std::all_of(batches.begin(), batches.end(),
                               [&](const QRect &rows) { return sink(image.copy(rows)); });
        };
        QCOMPARE(writer.writePngRows(image.size(), true, produce), written);
        QCOMPARE(writer.errorString().isEmpty(), written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray kept = file.readAll();
        QCOMPARE(kept == "previous", !written);
        QVERIFY(!written || QImage::fromData(kept).convertToFormat(QImage::Format_ARGB32) == image);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"collage.png"});
    }
};

QUILTRA_TEST_MAIN(TestPngEncoder)
#include "tst_pngencoder.moc"
