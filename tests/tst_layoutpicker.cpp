#include "CollageLayoutContentForm.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "LayoutPreview.h"
#include "TestSupport.h"

#include <QSignalSpy>

class TestLayoutPicker : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    // Picker pixels: the grid starts at (1, 1); thumbnails are 100 wide with a gap of 9.
    void indexAt_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("layoutCount");
        QTest::addColumn<int>("index");
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
    }

    void indexAt()
    {
        QFETCH(QPoint, pos);
        QFETCH(int, layoutCount);
        LayoutGrid grid;
        grid.left = 1;
        QTEST(grid.indexAt(pos, layoutCount), "index");
    }

    // Three photos: ten layouts in four rows, as the side bar shows them.
    void clicks_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("emitted");
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
        CollageLayoutContentForm picker;
        picker.setPhotoCount(2);
        picker.resize(340, picker.computeContentHeight());
        picker.show();
        QSignalSpy spy(&picker, &CollageLayoutContentForm::frameSelected);
        // A stale hover elsewhere must not decide what the press picks.
        QTest::mouseMove(&picker, QPoint(160, 270));
        QTest::mouseClick(&picker, button, {}, pos);
        QCOMPARE(CollageState::instance().layoutIndex, selected);
        QCOMPARE(spy.size(), emitted);
        if (emitted)
            QCOMPARE(spy.first(), (QVariantList{2, selected}));
    }
};

QUILTRA_TEST_MAIN(TestLayoutPicker)
#include "tst_layoutpicker.moc"
