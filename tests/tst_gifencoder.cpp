#include "GifEncoder.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>

namespace {

// An indexed image using each of count colours, in stripes, with a table of exactly count
// entries whose colours are far apart.
QImage stripes(int count, int width, int height)
{
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < count; ++i)
        table.append(qRgb((i * 37) % 256, (i * 91 + 13) % 256, 255 - i % 256));
    image.setColorTable(table);
    for (int y = 0; y < height; ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < width; ++x)
            line[x] = uchar((x + y) % count);
    }
    return image;
}

QByteArray encode(const QImage &image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString reason;
    if (!GifEncoder::write(image, &buffer, &reason))
        qWarning("GIF encoding failed: %s", qPrintable(reason));
    return buffer.data();
}

QImage decode(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

int little16(const QByteArray &bytes, int at)
{
    return uchar(bytes[at]) | (uchar(bytes[at + 1]) << 8);
}

double psnr(const QImage &reference, const QImage &test)
{
    const QImage a = reference.convertToFormat(QImage::Format_RGB32);
    const QImage b = test.convertToFormat(QImage::Format_RGB32);
    double squares = 0.0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int d[3] = {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)};
            squares += d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
        }
    }
    const double mse = squares / (3.0 * a.width() * a.height());
    return 10.0 * std::log10(255.0 * 255.0 / std::max(mse, 1e-9));
}

// Refuses every byte past its limit, like a disk that fills up.
class FillingDevice : public QIODevice
{
public:
    explicit FillingDevice(qint64 limit) : m_limit(limit) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 length) override
    {
        if (m_written + length > m_limit)
            return -1;
        m_written += length;
        return length;
    }

private:
    qint64 m_limit;
    qint64 m_written = 0;
};

} // namespace

class TestGifEncoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileLayout_data()
    {
        QTest::addColumn<int>("colours");
        QTest::addColumn<int>("tableEntries");
        QTest::addColumn<int>("tableBits");
        QTest::newRow("256 colours") << 256 << 256 << 8;
        QTest::newRow("200 colours") << 200 << 256 << 8;
        QTest::newRow("17 colours") << 17 << 32 << 5;
        QTest::newRow("3 colours") << 3 << 4 << 2;
        QTest::newRow("2 colours") << 2 << 2 << 1;
        QTest::newRow("1 colour") << 1 << 2 << 1;
    }

    void fileLayout()
    {
        QFETCH(int, colours);
        QFETCH(int, tableEntries);
        QFETCH(int, tableBits);
        const QImage image = stripes(colours, 300, 7);
        const QByteArray gif = encode(image);

        QVERIFY(gif.startsWith("GIF89a"));
        QCOMPARE(little16(gif, 6), 300);
        QCOMPARE(little16(gif, 8), 7);
        const uchar screen = uchar(gif[10]);
        QVERIFY(screen & 0x80); // global table present
        QCOMPARE(screen & 0x07, tableBits - 1);
        QCOMPARE(int(gif[11]), 0); // background index
        for (int i = 0; i < tableEntries; ++i) {
            const QRgb expected = i < colours ? image.color(i) : qRgb(0, 0, 0);
            const int at = 13 + 3 * i;
            QCOMPARE(qRgb(uchar(gif[at]), uchar(gif[at + 1]), uchar(gif[at + 2])), expected);
        }
        // The image descriptor follows the table at once: no extension block in between.
        const int descriptor = 13 + 3 * tableEntries;
        QCOMPARE(uchar(gif[descriptor]), uchar(0x2c));
        QCOMPARE(little16(gif, descriptor + 1), 0);
        QCOMPARE(little16(gif, descriptor + 3), 0);
        QCOMPARE(little16(gif, descriptor + 5), 300);
        QCOMPARE(little16(gif, descriptor + 7), 7);
        // Local table of the same size, not interlaced.
        QCOMPARE(int(uchar(gif[descriptor + 9])), 0x80 | (tableBits - 1));
        QVERIFY(!gif.contains("NETSCAPE"));
        QCOMPARE(gif.back(), ';');
    }

    void readsBackExactly_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::newRow("256 colours") << stripes(256, 61, 40);
        QTest::newRow("200 colours") << stripes(200, 61, 40);
        QTest::newRow("3 colours") << stripes(3, 61, 40);
        // Rows are padded to 4 bytes in memory; a stray pad byte would shear the picture.
        QTest::newRow("1918 wide") << stripes(5, 1918, 6);
        QImage mono(37, 9, QImage::Format_Mono);
        mono.setColorTable({qRgb(200, 30, 40), qRgb(10, 220, 90)});
        for (int y = 0; y < mono.height(); ++y) {
            for (int x = 0; x < mono.width(); ++x)
                mono.setPixel(x, y, (x * y + x) % 3 == 0 ? 1 : 0);
        }
        QTest::newRow("1-bit with its colours") << mono;
        // Alpha is dropped: each pixel keeps its own red, green and blue.
        QImage few(30, 20, QImage::Format_ARGB32);
        few.fill(qRgba(12, 34, 56, 0));
        for (int x = 0; x < 30; ++x)
            few.setPixel(x, x % 20, qRgba(250, 128, x, x * 8));
        QTest::newRow("true colour with 31 colours and alpha") << few;
    }

    void readsBackExactly()
    {
        QFETCH(QImage, image);
        const QByteArray gif = encode(image);
        const QImage expected = image.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(decode(gif), expected);

        // A decoder of another make, when one is installed.
        const QString magick = QStandardPaths::findExecutable(QStringLiteral("convert"));
        if (magick.isEmpty())
            return;
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("a.gif")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(gif) == gif.size());
        file.close();
        QProcess process;
        process.start(magick, {file.fileName(), QStringLiteral("rgb:-")});
        QVERIFY(process.waitForFinished(30000));
        const QByteArray rgb = process.readAllStandardOutput();
        QCOMPARE(rgb.size(), qsizetype(expected.width()) * expected.height() * 3);
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                const qsizetype at = (qsizetype(y) * expected.width() + x) * 3;
                QCOMPARE(qRgb(uchar(rgb[at]), uchar(rgb[at + 1]), uchar(rgb[at + 2])),
                         expected.pixel(x, y));
            }
        }
    }

    // A photo collage with more than 256 colours gets a palette of its own: clearly closer
    // to the original than the toolkit's fixed colour cube.
    void adaptivePaletteBeatsFixedCube()
    {
        const QImage photo(TestSupport::dataPath(QStringLiteral("photos/camera_480x360.jpg")));
        QVERIFY(!photo.isNull());
        QImage collage(640, 400, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&collage);
        QLinearGradient gradient(0, 0, 0, 400);
        gradient.setColorAt(0, QColor(250, 240, 220));
        gradient.setColorAt(1, QColor(40, 120, 60));
        painter.fillRect(collage.rect(), gradient);
        painter.drawImage(QRect(20, 20, 300, 225), photo);
        painter.drawImage(QRect(330, 60, 290, 320), photo, QRect(100, 0, 260, 360));
        painter.end();

        const QImage adaptive = decode(encode(collage));
        const double adaptivePsnr = psnr(collage, adaptive);
        const double cubePsnr = psnr(collage, collage.convertToFormat(QImage::Format_Indexed8));
        qInfo("PSNR: adaptive palette %.2f dB, fixed colour cube %.2f dB", adaptivePsnr, cubePsnr);
        QVERIFY(adaptivePsnr > cubePsnr + 3.0);
        QVERIFY(adaptivePsnr > 28.0);
    }

    // Error diffusion keeps the average colour of every area, so smooth shading shows no
    // bands even where the palette has few colours near it: here random colours on the
    // right claim most of the palette.
    void diffusionKeepsLocalAverages()
    {
        QImage image(512, 128, QImage::Format_RGB32);
        quint32 seed = 12345;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                image.setPixel(x, y,
                               x < 256 ? qRgb(40 + x * 2 / 3, 40 + (x + 2 * y) / 3, 200 - y)
                                       : QRgb(seed >> 8));
            }
        }
        const QImage back = decode(encode(image));
        constexpr int block = 32;
        double worst = 0.0;
        for (int by = 0; by < image.height(); by += block) {
            for (int bx = 0; bx < 256; bx += block) {
                double difference[3] = {0, 0, 0};
                for (int y = by; y < by + block; ++y) {
                    for (int x = bx; x < bx + block; ++x) {
                        const QRgb p = image.pixel(x, y);
                        const QRgb q = back.pixel(x, y);
                        difference[0] += qRed(p) - qRed(q);
                        difference[1] += qGreen(p) - qGreen(q);
                        difference[2] += qBlue(p) - qBlue(q);
                    }
                }
                for (double d : difference)
                    worst = std::max(worst, std::abs(d) / (block * block));
            }
        }
        QVERIFY2(worst < 2.0, qPrintable(QString::number(worst)));
    }

    void failureIsReported_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<qint64>("room");
        const QImage image = stripes(3, 40, 30);
        const qint64 whole = encode(image).size();
        QTest::newRow("null image") << QImage() << qint64(1 << 20);
        QTest::newRow("full before the header") << image << qint64(0);
        QTest::newRow("full in the colour table") << image << qint64(15);
        QTest::newRow("full in the pixels") << image << whole - 8;
        QTest::newRow("full before the trailer") << image << whole - 1;
    }

    void failureIsReported()
    {
        QFETCH(QImage, image);
        QFETCH(qint64, room);
        FillingDevice device(room);
        QString reason;
        QVERIFY(!GifEncoder::write(image, &device, &reason));
        QVERIFY(!reason.isEmpty());
    }
};

QUILTRA_TEST_MAIN(TestGifEncoder)
#include "tst_gifencoder.moc"
