#include "FrameGeometry.h"
#include "LayoutCatalogue.h"
#include "SpacingSides.h"
#include "TestSupport.h"

#include <QDebug>

namespace {

// Text for a failure message.
template <typename T> QByteArray describe(const T &value)
{
    QString text;
    QDebug(&text) << value;
    return text.toUtf8();
}

bool near(const QPointF &a, const QPointF &b)
{
    return std::abs(a.x() - b.x()) < 1e-6 && std::abs(a.y() - b.y()) < 1e-6;
}

LayoutCell rectangle(qreal x1, qreal y1, qreal x2, qreal y2, int hSides, int vSides)
{
    return makeRectangleCell({x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, hSides, vSides);
}

LayoutCell rightTriangle(QPointF v1, QPointF v2, QPointF v3)
{
    LayoutCell cell;
    cell.kind = LayoutCell::Triangle;
    cell.vertex1 = v1;
    cell.vertex2 = v2;
    cell.vertex3 = v3;
    cell.anchor = v2;
    return cell;
}

} // namespace

class TestFrameGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rectangleFrames_data()
    {
        QTest::addColumn<LayoutCell>("cell");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QList<int>>("marginSpacingTop");
        QTest::addColumn<QRectF>("expected");
        const QSize hd(1920, 1080);
        QTest::newRow("whole area") << rectangle(0, 0, 100, 100, SpacingNone, SpacingNone) << hd
                                    << QList{140, 40, 0} << QRectF(140, 140, 1640, 800);
        QTest::newRow("left half, odd spacing")
            << rectangle(0, 0, 50, 100, SpacingRight, SpacingNone) << hd << QList{140, 41, 0}
            << QRectF(QPointF(140, 140), QPointF(939.5, 940));
        QTest::newRow("middle third, top offset")
            << rectangle(33.3, 0, 66.6, 100, SpacingLeftRight, SpacingNone) << hd
            << QList{140, 40, 100} << QRectF(QPointF(706.12, 240), QPointF(1212.24, 940));
        QTest::newRow("middle row")
            << rectangle(0, 25, 100, 75, SpacingNone, SpacingTopBottom) << hd << QList{140, 40, 0}
            << QRectF(QPointF(140, 360), QPointF(1780, 720));
        QTest::newRow("no spacing, no margin")
            << rectangle(50, 50, 100, 100, SpacingLeft, SpacingTop) << QSize(200, 100)
            << QList{0, 0, 0} << QRectF(100, 50, 100, 50);
    }

    void rectangleFrames()
    {
        QFETCH(LayoutCell, cell);
        QFETCH(QSize, canvas);
        QFETCH(QList<int>, marginSpacingTop);
        QFETCH(QRectF, expected);
        const FrameArea area =
            frameArea(QRect(QPoint(0, 0), canvas), marginSpacingTop[0], marginSpacingTop[2]);
        const QRectF rect = cellFrameRect(cell, area, marginSpacingTop[1]);
        QVERIFY2(near(rect.topLeft(), expected.topLeft()), describe(rect).constData());
        QVERIFY2(near(rect.bottomRight(), expected.bottomRight()), describe(rect).constData());
    }

    void triangleFrames_data()
    {
        QTest::addColumn<LayoutCell>("cell");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<int>("topOffset");
        QTest::addColumn<QList<QPointF>>("vertices");
        // A 200 x 200 area at (20, 20) unless stated.
        const QSize square(240, 240);
        const LayoutCell corner = rightTriangle({100, 0}, {0, 0}, {0, 100});
        QTest::newRow("right angle stays, hypotenuse moves in")
            << corner << square << 10 << 0 << QList<QPointF>{{215, 20}, {20, 20}, {20, 215}};
        QTest::newRow("odd spacing gives half pixels")
            << corner << square << 11 << 0 << QList<QPointF>{{214.5, 20}, {20, 20}, {20, 214.5}};
        QTest::newRow("top offset shifts and shrinks")
            << corner << QSize(240, 280) << 0 << 40
            << QList<QPointF>{{220, 60}, {20, 60}, {20, 260}};
        QTest::newRow("apex over the bottom edge")
            << makeApexTriangleCell({0, 100}, {100, 100}, {50, 100}) << square << 10 << 0
            << QList<QPointF>{{25, 220}, {215, 220}, {120, 125}};
        QTest::newRow("apex without spacing is the centre")
            << makeApexTriangleCell({100, 100}, {100, 0}, {100, 50}) << square << 0 << 0
            << QList<QPointF>{{220, 220}, {220, 20}, {120, 120}};
        // A 400 x 200 area: the apex leans on the diagonal, not the bisector of the angle.
        QTest::newRow("apex from the left edge of a wide area")
            << makeApexTriangleCell({0, 0}, {0, 100}, {0, 50}) << QSize(440, 240) << 10 << 0
            << QList<QPointF>{{20, 25}, {20, 215}, {20 + 95.0 * 395.0 / 195.0, 120}};
        QTest::newRow("collapsed area keeps a finite apex")
            << makeApexTriangleCell({0, 0}, {0, 100}, {0, 50}) << QSize(240, 45) << 10 << 0
            << QList<QPointF>{{20, 25}, {20, 20}, {20, 22.5}};
    }

