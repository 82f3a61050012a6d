#include "CollageState.h"
#include "TestSupport.h"

class TestCollageState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { CollageState::reset(); }

    // What the rendered collage cannot show: the view and the selection.
    void freshEditorState()
    {
        const CollageState &state = CollageState::instance();
        QCOMPARE(state.canvasSize, QSizeF(1920, 1080));
        QCOMPARE(state.photoCountIndex, 9);
        QCOMPARE(state.layoutIndex, 0);
        QCOMPARE(state.zoomPercent, 40.0f);
        QCOMPARE(state.document.selectedObjectId, -1);
        for (const PhotoFrame &slot : state.document.photos)
            QVERIFY(slot.sourceImage.isNull() && !slot.displaySize.isValid());
    }

    void clearGeometryKeepsPhotosObjectsAndSelection()
    {
        CollageDocument &doc = CollageState::instance().document;
        doc.frameRects = {QRectF(0, 0, 10, 10)};
        doc.triangleFrames = {TriangleFrame{}};
        doc.horizontalDividers = {QRectF(0, 5, 10, 0)};
        doc.verticalDividers = {QRectF(5, 0, 0, 10)};
        doc.photos[3].sourceImage = QImage(4, 4, QImage::Format_ARGB32);
        doc.objects.append(OverlayObject{});
        doc.selectedObjectId = 7;

        doc.clearGeometry();

        QVERIFY(doc.frameRects.isEmpty() && doc.triangleFrames.isEmpty());
        QVERIFY(doc.horizontalDividers.isEmpty() && doc.verticalDividers.isEmpty());
        QVERIFY(!doc.photos[3].sourceImage.isNull());
        QCOMPARE(doc.objects.size(), 1);
        QCOMPARE(doc.selectedObjectId, 7);
    }

    void currentLayoutNeedsValidIndices_data()
    {
        QTest::addColumn<int>("countIndex");
        QTest::addColumn<int>("layoutIndex");
        QTest::addColumn<bool>("found");
        QTest::newRow("valid") << 1 << 1 << true;
        QTest::newRow("layout past end") << 1 << 2 << false;
        QTest::newRow("negative layout") << 1 << -1 << false;
        QTest::newRow("count past end") << 10 << 0 << false;
        QTest::newRow("negative count") << -1 << 0 << false;
        QTest::newRow("unbuilt list") << 4 << 0 << false;
    }

    void currentLayoutNeedsValidIndices()
    {
        QFETCH(int, countIndex);
        QFETCH(int, layoutIndex);
        QFETCH(bool, found);
        CollageState &state = CollageState::instance();
        state.layoutCatalogue[1] = {LayoutTemplate{}, LayoutTemplate{}};
        state.photoCountIndex = countIndex;
        state.layoutIndex = layoutIndex;
        QCOMPARE(state.currentLayout() != nullptr, found);
    }
};

QUILTRA_TEST_MAIN(TestCollageState)
#include "tst_collagestate.moc"
