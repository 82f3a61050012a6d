#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

namespace {

// Black and white alternating pixel by pixel (phase x + y, x or y): the finest detail an
// image can hold, which nearest-neighbour sampling turns into solid areas or moire.
QImage finePattern(QSize size, int xStep, int yStep)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, (x * xStep + y * yStep) % 2 ? 0xffffffffu : 0xff000000u);
    }
    return image;
}

// Draws photo in one frame of the given size inside margin: no shadow, ornaments or
// rounding, and the one-pixel outline of line width 0 over a white frame background.
QImage renderSingleFrame(QSize frame, int margin, const QImage &photo, bool forExport,
                         float angle = 0, QPointF pan = {})
{
    CollageState &state = CollageState::instance();
    state.photoCountIndex = state.layoutIndex = 0;
    state.canvasSize = frame.grownBy(QMargins(margin, margin, margin, margin));
    CanvasSettings &settings = state.settings;
    settings.margin = margin;
    settings.spacing = settings.topOffset = settings.roundCorners = settings.lineWidth =
        settings.dropShadow = 0;
    settings.cornerTopLeft = settings.cornerBottomRight = false;
    settings.backgroundColor1 = settings.frameBackgroundColor1 = Qt::white;
    state.document.clearGeometry();
    const QRect target(QPoint(0, 0), state.canvasSize.toSize());
    CollageRenderer renderer;
    renderer.buildGeometry(target);
    if (!placePhoto(0, QString(), photo))
        return {};
    state.document.photos[0].angle = angle;
    state.document.photos[0].position += pan;
    return renderer.renderCollage(target, forExport).copy();
}

// jpeg with an Exif block after its start marker that holds only the orientation tag.
QByteArray withOrientation(const QByteArray &jpeg, char orientation)
{
    // Big-endian, first directory at 8, one entry: tag 0x112, one 16-bit value, no next.
    const char tiff[] = {'M', 'M', 0, 42, 0, 0,           0, 8, 0, 1, 0x01, 0x12, 0, 3,
                         0,   0,   0, 1,  0, orientation, 0, 0, 0, 0, 0,    0,    0, 0};
    const QByteArray segment = QByteArray("Exif\0\0", 6) + QByteArray(tiff, sizeof tiff);
    const int length = int(segment.size()) + 2;
    return jpeg.left(2) + QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff) +
           segment + jpeg.mid(2);
}

} // namespace

