#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QGraphicsDropShadowEffect>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QTemporaryDir>

namespace {

using PixelChecks = QList<std::pair<QPoint, QColor>>;

CollageState &state()
{
    return CollageState::instance();
}

CanvasSettings &settings()
{
    return CollageState::instance().settings;
}

void useLayout(int photos, int index, QSize canvas, int margin, int spacing, int topOffset = 0)
{
    state().photoCountIndex = photos - 1;
    state().layoutIndex = index;
    state().canvasSize = canvas;
    settings().margin = margin;
    settings().spacing = spacing;
    settings().topOffset = topOffset;
    state().document.clearGeometry();
}

QRect canvasRect()
{
    return QRect(QPoint(0, 0), state().canvasSize.toSize());
}

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

void checkPixels(const QImage &image, const PixelChecks &pixels, int tolerance)
{
    for (const auto &[point, colour] : pixels)
        QUILTRA_COMPARE_PIXEL(image, point, colour, tolerance);
}

// One frame, no shadow, no rounding, no ornaments, on a grey background.
void plainCanvas(QSize canvas, int margin, int topOffset = 0)
{
    useLayout(1, 0, canvas, margin, 0, topOffset);
    settings().dropShadow = settings().roundCorners = 0;
    settings().cornerTopLeft = settings().cornerBottomRight = false;
    settings().backgroundColor1 = Qt::gray;
}

} // namespace

class TestCollageRenderer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString saved(const QString &name, const QImage &image)
    {
        const QString path = m_dir.filePath(name);
        return image.save(path) ? path : QString();
    }

