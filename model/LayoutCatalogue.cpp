#include "LayoutCatalogue.h"

#include "CollageState.h"
#include "SpacingSides.h"

#include <QString>
#include <QStringList>

namespace {

constexpr qreal kFullExtent = 100.0;
constexpr qreal kBorderTolerance = 1e-6;

// One layout, written compactly. Cells are separated by semicolons and are either
// "x1 y1 x2 y2" (a rectangle by its top-left and bottom-right corners),
// "right (x y) (x y) (x y)" (a right triangle, the right angle at the middle vertex) or
// "apex (x y) (x y)" (the base ends of an apex triangle). Divider lines are "x y length",
// separated by commas; "-" is no line. Thirds are written 33.3 and 66.6 rather than
// 100/3, so the last third of a row is 33.4 wide and a line from 33.3 of length 66.6
// stops at 99.9.
struct LayoutRow
{
    int photos;
    const char *cells;
    const char *horizontalLines;
    const char *verticalLines;
};

// clang-format off
constexpr LayoutRow kLayouts[] = {
    {1, "0 0 100 100", "-", "-"},
    {2, "0 0 50 100; 50 0 100 100", "-", "50 0 100"},
    {2, "0 0 100 50; 0 50 100 100", "0 50 100", "-"},
    {2, "right (100 0) (0 0) (0 100); right (0 100) (100 100) (100 0)", "-", "-"},
    {2, "right (0 0) (0 100) (100 100); right (0 0) (100 0) (100 100)", "-", "-"},
    {3, "0 0 33.3 100; 33.3 0 66.6 100; 66.6 0 100 100", "-", "33.3 0 100, 66.6 0 100"},
    {3, "0 0 100 33.3; 0 33.3 100 66.6; 0 66.6 100 100", "0 33.3 100, 0 66.6 100", "-"},
    {3, "0 0 50 100; 50 0 100 50; 50 50 100 100", "50 50 50", "50 0 100"},
    {3, "0 0 100 50; 0 50 50 100; 50 50 100 100", "0 50 100", "50 50 50"},
    {3, "50 0 100 100; 0 0 50 50; 0 50 50 100", "0 50 50", "50 0 100"},
    {3, "0 50 100 100; 0 0 50 50; 50 0 100 50", "0 50 100", "50 0 50"},
    {3, "right (100 0) (0 0) (0 100); apex (0 100) (100 100); apex (100 100) (100 0)", "-", "-"},
    {3, "right (0 0) (100 0) (100 100); apex (0 0) (0 100); apex (0 100) (100 100)", "-", "-"},
    {3, "right (100 0) (100 100) (0 100); apex (0 0) (100 0); apex (0 0) (0 100)", "-", "-"},
    {3, "right (0 0) (0 100) (100 100); apex (0 0) (100 0); apex (100 0) (100 100)", "-", "-"},
    {4, "0 0 25 100; 25 0 50 100; 50 0 75 100; 75 0 100 100", "-", "25 0 100, 50 0 100, 75 0 100"},
    {4, "0 0 100 25; 0 25 100 50; 0 50 100 75; 0 75 100 100", "0 25 100, 0 50 100, 0 75 100", "-"},
    {4, "0 0 50 50; 50 0 100 50; 0 50 50 100; 50 50 100 100", "0 50 100", "50 0 100"},
    {4, "0 0 50 100; 50 0 100 33.3; 50 33.3 100 66.6; 50 66.6 100 100",
        "50 33.3 50, 50 66.6 50", "50 0 100"},
    {4, "0 0 100 50; 0 50 33.3 100; 33.3 50 66.6 100; 66.6 50 100 100",
        "0 50 100", "33.3 50 50, 66.6 50 50"},
    {4, "50 0 100 100; 0 0 50 33.3; 0 33.3 50 66.6; 0 66.6 50 100",
        "0 33.3 50, 0 66.6 50", "50 0 100"},
    {4, "0 50 100 100; 0 0 33.3 50; 33.3 0 66.6 50; 66.6 0 100 50",
        "0 50 100", "33.3 0 50, 66.6 0 50"},
    {4, "0 0 33.3 100; 33.3 0 66.6 33.3; 66.6 0 100 33.3; 33.3 33.3 100 100",
        "33.3 33.3 66.6", "33.3 0 100, 66.6 0 33.3"},
    {4, "0 0 100 33.3; 66.6 33.3 100 66.6; 66.6 66.6 100 100; 0 33.3 66.6 100",
        "0 33.3 100, 66.6 66.6 33.3", "66.6 33.3 66.6"},
    {4, "0 66.6 33.3 100; 33.3 66.6 66.6 100; 66.6 0 100 100; 0 0 66.6 66.6",
        "0 66.6 66.6", "33.3 66.6 33.3, 66.6 0 100"},
    {4, "apex (0 0) (0 100); apex (0 100) (100 100); apex (0 0) (100 0); apex (100 0) (100 100)",
        "-", "-"},
    {5, "0 0 20 100; 20 0 40 100; 40 0 60 100; 60 0 80 100; 80 0 100 100",
        "-", "20 0 100, 40 0 100, 60 0 100, 80 0 100"},
    {5, "0 0 100 20; 0 20 100 40; 0 40 100 60; 0 60 100 80; 0 80 100 100",
        "0 20 100, 0 40 100, 0 60 100, 0 80 100", "-"},
    {5, "0 0 50 50; 0 50 50 100; 50 0 100 33.3; 50 33.3 100 66.6; 50 66.6 100 100",
        "0 50 50, 50 33.3 50, 50 66.6 50", "50 0 100"},
    {5, "0 0 50 50; 50 0 100 50; 0 50 33.3 100; 33.3 50 66.6 100; 66.6 50 100 100",
        "0 50 100", "50 0 50, 33.3 50 50, 66.6 50 50"},
    {5, "50 0 100 50; 50 50 100 100; 0 0 50 33.3; 0 33.3 50 66.6; 0 66.6 50 100",
        "50 50 50, 0 33.3 50, 0 66.6 50", "50 0 100"},
    {5, "0 0 33.3 50; 33.3 0 66.6 50; 66.6 0 100 50; 0 50 50 100; 50 50 100 100",
        "0 50 100", "33.3 0 50, 66.6 0 50, 50 50 50"},
    {5, "0 0 75 100; 75 0 100 25; 75 25 100 50; 75 50 100 75; 75 75 100 100",
        "75 25 25, 75 50 25, 75 75 25", "75 0 100"},
    {5, "0 0 100 75; 0 75 25 100; 25 75 50 100; 50 75 75 100; 75 75 100 100",
        "0 75 100", "25 75 25, 50 75 25, 75 75 25"},
    {5, "0 0 25 25; 0 25 25 50; 0 50 25 75; 0 75 25 100; 25 0 100 100",
        "0 25 25, 0 50 25, 0 75 25", "25 0 100"},
    {5, "0 0 25 25; 25 0 50 25; 50 0 75 25; 75 0 100 25; 0 25 100 100",
        "0 25 100", "25 0 25, 50 0 25, 75 0 25"},
    {6, "0 0 33.3 50; 33.3 0 66.6 50; 66.6 0 100 50; 0 50 33.3 100; 33.3 50 66.6 100; "
        "66.6 50 100 100",
        "0 50 100", "33.3 0 100, 66.6 0 100"},
    {6, "0 0 50 33.3; 0 33.3 50 66.6; 0 66.6 50 100; 50 0 100 33.3; 50 33.3 100 66.6; "
        "50 66.6 100 100",
        "0 33.3 100, 0 66.6 100", "50 0 100"},
    {6, "0 0 50 100; 50 0 100 50; 50 50 75 75; 75 50 100 75; 50 75 75 100; 75 75 100 100",
        "50 50 50, 50 75 50", "50 0 100, 75 50 50"},
    {6, "0 0 100 50; 0 50 25 75; 25 50 50 75; 0 75 25 100; 25 75 50 100; 50 50 100 100",
        "0 50 100, 0 75 50", "25 50 50, 50 50 50"},
    {6, "0 0 25 25; 25 0 50 25; 0 25 25 50; 25 25 50 50; 0 50 50 100; 50 0 100 100",
        "0 25 50, 0 50 50", "25 0 50, 50 0 100"},
    {6, "0 0 50 50; 50 0 75 25; 75 0 100 25; 50 25 75 50; 75 25 100 50; 0 50 100 100",
        "50 25 50, 0 50 100", "50 0 50, 75 0 50"},
    {7, "0 0 25 25; 25 0 50 25; 0 25 25 50; 25 25 50 50; 50 0 100 50; 0 50 50 100; 50 50 100 100",
        "0 25 50, 0 50 100", "25 0 50, 50 0 100"},
    {7, "50 0 75 25; 75 0 100 25; 50 25 75 50; 75 25 100 50; 0 0 50 50; 0 50 50 100; "
        "50 50 100 100",
        "50 25 50, 0 50 100", "75 0 50, 50 0 100"},
    {7, "50 50 75 75; 75 50 100 75; 50 75 75 100; 75 75 100 100; 0 0 50 50; 50 0 100 50; "
        "0 50 50 100",
        "50 75 50, 0 50 100", "75 50 50, 50 0 100"},
    {7, "0 50 25 75; 25 50 50 75; 0 75 25 100; 25 75 50 100; 0 0 50 50; 50 0 100 50; "
        "50 50 100 100",
        "0 75 50, 0 50 100", "25 50 50, 50 0 100"},
    {7, "0 0 50 100; 50 0 75 33.3; 75 0 100 33.3; 50 33.3 75 66.6; 75 33.3 100 66.6; "
        "50 66.6 75 100; 75 66.6 100 100",
        "50 33.3 50, 50 66.6 50", "50 0 100, 75 0 100"},
    {7, "0 0 100 50; 0 50 33.3 75; 0 75 33.3 100; 33.3 50 66.6 75; 33.3 75 66.6 100; "
        "66.6 50 100 75; 66.6 75 100 100",
        "0 50 100, 0 75 100", "33.3 50 50, 66.6 50 50"},
    {7, "0 0 25 33.3; 25 0 50 33.3; 0 33.3 25 66.6; 25 33.3 50 66.6; 0 66.6 25 100; "
        "25 66.6 50 100; 50 0 100 100",
        "0 33.3 50, 0 66.6 50", "25 0 100, 50 0 100"},
    {7, "0 0 33.3 25; 0 25 33.3 50; 33.3 0 66.6 25; 33.3 25 66.6 50; 66.6 0 100 25; "
        "66.6 25 100 50; 0 50 100 100",
        "0 25 100, 0 50 100", "33.3 0 50, 66.6 0 50"},
    {8, "0 0 25 50; 25 0 50 50; 50 0 75 50; 75 0 100 50; 0 50 25 100; 25 50 50 100; 50 50 75 100; "
        "75 50 100 100",
        "0 50 100", "25 0 100, 50 0 100, 75 0 100"},
    {8, "0 0 50 25; 0 25 50 50; 0 50 50 75; 0 75 50 100; 50 0 100 25; 50 25 100 50; 50 50 100 75; "
        "50 75 100 100",
        "0 25 100, 0 50 100, 0 75 100", "50 0 100"},
    {8, "0 0 25 50; 25 0 50 50; 50 0 75 50; 75 0 100 50; 0 50 50 75; 50 50 100 75; 0 75 50 100; "
        "50 75 100 100",
        "0 50 100, 0 75 100", "25 0 50, 50 0 100, 75 0 50"},
    {8, "0 0 25 50; 25 0 50 50; 0 50 25 100; 25 50 50 100; 50 0 100 25; 50 25 100 50; "
        "50 50 100 75; 50 75 100 100",
        "0 50 100, 50 25 50, 50 75 50", "25 0 100, 50 0 100"},
    {8, "0 0 50 25; 50 0 100 25; 0 25 50 50; 50 25 100 50; 0 50 25 100; 25 50 50 100; "
        "50 50 75 100; 75 50 100 100",
        "0 25 100, 0 50 100", "25 50 50, 50 0 100, 75 50 50"},
    {8, "0 0 50 25; 0 25 50 50; 0 50 50 75; 0 75 50 100; 50 0 75 50; 75 0 100 50; 50 50 75 100; "
        "75 50 100 100",
        "0 25 50, 0 50 100, 0 75 50", "50 0 100, 75 0 100"},
    {9, "0 0 50 100; 50 0 75 25; 75 0 100 25; 50 25 75 50; 75 25 100 50; 50 50 75 75; "
        "75 50 100 75; 50 75 75 100; 75 75 100 100",
        "50 25 50, 50 50 50, 50 75 50", "50 0 100, 75 0 100"},
    {9, "0 0 100 50; 0 50 25 75; 0 75 25 100; 25 50 50 75; 25 75 50 100; 50 50 75 75; "
        "50 75 75 100; 75 50 100 75; 75 75 100 100",
        "0 50 100, 0 75 100", "25 50 50, 50 50 50, 75 50 50"},
    {9, "0 0 25 25; 25 0 50 25; 0 25 25 50; 25 25 50 50; 0 50 25 75; 25 50 50 75; 0 75 25 100; "
        "25 75 50 100; 50 0 100 100",
        "0 25 50, 0 50 50, 0 75 50", "25 0 100, 50 0 100"},
    {9, "0 0 25 25; 0 25 25 50; 25 0 50 25; 25 25 50 50; 50 0 75 25; 50 25 75 50; 75 0 100 25; "
        "75 25 100 50; 0 50 100 100",
        "0 25 100, 0 50 100", "25 0 50, 50 0 50, 75 0 50"},
    {9, "0 0 25 25; 0 25 25 50; 0 50 25 75; 0 75 25 100; 25 0 75 100; 75 0 100 25; 75 25 100 50; "
        "75 50 100 75; 75 75 100 100",
        "0 25 25, 0 50 25, 0 75 25, 75 25 25, 75 50 25, 75 75 25", "25 0 100, 75 0 100"},
    {9, "0 0 25 25; 25 0 50 25; 50 0 75 25; 75 0 100 25; 0 25 100 75; 0 75 25 100; 25 75 50 100; "
        "50 75 75 100; 75 75 100 100",
        "0 25 100, 0 75 100", "25 0 25, 50 0 25, 75 0 25, 25 75 25, 50 75 25, 75 75 25"},
    {10, "0 0 50 50; 0 50 50 100; 50 0 75 25; 75 0 100 25; 50 25 75 50; 75 25 100 50; 50 50 75 75; "
         "75 50 100 75; 50 75 75 100; 75 75 100 100",
         "0 50 50, 50 25 50, 50 50 50, 50 75 50", "50 0 100, 75 0 100"},
    {10, "0 0 50 50; 50 0 100 50; 0 50 25 75; 0 75 25 100; 25 50 50 75; 25 75 50 100; 50 50 75 75; "
         "50 75 75 100; 75 50 100 75; 75 75 100 100",
         "0 50 100, 0 75 100", "50 0 50, 25 50 50, 50 50 50, 75 50 50"},
    {10, "0 0 25 25; 25 0 50 25; 0 25 25 50; 25 25 50 50; 0 50 25 75; 25 50 50 75; 0 75 25 100; "
         "25 75 50 100; 50 0 100 50; 50 50 100 100",
         "0 25 50, 0 50 50, 0 75 50, 50 50 50", "25 0 100, 50 0 100"},
    {10, "0 0 25 25; 0 25 25 50; 25 0 50 25; 25 25 50 50; 50 0 75 25; 50 25 75 50; 75 0 100 25; "
         "75 25 100 50; 0 50 50 100; 50 50 100 100",
         "0 25 100, 0 50 100", "25 0 50, 50 0 50, 75 0 50, 50 50 50"},
    {10, "0 0 50 50; 50 0 75 25; 75 0 100 25; 50 25 75 50; 75 25 100 50; 50 50 100 100; "
         "0 50 25 75; 25 50 50 75; 0 75 25 100; 25 75 50 100",
         "0 50 100, 50 25 50, 0 75 50", "50 0 100, 75 0 50, 25 50 50"},
    {10, "0 0 25 25; 25 0 50 25; 0 25 25 50; 25 25 50 50; 50 50 75 75; 50 75 75 100; 75 50 100 75; "
         "75 75 100 100; 50 0 100 50; 0 50 50 100",
         "0 50 100, 0 25 50, 50 75 50", "50 0 100, 25 0 50, 75 50 50"},
};
// clang-format on

bool isInterior(qreal edge)
{
    return edge > kBorderTolerance && edge < kFullExtent - kBorderTolerance;
}

QList<qreal> numbersIn(QString text)
{
    const QStringList words = text.replace(QLatin1Char('('), QLatin1Char(' '))
                                  .replace(QLatin1Char(')'), QLatin1Char(' '))
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<qreal> numbers;
    for (const QString &word : words)
        numbers.append(word.toDouble());
    return numbers;
}

LayoutCell parseCell(const QString &text)
{
    const QString rightWord = QStringLiteral("right");
    const QString apexWord = QStringLiteral("apex");
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(rightWord)) {
        const QList<qreal> n = numbersIn(trimmed.mid(rightWord.size()));
        Q_ASSERT(n.size() == 6);
        LayoutCell cell;
        cell.kind = LayoutCell::Triangle;
        cell.vertex1 = QPointF(n[0], n[1]);
        cell.vertex2 = QPointF(n[2], n[3]);
        cell.vertex3 = QPointF(n[4], n[5]);
        cell.anchor = cell.vertex2;
        return cell;
    }
    if (trimmed.startsWith(apexWord)) {
        const QList<qreal> n = numbersIn(trimmed.mid(apexWord.size()));
        Q_ASSERT(n.size() == 4);
        const QPointF vertex1(n[0], n[1]);
        const QPointF vertex2(n[2], n[3]);
        return makeApexTriangleCell(vertex1, vertex2, (vertex1 + vertex2) / 2.0);
    }
    const QList<qreal> n = numbersIn(trimmed);
    Q_ASSERT(n.size() == 4);
    const qreal left = n[0];
    const qreal top = n[1];
    const qreal right = n[2];
    const qreal bottom = n[3];
    return makeRectangleCell(QPointF(left, top), QPointF(right, top), QPointF(right, bottom),
                             QPointF(left, bottom), horizontalSpacingSides(left, right),
                             verticalSpacingSides(top, bottom));
}

