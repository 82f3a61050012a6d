#include "ImageFilter.h"
#include "TestSupport.h"

namespace {

// A small image of one colour, large enough that every row and column is visited.
QImage filled(const QColor &color, QImage::Format format)
{
    QImage image(3, 2, format);
    image.fill(color);
    return image;
}

} // namespace

class TestImageFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filtersEveryPixel_data()
    {
        QTest::addColumn<QColor>("input");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<float>("value");
        QTest::addColumn<QColor>("expected");
        const int rgb = QImage::Format_RGB32;
        QTest::newRow("brightness +255 is white")
            << QColor(10, 128, 254) << rgb << 0 << 255.0f << QColor(255, 255, 255);
        QTest::newRow("brightness -255 is black")
            << QColor(10, 128, 255) << rgb << 0 << -255.0f << QColor(0, 0, 0);
        // f = 265 * 259 / (249 * 255) = 1.08095; 200 -> 205.83, 100 -> 97.73.
        QTest::newRow("contrast 10")
            << QColor(200, 100, 128) << rgb << 1 << 10.0f << QColor(205, 97, 128);
        QTest::newRow("contrast -255 is mid-grey")
            << QColor(0, 77, 255) << rgb << 1 << -255.0f << QColor(128, 128, 128);
        // f = 129.5: one step off 128 already saturates.
        QTest::newRow("contrast +255")
            << QColor(127, 128, 129) << rgb << 1 << 255.0f << QColor(0, 128, 255);
        // The divisor would be 0; (259 - 260) * 255 makes f = -522: the curve flips.
        QTest::newRow("contrast divisor guard")
            << QColor(127, 128, 129) << rgb << 1 << 259.0f << QColor(255, 128, 0);
        QTest::newRow("gamma slider 0 unchanged")
            << QColor(17, 128, 254) << rgb << 2 << 0.0f << QColor(17, 128, 254);
        // Gamma 2: sqrt(128 / 255) * 255 = 180.7, sqrt(64 / 255) * 255 = 127.7.
        QTest::newRow("gamma slider 100")
            << QColor(128, 64, 0) << rgb << 2 << 100.0f << QColor(180, 127, 0);
        QTest::newRow("gamma slider -100")
            << QColor(0, 254, 255) << rgb << 2 << -100.0f << QColor(0, 0, 255);
        QTest::newRow("sepia mid-grey")
            << QColor(128, 128, 128) << rgb << 3 << 0.0f << QColor(172, 153, 119);
        QTest::newRow("invert threshold 0")
            << QColor(0, 1, 200) << rgb << 4 << 0.0f << QColor(0, 1, 200);
        QTest::newRow("invert threshold 255")
            << QColor(0, 254, 255) << rgb << 4 << 255.0f << QColor(255, 1, 255);
        QTest::newRow("translucent comes out opaque")
            << QColor(200, 100, 50, 128) << int(QImage::Format_ARGB32) << 0 << 10.0f
            << QColor(210, 110, 60);
        QTest::newRow("grayscale then sepia")
            << QColor(128, 128, 128) << int(QImage::Format_Grayscale8) << 3 << 0.0f
            << QColor(172, 153, 119);
    }

    void filtersEveryPixel()
    {
        QFETCH(QColor, input);
        QFETCH(int, format);
        QFETCH(int, filterIndex);
        QFETCH(float, value);
        QFETCH(QColor, expected);
        const QImage image = filled(input, QImage::Format(format));
        const QImage result = applyFilter(image, filterIndex, value);
        QCOMPARE(result.format(), QImage::Format_RGB32);
        QCOMPARE(result.size(), image.size());
        for (int y = 0; y < result.height(); ++y) {
            for (int x = 0; x < result.width(); ++x)
                QCOMPARE(QColor::fromRgba(result.pixel(x, y)), expected);
        }
    }

    void emptyImageUnchanged()
    {
        QVERIFY(applyFilter(QImage(), ImageFilter::Sepia, 0.0f).isNull());
        QVERIFY(
            applyFilter(QImage(4, 0, QImage::Format_ARGB32), ImageFilter::Sepia, 0.0f).isNull());
    }
};

QUILTRA_TEST_MAIN(TestImageFilter)
#include "tst_imagefilter.moc"
