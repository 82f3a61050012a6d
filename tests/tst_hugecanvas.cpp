#include "CanvasGeometry.h"
#include "CollageRenderer.h"
#include "CollageState.h"
#include "FrameCommands.h"
#include "ImageFilter.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "QuiltraCanvasForm.h"
#include "TestSupport.h"

#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>

namespace {

// A 1200 x 900 collage of count photos with stripes and a diagonal, rounded frames with an
// outline (or a hairline without a shadow), a gradient background, corner ornaments and
// three objects that straddle band edges.
void buildCollage(int count, bool triangles, int rotation, bool hairline, const QString &sticker)
{
    CollageState &collage = CollageState::instance();
    collage.photoCountIndex = count - 1;
    const auto &layouts = collage.layoutCatalogue[size_t(count - 1)];
    const auto layout = std::ranges::find_if(layouts, [triangles](const LayoutTemplate &layout) {
        return !triangles || std::ranges::any_of(layout.cells, [](const LayoutCell &cell) {
            return cell.kind == LayoutCell::Triangle;
        });
    });
    QVERIFY(layout != layouts.end());
    collage.layoutIndex = int(layout - layouts.begin());
    collage.canvasSize = QSizeF(1200, 900);
    CanvasSettings &settings = collage.settings;
    settings.margin = 40;
    settings.spacing = 20;
    settings.roundCorners = 16;
    settings.lineWidth = hairline ? 0 : 3;
    settings.dropShadow = !hairline;
    settings.backgroundColorMode = 1;
    settings.backgroundColor1 = QColor(250, 240, 200);
    settings.backgroundColor2 = QColor(40, 90, 160);
    for (LayoutCell &cell : collage.currentLayout()->cells)
        cell.rotation = rotation ? rotation : cell.rotation;

    CollageRenderer().buildGeometry(QRect(0, 0, 1200, 900));
    for (int slot = 0; slot < count; ++slot) {
        const QColor tint = QColor::fromHsv(slot * 60, 200, 220);
        QImage photo(1200, 900, QImage::Format_RGB32);
        photo.fill(tint);
        QPainter painter(&photo);
        // Stripes a few view pixels wide even at a tenth: a photo drawn a pixel off, or at
        // another size, shows. Finer ones would only compare two kinds of moire.
        for (int y = 0; y < photo.height(); y += 90)
            painter.fillRect(QRect(0, y, photo.width(), 45), tint.darker(250));
        painter.setPen(QPen(Qt::white, 9));
        painter.drawLine(QPoint(0, 0), QPoint(photo.width(), photo.height()));
        painter.end();
        QVERIFY(placePhoto(slot, QString(), photo));
    }
    QImage image(240, 180, QImage::Format_ARGB32);
    // A checkerboard of single pixels: sampled rather than filtered, it turns into a
    // pattern instead of its average.
    image.fill(QColor(200, 30, 30, 160));
    QPainter(&image).fillRect(image.rect(), QBrush(QColor(20, 20, 120), Qt::Dense4Pattern));
    QVERIFY(image.save(sticker));
    createSticker(sticker);
    createLabel();
    createEmoji(QStringLiteral("\U0001F600"));
    for (qsizetype i = 0; i < collage.document.objects.size(); ++i) {
        OverlayObject &object = collage.document.objects[i];
        object.x = 120.0 + 300.0 * i;
        object.y = 90.0 + 215.0 * i;
        object.rotation = 20.0f * float(i);
    }
    collage.document.selectedObjectId = -1;
}

} // namespace

