#include "CanvasGeometry.h"
#include "CollageRenderer.h"
#include "CollageState.h"
#include "FrameCommands.h"
#include "ImageFilter.h"
#include "LayoutCatalogue.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QPainter>

namespace {

// Left half red, right half blue: where the photo is drawn and how far it reaches shows.
QImage halves(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    painter.fillRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height(), Qt::blue);
    return image;
}

} // namespace

// A photo may be shown far larger than it is kept: its geometry stays in document pixels
// while the image in memory is bounded by the source and the display limit.
class TestHeldPhotoImage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { CollageState::reset(); }

    void boundsTheHeldImage_data()
    {
        QTest::addColumn<QSize>("displaySize");
        QTest::addColumn<QSize>("source");
        QTest::addColumn<qint64>("maxPixels");
        QTest::addColumn<QSize>("held");
        const qint64 plenty = qint64(1) << 40;
        QTest::newRow("reduction kept at its size")
            << QSize(400, 300) << QSize(4000, 3000) << plenty << QSize(400, 300);
        // The height binds: 3000 / 16000 = 0.1875, and 21333 x 0.1875 = 3999.9, a pixel
        // short of the source.
        QTest::newRow("enlargement held at the source")
            << QSize(21333, 16000) << QSize(4000, 3000) << plenty << QSize(4000, 3000);
        // sqrt(2,000,000 / 8,000,000) = 1/2; with a source a fifth of the size shown, the
        // limit (a tenth of each side) binds first.
        QTest::newRow("reduction above the limit")
            << QSize(4000, 2000) << QSize(8000, 4000) << qint64(2000000) << QSize(2000, 1000);
        QTest::newRow("enlargement above a limit below the source")
            << QSize(20000, 10000) << QSize(4000, 2000) << qint64(2000000) << QSize(2000, 1000);
        QTest::newRow("no source") << QSize(40, 30) << QSize() << plenty << QSize();
    }

    void boundsTheHeldImage()
    {
        QFETCH(QSize, displaySize);
        QFETCH(QSize, source);
        QFETCH(qint64, maxPixels);
        QFETCH(QSize, held);
        QCOMPARE(heldDisplaySize(displaySize, source, maxPixels), held);
    }

    void placesOnAHugeCanvas_data()
    {
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<QSize>("photoSize");
        QTest::addColumn<QSize>("displaySize");
        QTest::addColumn<QPointF>("position");
        QTest::addColumn<QSize>("heldSize");
        // Fitted by the height: 16000 x 4/3 = 21333.3, rounded; the overflow of 13333 is
        // split, trunc(6666.5) to the left.
        QTest::newRow("portrait frame, enlarged")
            << QRectF(100, 200, 8000, 16000) << QSize(4000, 3000) << QSize(21333, 16000)
            << QPointF(100 - 6666, 200) << QSize(4000, 3000);
        // Fitted by the width: 31000 x 3/4 = 23250, below a frame of 31000 x 30000 by 6750,
        // 3375 of it above. The photo is still larger than the 256 MP limit.
        QTest::newRow("wide frame, enlarged past the limit")
            << QRectF(500, 1000, 31000, 30000) << QSize(4000, 3000) << QSize(31000, 23250)
            << QPointF(500, 1000 + 3375) << QSize(4000, 3000);
        QTest::newRow("reduction as on any canvas")
            << QRectF(0, 0, 2000, 1500) << QSize(4000, 3000) << QSize(2000, 1500) << QPointF(0, 0)
            << QSize(2000, 1500);
    }

    void placesOnAHugeCanvas()
    {
        QFETCH(QRectF, frame);
        QFETCH(QSize, photoSize);
        QFETCH(QSize, displaySize);
        QFETCH(QPointF, position);
        QFETCH(QSize, heldSize);
        CollageState &state = CollageState::instance();
        state.canvasSize = QSizeF(32000, 32000);
        state.document.frameRects = {frame};
        const QImage image(photoSize, QImage::Format_RGB32);

        QVERIFY(placePhoto(0, QStringLiteral("big.jpg"), image));
        const PhotoFrame &photo = state.document.photos[0];
        QCOMPARE(photo.displaySize, displaySize);
        QCOMPARE(photo.position, position);
        QCOMPARE(photo.scale, float(displaySize.width()) / float(photoSize.width()));
        QCOMPARE(photo.displayImage.size(), heldSize);
        QVERIFY(qint64(heldSize.width()) * heldSize.height() <= maxDisplayPixels(state.canvasSize));
    }

    void drawsTheHeldImageAtTheShownSize_data()
    {
        QTest::addColumn<bool>("forExport");
        QTest::addColumn<bool>("zoomed");
        QTest::addColumn<bool>("inverted");
        QTest::newRow("canvas") << false << false << false;
        QTest::newRow("export") << true << false << false;
        QTest::newRow("canvas after a wheel zoom") << false << true << false;
        QTest::newRow("canvas after a filter") << false << false << true;
    }

    // A 20 x 10 photo shown 10 times enlarged in a 200 x 100 frame fills the frame; drawn
    // at the size it is held, it would cover the frame's top-left corner only.
    void drawsTheHeldImageAtTheShownSize()
    {
        QFETCH(bool, forExport);
        QFETCH(bool, zoomed);
        QFETCH(bool, inverted);
        CollageState &state = CollageState::instance();
        buildLayoutCatalogue();
        state.photoCountIndex = 0;
        state.layoutIndex = 0;
        state.canvasSize = QSizeF(240, 140);
        CanvasSettings &settings = state.settings;
        settings.margin = 20;
        settings.spacing = settings.lineWidth = settings.dropShadow = settings.roundCorners = 0;
        settings.backgroundColor1 = Qt::white;
        settings.frameBackgroundColor1 = Qt::green;
        settings.cornerTopLeft = settings.cornerBottomRight = false;
        const QRect target(0, 0, 240, 140);
        CollageRenderer renderer;
        renderer.buildGeometry(target);
        QCOMPARE(state.document.frameRects, QList<QRectF>{QRectF(20, 20, 200, 100)});
        QVERIFY(placePhoto(0, QString(), halves(QSize(20, 10))));
        PhotoFrame &photo = state.document.photos[0];
        QCOMPARE(photo.displaySize, QSize(200, 100));
        QCOMPARE(photo.displayImage.size(), QSize(20, 10));

        renderer.renderCollage(target, false);
        // Fifty steps in leave the photo at 9.5 times, about 190 x 95 around the frame's
        // centre (120, 70), held as the source.
        for (int step = 0; zoomed && step < 50; ++step)
            QVERIFY(zoomPhoto(photo, -1, qint64(1) << 40));
        if (inverted)
            QVERIFY(filterPhoto(0, ImageFilter::Invert, 256));
        const QImage image = renderer.renderCollage(target, forExport);
        const QColor left = inverted ? QColor(0, 255, 255) : QColor(Qt::red);
        const QColor right = inverted ? QColor(255, 255, 0) : QColor(Qt::blue);
        QUILTRA_COMPARE_PIXEL(image, QPoint(30, 30), left, 8);
        QUILTRA_COMPARE_PIXEL(image, QPoint(210, 110), right, 8);
        QUILTRA_COMPARE_PIXEL(image, QPoint(10, 70), Qt::white, 0);
        QUILTRA_COMPARE_PIXEL(image, QPoint(22, 70), zoomed ? QColor(Qt::green) : left, 8);
        QUILTRA_COMPARE_PIXEL(image, QPoint(217, 70), zoomed ? QColor(Qt::green) : right, 8);
    }
};

QUILTRA_TEST_MAIN(TestHeldPhotoImage)
#include "tst_heldphotoimage.moc"
