#include "CollageState.h"
#include "FrameGeometry.h"
#include "LayoutCatalogue.h"
#include "SpacingSides.h"
#include "TestSupport.h"

#include <QPolygonF>
#include <algorithm>

using Points = QList<QPointF>;

namespace {

LayoutCell rectangle(qreal x1, qreal y1, qreal x2, qreal y2, int hSides, int vSides)
{
    return makeRectangleCell({x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, hSides, vSides);
}

// The outline of a cell; an apex triangle has its apex where it lies without spacing, the
// centre of the area.
QPolygonF outline(const LayoutCell &cell)
{
    if (cell.kind == LayoutCell::Rectangle)
        return QPolygonF(QRectF(cell.topLeft, cell.bottomRight));
    return QPolygonF{cell.vertex1, cell.vertex2,
                     cell.apexComputed ? QPointF(50, 50) : cell.vertex3};
}

// The cell holding point, or -1 when none does; -2 when more than one does.
int cellAt(const LayoutTemplate &layout, QPointF point)
{
    int found = -1;
    for (int i = 0; i < layout.cells.size(); ++i) {
        if (outline(layout.cells[i]).containsPoint(point, Qt::OddEvenFill))
            found = found == -1 ? i : -2;
    }
    return found;
}

// Whether one of the lines crosses the step from a to b (one right, or one down).
bool dividerBetween(const QList<QRectF> &lines, QPointF a, QPointF b)
{
    return std::ranges::any_of(lines, [&](const QRectF &line) {
        return line.width() == 0 ? a.x() < line.x() && line.x() < b.x() && line.top() <= a.y() &&
                                       a.y() <= line.bottom()
                                 : a.y() < line.y() && line.y() < b.y() && line.left() <= a.x() &&
                                       a.x() <= line.right();
    });
}

} // namespace

class TestLayoutGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

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

    // With radius 30 the corner curve passes a third of the radius in from both edges,
    // (200, 20) here, where a circular arc would pass about (201.2, 18.8).
    void roundedPaths()
    {
        const QRectF rect(10, 10, 200, 100);
        const TriangleFrame triangle{{0, 0}, {100, 0}, {0, 100}, {}, {}};
        QVERIFY(roundedRectPath(rect, 30).contains(QPointF(199.5, 20.5)));
        QVERIFY(!roundedRectPath(rect, 30).contains(QPointF(200.5, 19.5)));
        QVERIFY(roundedRectPath(rect, 0).contains(QPointF(209.5, 10.5)));
        QVERIFY(!roundedTrianglePath(triangle, 20).contains(QPointF(1, 1)));
        QVERIFY(roundedTrianglePath(triangle, 20).contains(QPointF(30, 30)));
    }

    void everyLayout_data()
    {
        QTest::addColumn<int>("photos");
        QTest::addColumn<int>("index");
        const auto &catalogue = CollageState::instance().layoutCatalogue;
        for (int photos = 1; photos <= kPhotoCountChoices; ++photos) {
            QVERIFY(!catalogue[photos - 1].isEmpty());
            for (int index = 0; index < catalogue[photos - 1].size(); ++index)
                QTest::addRow("%d/%d", photos, index) << photos << index;
        }
    }

    // Sampled on a grid that misses every cell edge: the cells cover the area once, and
    // wherever two neighbouring samples lie in different rectangles a divider runs between
    // them, so that every shared edge can be dragged, and nowhere else. Spacing goes to
    // the edges that face another cell.
    void everyLayout()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        const LayoutTemplate &layout = CollageState::instance().layoutCatalogue[photos - 1][index];
        QCOMPARE(layout.cells.size(), photos);
        const bool rectangles = layout.cells.first().kind == LayoutCell::Rectangle;
        // A sliver between cells can slip through the grid, but not through the total area.
        qreal area = 0;
        for (const LayoutCell &cell : layout.cells) {
            const QPolygonF corners = outline(cell);
            qreal twice = 0;
            for (qsizetype i = 0; i < corners.size(); ++i) {
                const QPointF &p = corners[i], &q = corners[(i + 1) % corners.size()];
                twice += p.x() * q.y() - q.x() * p.y();
            }
            area += qAbs(twice) / 2.0;
            // A right triangle is inset towards its right angle.
            if (cell.kind == LayoutCell::Triangle && !cell.apexComputed)
                QCOMPARE(
                    QPointF::dotProduct(cell.vertex1 - cell.anchor, cell.vertex3 - cell.anchor),
                    0.0);
            const auto inner = [](qreal v) { return v > 0.1 && v < 99.9; };
            if (cell.kind == LayoutCell::Rectangle) {
                const int across[] = {SpacingNone, SpacingLeft, SpacingRight, SpacingLeftRight};
                const int down[] = {SpacingNone, SpacingTop, SpacingBottom, SpacingTopBottom};
                QCOMPARE(cell.hSpacingSides,
                         across[inner(cell.topLeft.x()) + 2 * inner(cell.bottomRight.x())]);
                QCOMPARE(cell.vSpacingSides,
                         down[inner(cell.topLeft.y()) + 2 * inner(cell.bottomRight.y())]);
            }
        }
        QVERIFY2(qAbs(area - 10000.0) < 1e-6, qPrintable(QString::number(area)));
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                const QPointF here(x + 0.45, y + 0.35);
                const int cell = cellAt(layout, here);
                QVERIFY2(cell >= 0, qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
                for (const QPointF next : {here + QPointF(1, 0), here + QPointF(0, 1)}) {
                    const QList<QRectF> &lines =
                        next.x() > here.x() ? layout.verticalLines : layout.horizontalLines;
                    if (rectangles && next.x() < 100 && next.y() < 100)
                        QVERIFY2((cellAt(layout, next) != cell) ==
                                     dividerBetween(lines, here, next),
                                 qPrintable(QStringLiteral("at %1, %2").arg(x).arg(y)));
                }
            }
        }
        if (!rectangles)
            QVERIFY(layout.horizontalLines.isEmpty() && layout.verticalLines.isEmpty());
    }

    void currentLayoutNeedsValidIndices()
    {
        CollageState &state = CollageState::instance();
        for (const auto &[count, index, found] : {std::tuple{1, 3, true},
                                                  {1, 4, false},
                                                  {1, -1, false},
                                                  {10, 0, false},
                                                  {-1, 0, false}}) {
            state.photoCountIndex = count;
            state.layoutIndex = index;
            QCOMPARE(state.currentLayout() != nullptr, found);
        }
    }
};

QUILTRA_TEST_MAIN(TestLayoutGeometry)
#include "tst_layoutgeometry.moc"
