#include "CollageLayoutContentForm.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "LayoutPreview.h"
#include "TestSupport.h"

#include <QPainter>
#include <QSignalSpy>

namespace {

// A picker for the given photo-count index, sized as the side bar sizes its container.
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
        QTest::newRow("second row starts") << QPoint(50, 110) << 6 << 3;
        QTest::newRow("past the third column") << QPoint(328, 50) << 6 << -1;
        QTest::newRow("last layout") << QPoint(50, 250) << 7 << 6;
        QTest::newRow("past the last layout") << QPoint(150, 250) << 7 << -1;
        QTest::newRow("no layouts") << QPoint(50, 50) << 0 << -1;
    }

    void indexAt()
    {
        QFETCH(QPoint, pos);
        QFETCH(int, layoutCount);
        LayoutGrid grid;
        grid.left = 1;
        QTEST(grid.indexAt(pos, layoutCount), "index");
    }

    void clicks_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("emitted");
        // Three photos: ten layouts in four rows.
        QTest::newRow("left on the fifth") << Qt::LeftButton << QPoint(160, 160) << 4 << 1;
        QTest::newRow("right keeps selection") << Qt::RightButton << QPoint(160, 160) << 0 << 1;
        QTest::newRow("gap below a thumbnail") << Qt::LeftButton << QPoint(160, 105) << 0 << 0;
        QTest::newRow("past the last layout") << Qt::LeftButton << QPoint(160, 360) << 0 << 0;
    }

    void clicks()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, pos);
        QFETCH(int, selected);
        QFETCH(int, emitted);
        auto picker = shownPicker(2);
        QSignalSpy spy(picker.get(), &CollageLayoutContentForm::frameSelected);
        // A stale hover elsewhere must not decide what the press picks.
        QTest::mouseMove(picker.get(), centreOf(*picker, 7));
        QTest::mouseClick(picker.get(), button, {}, pos);
        QCOMPARE(CollageState::instance().layoutIndex, selected);
        QCOMPARE(spy.size(), emitted);
        if (emitted)
            QCOMPARE(spy.first(), (QVariantList{2, selected}));
    }

    // Two photos, layout 0: in a 100-pixel thumbnail the area is 92 wide from x = 4, so a
    // split at 50 % leaves a transparent gap at x = 50 and one at 25 % a gap at x = 27.
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
        LayoutTemplate &layout = CollageState::instance().layoutCatalogue[1][0];
        layout.cells[0].topRight.setX(split);
        layout.cells[0].bottomRight.setX(split);
        layout.cells[1].topLeft.setX(split);
        layout.cells[1].bottomLeft.setX(split);

        CollageLayoutContentForm picker;
        picker.setPhotoCount(1);
        QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        picker.renderLayoutPreview(painter, 0, QRectF(0, 0, 100, 100));
        painter.end();
        QCOMPARE(image.pixelColor(gapX, 50).alpha(), 0);
        QCOMPARE(image.pixelColor(insideX, 50), QColor(Qt::white));
        QCOMPARE(image.pixelColor(75, 50), QColor(Qt::white));
        QCOMPARE(image.pixelColor(4, 50), QColor(Qt::black));
        QCOMPARE(layout.cells[0].topRight.x(), split);
        QCOMPARE(layout.cells[1].bottomLeft.x(), split);
        QCOMPARE(layout.cells[1].bottomRight, QPointF(100, 100));
        QVERIFY(CollageState::instance().document.frameRects.isEmpty());
    }
};

QUILTRA_TEST_MAIN(TestLayoutPicker)
#include "tst_layoutpicker.moc"
