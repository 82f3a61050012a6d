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

// The share of pixels of two images of one size that differ by more than tolerance in
// some channel, and the mean difference over all channels.
struct Difference
{
    double badFraction = 1.0;
    double mean = 255.0;
};

Difference difference(const QImage &a, const QImage &b, int tolerance)
{
    if (a.size() != b.size() || a.isNull())
        return {};
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    qint64 bad = 0;
    qint64 total = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            const int d[] = {
                std::abs(qRed(p[col]) - qRed(q[col])), std::abs(qGreen(p[col]) - qGreen(q[col])),
                std::abs(qBlue(p[col]) - qBlue(q[col])), std::abs(qAlpha(p[col]) - qAlpha(q[col]))};
            bad += *std::max_element(std::begin(d), std::end(d)) > tolerance ? 1 : 0;
            total += d[0] + d[1] + d[2] + d[3];
        }
    }
    const double pixels = double(x.width()) * x.height();
    return {double(bad) / pixels, double(total) / (4.0 * pixels)};
}

// A collage of count photos with fine stripes and a diagonal, rounded frames with an
// outline, a gradient background and, with extras, corner ornaments and three objects
// that straddle band edges.
void buildCollage(int count, bool triangles, int rotation, QSize canvas, bool shadow, bool extras,
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
    settings.dropShadow = shadow ? 1 : 0;
    settings.cornerTopLeft = settings.cornerBottomRight = extras;
    settings.cornerTopRight = settings.cornerBottomLeft = false;
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
    if (!extras)
        return;
    QImage sticker(240, 180, QImage::Format_ARGB32);
    // A checkerboard of single pixels: sampled rather than filtered, it turns into a
    // pattern instead of its average.
    sticker.fill(QColor(200, 30, 30, 160));
    QPainter(&sticker).fillRect(sticker.rect(), QBrush(QColor(20, 20, 120), Qt::Dense4Pattern));
    QVERIFY(sticker.save(stickerPath));
    createSticker(stickerPath);
    createLabel();
    createEmoji(QStringLiteral("\U0001F600"));
    const qreal rows[] = {90.0, 300.0, 520.0};
    for (qsizetype i = 0; i < collage.document.objects.size(); ++i) {
        OverlayObject &object = collage.document.objects[i];
        object.x = 120.0 + 300.0 * i;
        object.y = rows[i];
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
        QTest::addColumn<bool>("extras");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("bandRows");
        QTest::newRow("grid, shadow, 40 %") << 4 << false << 0 << true << true << 40 << 32;
        QTest::newRow("turned frames, 50 %") << 3 << false << 12 << true << true << 50 << 40;
        QTest::newRow("triangles, 33 %") << 4 << true << 0 << true << true << 33 << 26;
        QTest::newRow("turned frame past the border, 10 %")
            << 1 << false << 30 << true << false << 10 << 8;
        QTest::newRow("no shadow, 25 %") << 5 << false << 0 << false << true << 25 << 30;
    }

    void matchesTheSmoothFullView()
    {
        QFETCH(int, count);
        QFETCH(bool, triangles);
        QFETCH(int, rotation);
        QFETCH(bool, shadow);
        QFETCH(bool, extras);
        QFETCH(int, zoom);
        QFETCH(int, bandRows);
        QTemporaryDir dir;
        const QSize canvas(1200, 900);
        buildCollage(count, triangles, rotation, canvas, shadow, extras,
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
        const Difference seen = difference(view, expected, 24);
        QVERIFY2(seen.badFraction < 0.03 && seen.mean < 1.5,
                 qPrintable(QStringLiteral("%1 of the pixels differ, by %2 on average")
                                .arg(seen.badFraction)
                                .arg(seen.mean)));
    }

    void editedViewMatchesFreshView_data()
    {
        QTest::addColumn<int>("edit");
        QTest::addColumn<bool>("triangles");
        const char *const names[] = {"photo panned",    "photo zoomed", "photo turned",
                                     "divider dragged", "object moved", "frame turned"};
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
        buildCollage(4, triangles, 0, canvas, true, true,
                     dir.filePath(QStringLiteral("sticker.png")));
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
            [&] { photo.angle += 9.0f; },
            [&] {
                if (triangles) {
                    document.triangleFrames[0].path.translate(17, 9);
                } else {
                    document.frameRects[0].setRight(document.frameRects[0].right() + 41);
                    document.frameRects[1].setLeft(document.frameRects[1].left() + 41);
                }
            },
            [&] { document.objects.first().x += 77, document.objects.first().y += 61; },
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
