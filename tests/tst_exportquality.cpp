#include "CollageRenderCommand.h"
#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>

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
        QTest::newRow("checkerboard, 1/8")
            << finePattern({1600, 1200}, 1, 1) << QSize(200, 150) << true;
        QTest::newRow("columns, 1/5") << finePattern({2000, 1000}, 1, 0) << QSize(400, 200) << true;
        QTest::newRow("rows, 2/5, portrait")
            << finePattern({900, 1200}, 0, 1) << QSize(270, 360) << true;
        QTest::newRow("checkerboard on the canvas")
            << finePattern({1600, 1200}, 1, 1) << QSize(240, 180) << false;
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
        int darkest = 255, lightest = 0;
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x) {
                darkest = std::min(darkest, qGreen(image.pixel(x, y)));
                lightest = std::max(lightest, qGreen(image.pixel(x, y)));
            }
        }
        QVERIFY2(darkest >= 112 && lightest <= 143,
                 qPrintable(QStringLiteral("grey from %1 to %2").arg(darkest).arg(lightest)));
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
        const int margin = 10, right = margin + frame.width() - 1;
        const int bottom = margin + frame.height() - 1;
        for (bool forExport : {false, true}) {
            const QImage image = renderSingleFrame(frame, margin, red, forExport);
            QVERIFY(!image.isNull());
            for (int y = margin + 2; y < bottom - 1; y += 7)
                QVERIFY2(qGreen(image.pixel(right, y)) < 60, qPrintable(QString::number(y)));
            for (int x = margin + 2; x < right - 1; x += 7)
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
        QTest::newRow("twice the size")
            << QSize(200, 150) << 0.0f << QPointF() << QRect(130, 106, 100, 76);
        QTest::newRow("turned and panned")
            << QSize(160, 160) << 17.0f << QPointF(-30, 12) << QRect();
        QTest::newRow("just over") << QSize(390, 300) << 0.0f << QPointF(5, -4) << QRect();
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
        QLinearGradient gradient(0, 0, photo.width(), photo.height() / 2.0);
        gradient.setStops({{0, Qt::yellow}, {1, Qt::darkBlue}});
        QPainter painter(&picture);
        painter.fillRect(picture.rect(), gradient);
        painter.fillRect(QRect(QPoint(photo.width(), photo.height()) / 4, photo / 4), Qt::red);
        painter.end();
        const QImage canvas = renderSingleFrame({400, 300}, 30, picture, false, angle, pan);
        const QImage exported = renderSingleFrame({400, 300}, 30, picture, true, angle, pan);
        QVERIFY2(TestSupport::fuzzyEqual(canvas, exported, 24, 0.003),
                 qPrintable(QString::number(TestSupport::maxChannelDifference(canvas, exported))));
        if (red.isEmpty())
            return;
        const QRect inside = red.adjusted(2, 2, -2, -2);
        for (const QPoint p : {inside.topLeft(), inside.bottomRight()})
            QUILTRA_COMPARE_PIXEL(exported, p, Qt::red, 8);
        // Left of it and below it the gradient shows, with the green the red lacks.
        for (const QPoint p : {red.topLeft() + QPoint(-3, 20), red.bottomLeft() + QPoint(20, 3)})
            QVERIFY(qGreen(exported.pixel(p)) > 100);
    }

    void pngKeepsAlphaOnlyWhenNeeded_data()
    {
        QTest::addColumn<QColor>("background");
        QTest::addColumn<bool>("alpha");
        QTest::newRow("opaque") << QColor(0x30, 0x60, 0xc0) << false;
        QTest::newRow("half transparent") << QColor(255, 0, 0, 0x80) << true;
        QTest::newRow("nearly opaque") << QColor(0, 255, 0, 0xfe) << true;
    }

    // An opaque collage needs no alpha channel in its file; any transparency, even one
    // level, must survive the write, while the frames stay opaque.
    void pngKeepsAlphaOnlyWhenNeeded()
    {
        QFETCH(QColor, background);
        QFETCH(bool, alpha);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("collage.png"));
        QString output, errors;
        QTextStream outStream(&output), errStream(&errors);
        const QStringList arguments = QStringLiteral("--count 2 --size 300x200 --margin 20 "
                                                     "--spacing 10 --corners none --background")
                                          .split(QLatin1Char(' '));
        const int status = CollageRenderCommand(outStream, errStream)
                               .run(arguments + QStringList{background.name(QColor::HexArgb),
                                                            QStringLiteral("--out"), out});
        QVERIFY2(status == CollageRenderCommand::kSuccess, qPrintable(errors));
        const QImage image = QImageReader(out).read();
        QCOMPARE(image.hasAlphaChannel(), alpha);
        QCOMPARE(image.pixelColor(2, 2), background);
        QCOMPARE(image.pixelColor(80, 100).alpha(), 255);
    }

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

    // A JPEG stored at 800x400 with a red band along its stored top edge.
    void decodesOnlyAsLargeAsNeeded()
    {
        QFETCH(bool, turned);
        QFETCH(QSize, atLeast);
        QFETCH(QSize, expected);
        QImage image(800, 400, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QPainter(&image).fillRect(QRect(0, 0, 800, 100), Qt::red);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, "JPEG", 90));
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("photo.jpg")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Orientation 6: shown turned a quarter clockwise.
        file.write(turned ? withOrientation(buffer.data(), 6) : buffer.data());
        file.close();

        const QImage photo = readPhotoFile(file.fileName(), atLeast);
        QCOMPARE(photo.size(), expected);
        // Turned a quarter clockwise, the stored top lies along the right edge.
        const int w = photo.width(), h = photo.height();
        const QPoint top = turned ? QPoint(w - 2, h / 2) : QPoint(w / 2, 1);
        const QPoint bottom = turned ? QPoint(1, h / 2) : QPoint(w / 2, h - 2);
        QVERIFY(photo.pixelColor(top).red() > 200 && photo.pixelColor(top).blue() < 60);
        QVERIFY(photo.pixelColor(bottom).blue() > 200 && photo.pixelColor(bottom).red() < 60);
    }
};

QUILTRA_TEST_MAIN(TestExportQuality)
#include "tst_exportquality.moc"
