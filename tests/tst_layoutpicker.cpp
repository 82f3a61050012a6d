#include "CollageLayoutContentForm.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "LayoutPreview.h"
#include "TestSupport.h"

#include <QPainter>
#include <QSignalSpy>

namespace {

constexpr int kOnePhoto = 0;
constexpr int kTwoPhotos = 1;
constexpr int kThreePhotos = 2;
constexpr int kTenPhotos = 9;

QColor pixel(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

// A picker for the given photo count, sized as the side bar sizes its container.
std::unique_ptr<CollageLayoutContentForm> shownPicker(int countIndex)
{
    auto picker = std::make_unique<CollageLayoutContentForm>();
    picker->setPhotoCount(countIndex);
    picker->resize(340, picker->computeContentHeight());
    picker->show();
    return picker;
}

QPoint centreOf(const CollageLayoutContentForm &picker, int index)
{
    return picker.grid().thumbnailRect(index).center().toPoint();
}

} // namespace

class TestLayoutPicker : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    void contentHeight_data()
    {
        QTest::addColumn<int>("countIndex");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("gridLeft");
        QTest::newRow("one photo, one layout") << kOnePhoto << 127 << 10;
        QTest::newRow("three photos, ten layouts") << kThreePhotos << 454 << 1;
        QTest::newRow("ten photos, six layouts") << kTenPhotos << 345 << 1;
    }

    void contentHeight()
    {
        QFETCH(int, countIndex);
        QFETCH(int, height);
        QFETCH(int, gridLeft);
        CollageLayoutContentForm picker;
        picker.setPhotoCount(countIndex);
        QCOMPARE(picker.computeContentHeight(), height);
        QCOMPARE(picker.grid().left, gridLeft);
    }

