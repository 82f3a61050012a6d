#include "GifEncoder.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QPainter>
#include <cmath>

namespace {

// An indexed image using each of count colours, in stripes, with a table of exactly count
// entries whose colours are far apart.
QImage stripes(int count, int width = 61, int height = 40)
{
    QImage image(width, height, QImage::Format_Indexed8);
    for (int i = 0; i < count; ++i)
        image.setColor(i, qRgb((i * 37) % 256, (i * 91 + 13) % 256, 255 - i % 256));
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
    GifEncoder::write(image, &buffer);
    return buffer.data();
}

QImage decode(const QByteArray &bytes)
{
    return QImage::fromData(bytes, "GIF").convertToFormat(QImage::Format_RGB32);
}

// Over area: the peak signal-to-noise ratio in dB, and the largest mean difference of one
// channel, which shows as a band where it is large.
std::pair<double, double> compare(const QImage &a, const QImage &b, const QRect &area)
{
    double squares = 0.0, shifts[3] = {0, 0, 0};
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d[3] = {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)};
            for (int c = 0; c < 3; ++c) {
                squares += d[c] * d[c];
                shifts[c] += d[c];
            }
        }
    }
    const double pixels = double(area.width()) * area.height();
    const double shift = std::max({std::abs(shifts[0]), std::abs(shifts[1]), std::abs(shifts[2])});
    return {10.0 * std::log10(255.0 * 255.0 * 3.0 * pixels / std::max(squares, 1e-9)),
            shift / pixels};
}

// Refuses every byte past its room, like a disk that fills up.
struct FillingDevice : QIODevice
{
    explicit FillingDevice(qint64 room) : room(room) { open(QIODevice::WriteOnly); }
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 n) override { return (room -= n) < 0 ? -1 : n; }
    qint64 room;
};

} // namespace

class TestGifEncoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesTheImage_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("tableBits");
        QTest::newRow("256 colours") << stripes(256) << 8;
        QTest::newRow("200 colours") << stripes(200) << 8;
        QTest::newRow("3 colours") << stripes(3) << 2;
        QTest::newRow("1 colour") << stripes(1) << 1;
        // Rows are padded to 4 bytes in memory; a stray pad byte would shear the picture.
        QTest::newRow("1918 wide") << stripes(17, 1918, 6) << 5;
        QImage mono(37, 9, QImage::Format_Mono);
        mono.setColorTable({qRgb(200, 30, 40), qRgb(10, 220, 90)});
        for (int y = 0; y < mono.height(); ++y) {
            for (int x = 0; x < mono.width(); ++x)
                mono.setPixel(x, y, (x * y + x) % 3 == 0 ? 1 : 0);
        }
        QTest::newRow("1-bit with its colours") << mono << 1;
        // Alpha is dropped: each pixel keeps its own red, green and blue.
        QImage few(30, 20, QImage::Format_ARGB32);
        few.fill(qRgba(12, 34, 56, 0));
        for (int x = 0; x < 30; ++x)
            few.setPixel(x, x % 20, qRgba(250, 128, x, x * 8));
        QTest::newRow("true colour with 31 colours and alpha") << few << 5;
    }

    // The screen and the image carry the same table of 2^bits entries, an indexed image's
    // own colours padded with black, and the image follows the table at once: no
    // extension block in between.
    void writesTheImage()
    {
        QFETCH(QImage, image);
        QFETCH(int, tableBits);
        const QByteArray gif = encode(image);
        QVERIFY(gif.startsWith("GIF89a"));
        QCOMPARE(QSize(uchar(gif[6]) | uchar(gif[7]) << 8, uchar(gif[8]) | uchar(gif[9]) << 8),
                 image.size());
        QCOMPARE(uchar(gif[10]) & 0x87, 0x80 | (tableBits - 1));
        const int entries = 1 << tableBits;
        for (int i = 0; i < entries && image.colorCount() > 0; ++i) {
            const char *entry = gif.constData() + 13 + 3 * i;
            QCOMPARE(qRgb(uchar(entry[0]), uchar(entry[1]), uchar(entry[2])),
                     i < image.colorCount() ? image.color(i) : qRgb(0, 0, 0));
        }
        QCOMPARE(gif[13 + 3 * entries], '\x2c');
        QCOMPARE(uchar(gif[13 + 3 * entries + 9]), 0x80 | (tableBits - 1));
        QCOMPARE(decode(gif), image.convertToFormat(QImage::Format_RGB32));
    }

    // A photo collage with more than 256 colours gets a palette of its own: clearly closer
    // to the original than the toolkit's fixed colour cube.
    void adaptivePaletteBeatsFixedCube()
    {
        const QImage photo(TestSupport::dataPath(QStringLiteral("photos/camera_480x360.jpg")));
        QImage collage(640, 400, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&collage);
        QLinearGradient gradient(0, 0, 0, 400);
        gradient.setStops({{0, QColor(250, 240, 220)}, {1, QColor(40, 120, 60)}});
        painter.fillRect(collage.rect(), gradient);
        painter.drawImage(QRect(20, 20, 300, 225), photo);
        painter.drawImage(QRect(330, 60, 290, 320), photo, QRect(100, 0, 260, 360));
        painter.end();
        const double adaptive = compare(collage, decode(encode(collage)), collage.rect()).first;
        const QImage cube = collage.convertToFormat(QImage::Format_Indexed8);
        const double fixed = compare(collage, cube, collage.rect()).first;
        QVERIFY2(adaptive > fixed + 3.0 && adaptive > 28.0,
                 qPrintable(QStringLiteral("%1 dB against %2 dB").arg(adaptive).arg(fixed)));
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
        for (int block = 0; block < 32; ++block) {
            const QRect area(block % 8 * 32, block / 8 * 32, 32, 32);
            QVERIFY2(compare(image, back, area).second < 2.0, qPrintable(QString::number(block)));
        }
    }

    void failureIsReported_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<qint64>("room");
        const qint64 whole = encode(stripes(3)).size();
        QTest::newRow("null image") << QImage() << qint64(1 << 20);
        QTest::newRow("full before the header") << stripes(3) << qint64(0);
        QTest::newRow("full in the colour table") << stripes(3) << qint64(15);
        QTest::newRow("full in the pixels") << stripes(3) << whole - 8;
        QTest::newRow("full before the trailer") << stripes(3) << whole - 1;
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
