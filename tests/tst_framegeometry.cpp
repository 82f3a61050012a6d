#include "FrameGeometry.h"
#include "LayoutCatalogue.h"
#include "SpacingSides.h"
#include "TestSupport.h"

using Points = QList<QPointF>;

namespace {

LayoutCell rectangle(qreal x1, qreal y1, qreal x2, qreal y2, int hSides, int vSides)
{
    return makeRectangleCell({x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, hSides, vSides);
}

} // namespace

class TestFrameGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frames_data()
    {
        QTest::addColumn<LayoutCell>("cell");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QList<int>>("marginSpacingTop");
        QTest::addColumn<Points>("expected"); // top-left and bottom-right, or the vertices
        LayoutCell corner;                    // the right angle at the top left
        corner.kind = LayoutCell::Triangle;
        corner.vertex1 = QPointF(100, 0);
        corner.vertex2 = corner.anchor = QPointF(0, 0);
        corner.vertex3 = QPointF(0, 100);
        const QSize hd(1920, 1080), square(240, 240);
        // clang-format off
        QTest::newRow("left half, odd spacing") << rectangle(0, 0, 50, 100, SpacingRight, SpacingNone)
            << hd << QList{140, 41, 0} << Points{{140, 140}, {939.5, 940}};
        QTest::newRow("middle third, top offset") << rectangle(33.3, 0, 66.6, 100, SpacingLeftRight, SpacingNone)
            << hd << QList{140, 40, 100} << Points{{706.12, 240}, {1212.24, 940}};
        QTest::newRow("middle row") << rectangle(0, 25, 100, 75, SpacingNone, SpacingTopBottom)
            << hd << QList{140, 40, 0} << Points{{140, 360}, {1780, 720}};
        QTest::newRow("no margin, no spacing") << rectangle(50, 50, 100, 100, SpacingLeft, SpacingTop)
            << QSize(200, 100) << QList{0, 0, 0} << Points{{100, 50}, {200, 100}};
        // Margin 20: a 200 x 200 area at (20, 20) on the square canvas.
        QTest::newRow("right angle stays, hypotenuse moves in") << corner << square << QList{20, 10, 0}
            << Points{{215, 20}, {20, 20}, {20, 215}};
        QTest::newRow("odd spacing gives half pixels") << corner << square << QList{20, 11, 0}
            << Points{{214.5, 20}, {20, 20}, {20, 214.5}};
        QTest::newRow("top offset shifts and shrinks") << corner << QSize(240, 280) << QList{20, 0, 40}
            << Points{{220, 60}, {20, 60}, {20, 260}};
        QTest::newRow("apex over the bottom edge") << makeApexTriangleCell({0, 100}, {100, 100}, {50, 100})
            << square << QList{20, 10, 0} << Points{{25, 220}, {215, 220}, {120, 125}};
        // On a 400 x 200 area the apex follows the diagonal through the inset guide line.
        QTest::newRow("apex from the left edge of a wide area") << makeApexTriangleCell({0, 0}, {0, 100}, {0, 50})
            << QSize(440, 240) << QList{20, 10, 0} << Points{{20, 25}, {20, 215}, {20 + 95.0 * 395 / 195, 120}};
        QTest::newRow("collapsed area keeps a finite apex") << makeApexTriangleCell({0, 0}, {0, 100}, {0, 50})
            << QSize(240, 45) << QList{20, 10, 0} << Points{{20, 25}, {20, 20}, {20, 22.5}};
        // clang-format on
    }

    void frames()
    {
        QFETCH(LayoutCell, cell);
        QFETCH(QSize, canvas);
        QFETCH(QList<int>, marginSpacingTop);
        QFETCH(Points, expected);
        const FrameArea area =
            frameArea(QRect(QPoint(0, 0), canvas), marginSpacingTop[0], marginSpacingTop[2]);
        Points actual;
        if (cell.kind == LayoutCell::Rectangle) {
            const QRectF rect = cellFrameRect(cell, area, marginSpacingTop[1]);
            actual = {rect.topLeft(), rect.bottomRight()};
        } else {
            const TriangleFrame frame = cellTriangleFrame(cell, area, marginSpacingTop[1]);
            actual = {frame.vertex1, frame.vertex2, frame.vertex3};
            QCOMPARE(frame.path.boundingRect(), QPolygonF(actual).boundingRect());
        }
        for (qsizetype i = 0; i < actual.size(); ++i) {
            const QPointF miss = actual[i] - expected[i];
            QVERIFY2(qAbs(miss.x()) < 1e-6 && qAbs(miss.y()) < 1e-6,
                     qPrintable(QStringLiteral("%1, %2").arg(actual[i].x()).arg(actual[i].y())));
        }
    }

    void roundedPaths_data()
    {
        QTest::addColumn<QPainterPath>("path");
        QTest::addColumn<QPointF>("probe");
        QTest::addColumn<bool>("inside");
        // With radius 30 the corner curve passes a third of the radius in from both edges,
        // (200, 20) here, where a circular arc would pass about (201.2, 18.8).
        const QRectF rect(10, 10, 200, 100);
        const TriangleFrame triangle{{0, 0}, {100, 0}, {0, 100}, {}, {}};
        QTest::newRow("curve inside") << roundedRectPath(rect, 30) << QPointF(199.5, 20.5) << true;
        QTest::newRow("curve outside")
            << roundedRectPath(rect, 30) << QPointF(200.5, 19.5) << false;
        QTest::newRow("radius 0 keeps the corner")
            << roundedRectPath(rect, 0) << QPointF(209.5, 10.5) << true;
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
