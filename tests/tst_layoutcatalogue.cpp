#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "SpacingSides.h"
#include "TestSupport.h"

#include <QPolygonF>

namespace {

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

class TestLayoutCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        CollageState::reset();
        buildLayoutCatalogue();
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
                QVERIFY2(cell >= 0, qPrintable(QStringLiteral("%1 cells at %2, %3")
                                                   .arg(cell == -1 ? "no" : "two")
                                                   .arg(x)
                                                   .arg(y)));
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

    void currentLayoutNeedsValidIndices_data()
    {
        QTest::addColumn<int>("countIndex");
        QTest::addColumn<int>("layoutIndex");
        QTest::addColumn<bool>("found");
        QTest::newRow("valid") << 1 << 3 << true;
        QTest::newRow("layout past end") << 1 << 4 << false;
        QTest::newRow("negative layout") << 1 << -1 << false;
        QTest::newRow("count past end") << 10 << 0 << false;
        QTest::newRow("negative count") << -1 << 0 << false;
    }

    void currentLayoutNeedsValidIndices()
    {
        QFETCH(int, countIndex);
        QFETCH(int, layoutIndex);
        QFETCH(bool, found);
        CollageState &state = CollageState::instance();
        state.photoCountIndex = countIndex;
        state.layoutIndex = layoutIndex;
        QCOMPARE(state.currentLayout() != nullptr, found);
    }
};

QUILTRA_TEST_MAIN(TestLayoutCatalogue)
#include "tst_layoutcatalogue.moc"