class TestExportQuality : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    void reducedPhotosShowNoAliasing_data()
    {
        QTest::addColumn<QImage>("photo");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<bool>("forExport");
        // clang-format off
        QTest::newRow("checkerboard, 1/8") << finePattern({1600, 1200}, 1, 1) << QSize(200, 150) << true;
        QTest::newRow("columns, 1/5") << finePattern({2000, 1000}, 1, 0) << QSize(400, 200) << true;
        QTest::newRow("rows, 2/5, portrait") << finePattern({900, 1200}, 0, 1) << QSize(270, 360) << true;
        QTest::newRow("checkerboard on the canvas") << finePattern({1600, 1200}, 1, 1) << QSize(240, 180) << false;
        // clang-format on
    }

    // A photo reduced several times must be averaged: its pattern becomes an even
    // mid-grey (127.5) away from the outline, in the file and in the settled view.
    void reducedPhotosShowNoAliasing()
    {
        QFETCH(QImage, photo);
        QFETCH(QSize, frame);
        QFETCH(bool, forExport);
        const QImage image = renderSingleFrame(frame, 20, photo, forExport);
        const QRect inside = QRect(QPoint(20, 20), frame).adjusted(3, 3, -3, -3);
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x) {
                if (qAbs(qGreen(image.pixel(x, y)) - 128) > 16)
                    QFAIL(qPrintable(QStringLiteral("%1 at (%2, %3)")
                                         .arg(qGreen(image.pixel(x, y)))
                                         .arg(x)
                                         .arg(y)));
            }
        }
    }

    void photoFillsFrameToTheEdge_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<int>("photo");
        // Wide frames are filled by width, so the right edge is at stake; tall ones the
        // bottom edge.
        QTest::newRow("800 of 4000") << QSize(800, 500) << 4000;
        QTest::newRow("odd 251 of 4000") << QSize(251, 150) << 4000;
        QTest::newRow("odd 1009 of 4000") << QSize(1009, 400) << 4000;
        QTest::newRow("odd 105 of 3000") << QSize(105, 80) << 3000;
        QTest::newRow("tall 1011 of 4000") << QSize(300, 1011) << 4000;
        QTest::newRow("tall 257 of 1200") << QSize(181, 257) << 1200;
    }

    // The outline of line width 0 is one pixel, drawn half over the frame's last column
    // and row: a photo a pixel short leaves the white frame background showing there.
    void photoFillsFrameToTheEdge()
    {
        QFETCH(QSize, frame);
        QFETCH(int, photo);
        QImage red(photo, photo, QImage::Format_RGB32);
        red.fill(Qt::red);
        const int right = 10 + frame.width() - 1, bottom = 10 + frame.height() - 1;
        for (bool forExport : {false, true}) {
            const QImage image = renderSingleFrame(frame, 10, red, forExport);
            for (int y = 12; y < bottom - 1; y += 7)
                QVERIFY2(qGreen(image.pixel(right, y)) < 60, qPrintable(QString::number(y)));
            for (int x = 12; x < right - 1; x += 7)
                QVERIFY2(qGreen(image.pixel(x, bottom)) < 60, qPrintable(QString::number(x)));
        }
    }

    void enlargedPhotosMatchTheCanvas_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<float>("angle");
        QTest::addColumn<QPointF>("pan");
        QTest::addColumn<QRect>("red");
        // The red quarter of a 200 x 150 photo, from (50, 38) to (99, 75), doubled into the
        // frame at (30, 30).
        // clang-format off
        QTest::newRow("twice the size") << QSize(200, 150) << 0.0f << QPointF() << QRect(130, 106, 100, 76);
        QTest::newRow("turned and panned") << QSize(160, 160) << 17.0f << QPointF(-30, 12) << QRect();
        QTest::newRow("just over") << QSize(390, 300) << 0.0f << QPointF(5, -4) << QRect();
        // clang-format on
    }

    // Export draws an enlarged photo straight from its source instead of from an enlarged
    // copy; it must land where the canvas's copy does, at the same size and angle.
    void enlargedPhotosMatchTheCanvas()
    {
        QFETCH(QSize, photo);
        QFETCH(float, angle);
        QFETCH(QPointF, pan);
        QFETCH(QRect, red);
        QImage picture(photo, QImage::Format_RGB32);
        QPainter painter(&picture);
        QLinearGradient gradient(0, 0, photo.width(), photo.height() / 2.0);
        gradient.setStops({{0, Qt::yellow}, {1, Qt::darkBlue}});
        painter.fillRect(picture.rect(), gradient);
        painter.fillRect(QRect(QPoint(photo.width(), photo.height()) / 4, photo / 4), Qt::red);
        painter.end();
        const QImage canvas = renderSingleFrame({400, 300}, 30, picture, false, angle, pan);
        const QImage exported = renderSingleFrame({400, 300}, 30, picture, true, angle, pan);
        QVERIFY2(TestSupport::fuzzyEqual(canvas, exported, 24, 0.003),
                 qPrintable(QString::number(TestSupport::maxChannelDifference(canvas, exported))));
        if (red.isEmpty())
            return;
        QUILTRA_COMPARE_PIXEL(exported, red.topLeft() + QPoint(2, 2), Qt::red, 8);
        QUILTRA_COMPARE_PIXEL(exported, red.bottomRight() - QPoint(2, 2), Qt::red, 8);
        // Left of it and below it the gradient shows, with the green the red lacks.
        QVERIFY(qGreen(exported.pixel(red.topLeft() + QPoint(-3, 20))) > 100);
        QVERIFY(qGreen(exported.pixel(red.bottomLeft() + QPoint(20, 3))) > 100);
    }

    // A JPEG stored at 800 x 400 is decoded at the smallest eighth, quarter or half that
    // covers the size asked for.
    void decodesOnlyAsLargeAsNeeded_data()
    {
        QTest::addColumn<bool>("turned");
        QTest::addColumn<QSize>("atLeast");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("no size asked") << false << QSize() << QSize(800, 400);
        QTest::newRow("an eighth covers") << false << QSize(100, 20) << QSize(100, 50);
        QTest::newRow("just over a quarter") << false << QSize(201, 10) << QSize(400, 200);
        QTest::newRow("larger than the photo") << false << QSize(1600, 800) << QSize(800, 400);
        // Stored on its side: the size asked for is the upright one.
        QTest::newRow("turned by its metadata") << true << QSize(150, 300) << QSize(200, 400);
    }

    void decodesOnlyAsLargeAsNeeded()
    {
        QFETCH(bool, turned);
        QFETCH(QSize, atLeast);
        QFETCH(QSize, expected);
        QImage image(800, 400, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QBuffer jpeg;
        QVERIFY(jpeg.open(QIODevice::WriteOnly) && image.save(&jpeg, "JPEG"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("photo.jpg"));
        QFile file(path);
        // Orientation 6: shown turned a quarter clockwise.
        QVERIFY(file.open(QIODevice::WriteOnly) &&
                file.write(turned ? withOrientation(jpeg.data(), 6) : jpeg.data()) > 0);
        file.close();

        QCOMPARE(readPhotoFile(path, atLeast).size(), expected);
    }
};

QUILTRA_TEST_MAIN(TestExportQuality)
#include "tst_exportquality.moc"
