#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "SpacingSides.h"
#include "TestSupport.h"

#include <algorithm>
#include <utility>

namespace {

// Lines and cells meet within this distance; it absorbs 33.3 + 66.6 = 99.9 against 100.
constexpr qreal kEdgeTolerance = 0.15;
constexpr qreal kAreaTolerance = 1e-6;

// The layouts, as photos and index, whose cells are triangles.
const QList<std::pair<int, int>> kTriangleLayouts{{2, 2}, {2, 3}, {3, 6}, {3, 7},
                                                  {3, 8}, {3, 9}, {4, 10}};

using Span = std::pair<qreal, qreal>;

const LayoutTemplate &layoutAt(int photos, int index)
{
    return CollageState::instance().layoutCatalogue[photos - 1][index];
}

// One row per built layout of the wanted shape, named "<photos>/<index>".
void addLayoutRows(bool triangles)
{
    QTest::addColumn<int>("photos");
    QTest::addColumn<int>("index");
    const auto &catalogue = CollageState::instance().layoutCatalogue;
    for (int photos = 1; photos <= kPhotoCountChoices; ++photos) {
        for (int index = 0; index < catalogue[photos - 1].size(); ++index) {
            if (kTriangleLayouts.contains({photos, index}) == triangles)
                QTest::addRow("%d/%d", photos, index) << photos << index;
        }
    }
}

bool near(qreal a, qreal b)
{
    return qAbs(a - b) <= kEdgeTolerance;
}

bool onBorder(qreal v)
{
    return near(v, 0.0) || near(v, 100.0);
}

// Whether the union of the spans covers [from, to].
bool covers(QList<Span> spans, qreal from, qreal to)
{
    std::sort(spans.begin(), spans.end());
    qreal reached = from;
    for (const Span &span : spans) {
        if (span.first <= reached + kEdgeTolerance && span.second > reached)
            reached = span.second;
    }
    return reached >= to - kEdgeTolerance;
}

// Seen across (vertical lines and the cells' left and right edges), x and y trade places, so
// one check serves both directions.
QPointF seen(QPointF p, bool across)
{
    return across ? p.transposed() : p;
}

// The spans of the cells' edges lying on the line y = at (x = at, across).
QList<Span> edgesOn(const LayoutTemplate &layout, bool across, qreal at)
{
    QList<Span> spans;
    for (const LayoutCell &cell : layout.cells) {
        const QPointF a = seen(cell.topLeft, across);
        const QPointF b = seen(cell.bottomRight, across);
        if (near(a.y(), at) || near(b.y(), at))
            spans.append({a.x(), b.x()});
    }
    return spans;
}

// The same for divider lines.
QList<Span> dividersOn(const QList<QRectF> &lines, bool across, qreal at)
{
    QList<Span> spans;
    for (const QRectF &line : lines) {
        const QPointF a = seen(line.topLeft(), across);
        if (near(a.y(), at))
            spans.append({a.x(), seen(line.bottomRight(), across).x()});
    }
    return spans;
}

// The spacing code of one axis of a cell: half the spacing on each interior edge.
int expectedSides(qreal low, qreal high, int lowOnly, int highOnly, int both)
{
    const int codes[] = {SpacingNone, lowOnly, highOnly, both};
    return codes[(onBorder(low) ? 0 : 1) + (onBorder(high) ? 0 : 2)];
}

qreal triangleArea(QPointF a, QPointF b, QPointF c)
{
    return qAbs((b.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (b.y() - a.y())) / 2.0;
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

    void rectangularLayouts_data() { addLayoutRows(false); }

    void rectangularLayouts()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        const LayoutTemplate &layout = layoutAt(photos, index);
        const QList<LayoutCell> &cells = layout.cells;
        QCOMPARE(cells.size(), photos);

        // The cells tile the area.
        qreal total = 0;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const LayoutCell &cell = cells[i];
            const QRectF rect(cell.topLeft, cell.bottomRight);
            QVERIFY2(rect.width() > 0 && rect.height() > 0, qPrintable(QString::number(i)));
            QVERIFY(QRectF(0, 0, 100, 100).contains(rect));
            QCOMPARE(cell.topRight, QPointF(cell.bottomRight.x(), cell.topLeft.y()));
            QCOMPARE(cell.bottomLeft, QPointF(cell.topLeft.x(), cell.bottomRight.y()));
            QCOMPARE(cell.hSpacingSides, expectedSides(rect.left(), rect.right(), SpacingLeft,
                                                       SpacingRight, SpacingLeftRight));
            QCOMPARE(cell.vSpacingSides, expectedSides(rect.top(), rect.bottom(), SpacingTop,
                                                       SpacingBottom, SpacingTopBottom));
            total += rect.width() * rect.height();
            for (qsizetype j = i + 1; j < cells.size(); ++j) {
                const QRectF overlap =
                    rect.intersected(QRectF(cells[j].topLeft, cells[j].bottomRight));
                QVERIFY2(overlap.width() * overlap.height() < kAreaTolerance,
                         qPrintable(QStringLiteral("cells %1 and %2").arg(i).arg(j)));
            }
        }
        QVERIFY(qAbs(total - 10000.0) < kAreaTolerance);

        // Every divider runs along cell edges, and every interior edge lies on a divider: without
        // one it could not be dragged on the canvas.
        for (const bool across : {false, true}) {
            const QList<QRectF> &lines = across ? layout.verticalLines : layout.horizontalLines;
            for (const QRectF &line : lines) {
                const QPointF a = seen(line.topLeft(), across);
                const QPointF b = seen(line.bottomRight(), across);
                QCOMPARE(a.y(), b.y());
                QVERIFY2(!onBorder(a.y()), "a divider on the border separates nothing");
                QVERIFY(covers(edgesOn(layout, across, a.y()), a.x(), b.x()));
            }
            for (const LayoutCell &cell : cells) {
                const QPointF a = seen(cell.topLeft, across);
                const QPointF b = seen(cell.bottomRight, across);
                for (const qreal at : {a.y(), b.y()}) {
                    if (!onBorder(at))
                        QVERIFY(covers(dividersOn(lines, across, at), a.x(), b.x()));
                }
            }
        }
    }