// A poster may be far larger than the memory it can be shown in: below full size the
// canvas renders its view at the view's own size, and a photo may be shown far larger
// than the image kept of it, its geometry staying in document pixels.
class TestHugeCanvas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    void matchesTheSmoothFullView_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("triangles");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<bool>("hairline");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("edit");
        QTest::newRow("grid, 40 %") << 4 << false << 0 << false << 40 << -1;
        QTest::newRow("turned frames, 50 %") << 3 << false << 12 << false << 50 << -1;
        QTest::newRow("triangles, 33 %") << 4 << true << 0 << false << 33 << -1;
        QTest::newRow("turned past the border, 10 %") << 1 << false << 30 << false << 10 << -1;
        QTest::newRow("hairline, no shadow, 25 %") << 5 << false << 0 << true << 25 << -1;
        const char *const edits[] = {"photo panned", "photo zoomed", "divider dragged",
                                     "frame turned"};
        for (int row = 0; row < 2 * int(std::size(edits)); ++row) {
            QTest::addRow("%s%s, 37 %%", edits[row / 2], row % 2 ? ", triangles" : "")
                << 4 << (row % 2 == 1) << 0 << false << 37 << row / 2;
        }
    }

    // The view redraws only what an edit touched, band by band, at the view's scale: what
    // it shows must be what a renderer that never saw the document draws in one band, and
    // look like the full-size rendering smoothly scaled down.
    void matchesTheSmoothFullView()
    {
        QFETCH(int, count);
        QFETCH(bool, triangles);
        QFETCH(int, rotation);
        QFETCH(bool, hairline);
        QFETCH(int, zoom);
        QFETCH(int, edit);
        QTemporaryDir dir;
        buildCollage(count, triangles, rotation, hairline, dir.filePath("sticker.png"));
        const QRect target(0, 0, 1200, 900);
        const QSize viewSize = target.size() * (zoom / 100.0);
        CollageRenderer renderer;
        // Bands a few view pixels high, so that frames, shadows and objects cross their edges.
        renderer.setBandRows(zoom * 4 / 5);
        renderer.renderView(target, viewSize);

        CollageDocument &document = CollageState::instance().document;
        if (edit == 0)
            document.photos[1].position += QPointF(-53, 37);
        if (edit == 1)
            QVERIFY(zoomPhoto(document.photos[1], 3, qint64(1) << 30));
        if (edit == 2 && triangles)
            document.triangleFrames[0].path.translate(17, 9);
        if (edit == 2 && !triangles) {
            document.frameRects[0].setRight(document.frameRects[0].right() + 41);
            document.frameRects[1].setLeft(document.frameRects[1].left() + 41);
        }
        if (edit == 3)
            CollageState::instance().currentLayout()->cells[1].rotation = 14;
        const QImage view = renderer.renderView(target, viewSize).copy();
        // Bands join as seamlessly as at full size; a few pixels of a photo sampled smoothly
        // near a band edge round differently.
        CollageRenderer oneBand;
        oneBand.setBandRows(1 << 20);
        const QImage whole = oneBand.renderView(target, viewSize);
        QVERIFY2(TestSupport::fuzzyEqual(view, whole, 2, 0.001),
                 qPrintable(QString::number(TestSupport::maxChannelDifference(view, whole))));
        // Edges drawn through a clip, text and ornaments differ a little, more of them the
        // smaller the view; a photo, a frame or a shadow drawn a pixel off or at another
        // size differs along all its edges.
        const QImage expected =
            CollageRenderer()
                .renderCollage(target, false)
                .scaled(viewSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY2(TestSupport::fuzzyEqual(view, expected, 24, zoom < 20 ? 0.05 : 0.03),
                 qPrintable(QString::number(TestSupport::maxChannelDifference(view, expected))));
    }

    // A poster of 32000 x 32000 pixels opens at 5 %, shows its photo and takes a pan in
    // document pixels: the view is 1600 pixels a side, the canvas twenty times that.
    void hugeCanvasIsShownAndEdited()
    {
        CollageState &collage = CollageState::instance();
        collage.canvasSize = QSizeF(32000, 32000);
        collage.photoCountIndex = 1;
        collage.zoomPercent = 5.0f;
        collage.settings.margin = 1000;
        collage.settings.spacing = 800;
        collage.settings.frameBackgroundColor1 = Qt::black;
        QuiltraCanvasForm canvas;
        canvas.resize(1000, 1000);
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas));
        canvas.repaint();
        // Two frames side by side, each (32000 - 2 x 1000 - 800) / 2 wide.
        QCOMPARE(collage.document.frameRects.value(0), QRectF(1000, 1000, 14600, 30000));
        QImage red(20, 40, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(placePhoto(0, QString(), red));
        canvas.requestRedraw(false);
        // At 5 %, (150, 800) shows (3000, 16000): the photo fills the frame's height, 15000 x
        // 30000 from x = 1000 - 400 / 2.
        const auto shown = [&canvas] {
            canvas.repaint();
            return canvas.grab().toImage().pixelColor(150, 800);
        };
        QCOMPARE(shown(), QColor(Qt::red));

        // Dragged right by 300 view pixels, 6000 document pixels: the photo moves from x = 800
        // to 6800 and leaves the frame's left part without photo.
        const QPoint from(400, 800);
        QTest::mousePress(&canvas, Qt::LeftButton, {}, from);
        QTest::mouseMove(&canvas, from + QPoint(300, 0));
        QTest::mouseRelease(&canvas, Qt::LeftButton, {}, from + QPoint(300, 0));
        QCOMPARE(collage.document.photos[0].position.x(), 6800.0);
        QCOMPARE(shown(), QColor(Qt::black));
    }

    // The image kept of a photo is bounded by its source and by the limit.
    void boundsTheHeldImage()
    {
        // Enlarged within the limit: the height binds, 3000 / 16000 = 0.1875, and 21333 x
        // 0.1875 = 3999.9, a pixel short of the source.
        QCOMPARE(heldDisplaySize({21333, 16000}, {4000, 3000}, qint64(1) << 40), QSize(4000, 3000));
        // Above the limit: sqrt(2,000,000 / 8,000,000) = 1/2; with a source a fifth of the
        // size shown, the limit (a tenth of each side) binds first.
        QCOMPARE(heldDisplaySize({4000, 2000}, {8000, 4000}, 2000000), QSize(2000, 1000));
        QCOMPARE(heldDisplaySize({20000, 10000}, {4000, 2000}, 2000000), QSize(2000, 1000));
        QCOMPARE(heldDisplaySize({40, 30}, {}, 2000000), QSize());
    }

    void placesOnAHugeCanvas_data()
    {
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<QSize>("displaySize");
        QTest::addColumn<QPointF>("position");
        QTest::addColumn<QSize>("heldSize");
        // A 4000 x 3000 photo fitted by the height: 16000 x 4/3 = 21333.3, rounded; the
        // overflow of 13333 is split, trunc(6666.5) to the left.
        QTest::newRow("portrait frame, enlarged")
            << QRectF(100, 200, 8000, 16000) << QSize(21333, 16000) << QPointF(100 - 6666, 200)
            << QSize(4000, 3000);
        // Fitted by the width: 31000 x 3/4 = 23250, below a frame of 31000 x 30000 by 6750,
        // 3375 of it above. The photo is still larger than the 256 MP limit.
        QTest::newRow("wide frame, enlarged past the limit")
            << QRectF(500, 1000, 31000, 30000) << QSize(31000, 23250) << QPointF(500, 1000 + 3375)
            << QSize(4000, 3000);
        QTest::newRow("reduction as on any canvas")
            << QRectF(0, 0, 2000, 1500) << QSize(2000, 1500) << QPointF(0, 0) << QSize(2000, 1500);
    }

    void placesOnAHugeCanvas()
    {
        QFETCH(QRectF, frame);
        QFETCH(QSize, displaySize);
        QFETCH(QPointF, position);
        QFETCH(QSize, heldSize);
        CollageState &state = CollageState::instance();
        state.canvasSize = QSizeF(32000, 32000);
        state.document.frameRects = {frame};
        QVERIFY(placePhoto(0, QStringLiteral("big.jpg"), QImage(4000, 3000, QImage::Format_RGB32)));
        const PhotoFrame &photo = state.document.photos[0];
        QCOMPARE(photo.displaySize, displaySize);
        QCOMPARE(photo.position, position);
        QCOMPARE(photo.displayImage.size(), heldSize);
    }

    void drawsTheHeldImageAtTheShownSize_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("canvas") << 0;
        QTest::newRow("export") << 1;
        QTest::newRow("canvas after a wheel zoom") << 2;
        QTest::newRow("canvas after a filter") << 3;
    }

    // A 20 x 10 photo, left half red and right half blue, shown 10 times enlarged in a
    // 200 x 100 frame fills the frame; drawn at the size it is held, it would cover the
    // frame's top-left corner only.
    void drawsTheHeldImageAtTheShownSize()
    {
        QFETCH(int, change);
        CollageState &state = CollageState::instance();
        state.photoCountIndex = 0;
        state.canvasSize = QSizeF(240, 140);
        CanvasSettings &settings = state.settings;
        settings.margin = 20;
        settings.spacing = settings.lineWidth = settings.dropShadow = settings.roundCorners = 0;
        settings.frameBackgroundColor1 = Qt::green;
        settings.cornerTopLeft = settings.cornerBottomRight = false;
        const QRect target(0, 0, 240, 140);
        CollageRenderer renderer;
        renderer.buildGeometry(target);
        QImage halves(20, 10, QImage::Format_RGB32);
        halves.fill(Qt::red);
        QPainter(&halves).fillRect(10, 0, 10, 10, Qt::blue);
        QVERIFY(placePhoto(0, QString(), halves));

        renderer.renderCollage(target, false);
        // Fifty steps in leave the photo at 9.5 times, about 190 x 95 around the frame's
        // centre (120, 70), held as the source.
        for (int step = 0; change == 2 && step < 50; ++step)
            QVERIFY(zoomPhoto(state.document.photos[0], -1, qint64(1) << 40));
        if (change == 3)
            QVERIFY(filterPhoto(0, ImageFilter::Invert, 256));
        const QImage image = renderer.renderCollage(target, change == 1);
        // The frame is 200 x 100 at (20, 20), its photo's halves meet at x = 120.
        const QColor left = change == 3 ? QColor(0, 255, 255) : QColor(Qt::red);
        const QColor right = change == 3 ? QColor(255, 255, 0) : QColor(Qt::blue);
        const QList<QColor> seen{image.pixelColor(30, 30), image.pixelColor(210, 110),
                                 image.pixelColor(10, 70), image.pixelColor(22, 70),
                                 image.pixelColor(217, 70)};
        const QList<QColor> wanted{left, right, Qt::white, change == 2 ? QColor(Qt::green) : left,
                                   change == 2 ? QColor(Qt::green) : right};
        QCOMPARE(seen, wanted);
    }
};

QUILTRA_TEST_MAIN(TestHugeCanvas)
#include "tst_hugecanvas.moc"