    void triangleFrames()
    {
        QFETCH(LayoutCell, cell);
        QFETCH(QSize, canvas);
        QFETCH(int, spacing);
        QFETCH(int, topOffset);
        QFETCH(QList<QPointF>, vertices);
        const TriangleFrame frame =
            cellTriangleFrame(cell, frameArea(QRect(QPoint(0, 0), canvas), 20, topOffset), spacing);
        const QList<QPointF> actual{frame.vertex1, frame.vertex2, frame.vertex3};
        for (int i = 0; i < 3; ++i)
            QVERIFY2(near(actual[i], vertices[i]), describe(actual[i]).constData());
        QCOMPARE(frame.path.boundingRect(), QPolygonF(actual).boundingRect());
    }

    void edgeEndpoints_data()
    {
        QTest::addColumn<QPointF>("p1");
        QTest::addColumn<QPointF>("p2");
        QTest::addColumn<qreal>("radius");
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<QPointF>("end");
        QTest::newRow("horizontal")
            << QPointF(0, 0) << QPointF(10, 0) << 2.0 << QPointF(2, 0) << QPointF(8, 0);
        QTest::newRow("leftwards")
            << QPointF(10, 5) << QPointF(0, 5) << 2.0 << QPointF(8, 5) << QPointF(2, 5);
        QTest::newRow("vertical") << QPointF(3, 10) << QPointF(3, 0) << 2.5 << QPointF(3, 7.5)
                                  << QPointF(3, 2.5);
        // cos(0.785) and sin(0.785), whatever the slope of the edge.
        QTest::newRow("diagonal") << QPointF(0, 0) << QPointF(10, 20) << 10.0
                                  << QPointF(7.0738827, 7.0682518)
                                  << QPointF(2.9261173, 12.9317482);
        QTest::newRow("radius 0") << QPointF(1, 2) << QPointF(7, 9) << 0.0 << QPointF(1, 2)
                                  << QPointF(7, 9);
    }

    void edgeEndpoints()
    {
        QFETCH(QPointF, p1);
        QFETCH(QPointF, p2);
        QFETCH(qreal, radius);
        QFETCH(QPointF, start);
        QFETCH(QPointF, end);
        const auto [s, e] = ::edgeEndpoints(p1, p2, radius);
        QVERIFY2(near(s, start), describe(s).constData());
        QVERIFY2(near(e, end), describe(e).constData());
    }

    void roundedPaths_data()
    {
        QTest::addColumn<QPainterPath>("path");
        QTest::addColumn<QPointF>("probe");
        QTest::addColumn<bool>("inside");
        const QRectF rect(10, 10, 200, 100);
        // The corner curve passes a third of the radius in from both edges: (200, 20)
        // for radius 30, where a circular arc would pass about (201.2, 18.8).
        const QPainterPath rounded = roundedRectPath(rect, 30);
        QTest::newRow("curve inside") << rounded << QPointF(199.5, 20.5) << true;
        QTest::newRow("curve outside") << rounded << QPointF(200.5, 19.5) << false;
        QTest::newRow("straight edge") << rounded << QPointF(100, 10.5) << true;
        const QPainterPath sharp = roundedRectPath(rect, 0);
        QTest::newRow("radius 0 keeps the corner") << sharp << QPointF(209.5, 10.5) << true;
        TriangleFrame triangle;
        triangle.vertex1 = QPointF(0, 0);
        triangle.vertex2 = QPointF(100, 0);
        triangle.vertex3 = QPointF(0, 100);
        const QPainterPath roundedTriangle = roundedTrianglePath(triangle, 20);
        QTest::newRow("triangle corner cut") << roundedTriangle << QPointF(1, 1) << false;
        QTest::newRow("triangle middle") << roundedTriangle << QPointF(30, 30) << true;
        QTest::newRow("triangle radius 0")
            << roundedTrianglePath(triangle, 0) << QPointF(0.5, 0.5) << true;
    }

    void roundedPaths()
    {
        QFETCH(QPainterPath, path);
        QFETCH(QPointF, probe);
        QFETCH(bool, inside);
        QCOMPARE(path.contains(probe), inside);
    }

    void radiusZeroIsThePlainRectangle()
    {
        const QRectF rect(140.5, 140, 799.25, 380);
        const QList<QPolygonF> polygons = roundedRectPath(rect, 0).toSubpathPolygons();
        QCOMPARE(polygons.size(), 1);
        QCOMPARE(polygons.first(), QPolygonF(rect));
    }
};

QUILTRA_TEST_MAIN(TestFrameGeometry)
#include "tst_framegeometry.moc"