QList<QRectF> parseLines(const char *text, Qt::Orientation orientation)
{
    QList<QRectF> lines;
    const QString all = QString::fromLatin1(text).trimmed();
    if (all == QLatin1String("-"))
        return lines;
    for (const QString &line : all.split(QLatin1Char(','))) {
        const QList<qreal> n = numbersIn(line);
        Q_ASSERT(n.size() == 3);
        if (orientation == Qt::Horizontal)
            lines.append(QRectF(n[0], n[1], n[2], 0.0));
        else
            lines.append(QRectF(n[0], n[1], 0.0, n[2]));
    }
    return lines;
}

} // namespace

void buildLayoutCatalogue()
{
    auto &catalogue = CollageState::instance().layoutCatalogue;
    for (const LayoutRow &row : kLayouts) {
        LayoutTemplate layout;
        for (const QString &cell : QString::fromLatin1(row.cells).split(QLatin1Char(';')))
            layout.cells.append(parseCell(cell));
        layout.horizontalLines = parseLines(row.horizontalLines, Qt::Horizontal);
        layout.verticalLines = parseLines(row.verticalLines, Qt::Vertical);
        catalogue[row.photos - 1].append(layout);
    }
}

int horizontalSpacingSides(qreal left, qreal right)
{
    const bool leftInterior = isInterior(left);
    const bool rightInterior = isInterior(right);
    if (leftInterior && rightInterior)
        return SpacingLeftRight;
    if (leftInterior)
        return SpacingLeft;
    if (rightInterior)
        return SpacingRight;
    return SpacingNone;
}

