#include "CanvasGeometry.h"
#include "CollageDocument.h"
#include "TestSupport.h"

#include <cmath>
#include <limits>

namespace {

OverlayObject objectWithBounds(int id, QRectF bounds)
{
    OverlayObject object;
    object.id = id;
    object.bounds = bounds;
    return object;
}

TriangleFrame triangle(QPointF a, QPointF b, QPointF c)
{
    TriangleFrame frame{a, b, c, a, {}};
    frame.path.addPolygon(QPolygonF{a, b, c, a});
    return frame;
}

// Two columns of 1000 x 1000 split at x = 500 with a spacing of 40: the left frame ends
// at 480, the right one starts at 520. The right column is split at y = 500 (frames end at
// 480 and start at 520) by a divider that starts on the vertical one; a divider in the
// left column ends there, and one three pixels short of it is not attached.
CollageDocument twoColumns()
{
    CollageDocument document;
    document.frameRects = {QRectF(0, 0, 480, 1000), QRectF(520, 0, 480, 480),
                           QRectF(520, 520, 480, 480)};
    document.verticalDividers = {QRectF(500, 0, 0, 1000)};
    document.horizontalDividers = {QRectF(500.5, 500, 499.5, 0), QRectF(0, 700, 500, 0),
                                   QRectF(0, 900, 497, 0)};
    return document;
}

} // namespace

class TestCanvasGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mapsWidgetToDocument_data()
    {
        QTest::addColumn<QPointF>("widgetPos");
        QTest::addColumn<float>("zoom");
        QTest::addColumn<bool>("mapped");
        QTest::addColumn<QPointF>("docPos");
        QTest::newRow("100 %") << QPointF(40, 40) << 100.0f << true << QPointF(40, 40);
        QTest::newRow("40 %") << QPointF(40, 40) << 40.0f << true << QPointF(100, 100);
        QTest::newRow("rounded to whole widget pixels first")
            << QPointF(10.4, 10.6) << 50.0f << true << QPointF(20, 22);
        QTest::newRow("zoom 0") << QPointF(40, 40) << 0.0f << false << QPointF();
        QTest::newRow("negative zoom") << QPointF(40, 40) << -10.0f << false << QPointF();
        QTest::newRow("zoom not a number")
            << QPointF(40, 40) << std::numeric_limits<float>::quiet_NaN() << false << QPointF();
        QTest::newRow("infinite zoom")
            << QPointF(40, 40) << std::numeric_limits<float>::infinity() << false << QPointF();
    }

    void mapsWidgetToDocument()
    {
        QFETCH(QPointF, widgetPos);
        QFETCH(float, zoom);
        QFETCH(bool, mapped);
        QFETCH(QPointF, docPos);
        const std::optional<QPointF> result = widgetToDocument(widgetPos, zoom);
        QCOMPARE(result.has_value(), mapped);
        if (mapped)
            QCOMPARE(*result, docPos);
        QCOMPARE(viewSize(QSize(1920, 1080), zoom).isEmpty(), !mapped);
    }

    void findsFrames_data()
    {
        QTest::addColumn<QPointF>("docPos");
        QTest::addColumn<bool>("withRectangles");
        QTest::addColumn<int>("frame");
        QTest::newRow("inside the second frame") << QPointF(250, 50) << true << 1;
        QTest::newRow("the probe reaches just under two pixels") << QPointF(101.9, 50) << true << 0;
        QTest::newRow("in the gap") << QPointF(150, 50) << true << -1;
        QTest::newRow("rectangle before triangle") << QPointF(50, 50) << true << 0;
        QTest::newRow("triangle when no rectangle is hit") << QPointF(50, 150) << true << 1;
        QTest::newRow("triangles alone") << QPointF(50, 50) << false << 0;
        QTest::newRow("beside the triangle's slanted edge") << QPointF(95, 195) << false << -1;
    }

    void findsFrames()
    {
        QFETCH(QPointF, docPos);
        QFETCH(bool, withRectangles);
        QFETCH(int, frame);
        CollageDocument document;
        if (withRectangles)
            document.frameRects = {QRectF(0, 0, 100, 100), QRectF(200, 0, 100, 100)};
        document.triangleFrames = {triangle({0, 0}, {100, 0}, {0, 100}),
                                   triangle({0, 100}, {0, 200}, {100, 100})};
        QCOMPARE(frameAt(document, docPos), frame);
    }

    void findsObjects_data()
    {
        QTest::addColumn<QPoint>("docPoint");
        QTest::addColumn<int>("index");
        QTest::newRow("the later of two overlapping objects") << QPoint(150, 150) << 1;
        QTest::newRow("only the first") << QPoint(50, 50) << 0;
        QTest::newRow("probe reaches the edge") << QPoint(301, 150) << 1;
        QTest::newRow("nothing") << QPoint(400, 400) << -1;
    }

    void findsObjects()
    {
        QFETCH(QPoint, docPoint);
        QFETCH(int, index);
        CollageDocument document;
        document.objects = {objectWithBounds(7, QRectF(0, 0, 200, 200)),
                            objectWithBounds(3, QRectF(100, 100, 200, 200))};
        QCOMPARE(objectAt(document, docPoint), index);
    }

    void findsDividers_data()
    {
        QTest::addColumn<QPointF>("docPos");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("index");
        QTest::newRow("horizontal before vertical at a crossing")
            << QPointF(300, 200) << 40 << 0 << 0;
        QTest::newRow("vertical") << QPointF(310, 100) << 40 << 1 << 0;
        QTest::newRow("inside half the spacing") << QPointF(150, 219) << 40 << 0 << 0;
        QTest::newRow("beyond half the spacing") << QPointF(150, 221) << 40 << -1 << -1;
        QTest::newRow("second horizontal") << QPointF(150, 400) << 40 << 0 << 1;
        QTest::newRow("spacing 0 grabs nothing") << QPointF(300, 200) << 0 << -1 << -1;
    }

    void findsDividers()
    {
        QFETCH(QPointF, docPos);
        QFETCH(int, spacing);
        QFETCH(int, orientation);
        QFETCH(int, index);
        CollageDocument document;
        document.horizontalDividers = {QRectF(100, 200, 400, 0), QRectF(100, 400, 400, 0)};
        document.verticalDividers = {QRectF(300, 0, 0, 500)};
        const DividerHit hit = dividerAt(document, docPos, spacing);
        QCOMPARE(int(hit.orientation), orientation);
        QCOMPARE(hit.index, index);
    }

    void collectsAttachedDividers_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<QList<int>>("leading");
        QTest::addColumn<QList<int>>("trailing");
        // Ending on the near side, starting within a pixel of the far side; one three
        // pixels short is not attached.
        QTest::newRow("vertical") << true << QList<int>{1} << QList<int>{0};
        QTest::newRow("horizontal") << false << QList<int>{0} << QList<int>{1};
    }

    void collectsAttachedDividers()
    {
        QFETCH(bool, vertical);
        QFETCH(QList<int>, leading);
        QFETCH(QList<int>, trailing);
        CollageDocument document = twoColumns();
        if (!vertical) {
            document.horizontalDividers = {QRectF(0, 500, 1000, 0)};
            document.verticalDividers = {QRectF(300, 0, 0, 499.2), QRectF(600, 500.8, 0, 499.2),
                                         QRectF(800, 0, 0, 497)};
        }
        const DividerDrag drag = beginDividerDrag(
            document,
            {vertical ? DividerOrientation::Vertical : DividerOrientation::Horizontal, 0});
        QCOMPARE(drag.leading, leading);
        QCOMPARE(drag.trailing, trailing);
    }

    void movesDividers_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("index");
        QTest::addColumn<qreal>("to");
        QTest::addColumn<QList<QRectF>>("frames"); // empty: the move is refused
        QTest::newRow("left frame 30 wide")
            << 1 << 0 << 50.0
            << QList<QRectF>{QRectF(0, 0, 30, 1000), QRectF(70, 0, 930, 480),
                             QRectF(70, 520, 930, 480)};
        QTest::newRow("left frame 29 wide") << 1 << 0 << 49.0 << QList<QRectF>{};
        QTest::newRow("right frames 30 wide")
            << 1 << 0 << 950.0
            << QList<QRectF>{QRectF(0, 0, 930, 1000), QRectF(970, 0, 30, 480),
                             QRectF(970, 520, 30, 480)};
        QTest::newRow("right frames 29 wide") << 1 << 0 << 951.0 << QList<QRectF>{};
        QTest::newRow("far past the left edge: inside out") << 1 << 0 << -200.0 << QList<QRectF>{};
        QTest::newRow("horizontal, lower frame 30 high")
            << 0 << 0 << 950.0
            << QList<QRectF>{QRectF(0, 0, 480, 1000), QRectF(520, 0, 480, 930),
                             QRectF(520, 970, 480, 30)};
        QTest::newRow("horizontal, upper frame 29 high") << 0 << 0 << 49.0 << QList<QRectF>{};
    }

    // A move that would leave any frame beside the divider under 30 pixels changes
    // nothing at all; an accepted one moves both sides and the attached dividers.
    void movesDividers()
    {
        QFETCH(int, orientation);
        QFETCH(int, index);
        QFETCH(qreal, to);
        QFETCH(QList<QRectF>, frames);
        CollageDocument document = twoColumns();
        const CollageDocument before = document;
        const DividerDrag drag =
            beginDividerDrag(document, {DividerOrientation(orientation), index});
        const bool vertical = orientation == 1;
        const QPointF topLeft = vertical ? QPointF(to, 0) : QPointF(500.5, to);
        const bool accepted = moveDivider(document, drag, topLeft, 40);
        QCOMPARE(accepted, !frames.isEmpty());
        if (!accepted) {
            QCOMPARE(document.frameRects, before.frameRects);
            QCOMPARE(document.verticalDividers, before.verticalDividers);
            QCOMPARE(document.horizontalDividers, before.horizontalDividers);
            return;
        }
        QCOMPARE(document.frameRects, frames);
        if (vertical) {
            QCOMPARE(document.verticalDividers[0], QRectF(to, 0, 0, 1000));
            QCOMPARE(document.horizontalDividers[0].left(), to);
            QCOMPARE(document.horizontalDividers[0].right(), 1000.0);
            QCOMPARE(document.horizontalDividers[1].right(), to);
            QCOMPARE(document.horizontalDividers[2], before.horizontalDividers[2]);
        } else {
            // The divider lands on whole pixels.
            QCOMPARE(document.horizontalDividers[0], QRectF(500, to, 499.5, 0));
        }
    }

    void stepsTheWheel_data()
    {
        QTest::addColumn<QPoint>("angleDelta");
        QTest::addColumn<int>("step");
        QTest::newRow("one notch away") << QPoint(0, 120) << 1;
        QTest::newRow("one notch towards") << QPoint(0, -120) << -1;
        QTest::newRow("many notches are still one step") << QPoint(0, 960) << 1;
        QTest::newRow("half a degree rounds up") << QPoint(0, 4) << 1;
        QTest::newRow("under half a degree") << QPoint(0, 3) << 0;
        QTest::newRow("horizontal when vertical rounds to 0") << QPoint(-120, 3) << -1;
        QTest::newRow("none") << QPoint(0, 0) << 0;
    }

    void stepsTheWheel()
    {
        QFETCH(QPoint, angleDelta);
        QFETCH(int, step);
        QCOMPARE(wheelStep(angleDelta), step);
    }

    void clampsPhotoScale_data()
    {
        QTest::addColumn<float>("scale");
        QTest::addColumn<int>("steps");
        QTest::addColumn<float>("expected");
        QTest::newRow("twenty steps down from 0.2 end at 0.05") << 0.2f << -20 << 0.05f;
        QTest::newRow("two hundred steps up end at 2") << 1.0f << 200 << 2.0f;
        QTest::newRow("below the range, out never enlarges") << 0.01f << -1 << 0.01f;
        QTest::newRow("below the range, in") << 0.01f << 1 << 0.02f;
        QTest::newRow("above the range, in never shrinks") << 3.0f << 1 << 3.0f;
        QTest::newRow("above the range, out") << 3.0f << -1 << 2.99f;
    }

    void clampsPhotoScale()
    {
        QFETCH(float, scale);
        QFETCH(int, steps);
        QFETCH(float, expected);
        for (int i = 0; i < std::abs(steps); ++i)
            scale = steppedPhotoScale(scale, steps > 0 ? 1 : -1);
        QVERIFY2(std::abs(scale - expected) < 1e-4f, qPrintable(QString::number(scale)));
    }

    void zoomsPhotos_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<float>("scale");
        QTest::addColumn<int>("step");
        QTest::addColumn<qint64>("maxPixels");
        QTest::addColumn<QSize>("display"); // invalid: the step is refused
        QTest::addColumn<QPointF>("position");
        // 500 x 250 at (100, 100) grows to 510 x 255 about its centre.
        QTest::newRow("in about the centre") << QSize(1000, 500) << 0.5f << 1 << qint64(1 << 30)
                                             << QSize(510, 255) << QPointF(95, 97.5);
        QTest::newRow("out about the centre") << QSize(1000, 500) << 0.5f << -1 << qint64(1 << 30)
                                              << QSize(490, 245) << QPointF(105, 102.5);
        QTest::newRow("a sliver under one pixel wide")
            << QSize(1, 16385) << 0.5f << -1 << qint64(1 << 30) << QSize() << QPointF();
        QTest::newRow("above the pixel bound")
            << QSize(2000, 2000) << 1.0f << 1 << qint64(4'000'000) << QSize() << QPointF();
    }

    void zoomsPhotos()
    {
        QFETCH(QSize, source);
        QFETCH(float, scale);
        QFETCH(int, step);
        QFETCH(qint64, maxPixels);
        QFETCH(QSize, display);
        QFETCH(QPointF, position);
        PhotoFrame photo;
        photo.sourceImage = QImage(source, QImage::Format_RGB32);
        photo.sourceImage.fill(Qt::red);
        photo.scale = scale;
        photo.displayImage = QImage(QSize(7, 7), QImage::Format_RGB32);
        photo.displaySize = photo.displayImage.size();
        photo.position = QPointF(100, 100);
        const PhotoFrame before = photo;
        QCOMPARE(zoomPhoto(photo, step, maxPixels), display.isValid());
        if (!display.isValid()) {
            QCOMPARE(photo.scale, before.scale);
            QCOMPARE(photo.displayImage.cacheKey(), before.displayImage.cacheKey());
            QCOMPARE(photo.position, before.position);
            return;
        }
        QCOMPARE(photo.displayImage.size(), display);
        QCOMPARE(photo.displaySize, display);
        QCOMPARE(photo.position, position);
    }

    void wheelsObjects_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("rotate");
        QTest::addColumn<int>("expected");
        QTest::newRow("label grows") << int(Label) << 36 << 3 << false << 39;
        QTest::newRow("label stops at 999") << int(Label) << 998 << 5 << false << 999;
        QTest::newRow("label stops at 1") << int(Label) << 3 << -10 << false << 1;
        QTest::newRow("150 notches down keep a sticker")
            << int(Sticker) << 100 << -150 << false << 1;
        QTest::newRow("emoji stops at 999") << int(Emoji) << 990 << 20 << false << 999;
        QTest::newRow("rotation wraps at a full turn") << int(Sticker) << 355 << 10 << true << 5;
        QTest::newRow("rotation wraps backwards") << int(Label) << -355 << -10 << true << -5;
    }

    void wheelsObjects()
    {
        QFETCH(int, kind);
        QFETCH(int, start);
        QFETCH(int, steps);
        QFETCH(bool, rotate);
        QFETCH(int, expected);
        OverlayObject object;
        object.kind = kind;
        object.text = QStringLiteral("Hello");
        object.font.setPointSize(kind == Label && !rotate ? start : 36);
        object.scale = kind != Label && !rotate ? float(start) : 100.0f;
        object.rotation = rotate ? float(start) : 0.0f;
        for (int i = 0; i < std::abs(steps); ++i)
            wheelObject(object, steps > 0 ? 1 : -1, rotate);
        const float value = rotate
                                ? object.rotation
                                : (kind == Label ? float(object.font.pointSize()) : object.scale);
        QCOMPARE(value, float(expected));
        if (kind == Label && !rotate)
            QVERIFY(object.rect.height() > 0);
    }
};

QUILTRA_TEST_MAIN(TestCanvasGeometry)
#include "tst_canvasgeometry.moc"
