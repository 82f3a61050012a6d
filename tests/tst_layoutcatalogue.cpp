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

using Span = std::pair<qreal, qreal>;

enum class Shapes
{
    All,
    Rectangles,
    Triangles
};

const LayoutTemplate &layoutAt(int photos, int index)
{
    return CollageState::instance().layoutCatalogue[photos - 1][index];
}

bool isRectangular(const LayoutTemplate &layout)
{
    return std::all_of(layout.cells.cbegin(), layout.cells.cend(),
                       [](const LayoutCell &cell) { return cell.kind == LayoutCell::Rectangle; });
}

// One row per built layout, named "<photos>/<index>".
void addLayoutRows(Shapes shapes)
{
    QTest::addColumn<int>("photos");
    QTest::addColumn<int>("index");
    const auto &catalogue = CollageState::instance().layoutCatalogue;
    for (int photos = 1; photos <= kPhotoCountChoices; ++photos) {
        for (int index = 0; index < catalogue[photos - 1].size(); ++index) {
            const bool rectangular = isRectangular(catalogue[photos - 1][index]);
            if ((shapes == Shapes::Rectangles && !rectangular) ||
                (shapes == Shapes::Triangles && rectangular))
                continue;
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

// The x spans of the cells' top and bottom edges lying on the row y.
QList<Span> horizontalEdgesAt(const LayoutTemplate &layout, qreal y)
{
    QList<Span> spans;
    for (const LayoutCell &cell : layout.cells) {
        if (near(cell.topLeft.y(), y) || near(cell.bottomRight.y(), y))
            spans.append({cell.topLeft.x(), cell.bottomRight.x()});
    }
    return spans;
}

// The y spans of the cells' left and right edges lying on the column x.
QList<Span> verticalEdgesAt(const LayoutTemplate &layout, qreal x)
{
    QList<Span> spans;
    for (const LayoutCell &cell : layout.cells) {
        if (near(cell.topLeft.x(), x) || near(cell.bottomRight.x(), x))
            spans.append({cell.topLeft.y(), cell.bottomRight.y()});
    }
    return spans;
}

// The code the interior-edge rule gives for one axis of a cell.
int expectedSides(qreal low, qreal high, int lowOnly, int highOnly, int both)
{
    const bool lowInterior = !onBorder(low);
    const bool highInterior = !onBorder(high);
    if (lowInterior != highInterior)
        return lowInterior ? lowOnly : highOnly;
    return lowInterior ? both : 0;
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

    void listSizes_data()
    {
        QTest::addColumn<int>("photos");
        QTest::addColumn<int>("size");
        const int sizes[kPhotoCountChoices] = {1, 4, 10, 11, 10, 6, 8, 6, 6, 6};
        for (int photos = 1; photos <= kPhotoCountChoices; ++photos)
            QTest::addRow("%d photos", photos) << photos << sizes[photos - 1];
    }

    void listSizes()
    {
        QFETCH(int, photos);
        QFETCH(int, size);
        QCOMPARE(CollageState::instance().layoutCatalogue[photos - 1].size(), size);
    }

    void cellCountIsPhotoCount_data() { addLayoutRows(Shapes::All); }

    void cellCountIsPhotoCount()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        QCOMPARE(layoutAt(photos, index).cells.size(), photos);
    }

    void rectanglesTileTheArea_data() { addLayoutRows(Shapes::Rectangles); }

    void rectanglesTileTheArea()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        const QList<LayoutCell> &cells = layoutAt(photos, index).cells;
        const QRectF area(0, 0, 100, 100);
        qreal total = 0;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const LayoutCell &cell = cells[i];
            const QRectF rect(cell.topLeft, cell.bottomRight);
            QVERIFY2(rect.width() > 0 && rect.height() > 0, qPrintable(QString::number(i)));
            QVERIFY(area.contains(rect));
            QCOMPARE(cell.topRight, QPointF(cell.bottomRight.x(), cell.topLeft.y()));
            QCOMPARE(cell.bottomLeft, QPointF(cell.topLeft.x(), cell.bottomRight.y()));
            QVERIFY(cell.vertex1.isNull() && cell.vertex2.isNull() && cell.anchor.isNull());
            total += rect.width() * rect.height();
            for (qsizetype j = i + 1; j < cells.size(); ++j) {
                const QRectF overlap =
                    rect.intersected(QRectF(cells[j].topLeft, cells[j].bottomRight));
                QVERIFY2(overlap.width() * overlap.height() < kAreaTolerance,
                         qPrintable(QStringLiteral("cells %1 and %2").arg(i).arg(j)));
            }
        }
        QVERIFY(qAbs(total - 10000.0) < kAreaTolerance);
    }

    void spacingSidesFollowInteriorEdges_data() { addLayoutRows(Shapes::Rectangles); }

    void spacingSidesFollowInteriorEdges()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        for (const LayoutCell &cell : layoutAt(photos, index).cells) {
            QCOMPARE(cell.hSpacingSides,
                     expectedSides(cell.topLeft.x(), cell.bottomRight.x(), SpacingLeft,
                                   SpacingRight, SpacingLeftRight));
            QCOMPARE(cell.vSpacingSides,
                     expectedSides(cell.topLeft.y(), cell.bottomRight.y(), SpacingTop,
                                   SpacingBottom, SpacingTopBottom));
        }
    }

    void dividersLieOnCellEdges_data() { addLayoutRows(Shapes::Rectangles); }

    void dividersLieOnCellEdges()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        const LayoutTemplate &layout = layoutAt(photos, index);
        for (const QRectF &line : layout.horizontalLines) {
            QCOMPARE(line.height(), 0.0);
            QVERIFY2(!onBorder(line.y()), "a divider on the border separates nothing");
            QVERIFY(covers(horizontalEdgesAt(layout, line.y()), line.left(), line.right()));
        }
        for (const QRectF &line : layout.verticalLines) {
            QCOMPARE(line.width(), 0.0);
            QVERIFY2(!onBorder(line.x()), "a divider on the border separates nothing");
            QVERIFY(covers(verticalEdgesAt(layout, line.x()), line.top(), line.bottom()));
        }
    }

    // Without a divider along it, an interior edge could not be dragged on the canvas.
    void interiorEdgesLieOnDividers_data() { addLayoutRows(Shapes::Rectangles); }

    void interiorEdgesLieOnDividers()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        const LayoutTemplate &layout = layoutAt(photos, index);
        const auto spansAt = [](const QList<QRectF> &lines, bool horizontal, qreal at) {
            QList<Span> spans;
            for (const QRectF &line : lines) {
                if (near(horizontal ? line.y() : line.x(), at))
                    spans.append(horizontal ? Span{line.left(), line.right()}
                                            : Span{line.top(), line.bottom()});
            }
            return spans;
        };
        for (const LayoutCell &cell : layout.cells) {
            for (qreal y : {cell.topLeft.y(), cell.bottomRight.y()}) {
                if (!onBorder(y))
                    QVERIFY(covers(spansAt(layout.horizontalLines, true, y), cell.topLeft.x(),
                                   cell.bottomRight.x()));
            }
            for (qreal x : {cell.topLeft.x(), cell.bottomRight.x()}) {
                if (!onBorder(x))
                    QVERIFY(covers(spansAt(layout.verticalLines, false, x), cell.topLeft.y(),
                                   cell.bottomRight.y()));
            }
        }
    }

    void trianglesKeepTheirShape_data() { addLayoutRows(Shapes::Triangles); }

    void trianglesKeepTheirShape()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        const LayoutTemplate &layout = layoutAt(photos, index);
        QVERIFY(layout.horizontalLines.isEmpty() && layout.verticalLines.isEmpty());
        const QPointF centre(50, 50);
        qreal total = 0;
        for (const LayoutCell &cell : layout.cells) {
            QCOMPARE(cell.kind, LayoutCell::Triangle);
            QVERIFY(cell.topLeft.isNull() && cell.bottomRight.isNull());
            if (cell.apexComputed) {
                QCOMPARE(cell.vertex3, QPointF(0, 0));
                QCOMPARE(cell.anchor, (cell.vertex1 + cell.vertex2) / 2.0);
                QVERIFY2(onBorder(cell.vertex1.x()) && onBorder(cell.vertex1.y()) &&
                             onBorder(cell.vertex2.x()) && onBorder(cell.vertex2.y()),
                         "base ends are corners of the area");
                const QPointF base = cell.vertex2 - cell.vertex1;
                QCOMPARE(qAbs(base.x()) + qAbs(base.y()), 100.0);
                QCOMPARE(cell.guideP, QPointF(100, 100) - cell.vertex1);
                QCOMPARE(cell.guideQ, QPointF(100, 100) - cell.vertex2);
                total += triangleArea(cell.vertex1, cell.vertex2, centre);
            } else {
                QCOMPARE(cell.anchor, cell.vertex2);
                const QPointF leg1 = cell.vertex1 - cell.vertex2;
                const QPointF leg2 = cell.vertex3 - cell.vertex2;
                QCOMPARE(QPointF::dotProduct(leg1, leg2), 0.0);
                for (const QPointF &end : {cell.vertex1, cell.vertex3}) {
                    const bool alongVertical = near(end.x(), cell.vertex2.x());
                    QVERIFY2(onBorder(alongVertical ? end.x() : end.y()), "leg on the border");
                }
                QVERIFY(cell.guideP.isNull() && cell.guideQ.isNull());
                total += triangleArea(cell.vertex1, cell.vertex2, cell.vertex3);
            }
        }
        QVERIFY(qAbs(total - 10000.0) < kAreaTolerance);
    }

    void triangleMix_data()
    {
        QTest::addColumn<int>("photos");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("rightTriangles");
        QTest::addColumn<int>("apexTriangles");
        QTest::newRow("2/2") << 2 << 2 << 2 << 0;
        QTest::newRow("2/3") << 2 << 3 << 2 << 0;
        for (int index = 6; index <= 9; ++index)
            QTest::addRow("3/%d", index) << 3 << index << 1 << 2;
        QTest::newRow("4/10") << 4 << 10 << 0 << 4;
    }

    void triangleMix()
    {
        QFETCH(int, photos);
        QFETCH(int, index);
        QFETCH(int, rightTriangles);
        QFETCH(int, apexTriangles);
        int right = 0;
        int apex = 0;
        for (const LayoutCell &cell : layoutAt(photos, index).cells) {
            if (cell.kind == LayoutCell::Triangle)
                ++(cell.apexComputed ? apex : right);
        }
        QCOMPARE(right, rightTriangles);
        QCOMPARE(apex, apexTriangles);
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

    void apexFactory_data()
    {
        QTest::addColumn<QPointF>("vertex1");
        QTest::addColumn<QPointF>("vertex2");
        QTest::addColumn<QPointF>("guideP");
        QTest::addColumn<QPointF>("guideQ");
        QTest::newRow("top") << QPointF(0, 0) << QPointF(100, 0) << QPointF(100, 100)
                             << QPointF(0, 100);
        QTest::newRow("bottom") << QPointF(0, 100) << QPointF(100, 100) << QPointF(100, 0)
                                << QPointF(0, 0);
        QTest::newRow("left") << QPointF(0, 0) << QPointF(0, 100) << QPointF(100, 100)
                              << QPointF(100, 0);
        QTest::newRow("right, upwards")
            << QPointF(100, 100) << QPointF(100, 0) << QPointF(0, 0) << QPointF(0, 100);
    }

    void apexFactory()
    {
        QFETCH(QPointF, vertex1);
        QFETCH(QPointF, vertex2);
        QFETCH(QPointF, guideP);
        QFETCH(QPointF, guideQ);
        const QPointF anchor = (vertex1 + vertex2) / 2.0;
        const LayoutCell cell = makeApexTriangleCell(vertex1, vertex2, anchor);
        QCOMPARE(cell.kind, LayoutCell::Triangle);
        QVERIFY(cell.apexComputed);
        QCOMPARE(cell.vertex3, QPointF(0, 0));
        QCOMPARE(cell.anchor, anchor);
        QCOMPARE(cell.guideP, guideP);
        QCOMPARE(cell.guideQ, guideQ);
    }
};

QUILTRA_TEST_MAIN(TestLayoutCatalogue)
#include "tst_layoutcatalogue.moc"