int verticalSpacingSides(qreal top, qreal bottom)
{
    const bool topInterior = isInterior(top);
    const bool bottomInterior = isInterior(bottom);
    if (topInterior && bottomInterior)
        return SpacingTopBottom;
    if (topInterior)
        return SpacingTop;
    if (bottomInterior)
        return SpacingBottom;
    return SpacingNone;
}

LayoutCell makeRectangleCell(QPointF topLeft, QPointF topRight, QPointF bottomRight,
                             QPointF bottomLeft, int hSpacingSides, int vSpacingSides)
{
    LayoutCell cell;
    cell.kind = LayoutCell::Rectangle;
    cell.topLeft = topLeft;
    cell.topRight = topRight;
    cell.bottomRight = bottomRight;
    cell.bottomLeft = bottomLeft;
    cell.hSpacingSides = hSpacingSides;
    cell.vSpacingSides = vSpacingSides;
    return cell;
}

LayoutCell makeApexTriangleCell(QPointF vertex1, QPointF vertex2, QPointF anchor)
{
    const auto farEnd = [](QPointF baseEnd) {
        return QPointF(qAbs(baseEnd.x()) < kBorderTolerance ? kFullExtent : 0.0,
                       qAbs(baseEnd.y()) < kBorderTolerance ? kFullExtent : 0.0);
    };
    LayoutCell cell;
    cell.kind = LayoutCell::Triangle;
    cell.vertex1 = vertex1;
    cell.vertex2 = vertex2;
    cell.anchor = anchor;
    cell.guideP = farEnd(vertex1);
    cell.guideQ = farEnd(vertex2);
    cell.apexComputed = true;
    return cell;
}
