#include "CanvasGeometry.h"
#include "TestSupport.h"

namespace {

TriangleFrame triangle(QPointF a, QPointF b, QPointF c)
{
    TriangleFrame frame{a, b, c, a, {}};
    frame.path.addPolygon(QPolygonF{a, b, c, a});
    return frame;
}

// Two columns of 1000 x 1000 split at x = 500 with a spacing of 40: the left frame ends at 480, the
// right one starts at 520. The right column is split at y = 500 by a divider that starts on the
// vertical one; one in the left column ends there, and one three pixels short of it is not
// attached.
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
        QTest::addColumn<QPointF>("docPos"); // null: not mapped
        QTest::newRow("100 %") << QPointF(40, 40) << 100.0f << QPointF(40, 40);
        QTest::newRow("40 %") << QPointF(40, 40) << 40.0f << QPointF(100, 100);
        QTest::newRow("whole widget pixels first")
            << QPointF(10.4, 10.6) << 50.0f << QPointF(20, 22);
        QTest::newRow("zoom 0") << QPointF(40, 40) << 0.0f << QPointF();
    }

    void mapsWidgetToDocument()
    {
        QFETCH(QPointF, widgetPos);
        QFETCH(float, zoom);
        QFETCH(QPointF, docPos);
        QCOMPARE(widgetToDocument(widgetPos, zoom).value_or(QPointF()), docPos);
        QCOMPARE(viewSize(QSize(1920, 1080), zoom).isEmpty(), docPos.isNull());
    }

    // What lies under a document point: which frame, which object, which divider.
    void probes_data()
    {
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QPointF>("docPos");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<QString>("found");
        QTest::newRow("rectangle before triangle") << "frame" << QPointF(50, 50) << 0 << "1";
        QTest::newRow("triangle when no rectangle") << "frame" << QPointF(50, 150) << 0 << "1";
        QTest::newRow("between frames") << "frame" << QPointF(150, 50) << 0 << "-1";
        QTest::newRow("beside a slanted edge") << "frame" << QPointF(95, 195) << 0 << "-1";
        QTest::newRow("later object over earlier") << "object" << QPointF(150, 150) << 0 << "1";
        QTest::newRow("probe reaches an object") << "object" << QPointF(301, 150) << 0 << "1";
        QTest::newRow("horizontal before vertical") << "divider" << QPointF(300, 200) << 40 << "h0";
        QTest::newRow("vertical") << "divider" << QPointF(310, 100) << 40 << "v0";
        QTest::newRow("beyond half the spacing") << "divider" << QPointF(150, 221) << 40 << "-1";
        QTest::newRow("spacing 0 grabs nothing") << "divider" << QPointF(300, 200) << 0 << "-1";
    }

    void probes()
    {
        QFETCH(QString, probe);
        QFETCH(QPointF, docPos);
        QFETCH(int, spacing);
        QFETCH(QString, found);
        CollageDocument document;
        document.frameRects = {QRectF(200, 0, 100, 100), QRectF(0, 0, 100, 100)};
        document.triangleFrames = {triangle({0, 0}, {100, 0}, {0, 100}),
                                   triangle({0, 100}, {0, 200}, {100, 100})};
        document.objects = {OverlayObject(), OverlayObject()};
        document.objects[0].bounds = QRectF(0, 0, 200, 200);
        document.objects[1].bounds = QRectF(100, 100, 200, 200);
        document.horizontalDividers = {QRectF(100, 200, 400, 0), QRectF(100, 400, 400, 0)};
        document.verticalDividers = {QRectF(300, 0, 0, 500)};
        QString result;
        if (probe == "frame") {
            result = QString::number(frameAt(document, docPos));
        } else if (probe == "object") {
            result = QString::number(objectAt(document, docPos.toPoint()));
        } else {
            const DividerHit hit = dividerAt(document, docPos, spacing);
            result = hit.orientation == DividerOrientation::None
                         ? QStringLiteral("-1")
                         : (hit.orientation == DividerOrientation::Vertical ? "v" : "h") +
                               QString::number(hit.index);
        }
        QCOMPARE(result, found);
    }

    void collectsAttachedDividers()
    {
        CollageDocument document = twoColumns();
        DividerDrag drag = beginDividerDrag(document, {DividerOrientation::Vertical, 0});
        QCOMPARE(drag.leading, QList<int>{1});
        QCOMPARE(drag.trailing, QList<int>{0});
        // Ending within a pixel of the top, starting within a pixel of the bottom.
        document.horizontalDividers = {QRectF(0, 500, 1000, 0)};
        document.verticalDividers = {QRectF(300, 0, 0, 499.2), QRectF(600, 500.8, 0, 499.2),
                                     QRectF(800, 0, 0, 497)};
        drag = beginDividerDrag(document, {DividerOrientation::Horizontal, 0});
        QCOMPARE(drag.leading, QList<int>{0});
        QCOMPARE(drag.trailing, QList<int>{1});
    }

    void movesDividers_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<qreal>("to");
        QTest::addColumn<QList<QRectF>>("frames"); // empty: the whole move is refused
        QTest::newRow("left frame 30 wide")
            << true << 50.0
            << QList<QRectF>{{0, 0, 30, 1000}, {70, 0, 930, 480}, {70, 520, 930, 480}};
        QTest::newRow("left frame 29 wide") << true << 49.0 << QList<QRectF>{};
        QTest::newRow("right frames 30 wide")
            << true << 950.0
            << QList<QRectF>{{0, 0, 930, 1000}, {970, 0, 30, 480}, {970, 520, 30, 480}};
        QTest::newRow("right frames 29 wide") << true << 951.0 << QList<QRectF>{};
        QTest::newRow("inside out") << true << -200.0 << QList<QRectF>{};
        QTest::newRow("lower frame 30 high")
            << false << 950.0
            << QList<QRectF>{{0, 0, 480, 1000}, {520, 0, 480, 930}, {520, 970, 480, 30}};
        QTest::newRow("upper frame 29 high") << false << 49.0 << QList<QRectF>{};
    }

    void movesDividers()
    {
        QFETCH(bool, vertical);
        QFETCH(qreal, to);
        QFETCH(QList<QRectF>, frames);
        CollageDocument document = twoColumns();
        const CollageDocument before = document;
        const DividerOrientation orientation =
            vertical ? DividerOrientation::Vertical : DividerOrientation::Horizontal;
        const QPointF topLeft = vertical ? QPointF(to, 0) : QPointF(500.5, to);
        QCOMPARE(moveDivider(document, beginDividerDrag(document, {orientation, 0}), topLeft, 40),
                 !frames.isEmpty());
        QCOMPARE(document.frameRects, frames.isEmpty() ? before.frameRects : frames);
        QList<QRectF> horizontal = before.horizontalDividers;
        if (frames.isEmpty()) {
            QCOMPARE(document.verticalDividers, before.verticalDividers);
        } else if (vertical) {
            QCOMPARE(document.verticalDividers[0], QRectF(to, 0, 0, 1000));
            horizontal[0].setLeft(to);
            horizontal[1].setRight(to);
        } else {
            horizontal[0] = QRectF(500, to, 499.5, 0); // on whole pixels
        }
        QCOMPARE(document.horizontalDividers, horizontal);
    }

    // One wheel step at a time from start: a photo's scale, a label's point size, a sticker's or
    // emoji's scale, or (turning) an object's rotation.
    void wheelClamps_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<float>("start");
        QTest::addColumn<int>("steps");
        QTest::addColumn<float>("expected");
        QTest::newRow("photo down to 0.05") << "photo" << 0.2f << -20 << 0.05f;
        QTest::newRow("photo up to 2") << "photo" << 1.0f << 200 << 2.0f;
        QTest::newRow("photo under the range, out") << "photo" << 0.01f << -1 << 0.01f;
        QTest::newRow("photo over the range, in") << "photo" << 3.0f << 1 << 3.0f;
        QTest::newRow("label up to 999") << "label" << 998.0f << 5 << 999.0f;
        QTest::newRow("label down to 1") << "label" << 3.0f << -10 << 1.0f;
        QTest::newRow("sticker, 150 notches down") << "sticker" << 100.0f << -150 << 1.0f;
        QTest::newRow("emoji up to 999") << "emoji" << 990.0f << 20 << 999.0f;
        QTest::newRow("turning wraps forwards") << "turn" << 355.0f << 10 << 5.0f;
        QTest::newRow("turning wraps backwards") << "turn" << -355.0f << -10 << -5.0f;
    }

    void wheelClamps()
    {
        QFETCH(QString, what);
        QFETCH(float, start);
        QFETCH(int, steps);
        QFETCH(float, expected);
        OverlayObject object;
        object.kind = what == "label" ? Label : (what == "emoji" ? Emoji : Sticker);
        object.text = QStringLiteral("Hello");
        if (what == "label")
            object.font.setPointSize(int(start));
        object.scale = object.rotation = start;
        float value = start;
        for (int i = 0; i < std::abs(steps); ++i) {
            const int step = steps > 0 ? 1 : -1;
            if (what == "photo")
                value = steppedPhotoScale(value, step);
            else
                wheelObject(object, step, what == "turn");
        }
        if (what != "photo")
            value = what == "turn" ? object.rotation
                                   : (what == "label" ? object.font.pointSize() : object.scale);
        QVERIFY2(std::abs(value - expected) < 1e-4f, qPrintable(QString::number(value)));
    }
};

QUILTRA_TEST_MAIN(TestCanvasGeometry)
#include "tst_canvasgeometry.moc"
