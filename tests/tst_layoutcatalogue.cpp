#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "SpacingSides.h"
#include "TestSupport.h"

#include <QPolygonF>

namespace {

const LayoutTemplate &layoutAt(int photos, int index)
{
    return CollageState::instance().layoutCatalogue[photos - 1][index];
}

// The outline of a cell; an apex triangle with its apex where it lies without spacing, the
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

// Whether a divider of lines crosses from a to b (one step right, or one step down).
bool dividerBetween(const QList<QRectF> &lines, QPointF a, QPointF b)
{
    for (const QRectF &line : lines) {
        const bool vertical = line.width() == 0;
        const qreal at = vertical ? line.x() : line.y();
        const qreal along = vertical ? a.y() : a.x();
        const auto [from, to] =
            vertical ? std::pair{line.top(), line.bottom()} : std::pair{line.left(), line.right()};
        const auto [low, high] = vertical ? std::pair{a.x(), b.x()} : std::pair{a.y(), b.y()};
        if (low < at && at < high && from <= along && along <= to)
            return true;
    }
    return false;
}

} // namespace

class TestLayoutCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    void listSizes()
    {
        QList<qsizetype> sizes;
        for (const auto &list : CollageState::instance().layoutCatalogue)
            sizes << list.size();
        QCOMPARE(sizes, (QList<qsizetype>{1, 4, 10, 11, 10, 6, 8, 6, 6, 6}));
    }

    void everyLayout_data()
    {
        QTest::addColumn<int>("photos");
        QTest::addColumn<int>("index");
        const auto &catalogue = CollageState::instance().layoutCatalogue;
        for (int photos = 1; photos <= kPhotoCountChoices; ++photos) {
            for (int index = 0; index < catalogue[photos - 1].size(); ++index)
                QTest::addRow("%d/%d", photos, index) << photos << index;
        }
    }

    // Sampled on a grid that misses every cell edge: the cells cover the area once, and
    // wherever two neighbouring samples lie in different rectangles a divider runs
    // between them, so that every shared edge can be dragged, and nowhere else.
    void everyLayout()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        const LayoutTemplate &layout = layoutAt(photos, index);
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
        }
        QVERIFY2(qAbs(area - 10000.0) < 1e-6, qPrintable(QString::number(area)));
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                const QPointF here(x + 0.45, y + 0.35);
                const int cell = cellAt(layout, here);
                QVERIFY2(cell >= 0, qPrintable(QStringLiteral("%1 cells at %2, %3")
                                                   .arg(cell == -1 ? "no" : "two")
                                                   .arg(x)
                                                   .arg(y)));
                if (!rectangles)
                    continue;
                for (const QPointF next : {here + QPointF(1, 0), here + QPointF(0, 1)}) {
                    if (next.x() > 100 || next.y() > 100)
                        continue;
                    const QList<QRectF> &lines =
                        next.x() > here.x() ? layout.verticalLines : layout.horizontalLines;
                    QVERIFY2((cellAt(layout, next) != cell) == dividerBetween(lines, here, next),
                             qPrintable(QStringLiteral("at %1, %2").arg(x).arg(y)));
                }
            }
        }
        if (!rectangles)
            QVERIFY(layout.horizontalLines.isEmpty() && layout.verticalLines.isEmpty());
    }

    void cellShapes_data() { everyLayout_data(); }

    // Spacing goes to the edges that face another cell; triangles keep their stored shape.
    void cellShapes()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        for (const LayoutCell &cell : layoutAt(photos, index).cells) {
            if (cell.kind == LayoutCell::Rectangle) {
                auto inner = [](qreal v) { return v > 0.1 && v < 99.9; };
                const int across[] = {SpacingNone, SpacingLeft, SpacingRight, SpacingLeftRight};
                const int down[] = {SpacingNone, SpacingTop, SpacingBottom, SpacingTopBottom};
                const QPointF a = cell.topLeft, b = cell.bottomRight;
                QCOMPARE(cell.hSpacingSides, across[inner(a.x()) + 2 * inner(b.x())]);
                QCOMPARE(cell.vSpacingSides, down[inner(a.y()) + 2 * inner(b.y())]);
                QCOMPARE(cell.topRight, QPointF(b.x(), a.y()));
                QCOMPARE(cell.bottomLeft, QPointF(a.x(), b.y()));
            } else if (cell.apexComputed) {
                QCOMPARE(cell.vertex3, QPointF(0, 0));
                QCOMPARE(cell.anchor, (cell.vertex1 + cell.vertex2) / 2.0);
                // The far ends of the diagonals through the base ends.
                QCOMPARE(cell.guideP, QPointF(100, 100) - cell.vertex1);
                QCOMPARE(cell.guideQ, QPointF(100, 100) - cell.vertex2);
            } else {
                QCOMPARE(cell.anchor, cell.vertex2); // the right angle
            }
        }
    }

    void cellOrder_data()
    {
        QTest::addColumn<int>("photos");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("cell");
        QTest::addColumn<QPointF>("first");
        QTest::addColumn<QPointF>("second");
        // Rectangles by top-left and bottom-right, triangles by vertex1 and vertex2.
        // clang-format off
        QTest::newRow("3/4 right half first") << 3 << 4 << 0 << QPointF(50, 0) << QPointF(100, 100);
        QTest::newRow("4/8 large cell last") << 4 << 8 << 3 << QPointF(0, 33.3) << QPointF(66.6, 100);
        QTest::newRow("10/5 cell 8") << 10 << 5 << 8 << QPointF(50, 0) << QPointF(100, 50);
        QTest::newRow("3/8 left apex last") << 3 << 8 << 2 << QPointF(0, 0) << QPointF(0, 100);
        QTest::newRow("4/10 top apex third") << 4 << 10 << 2 << QPointF(0, 0) << QPointF(100, 0);
        // clang-format on
    }

    // Frame i shows photo i, so the order of the cells is what the user sees.
    void cellOrder()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        QFETCH(int, cell);
        QFETCH(QPointF, first);
        QFETCH(QPointF, second);
        const LayoutCell &c = layoutAt(photos, index).cells.at(cell);
        const bool rectangle = c.kind == LayoutCell::Rectangle;
        QCOMPARE(rectangle ? c.topLeft : c.vertex1, first);
        QCOMPARE(rectangle ? c.bottomRight : c.vertex2, second);
    }
};

QUILTRA_TEST_MAIN(TestLayoutCatalogue)
#include "tst_layoutcatalogue.moc"
