#include "GifEncoder.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>
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
        for (int x = 0; x < width; ++x)
            image.scanLine(y)[x] = uchar((x + y) % count);
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
    return QImage::fromData(bytes, "GIF").convertToFormat(QImage::Format_RGB32);
}

// The mean of each channel's difference over area, the largest of the three.
double meanShift(const QImage &a, const QImage &b, const QRect &area)
{
    double sums[3] = {0, 0, 0};
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sums[0] += qRed(p) - qRed(q);
            sums[1] += qGreen(p) - qGreen(q);
            sums[2] += qBlue(p) - qBlue(q);
        }
    }
    const double pixels = double(area.width()) * area.height();
    return std::max({std::abs(sums[0]), std::abs(sums[1]), std::abs(sums[2])}) / pixels;
}

double psnr(const QImage &reference, const QImage &test)
{
    double squares = 0.0;
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            const QRgb p = reference.pixel(x, y), q = test.pixel(x, y);
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)})
                squares += d * d;
        }
    }
    const double mse = squares / (3.0 * reference.width() * reference.height());
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
        QTest::addColumn<int>("tableBits");
        QTest::newRow("256 colours") << 256 << 8;
        QTest::newRow("200 colours") << 200 << 8;
        QTest::newRow("17 colours") << 17 << 5;
        QTest::newRow("3 colours") << 3 << 2;
        QTest::newRow("1 colour") << 1 << 1;
    }

    // The screen and the image carry the same table of 2^bits entries, padded with black,
    // and the image follows the table at once: no extension block in between.
    void fileLayout()
    {
        QFETCH(int, colours);
        QFETCH(int, tableBits);
        const QImage image = stripes(colours, 300, 7);
        const QByteArray gif = encode(image);
        QVERIFY(gif.startsWith("GIF89a"));
        QCOMPARE(uchar(gif[6]) | uchar(gif[7]) << 8, 300);
        QCOMPARE(uchar(gif[8]) | uchar(gif[9]) << 8, 7);
        QCOMPARE(uchar(gif[10]) & 0x87, 0x80 | (tableBits - 1));
        const int entries = 1 << tableBits;
        for (int i = 0; i < entries; ++i) {
            const int at = 13 + 3 * i;
            QCOMPARE(qRgb(uchar(gif[at]), uchar(gif[at + 1]), uchar(gif[at + 2])),
                     i < colours ? image.color(i) : qRgb(0, 0, 0));
        }
        const int descriptor = 13 + 3 * entries;
        QCOMPARE(uchar(gif[descriptor]), uchar(0x2c));
        QCOMPARE(int(uchar(gif[descriptor + 9])), 0x80 | (tableBits - 1));
        QCOMPARE(gif.back(), ';');
    }

    void readsBackExactly_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::newRow("256 colours") << stripes(256, 61, 40);
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
        QCOMPARE(decode(encode(image)), image.convertToFormat(QImage::Format_RGB32));
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

        const double adaptive = psnr(collage, decode(encode(collage)));
        const double cube = psnr(collage, collage.convertToFormat(QImage::Format_Indexed8));
        QVERIFY2(adaptive > cube + 3.0 && adaptive > 28.0,
                 qPrintable(QStringLiteral("%1 dB against %2 dB").arg(adaptive).arg(cube)));
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
        for (int by = 0; by < image.height(); by += 32) {
            for (int bx = 0; bx < 256; bx += 32) {
                const double shift = meanShift(image, back, QRect(bx, by, 32, 32));
                QVERIFY2(shift < 2.0,
                         qPrintable(QStringLiteral("%1 at %2, %3").arg(shift).arg(bx).arg(by)));
            }
        }
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
