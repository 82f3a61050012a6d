#include "FrameGeometry.h"
#include "LayoutCatalogue.h"
#include "SpacingSides.h"
#include "TestSupport.h"

#include <QDebug>

namespace {

bool near(const QPointF &a, const QPointF &b)
{
    return std::abs(a.x() - b.x()) < 1e-6 && std::abs(a.y() - b.y()) < 1e-6;
}

// Text for a failure message.
QByteArray describe(const QPointF &point)
{
    QString text;
    QDebug(&text) << point;
    return text.toUtf8();
}

LayoutCell rectangle(qreal x1, qreal y1, qreal x2, qreal y2, int hSides, int vSides)
{
    return makeRectangleCell({x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, hSides, vSides);
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
        // clang-format off
        QTest::newRow("left half, odd spacing") << rectangle(0, 0, 50, 100, SpacingRight, SpacingNone)
            << QSize(1920, 1080) << QList{140, 41, 0} << QRectF(QPointF(140, 140), QPointF(939.5, 940));
        QTest::newRow("middle third, top offset") << rectangle(33.3, 0, 66.6, 100, SpacingLeftRight, SpacingNone)
            << QSize(1920, 1080) << QList{140, 40, 100} << QRectF(QPointF(706.12, 240), QPointF(1212.24, 940));
        QTest::newRow("middle row") << rectangle(0, 25, 100, 75, SpacingNone, SpacingTopBottom)
            << QSize(1920, 1080) << QList{140, 40, 0} << QRectF(QPointF(140, 360), QPointF(1780, 720));
        QTest::newRow("no margin, no spacing") << rectangle(50, 50, 100, 100, SpacingLeft, SpacingTop)
            << QSize(200, 100) << QList{0, 0, 0} << QRectF(100, 50, 100, 50);
        // clang-format on
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
        QVERIFY2(near(rect.topLeft(), expected.topLeft()), describe(rect.topLeft()).constData());
        QVERIFY2(near(rect.bottomRight(), expected.bottomRight()),
                 describe(rect.bottomRight()).constData());
    }

    void triangleFrames_data()
    {
        QTest::addColumn<LayoutCell>("cell");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<int>("topOffset");
        QTest::addColumn<QList<QPointF>>("vertices");
        // Margin 20: a 200 x 200 area at (20, 20) on the square canvas.
        LayoutCell corner;
        corner.kind = LayoutCell::Triangle;
        corner.vertex1 = QPointF(100, 0);
        corner.vertex2 = corner.anchor = QPointF(0, 0);
        corner.vertex3 = QPointF(0, 100);
        const QSize square(240, 240);
        // clang-format off
        QTest::newRow("right angle stays, hypotenuse moves in") << corner << square << 10 << 0
            << QList<QPointF>{{215, 20}, {20, 20}, {20, 215}};
        QTest::newRow("odd spacing gives half pixels") << corner << square << 11 << 0
            << QList<QPointF>{{214.5, 20}, {20, 20}, {20, 214.5}};
        QTest::newRow("top offset shifts and shrinks") << corner << QSize(240, 280) << 0 << 40
            << QList<QPointF>{{220, 60}, {20, 60}, {20, 260}};
        QTest::newRow("apex over the bottom edge") << makeApexTriangleCell({0, 100}, {100, 100}, {50, 100})
            << square << 10 << 0 << QList<QPointF>{{25, 220}, {215, 220}, {120, 125}};
        // On a 400 x 200 area the apex follows the diagonal through the inset guide line.
        QTest::newRow("apex from the left edge of a wide area") << makeApexTriangleCell({0, 0}, {0, 100}, {0, 50})
            << QSize(440, 240) << 10 << 0 << QList<QPointF>{{20, 25}, {20, 215}, {20 + 95.0 * 395 / 195, 120}};
        QTest::newRow("collapsed area keeps a finite apex") << makeApexTriangleCell({0, 0}, {0, 100}, {0, 50})
            << QSize(240, 45) << 10 << 0 << QList<QPointF>{{20, 25}, {20, 20}, {20, 22.5}};
        // clang-format on
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
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<QPointF>("end");
        // Radius 10; a slanted edge moves by cos(0.785) and sin(0.785) whatever its slope.
        QTest::newRow("leftwards")
            << QPointF(30, 5) << QPointF(0, 5) << QPointF(20, 5) << QPointF(10, 5);
        QTest::newRow("upwards") << QPointF(3, 30) << QPointF(3, 0) << QPointF(3, 20)
                                 << QPointF(3, 10);
        QTest::newRow("slanted") << QPointF(0, 0) << QPointF(10, 20)
                                 << QPointF(7.0738827, 7.0682518) << QPointF(2.9261173, 12.9317482);
    }

    void edgeEndpoints()
    {
        QFETCH(QPointF, p1);
        QFETCH(QPointF, p2);
        QFETCH(QPointF, start);
        QFETCH(QPointF, end);
        const auto [s, e] = ::edgeEndpoints(p1, p2, 10);
        QVERIFY2(near(s, start), describe(s).constData());
        QVERIFY2(near(e, end), describe(e).constData());
    }

    void roundedPaths_data()
    {
        QTest::addColumn<QPainterPath>("path");
        QTest::addColumn<QPointF>("probe");
        QTest::addColumn<bool>("inside");
        // With radius 30 the corner curve passes a third of the radius in from both edges,
        // (200, 20) here, where a circular arc would pass about (201.2, 18.8).
        const QRectF rect(10, 10, 200, 100);
        QTest::newRow("curve inside") << roundedRectPath(rect, 30) << QPointF(199.5, 20.5) << true;
        QTest::newRow("curve outside")
            << roundedRectPath(rect, 30) << QPointF(200.5, 19.5) << false;
        QTest::newRow("radius 0 keeps the corner")
            << roundedRectPath(rect, 0) << QPointF(209.5, 10.5) << true;
        TriangleFrame triangle{{0, 0}, {100, 0}, {0, 100}, {}, {}};
        QTest::newRow("triangle corner cut")
            << roundedTrianglePath(triangle, 20) << QPointF(1, 1) << false;
        QTest::newRow("triangle middle")
            << roundedTrianglePath(triangle, 20) << QPointF(30, 30) << true;
    }

    void roundedPaths()
    {
        QFETCH(QPainterPath, path);
        QFETCH(QPointF, probe);
        QFETCH(bool, inside);
        QCOMPARE(path.contains(probe), inside);
    }
};

QUILTRA_TEST_MAIN(TestFrameGeometry)
#include "tst_framegeometry.moc"