    void indexAt_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("layoutCount");
        QTest::addColumn<int>("index");
        // The grid starts at (1, 1); thumbnails are 100 wide with a gap of 9.
        QTest::newRow("first pixel") << QPoint(1, 1) << 6 << 0;
        QTest::newRow("left of the grid") << QPoint(0, 50) << 6 << -1;
        QTest::newRow("above the grid") << QPoint(50, 0) << 6 << -1;
        QTest::newRow("gap right of first") << QPoint(109, 50) << 6 << 0;
        QTest::newRow("second column starts") << QPoint(110, 50) << 6 << 1;
        QTest::newRow("bottom edge") << QPoint(50, 101) << 6 << 0;
        QTest::newRow("gap below") << QPoint(50, 102) << 6 << -1;
        QTest::newRow("gap below, last pixel") << QPoint(50, 109) << 6 << -1;
        QTest::newRow("second row starts") << QPoint(50, 110) << 6 << 3;
        QTest::newRow("third column, gap right") << QPoint(327, 50) << 6 << 2;
        QTest::newRow("past the third column") << QPoint(328, 50) << 6 << -1;
        QTest::newRow("past the third column, row two") << QPoint(400, 150) << 6 << -1;
        QTest::newRow("last layout") << QPoint(50, 250) << 7 << 6;
        QTest::newRow("past the last layout") << QPoint(150, 250) << 7 << -1;
        QTest::newRow("no layouts") << QPoint(50, 50) << 0 << -1;
    }

    void indexAt()
    {
        QFETCH(QPoint, pos);
        QFETCH(int, layoutCount);
        QFETCH(int, index);
        LayoutGrid grid;
        grid.left = 1;
        QCOMPARE(grid.indexAt(pos, layoutCount), index);
    }

    void photoCountKeepsOrResetsSelection_data()
    {
        QTest::addColumn<int>("fromCount");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("toCount");
        QTest::addColumn<int>("expected");
        QTest::newRow("ten layouts to four, 7 is gone") << kThreePhotos << 7 << kTwoPhotos << 0;
        QTest::newRow("ten layouts to four, 3 stays") << kThreePhotos << 3 << kTwoPhotos << 3;
        QTest::newRow("ten layouts to six, 5 stays") << kThreePhotos << 5 << kTenPhotos << 5;
        QTest::newRow("ten layouts to one") << kThreePhotos << 5 << kOnePhoto << 0;
    }

    void photoCountKeepsOrResetsSelection()
    {
        QFETCH(int, fromCount);
        QFETCH(int, selected);
        QFETCH(int, toCount);
        QFETCH(int, expected);
        auto picker = shownPicker(fromCount);
        QTest::mouseClick(picker.get(), Qt::LeftButton, {}, centreOf(*picker, selected));
        QCOMPARE(CollageState::instance().layoutIndex, selected);

        QSignalSpy spy(picker.get(), &CollageLayoutContentForm::frameSelected);
        picker->setPhotoCount(toCount);
        QCOMPARE(picker->selectedIndex(), expected);
        QCOMPARE(CollageState::instance().photoCountIndex, toCount);
        QCOMPARE(CollageState::instance().layoutIndex, expected);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().at(0).toInt(), toCount);
        QCOMPARE(spy.first().at(1).toInt(), expected);
    }

    void clicks_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("emitted");
        // Three photos: ten layouts in four rows; the grid starts at (1, 1).
        QTest::newRow("left on the fifth") << Qt::LeftButton << QPoint(160, 160) << 4 << 1;
        QTest::newRow("right keeps selection") << Qt::RightButton << QPoint(160, 160) << 0 << 1;
        QTest::newRow("middle keeps selection") << Qt::MiddleButton << QPoint(50, 250) << 0 << 1;
        QTest::newRow("gap below a thumbnail") << Qt::LeftButton << QPoint(160, 105) << 0 << 0;
        QTest::newRow("right of the third column") << Qt::LeftButton << QPoint(335, 50) << 0 << 0;
        QTest::newRow("past the last layout") << Qt::LeftButton << QPoint(160, 360) << 0 << 0;
    }

    void clicks()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, pos);
        QFETCH(int, selected);
        QFETCH(int, emitted);
        auto picker = shownPicker(kThreePhotos);
        QSignalSpy spy(picker.get(), &CollageLayoutContentForm::frameSelected);
        QTest::mouseClick(picker.get(), button, {}, pos);
        QCOMPARE(picker->selectedIndex(), selected);
        QCOMPARE(CollageState::instance().layoutIndex, selected);
        QCOMPARE(spy.size(), emitted);
        if (emitted) {
            QCOMPARE(spy.first().at(0).toInt(), kThreePhotos);
            QCOMPARE(spy.first().at(1).toInt(), selected);
        }
    }

    // After the picker scrolls under a still pointer the last hover is stale; the layout
    // chosen is the one under the press.
    void pressUsesItsOwnPosition()
    {
        auto picker = shownPicker(kThreePhotos);
        QTest::mouseMove(picker.get(), centreOf(*picker, 1));
        QTest::mousePress(picker.get(), Qt::LeftButton, {}, centreOf(*picker, 7));
        QCOMPARE(picker->selectedIndex(), 7);
    }

    // Layout 0 of two photos: cells split at 50 %. In a 100-pixel thumbnail the area is
    // 92 wide from x = 4, so the split lies at 50 with 2 pixels of spacing either side.
    void previewFollowsCatalogue_data()
    {
        QTest::addColumn<qreal>("split");
        QTest::addColumn<int>("gapX");
        QTest::addColumn<int>("insideX");
        QTest::newRow("as built") << 50.0 << 50 << 30;
        QTest::newRow("divider dragged to a quarter") << 25.0 << 27 << 50;
    }

    void previewFollowsCatalogue()
    {
        QFETCH(qreal, split);
        QFETCH(int, gapX);
        QFETCH(int, insideX);
        CollageState &state = CollageState::instance();
        LayoutTemplate &layout = state.layoutCatalogue[kTwoPhotos][0];
        layout.cells[0].topRight.setX(split);
        layout.cells[0].bottomRight.setX(split);
        layout.cells[1].topLeft.setX(split);
        layout.cells[1].bottomLeft.setX(split);
        const LayoutTemplate before = layout;

        CollageLayoutContentForm picker;
        picker.setPhotoCount(kTwoPhotos);
        QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        picker.renderLayoutPreview(painter, 0, QRectF(0, 0, 100, 100));
        painter.end();

        QCOMPARE(pixel(image, gapX, 50).alpha(), 0);
        QCOMPARE(pixel(image, insideX, 50), QColor(Qt::white));
        QCOMPARE(pixel(image, 75, 50), QColor(Qt::white));
        QCOMPARE(pixel(image, 2, 50).alpha(), 0);
        QCOMPARE(pixel(image, 4, 50), QColor(Qt::black));

        QCOMPARE(layout.cells.size(), before.cells.size());
        for (qsizetype i = 0; i < layout.cells.size(); ++i) {
            QCOMPARE(layout.cells[i].topLeft, before.cells[i].topLeft);
            QCOMPARE(layout.cells[i].bottomRight, before.cells[i].bottomRight);
        }
        QVERIFY(state.document.frameRects.isEmpty());
    }
};

QUILTRA_TEST_MAIN(TestLayoutPicker)
#include "tst_layoutpicker.moc"
