#include "CollageState.h"
#include "TestSupport.h"

class TestCollageState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { CollageState::reset(); }

    void freshEditorStartsOnTenPhotoLayout()
    {
        const CollageState &state = CollageState::instance();
        QCOMPARE(state.canvasSize, QSizeF(1920, 1080));
        QCOMPARE(state.photoCountIndex, 9);
        QCOMPARE(state.layoutIndex, 0);
        QCOMPARE(state.zoomPercent, 40.0f);
        QCOMPARE(state.settings.margin, 140);
        QCOMPARE(state.settings.spacing, 40);
        QCOMPARE(state.settings.roundCorners, 20);
        QCOMPARE(state.document.selectedObjectId, -1);
        QVERIFY(state.document.objects.isEmpty());
        for (const PhotoFrame &slot : state.document.photos) {
            QVERIFY(slot.sourceImage.isNull());
            QVERIFY(!slot.displaySize.isValid());
        }
    }

    void startValues_data()
    {
        QTest::addColumn<QVariant>("actual");
        QTest::addColumn<QVariant>("expected");
        const CollageState fresh;
        const CanvasSettings &s = fresh.settings;
        QTest::newRow("backgroundType") << QVariant(s.backgroundType) << QVariant(0);
        QTest::newRow("backgroundColor1")
            << QVariant(s.backgroundColor1) << QVariant(QColor(Qt::white));
        QTest::newRow("backgroundColor2")
            << QVariant(s.backgroundColor2) << QVariant(QColor(Qt::green));
        QTest::newRow("backgroundTexture")
            << QVariant(s.backgroundTexture)
            << QVariant(QStringLiteral(":/resources/images/Pattern/pattern_140.png"));
        QTest::newRow("topOffset") << QVariant(s.topOffset) << QVariant(0);
        QTest::newRow("lineWidth") << QVariant(s.lineWidth) << QVariant(3);
        QTest::newRow("frameBackgroundColor2")
            << QVariant(s.frameBackgroundColor2) << QVariant(QColor(Qt::white));
        QTest::newRow("dropShadow") << QVariant(s.dropShadow) << QVariant(1);
        QTest::newRow("corners") << QVariant(QList<QVariant>{s.cornerTopLeft, s.cornerTopRight,
                                                             s.cornerBottomLeft,
                                                             s.cornerBottomRight})
                                 << QVariant(QList<QVariant>{true, false, false, true});
        QTest::newRow("screenSize") << QVariant(fresh.screenSize) << QVariant(QSize(1920, 1080));
        QTest::newRow("paperOrientation") << QVariant(fresh.paperOrientation) << QVariant(1);
        QTest::newRow("customSize") << QVariant(fresh.customSize) << QVariant(QSize(1000, 500));
        QTest::newRow("counters") << QVariant(QList<QVariant>{fresh.nextObjectId,
                                                              fresh.labelCounter,
                                                              fresh.stickerCounter})
                                  << QVariant(QList<QVariant>{0, 0, 0});
    }

    void startValues()
    {
        QFETCH(QVariant, actual);
        QFETCH(QVariant, expected);
        QCOMPARE(actual, expected);
    }

    void clearGeometryKeepsPhotosObjectsAndSelection()
    {
        CollageDocument &doc = CollageState::instance().document;
        doc.frameRects = {QRectF(0, 0, 10, 10)};
        doc.triangleFrames = {TriangleFrame{}};
        doc.horizontalDividers = {QRectF(0, 5, 10, 0)};
        doc.verticalDividers = {QRectF(5, 0, 0, 10)};
        doc.photos[3].sourceImage = QImage(4, 4, QImage::Format_ARGB32);
        doc.photos[3].filePath = QStringLiteral("a.jpg");
        doc.objects.append(OverlayObject{});
        doc.selectedObjectId = 7;

        doc.clearGeometry();

        QVERIFY(doc.frameRects.isEmpty());
        QVERIFY(doc.triangleFrames.isEmpty());
        QVERIFY(doc.horizontalDividers.isEmpty());
        QVERIFY(doc.verticalDividers.isEmpty());
        QVERIFY(!doc.photos[3].sourceImage.isNull());
        QCOMPARE(doc.photos[3].filePath, QStringLiteral("a.jpg"));
        QCOMPARE(doc.objects.size(), 1);
        QCOMPARE(doc.selectedObjectId, 7);
    }

    void resetGivesFreshState()
    {
        CollageState &state = CollageState::instance();
        state.settings.margin = 3;
        state.photoCountIndex = 2;
        state.nextObjectId = 12;
        state.layoutCatalogue[0].append(LayoutTemplate{});
        CollageState::reset();
        QCOMPARE(CollageState::instance().settings.margin, 140);
        QCOMPARE(CollageState::instance().photoCountIndex, 9);
        QCOMPARE(CollageState::instance().nextObjectId, 0);
        QVERIFY(CollageState::instance().layoutCatalogue[0].isEmpty());
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