private Q_SLOTS:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    // What a user sees of a new collage: white background, ornaments top left and bottom
    // right only, the first ten-photo layout inside a 140-pixel margin with 40-pixel gaps
    // (the first frame spans (140, 140) to (940, 520), the third starts at 980), shadowed.
    void freshCollage()
    {
        const QImage image = CollageRenderer().renderCollage(QRect(0, 0, 1920, 1080), false);
        auto inked = [&image](int x, int y) {
            return !TestSupport::fuzzyEqual(image.copy(x, y, 60, 60), filled({60, 60}, Qt::white),
                                            8);
        };
        QVERIFY(inked(0, 0) && inked(1860, 1020) && !inked(1860, 0) && !inked(0, 1020));
        checkPixels(image, {{{70, 540}, Qt::white}, {{500, 300}, Qt::white}}, 0);
        QVERIFY(image.pixelColor(134, 300).lightness() < 250);
        for (const QPoint &outline : {QPoint(140, 300), QPoint(940, 300), QPoint(980, 200)})
            QVERIFY(image.pixelColor(outline).lightness() < 80);
        QVERIFY(image.pixelColor(960, 300).lightness() > 150);
    }

    void writeBack_data()
    {
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<int>("topOffset");
        QTest::addColumn<bool>("kept");
        QTest::newRow("top offset") << QSize(1920, 1080) << 60 << true;
        // An area without width or height must not put infinite or undefined percentages
        // into the layout.
        QTest::newRow("top offset takes the rest") << QSize(1920, 380) << 100 << false;
        QTest::newRow("width is twice the margin") << QSize(280, 1080) << 0 << false;
        QTest::newRow("narrower than the margins") << QSize(200, 1080) << 0 << false;
    }

    // Frames and dividers dragged on the canvas are written back into the layout, so that
    // rebuilding the geometry (a change of size, spacing, or the export) keeps them.
    void writeBack()
    {
        QFETCH(QSize, canvas);
        QFETCH(int, topOffset);
        QFETCH(bool, kept);
        useLayout(3, 2, canvas, 140, 41, topOffset);
        CollageRenderer renderer;
        renderer.renderCollage(canvasRect(), false);
        // The vertical divider 100 pixels right, the one between the right frames 50 down.
        CollageDocument &document = state().document;
        QList<QRectF> &rects = document.frameRects;
        rects[0].adjust(0, 0, 100, 0);
        rects[1].adjust(100, 0, 0, 50);
        rects[2].adjust(100, 50, 0, 0);
        document.verticalDividers[0].translate(100, 0);
        document.horizontalDividers[0].adjust(100, 50, 0, 50);
        const QList<QRectF> frames = rects;
        const QImage shown = renderer.renderCollage(canvasRect(), false).copy();

        // By hand, for 1920 x 1080, margin 140, top offset 60: the area is 1640 x 740, frame
        // 0's right edge at 1039.5 + 20.5 half-spacing; the horizontal divider moves from
        // 370 to 420 pixels down the area. Otherwise the layout keeps its halves.
        const LayoutTemplate &after = *state().currentLayout();
        const qreal x = kept ? 920.0 / 16.4 : 50.0, y = kept ? 420.0 / 7.4 : 50.0;
        for (const qreal v : {after.cells[0].bottomRight.x(), after.verticalLines[0].x()})
            QVERIFY2(qAbs(v - x) < 1e-3, qPrintable(QString::number(v)));
        for (const qreal v : {after.cells[1].bottomRight.y(), after.horizontalLines[0].y()})
            QVERIFY2(qAbs(v - y) < 1e-3, qPrintable(QString::number(v)));
        // The export rebuilds its frames from the layout and leaves the live ones alone.
        if (kept)
            QVERIFY(TestSupport::fuzzyEqual(renderer.renderCollage(canvasRect(), true), shown));
        QCOMPARE(document.frameRects, frames);
    }

    void backgroundModes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("colorMode");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<bool>("loadable");
        QTest::addColumn<PixelChecks>("pixels");
        const QColor red(220, 30, 40), blue(30, 60, 200), none(Qt::transparent);
        const QSize wide(200, 150);
        // The picture is 40 x 20, red on its left half and blue on its right half.
        // clang-format off
        QTest::newRow("single colour") << 0 << 0 << wide << true << PixelChecks{{{199, 149}, red}};
        QTest::newRow("top to bottom") << 0 << 1 << wide << true << PixelChecks{{{5, 0}, red}, {{5, 149}, blue}};
        QTest::newRow("left to right") << 0 << 2 << wide << true << PixelChecks{{{0, 5}, red}, {{199, 5}, blue}};
        QTest::newRow("texture on a landscape canvas: width, strip below") << 1 << 0 << wide << true
            << PixelChecks{{{10, 10}, red}, {{190, 90}, blue}, {{100, 120}, none}};
        QTest::newRow("texture on a square canvas: width") << 1 << 0 << QSize(150, 150) << true
            << PixelChecks{{{140, 70}, blue}, {{10, 100}, none}};
        QTest::newRow("image on a portrait canvas: height, cut at the right") << 2 << 0
            << QSize(100, 200) << true << PixelChecks{{{99, 0}, red}, {{10, 199}, red}};
        QTest::newRow("unloadable texture stays transparent") << 1 << 0 << wide << false
            << PixelChecks{{{0, 0}, none}, {{199, 149}, none}};
        // clang-format on
    }

    void backgroundModes()
    {
        QFETCH(int, type);
        QFETCH(int, colorMode);
        QFETCH(QSize, canvas);
        QFETCH(bool, loadable);
        QFETCH(PixelChecks, pixels);
        QImage picture = filled(QSize(40, 20), QColor(220, 30, 40));
        QPainter(&picture).fillRect(20, 0, 20, 20, QColor(30, 60, 200));
        settings().backgroundType = type;
        settings().backgroundColorMode = colorMode;
        settings().backgroundColor1 = QColor(220, 30, 40);
        settings().backgroundColor2 = QColor(30, 60, 200);
        settings().backgroundTexture = settings().backgroundImage =
            loadable ? saved("picture.png", picture) : m_dir.filePath("absent.png");
        const QImage layer = CollageRenderer().renderBackground(QRect(QPoint(0, 0), canvas), false);
        QCOMPARE(layer.size(), canvas);
        checkPixels(layer, pixels, 2);
    }

    // The canvas keeps its background until told it changed; the export always paints its
    // own and leaves the mark for the canvas.
    void backgroundCachedOnCanvasOnly()
    {
        plainCanvas(QSize(300, 200), 20);
        CollageRenderer renderer;
        auto corner = [&renderer](bool forExport, QColor colour) {
            return renderer.renderCollage(canvasRect(), forExport).pixelColor(0, 0) == colour;
        };
        QVERIFY(corner(false, Qt::gray));
        settings().backgroundColor1 = Qt::blue;
        QVERIFY(corner(false, Qt::gray) && corner(true, Qt::blue));
        renderer.markBackgroundDirty();
        settings().backgroundColor1 = Qt::green;
        QVERIFY(corner(true, Qt::green) && corner(false, Qt::green));
    }

    void framePixels_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("ownColour");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<PixelChecks>("pixels");
        // The frame spans (20, 20) to (180, 130) on a grey canvas. Turned 10 degrees
        // clockwise about (100, 75), its top edge runs from (30.8, 7.0) to (188.3, 34.7).
        const QColor red(200, 40, 60), yellow(250, 220, 40), cyan(Qt::cyan), grey(Qt::gray);
        const QPoint top(100, 22), bottom(100, 128), left(22, 75), right(178, 75);
        // clang-format off
        QTest::newRow("single colour") << 0 << false << 0
            << PixelChecks{{top, red}, {bottom, red}, {right, red}, {{10, 10}, grey}};
        QTest::newRow("top to bottom") << 1 << false << 0 << PixelChecks{{top, red}, {bottom, yellow}};
        QTest::newRow("left to right") << 2 << false << 0 << PixelChecks{{left, red}, {right, yellow}};
        QTest::newRow("frame's own colour") << 2 << true << 0
            << PixelChecks{{left, cyan}, {right, cyan}, {{10, 10}, grey}};
        QTest::newRow("turned clockwise") << 0 << false << 10
            << PixelChecks{{{40, 15}, red}, {{160, 25}, grey}, {{150, 135}, red}};
        // clang-format on
    }

    void framePixels()
    {
        QFETCH(int, mode);
        QFETCH(bool, ownColour);
        QFETCH(int, rotation);
        QFETCH(PixelChecks, pixels);
        plainCanvas(QSize(200, 150), 20);
        settings().lineWidth = 1;
        settings().frameBackgroundMode = mode;
        settings().frameBackgroundColor1 = QColor(200, 40, 60);
        settings().frameBackgroundColor2 = QColor(250, 220, 40);
        LayoutCell &cell = state().currentLayout()->cells[0];
        cell.hasBackgroundColor = ownColour;
        cell.backgroundColor = Qt::cyan;
        cell.rotation = rotation;
        checkPixels(CollageRenderer().renderCollage(canvasRect(), true), pixels, 12);
    }

    void photoInFrame_data()
    {
        QTest::addColumn<QPointF>("position");
        QTest::addColumn<float>("angle");
        QTest::addColumn<PixelChecks>("pixels");
        // Margin 20 and top offset 30 on 400 x 300: the frame spans (20, 50) to (380, 280)
        // with a black outline 3 pixels wide. The photo is 100 x 60 blue, drawn 30 pixels
        // below its stored position.
        const QColor blue(Qt::blue), white(Qt::white), grey(Qt::gray), black(Qt::black);
        // clang-format off
        QTest::newRow("shifted by the top offset") << QPointF(60, 40) << 0.0f
            << PixelChecks{{{110, 100}, blue}, {{110, 66}, white}, {{110, 133}, white}};
        QTest::newRow("cut at the frame, outline over it") << QPointF(-50, 0) << 0.0f
            << PixelChecks{{{30, 60}, blue}, {{10, 60}, grey}, {{30, 45}, grey}, {{20, 70}, black}};
        QTest::newRow("turned by whole degrees") << QPointF(60, 40) << 90.9f
            << PixelChecks{{{110, 160}, blue}, {{150, 100}, white}};
        // clang-format on
    }

    void photoInFrame()
    {
        QFETCH(QPointF, position);
        QFETCH(float, angle);
        QFETCH(PixelChecks, pixels);
        plainCanvas(QSize(400, 300), 20, 30);
        const QImage photo = filled(QSize(100, 60), Qt::blue);
        state().document.photos[0] = {QString(), photo, photo, photo.size(), position, 1.0f, angle};
        checkPixels(CollageRenderer().renderCollage(canvasRect(), false), pixels, 2);
    }

    void layerOrder_data()
    {
        QTest::addColumn<bool>("forExport");
        QTest::addColumn<int>("opacity");
        QTest::addColumn<QColor>("centre");
        QTest::newRow("opaque object over the photo") << false << 100 << QColor(Qt::green);
        QTest::newRow("half see-through") << false << 50 << QColor(128, 128, 0);
        QTest::newRow("invisible") << false << 0 << QColor(Qt::red);
        QTest::newRow("export") << true << 100 << QColor(Qt::green);
    }

    // A green sticker over a red photo, and another in the top-left corner under the grey
    // ornament.
    void layerOrder()
    {
        QFETCH(bool, forExport);
        QFETCH(int, opacity);
        QFETCH(QColor, centre);
        plainCanvas(QSize(400, 300), 20);
        settings().cornerTopLeft = true;
        CollageRenderer renderer;
        renderer.setCornerOrnamentPath(saved("ornament.png", filled({30, 20}, Qt::gray)));
        renderer.renderCollage(canvasRect(), false);
        QVERIFY(placePhoto(0, QString(), filled(QSize(36, 23), Qt::red)));
        const QString sticker = saved("sticker.png", filled({60, 40}, Qt::green));
        createSticker(sticker);
        state().document.objects.last().opacity = opacity;
        createSticker(sticker);
        OverlayObject &cornered = state().document.objects.last();
        cornered.x = cornered.y = 0;
        cornered.rect.moveTopLeft(QPoint(0, 0));
        state().document.selectedObjectId = -1;
        const QImage image = renderer.renderCollage(canvasRect(), forExport);
        checkPixels(image, {{{200, 150}, centre}}, 2);
        checkPixels(image, {{{100, 150}, Qt::red}, {{5, 5}, Qt::gray}, {{40, 30}, Qt::green}}, 0);
    }

    void shadowMatchesGraphicsEffect_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRectF>("frame");
        QTest::newRow("frame against the border") << QSize(400, 300) << QRectF(0, 5, 300, 295);
        QTest::newRow("odd size") << QSize(301, 157) << QRectF(30.5, 15.5, 150, 110);
        QTest::newRow("small") << QSize(30, 20) << QRectF(5, 5, 10, 10);
    }

    // The shadow is our own blur; it must look like the toolkit's drop-shadow effect.
    void shadowMatchesGraphicsEffect()
    {
        QFETCH(QSize, size);
        QFETCH(QRectF, frame);
        QImage layer = filled(size, Qt::transparent);
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 3));
        painter.setBrush(QColor(255, 255, 255, 160));
        painter.drawRoundedRect(frame, 20, 20);
        painter.end();
        QGraphicsScene scene;
        auto *effect = new QGraphicsDropShadowEffect;
        effect->setColor(Qt::black);
        effect->setOffset(0, 0);
        effect->setBlurRadius(20);
        scene.addPixmap(QPixmap::fromImage(layer))->setGraphicsEffect(effect);
        QImage expected = filled(size, Qt::transparent);
        painter.begin(&expected);
        scene.render(&painter, QRectF(layer.rect()), QRectF(layer.rect()), Qt::KeepAspectRatio);
        painter.end();
        const QImage shadow = CollageRenderer().applyDropShadow(layer, Qt::black, 20);
        QVERIFY(TestSupport::fuzzyEqual(shadow, expected, 2));
    }

    // The ornament's red mark, in its top-left corner, must end up in every canvas corner,
    // which only mirroring achieves; nothing is drawn where no flag is set.
    void cornerOrnamentsMirrored()
    {
        QImage ornament = filled(QSize(30, 20), Qt::gray);
        QPainter(&ornament).fillRect(0, 0, 5, 5, Qt::red);
        CollageRenderer renderer;
        renderer.setCornerOrnamentPath(saved("ornament.png", ornament));
        for (const bool shown : {true, false}) {
            settings().cornerTopLeft = settings().cornerTopRight = shown;
            settings().cornerBottomLeft = settings().cornerBottomRight = shown;
            QImage layer = filled(QSize(100, 80), Qt::transparent);
            QPainter painter(&layer);
            renderer.renderCorners(painter, layer.rect());
            painter.end();
            for (const QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 79), QPoint(99, 79)})
                QCOMPARE(layer.pixelColor(corner), QColor(shown ? Qt::red : Qt::transparent));
        }
    }

    // No image can be this wide: the render gives up on the picture without crashing, and
    // the canvas still gets its frames for hit testing.
    void canvasTooLargeToAllocate()
    {
        for (const bool forExport : {false, true}) {
            useLayout(2, 0, QSize(70'000'000, 2000), 140, 40);
            state().document.photos[0].sourceImage = filled(QSize(40, 30), Qt::red);
            CollageRenderer renderer;
            QVERIFY(renderer.renderCollage(canvasRect(), forExport).isNull());
            QCOMPARE(state().document.frameRects.size(), forExport ? 0 : 2);
            QVERIFY(renderer.renderCollage(QRect(0, 0, -10, -10), forExport).isNull());
        }
    }
};

QUILTRA_TEST_MAIN(TestCollageRenderer)
#include "tst_collagerenderer.moc"
