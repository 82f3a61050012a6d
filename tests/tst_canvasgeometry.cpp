#include "CanvasGeometry.h"
#include "TestSupport.h"

namespace {

TriangleFrame triangle(QPointF a, QPointF b, QPointF c)
{
    TriangleFrame frame{a, b, c, a, {}};
    frame.path.addPolygon(QPolygonF{a, b, c, a});
    return frame;
}

} // namespace

class TestCanvasGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What lies under a document point: which frame, which object, which divider.
    void probes_data()
    {
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QPointF>("docPos");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<QString>("found");
        QTest::newRow("rectangle before triangle") << "frame" << QPointF(50, 50) << 0 << "1";
        QTest::newRow("triangle when no rectangle") << "frame" << QPointF(50, 150) << 0 << "1";
        QTest::newRow("beside a slanted edge") << "frame" << QPointF(95, 195) << 0 << "-1";
        QTest::newRow("later object over earlier") << "object" << QPointF(150, 150) << 0 << "1";
        QTest::newRow("probe reaches an object") << "object" << QPointF(301, 150) << 0 << "1";
        QTest::newRow("horizontal before vertical") << "divider" << QPointF(300, 200) << 40 << "h0";
        QTest::newRow("vertical") << "divider" << QPointF(310, 100) << 40 << "v0";
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
};

QUILTRA_TEST_MAIN(TestCanvasGeometry)
#include "tst_canvasgeometry.moc"
