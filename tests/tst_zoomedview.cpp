#include "CanvasGeometry.h"
#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "QuiltraCanvasForm.h"
#include "TestSupport.h"

#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

namespace {

CollageState &state()
{
    return CollageState::instance();
}

// A collage of count photos with stripes and a diagonal, rounded frames with an outline,
// a gradient background, corner ornaments and three objects that straddle band edges.
void buildCollage(int count, bool triangles, int rotation, QSize canvas, bool shadow,
                  const QString &stickerPath)
{
    CollageState &collage = state();
    collage.photoCountIndex = count - 1;
    const auto &layouts = collage.layoutCatalogue[size_t(count - 1)];
    const auto hasTriangle = [](const LayoutTemplate &layout) {
        return std::ranges::any_of(
            layout.cells, [](const LayoutCell &cell) { return cell.kind == LayoutCell::Triangle; });
    };
    const auto layout = triangles ? std::ranges::find_if(layouts, hasTriangle) : layouts.begin();
    QVERIFY(layout != layouts.end());
    collage.layoutIndex = int(layout - layouts.begin());
    collage.canvasSize = canvas;
    CanvasSettings &settings = collage.settings;
    settings.margin = 40;
    settings.spacing = 20;
    settings.roundCorners = 16;
    settings.lineWidth = 3;
    settings.dropShadow = shadow;
    settings.backgroundColorMode = 1;
    settings.backgroundColor1 = QColor(250, 240, 200);
    settings.backgroundColor2 = QColor(40, 90, 160);
    for (LayoutCell &cell : collage.currentLayout()->cells)
        cell.rotation = rotation ? rotation : cell.rotation;

    CollageRenderer().buildGeometry(QRect(QPoint(0, 0), canvas));
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
    QImage sticker(240, 180, QImage::Format_ARGB32);
    // A checkerboard of single pixels: sampled rather than filtered, it turns into a
    // pattern instead of its average.
    sticker.fill(QColor(200, 30, 30, 160));
    QPainter(&sticker).fillRect(sticker.rect(), QBrush(QColor(20, 20, 120), Qt::Dense4Pattern));
    QVERIFY(sticker.save(stickerPath));
    createSticker(stickerPath);
    createLabel();
    createEmoji(QStringLiteral("\U0001F600"));
    for (qsizetype i = 0; i < collage.document.objects.size(); ++i) {
        OverlayObject &object = collage.document.objects[i];
        object.x = 120.0 + 300.0 * i;
        object.y = 90.0 + 215.0 * i;
        object.rotation = 20.0f * float(i);
        if (object.kind == Label) {
            object.font.setPointSize(40);
            updateLabelBox(&object);
        }
    }
    collage.document.selectedObjectId = -1;
}

} // namespace

