#include "ImageFilter.h"
#include "TestSupport.h"

class TestImageFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filtersEveryPixel_data()
    {
        QTest::addColumn<QImage>("input");
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<float>("value");
        QTest::addColumn<QColor>("expected");
        auto image = [](QColor colour, QImage::Format format = QImage::Format_RGB32) {
            QImage image(3, 2, format);
            image.fill(colour);
            return image;
        };
        using C = QColor;
        // clang-format off
        QTest::newRow("brightness +255") << image(C(10, 128, 254)) << 0 << 255.f << C(255, 255, 255);
        QTest::newRow("brightness -255") << image(C(10, 128, 255)) << 0 << -255.f << C(0, 0, 0);
        QTest::newRow("contrast -255 mid-grey") << image(C(0, 77, 255)) << 1 << -255.f << C(128, 128, 128);
        // A factor of 129.5: one step off 128 already saturates.
        QTest::newRow("contrast +255") << image(C(127, 128, 129)) << 1 << 255.f << C(0, 128, 255);
        // The divisor would be 0; (259 - 260) * 255 makes the factor -522, the curve flips.
        QTest::newRow("contrast 259") << image(C(127, 128, 129)) << 1 << 259.f << C(255, 128, 0);
        QTest::newRow("gamma 0 unchanged") << image(C(17, 128, 254)) << 2 << 0.f << C(17, 128, 254);
        // Gamma 2: sqrt(128 / 255) * 255 = 180.7, sqrt(64 / 255) * 255 = 127.7.
        QTest::newRow("gamma 100") << image(C(128, 64, 0)) << 2 << 100.f << C(180, 127, 0);
        QTest::newRow("gamma -100") << image(C(0, 254, 255)) << 2 << -100.f << C(0, 0, 255);
        // 0.393 * 128 + 0.769 * 128 + 0.189 * 128 = 172.9, and so on.
        QTest::newRow("sepia") << image(C(128, 128, 128)) << 3 << 0.f << C(172, 153, 119);
        QTest::newRow("invert below 0") << image(C(0, 1, 200)) << 4 << 0.f << C(0, 1, 200);
        QTest::newRow("invert below 255") << image(C(0, 254, 255)) << 4 << 255.f << C(255, 1, 255);
        QTest::newRow("translucent made opaque") << image(C(200, 100, 50, 128), QImage::Format_ARGB32)
            << 0 << 10.f << C(210, 110, 60);
        QTest::newRow("grayscale then sepia") << image(C(128, 128, 128), QImage::Format_Grayscale8)
            << 3 << 0.f << C(172, 153, 119);
        // clang-format on
    }

    void filtersEveryPixel()
    {
        QFETCH(QImage, input);
        QFETCH(int, filterIndex);
        QFETCH(float, value);
        QFETCH(QColor, expected);
        QImage wanted(input.size(), QImage::Format_RGB32);
        wanted.fill(expected);
        QCOMPARE(applyFilter(input, filterIndex, value), wanted);
    }
};

QUILTRA_TEST_MAIN(TestImageFilter)
#include "tst_imagefilter.moc"