    void triangleLayouts_data() { addLayoutRows(true); }

    // Right triangles have the right angle at vertex2 and their legs on the border; apex
    // triangles stand on a whole side, their apex found only when rendered.
    void triangleLayouts()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        const LayoutTemplate &layout = layoutAt(photos, index);
        QCOMPARE(layout.cells.size(), photos);
        QVERIFY(layout.horizontalLines.isEmpty() && layout.verticalLines.isEmpty());
        // With the apex at the centre, the cells cover the area once; this also fixes how
        // many of each kind there are.
        qreal total = 0;
        for (const LayoutCell &cell : layout.cells) {
            QCOMPARE(cell.kind, LayoutCell::Triangle);
            if (cell.apexComputed) {
                QCOMPARE(cell.vertex3, QPointF(0, 0));
                QCOMPARE(cell.anchor, (cell.vertex1 + cell.vertex2) / 2.0);
                // The guides are the far ends of the diagonals through the base ends, which
                // only corners of the area have.
                QCOMPARE(cell.guideP, QPointF(100, 100) - cell.vertex1);
                QCOMPARE(cell.guideQ, QPointF(100, 100) - cell.vertex2);
                total += triangleArea(cell.vertex1, cell.vertex2, QPointF(50, 50));
            } else {
                QCOMPARE(cell.anchor, cell.vertex2);
                QCOMPARE(
                    QPointF::dotProduct(cell.vertex1 - cell.vertex2, cell.vertex3 - cell.vertex2),
                    0.0);
                for (const QPointF &end : {cell.vertex1, cell.vertex3}) {
                    const bool alongVertical = near(end.x(), cell.vertex2.x());
                    QVERIFY2(onBorder(alongVertical ? end.x() : end.y()), "leg on the border");
                }
                total += triangleArea(cell.vertex1, cell.vertex2, cell.vertex3);
            }
        }
        QVERIFY(qAbs(total - 10000.0) < kAreaTolerance);
    }

    void cellOrder_data()
    {
        QTest::addColumn<int>("photos");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("cell");
        QTest::addColumn<QPointF>("first");
        QTest::addColumn<QPointF>("second");
        // Rectangles by top-left and bottom-right, triangles by vertex1 and vertex2.
        QTest::newRow("3/4 right half first") << 3 << 4 << 0 << QPointF(50, 0) << QPointF(100, 100);
        QTest::newRow("3/0 middle third") << 3 << 0 << 1 << QPointF(33.3, 0) << QPointF(66.6, 100);
        QTest::newRow("4/8 large cell last")
            << 4 << 8 << 3 << QPointF(0, 33.3) << QPointF(66.6, 100);
        QTest::newRow("7/1 top-left quarter") << 7 << 1 << 4 << QPointF(0, 0) << QPointF(50, 50);
        QTest::newRow("9/4 centre column") << 9 << 4 << 4 << QPointF(25, 0) << QPointF(75, 100);
        QTest::newRow("10/5 cell 8") << 10 << 5 << 8 << QPointF(50, 0) << QPointF(100, 50);
        QTest::newRow("2/2 right triangle") << 2 << 2 << 0 << QPointF(100, 0) << QPointF(0, 0);
        QTest::newRow("3/8 left apex last") << 3 << 8 << 2 << QPointF(0, 0) << QPointF(0, 100);
        QTest::newRow("4/10 top apex third") << 4 << 10 << 2 << QPointF(0, 0) << QPointF(100, 0);
    }

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

    void dividerOrder_data()
    {
        QTest::addColumn<int>("photos");
        QTest::addColumn<int>("index");
        QTest::addColumn<QList<QRectF>>("horizontal");
        QTest::addColumn<QList<QRectF>>("vertical");
        QTest::newRow("4/7 short line last")
            << 4 << 7 << QList<QRectF>{QRectF(33.3, 33.3, 66.6, 0)}
            << QList<QRectF>{QRectF(33.3, 0, 0, 100), QRectF(66.6, 0, 0, 33.3)};
        QTest::newRow("10/5 unsorted")
            << 10 << 5
            << QList<QRectF>{QRectF(0, 50, 100, 0), QRectF(0, 25, 50, 0), QRectF(50, 75, 50, 0)}
            << QList<QRectF>{QRectF(50, 0, 0, 100), QRectF(25, 0, 0, 50), QRectF(75, 50, 0, 50)};
    }

    void dividerOrder()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        QFETCH(QList<QRectF>, horizontal);
        QFETCH(QList<QRectF>, vertical);
        QCOMPARE(layoutAt(photos, index).horizontalLines, horizontal);
        QCOMPARE(layoutAt(photos, index).verticalLines, vertical);
    }
};

QUILTRA_TEST_MAIN(TestLayoutCatalogue)
#include "tst_layoutcatalogue.moc"