// Below full size the canvas renders its view at the view's own size; it must look like
// the full-size rendering smoothly scaled down, as the view looked after a pause before.
class TestZoomedView : public QObject
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
        QTest::addColumn<bool>("shadow");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("bandRows");
        // The share of pixels allowed to differ by more than 24: those on edges, text and
        // ornaments, more of them the smaller the view.
        QTest::addColumn<double>("edgeShare");
        QTest::newRow("grid, shadow, 40 %") << 4 << false << 0 << true << 40 << 32 << 0.03;
        QTest::newRow("turned frames, 50 %") << 3 << false << 12 << true << 50 << 40 << 0.03;
        QTest::newRow("triangles, 33 %") << 4 << true << 0 << true << 33 << 26 << 0.03;
        QTest::newRow("turned past the border, 10 %")
            << 1 << false << 30 << true << 10 << 8 << 0.05;
        QTest::newRow("no shadow, 25 %") << 5 << false << 0 << false << 25 << 30 << 0.03;
    }

    void matchesTheSmoothFullView()
    {
        QFETCH(int, count);
        QFETCH(bool, triangles);
        QFETCH(int, rotation);
        QFETCH(bool, shadow);
        QFETCH(int, zoom);
        QFETCH(int, bandRows);
        QFETCH(double, edgeShare);
        QTemporaryDir dir;
        const QSize canvas(1200, 900);
        buildCollage(count, triangles, rotation, canvas, shadow,
                     dir.filePath(QStringLiteral("sticker.png")));
        const QRect target(QPoint(0, 0), canvas);
        const QSize viewSize(qRound(canvas.width() * zoom / 100.0),
                             qRound(canvas.height() * zoom / 100.0));

        CollageRenderer full;
        const QImage expected =
            full.renderCollage(target, false)
                .scaled(viewSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        CollageRenderer zoomed;
        zoomed.setBandRows(bandRows);
        const QImage view = zoomed.renderView(target, viewSize).copy();
        QCOMPARE(view.size(), viewSize);
        // Bands at the view's scale must join as seamlessly as at full size; a few pixels
        // of a photo sampled smoothly near a band edge round differently.
        CollageRenderer oneBand;
        oneBand.setBandRows(1 << 20);
        const QImage whole = oneBand.renderView(target, viewSize);
        QVERIFY2(TestSupport::fuzzyEqual(view, whole, 2, 0.001),
                 qPrintable(QString::number(TestSupport::maxChannelDifference(view, whole))));
        // Edges drawn through a clip, text and ornaments differ a little; a photo, a frame
        // or a shadow drawn a pixel off or at another size differs along all its edges.
        QVERIFY2(TestSupport::fuzzyEqual(view, expected, 24, edgeShare),
                 qPrintable(QString::number(TestSupport::maxChannelDifference(view, expected))));
    }

    void editedViewMatchesFreshView_data()
    {
        QTest::addColumn<int>("edit");
        QTest::addColumn<bool>("triangles");
        const char *const names[] = {"photo panned", "photo zoomed", "divider dragged",
                                     "frame turned"};
        for (int edit = 0; edit < int(std::size(names)); ++edit) {
            QTest::addRow("%s", names[edit]) << edit << false;
            QTest::addRow("%s, triangles", names[edit]) << edit << true;
        }
    }

    // The view redraws only what an edit touched, at the view's scale: what it shows must
    // be what a renderer that never saw the document draws at that size.
    void editedViewMatchesFreshView()
    {
        QFETCH(int, edit);
        QFETCH(bool, triangles);
        QTemporaryDir dir;
        const QSize canvas(1200, 900);
        buildCollage(4, triangles, 0, canvas, true, dir.filePath(QStringLiteral("sticker.png")));
        const QRect target(QPoint(0, 0), canvas);
        const QSize viewSize(444, 333);
        CollageRenderer renderer;
        renderer.setBandRows(36);
        renderer.renderView(target, viewSize);

        CollageDocument &document = state().document;
        PhotoFrame &photo = document.photos[1];
        const std::function<void()> edits[] = {
            [&] { photo.position += QPointF(-53, 37); },
            [&] { QVERIFY(zoomPhoto(photo, 3, qint64(1) << 30)); },
            [&] {
                if (triangles) {
                    document.triangleFrames[0].path.translate(17, 9);
                } else {
                    document.frameRects[0].setRight(document.frameRects[0].right() + 41);
                    document.frameRects[1].setLeft(document.frameRects[1].left() + 41);
                }
            },
            [&] { state().currentLayout()->cells[1].rotation = 14; },
        };
        edits[edit]();
        const QImage edited = renderer.renderView(target, viewSize).copy();
        CollageRenderer fresh;
        fresh.setBandRows(36);
        const QImage expected = fresh.renderView(target, viewSize);
        QVERIFY2(TestSupport::fuzzyEqual(edited, expected, 2),
                 qPrintable(QString::number(TestSupport::maxChannelDifference(edited, expected))));
    }

    // A poster of 32000 x 32000 pixels opens at 5 %, shows its photos and takes a pan in
    // document pixels: the view is 1600 pixels a side, the canvas twenty times that.
    void hugeCanvasIsShownAndEdited()
    {
        CollageState &collage = state();
        collage.canvasSize = QSizeF(32000, 32000);
        collage.photoCountIndex = 1;
        collage.layoutIndex = 0;
        collage.zoomPercent = 5.0f;
        collage.settings.margin = 1000;
        collage.settings.spacing = 800;
        collage.settings.dropShadow = 1;
        collage.settings.backgroundColor1 = Qt::white;
        collage.settings.frameBackgroundColor1 = Qt::black;
        QuiltraCanvasForm canvas;
        canvas.resize(1000, 1000);
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas));
        canvas.repaint();
        const QRectF frame = collage.document.frameRects.value(0);
        QVERIFY(frame.width() > 10000);
        QImage red(20, 40, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(placePhoto(0, QString(), red));
        canvas.requestRedraw(false);
        const auto shownAt = [&canvas](QPointF docPos) {
            canvas.repaint();
            return canvas.grab().toImage().pixelColor((docPos * 0.05).toPoint());
        };
        // A point a sixth into the frame from its left edge, its photo there.
        const QPointF inside(frame.left() + frame.width() / 6, frame.center().y());
        QCOMPARE(shownAt(inside), QColor(Qt::red));

        // Dragged right by 300 view pixels, 6000 document pixels: the frame's left part is
        // left without photo.
        const QPoint from = (frame.center() * 0.05).toPoint();
        QTest::mousePress(&canvas, Qt::LeftButton, {}, from);
        QTest::mouseMove(&canvas, from + QPoint(150, 0));
        QTest::mouseMove(&canvas, from + QPoint(300, 0));
        QTest::mouseRelease(&canvas, Qt::LeftButton, {}, from + QPoint(300, 0));
        QCOMPARE(collage.document.photos[0].position.x(),
                 frame.left() -
                     (collage.document.photos[0].displaySize.width() - frame.width()) / 2 + 6000);
        QCOMPARE(shownAt(inside), QColor(Qt::black));
    }
};

QUILTRA_TEST_MAIN(TestZoomedView)
#include "tst_zoomedview.moc"
