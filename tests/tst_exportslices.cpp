#include "CollageRenderCommand.h"
#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTextStream>

class TestExportSlices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    void slicesMatchTheWholeExport_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<int>("bandRows");
        QTest::addColumn<int>("backgroundType"); // 0 gradient, 2 picture
        QTest::addColumn<bool>("moveObjects");
        QTest::newRow("grid, small slices") << 4 << 0 << QSize(640, 480) << 40 << 0 << true;
        QTest::newRow("turned frames, odd height") << 3 << 12 << QSize(600, 517) << 64 << 0 << true;
        // Created objects sit centred, at half pixels, across a slice edge.
        QTest::newRow("objects where created") << 3 << 12 << QSize(600, 517) << 64 << 0 << false;
        QTest::newRow("picture background") << 5 << 0 << QSize(560, 600) << 50 << 2 << true;
        QTest::newRow("one slice") << 2 << 0 << QSize(300, 200) << 0 << 2 << true;
    }

    // The slices must make up the image a whole export gives: background, shadows,
    // objects and ornaments crossing slice edges included.
    void slicesMatchTheWholeExport()
    {
        QFETCH(int, count);
        QFETCH(int, rotation);
        QFETCH(QSize, canvas);
        QFETCH(int, bandRows);
        QFETCH(int, backgroundType);
        QFETCH(bool, moveObjects);

        const QString photo = TestSupport::dataPath(QStringLiteral("photos/camera_480x360.jpg"));
        CollageState &state = CollageState::instance();
        state.photoCountIndex = count - 1;
        state.canvasSize = canvas;
        CanvasSettings &settings = state.settings;
        settings.margin = 30;
        settings.spacing = settings.roundCorners = 12;
        settings.topOffset = 36;
        settings.cornerTopLeft = settings.cornerBottomRight = true;
        settings.backgroundType = backgroundType;
        settings.backgroundColorMode = 1;
        settings.backgroundColor2 = QColor(40, 90, 160);
        // Wider than the canvas, so it ends above the bottom and leaves rows clear.
        settings.backgroundImage = photo;
        for (LayoutCell &cell : state.currentLayout()->cells)
            cell.rotation = rotation;

        const QRect target(QPoint(0, 0), canvas);
        CollageRenderer renderer;
        renderer.buildGeometry(target);
        for (int slot = 0; slot < count; ++slot)
            QVERIFY(placePhoto(slot, photo, QImage(photo)));
        createLabel();
        createEmoji(QStringLiteral("\U0001F600"));
        for (qsizetype i = 0; moveObjects && i < state.document.objects.size(); ++i) {
            OverlayObject &object = state.document.objects[i];
            object.x = 80.0 + 200.0 * i;
            object.y = 70.0 + 90.0 * i;
            object.rotation = 25.0f;
            if (object.kind == Label)
                updateLabelBox(&object);
        }

        renderer.setBandRows(bandRows);
        const QImage whole = renderer.renderCollage(target, true).copy();
        int top = 0, slices = 0, worst = 0;
        QVERIFY(renderer.renderExportRows(target, [&](const QImage &rows) {
            const QImage expected = whole.copy(0, top, whole.width(), rows.height());
            worst = std::max(worst, TestSupport::maxChannelDifference(rows, expected));
            top += rows.height();
            ++slices;
            return true;
        }));
        QCOMPARE(top, canvas.height());
        QVERIFY(bandRows == 0 || slices > 1);
        QVERIFY2(worst <= 2, qPrintable(QString::number(worst)));
    }

    void pngKeepsAlphaOnlyWhereTheCollageHasIt_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<int>("cornerAlpha");
        QTest::newRow("opaque background") << "--background #336699" << 255;
        QTest::newRow("clear background") << "--background #00000000" << 0;
        QTest::newRow("half-clear background") << "--background #80336699" << 128;
        // The one frame covers the canvas to its edges, the clear background nowhere.
        QTest::newRow("clear background under a frame covering all")
            << "--background #00000000 --count 1 --margin 0 --spacing 0 --radius 0 --line-width 0"
            << 255;
    }

    // The file written slice by slice is the collage the other writers get whole, and it
    // has an alpha channel exactly when some pixel is not opaque.
    void pngKeepsAlphaOnlyWhereTheCollageHasIt()
    {
        QFETCH(QString, options);
        QFETCH(int, cornerAlpha);
        QTemporaryDir dir;
        const QString photo = TestSupport::dataPath(QStringLiteral("photos/camera_480x360.jpg"));
        QString out;
        QTextStream stream(&out);
        const QString png = dir.filePath(QStringLiteral("collage.png"));
        const QString tiff = dir.filePath(QStringLiteral("collage.tiff"));
        for (const QString &file : {png, tiff}) {
            const QStringList arguments{"--size",  "420x700", "--corners", "none",
                                        "--photo", photo,     "--out",     file};
            QCOMPARE(CollageRenderCommand(stream, stream).run(arguments + options.split(' ')), 0);
        }
        const QImage streamed(png);
        const QImage whole(tiff);
        QCOMPARE(streamed.hasAlphaChannel(), cornerAlpha != 255);
        QCOMPARE(qAlpha(streamed.pixel(0, 0)), cornerAlpha);
        QVERIFY2(TestSupport::fuzzyEqual(streamed, whole, 1),
                 qPrintable(QString::number(TestSupport::maxChannelDifference(streamed, whole))));
    }
};

QUILTRA_TEST_MAIN(TestExportSlices)
#include "tst_exportslices.moc"
