#include "CollageHQImageThread.h"
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
#include <QThread>

namespace {

using PixelChecks = QList<std::pair<QPoint, QColor>>;

CollageState &state()
{
    return CollageState::instance();
}

void useLayout(int photos, int index, QSize canvas, int margin, int spacing, int topOffset = 0)
{
    state().photoCountIndex = photos - 1;
    state().layoutIndex = index;
    state().canvasSize = canvas;
    state().settings.margin = margin;
    state().settings.spacing = spacing;
    state().settings.topOffset = topOffset;
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

QImage gradientPhoto(QSize size, QColor from, QColor to)
{
    QImage image = filled(size, Qt::transparent);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    QPainter(&image).fillRect(image.rect(), gradient);
    return image;
}

void checkPixels(const QImage &image, const PixelChecks &pixels, int tolerance)
{
    for (const auto &[point, colour] : pixels)
        QUILTRA_COMPARE_PIXEL(image, point, colour, tolerance);
}

// A plain collage to draw on: one frame, no shadow, no ornaments, a grey background.
void plainCanvas(QSize canvas, int margin, int topOffset = 0)
{
    useLayout(1, 0, canvas, margin, 0, topOffset);
    CanvasSettings &settings = state().settings;
    settings.dropShadow = 0;
    settings.roundCorners = 0;
    settings.backgroundColor1 = Qt::gray;
}

} // namespace

class TestCollageRenderer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString savedPicture(const QString &name, const QImage &image)
    {
        const QString path = m_dir.filePath(name);
        return image.save(path) ? path : QString();
    }

private Q_SLOTS:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
        state().settings.cornerTopLeft = false;
        state().settings.cornerBottomRight = false;
    }

    // What a user sees of a new collage: white background, ornaments top left and bottom
    // right only, the first ten-photo layout inside a 140-pixel margin with 40-pixel gaps.
    void freshCollage()
    {
        CollageState::reset();
        buildLayoutCatalogue();
        const QImage image = CollageRenderer().renderCollage(QRect(0, 0, 1920, 1080), false);
        auto inked = [&image](QRect area) {
            return !TestSupport::fuzzyEqual(image.copy(area), filled(area.size(), Qt::white), 8);
        };
        QVERIFY(inked(QRect(0, 0, 60, 60)));
        QVERIFY(inked(QRect(1860, 1020, 60, 60)));
        QVERIFY(!inked(QRect(1860, 0, 60, 60)));
        QVERIFY(!inked(QRect(0, 1020, 60, 60)));
        QUILTRA_COMPARE_PIXEL(image, QPoint(70, 540), QColor(Qt::white), 0);
        QUILTRA_COMPARE_PIXEL(image, QPoint(500, 300), QColor(Qt::white), 0);
        QVERIFY2(image.pixelColor(134, 300).lightness() < 250, "no shadow beside the frame");
        // Outlines: the first frame spans (140, 140) to (940, 520), the third starts at 980.
        for (const QPoint &outline : {QPoint(140, 300), QPoint(940, 300), QPoint(980, 200)})
            QVERIFY2(image.pixelColor(outline).lightness() < 80,
                     qPrintable(QString::number(outline.x())));
        QVERIFY(image.pixelColor(960, 300).lightness() > 150);
    }

    void writeBack_data()
    {
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<int>("topOffset");
        QTest::addColumn<bool>("framesKept");
        QTest::addColumn<bool>("dividersKept");
        // The top offset moves frames and dividers alike.
        QTest::newRow("top offset") << QSize(1920, 1080) << 60 << true << true;
        // A collage area without width or height must not put infinite or undefined
        // percentages into the layout.
        QTest::newRow("top offset takes the rest") << QSize(1920, 380) << 100 << false << false;
        QTest::newRow("width is twice the margin") << QSize(280, 1080) << 0 << false << false;
        QTest::newRow("narrower than the margins") << QSize(200, 1080) << 0 << false << false;
    }

    // Frames and dividers moved on the canvas are written back into the layout, so that
    // rebuilding the geometry (after a change of size or spacing) keeps them.
    void writeBack()
    {
        QFETCH(QSize, canvas);
        QFETCH(int, topOffset);
        QFETCH(bool, framesKept);
        QFETCH(bool, dividersKept);
        useLayout(3, 2, canvas, 140, 41, topOffset);
        CollageRenderer renderer;
        renderer.renderCollage(canvasRect(), false);
        const LayoutTemplate before = *state().currentLayout();
        // Dragging the vertical divider 100 pixels right and the horizontal one between the
        // right-hand frames 50 pixels down.
        CollageDocument &document = state().document;
        QList<QRectF> &rects = document.frameRects;
        rects[0].setRight(rects[0].right() + 100);
        rects[1].adjust(100, 0, 0, 50);
        rects[2].adjust(100, 50, 0, 0);
        document.verticalDividers[0].translate(100, 0);
        document.horizontalDividers[0].adjust(100, 50, 0, 50);
        const QList<QRectF> frames = document.frameRects;
        renderer.renderCollage(canvasRect(), false);
        const LayoutTemplate &after = *state().currentLayout();

        // By hand, for 1920 x 1080 with margin 140 and top offset 60: the area is 1640 x
        // 740 for frames and dividers alike, and frame 0's right edge at 1039.5 + 20.5
        // half-spacing; the horizontal divider moves from 370 to 420 pixels down the area.
        const qreal cellRight = framesKept ? 920.0 / 16.4 : before.cells[0].bottomRight.x();
        const qreal cellBottom = framesKept ? 420.0 / 7.4 : before.cells[1].bottomRight.y();
        QVERIFY(qAbs(after.cells[0].bottomRight.x() - cellRight) < 1e-3);
        QVERIFY(qAbs(after.cells[1].bottomRight.y() - cellBottom) < 1e-3);
        QCOMPARE(after.cells[0].topLeft, before.cells[0].topLeft);
        const qreal lineX = dividersKept ? 920.0 / 16.4 : before.verticalLines[0].x();
        QVERIFY(qAbs(after.verticalLines[0].x() - lineX) < 1e-3);
        if (canvas == QSize(1920, 1080))
            QVERIFY(qAbs(after.horizontalLines[0].y() - 420.0 / 7.4) < 1e-3);

        // Rebuilt from the layout, the frames come back where they were dragged.
        document.clearGeometry();
        renderer.renderCollage(canvasRect(), false);
        for (qsizetype i = 0; framesKept && i < frames.size(); ++i) {
            const QRectF &rebuilt = document.frameRects[i];
            QVERIFY(qAbs(rebuilt.left() - frames[i].left()) +
                        qAbs(rebuilt.top() - frames[i].top()) +
                        qAbs(rebuilt.right() - frames[i].right()) <
                    0.01);
        }
    }

    void exportMatchesCanvas_data()
    {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<int>("dropShadow");
        QTest::newRow("shadow") << 0 << 1;
        QTest::newRow("rotated frame, no shadow") << 10 << 0;
    }

    // Export rebuilds the frames from the layout, so a dragged divider must reach it
    // through the write-back; the live document stays as it is.
    void exportMatchesCanvas()
    {
        QFETCH(int, rotation);
        QFETCH(int, dropShadow);
        useLayout(2, 0, QSize(960, 540), 40, 20);
        state().settings.dropShadow = dropShadow;
        state().currentLayout()->cells[1].rotation = rotation;
        createEmoji(QStringLiteral("\U0001F600"));
        state().document.selectedObjectId = -1;
        CollageRenderer renderer;
        renderer.renderCollage(canvasRect(), false);
        // The frames are 430 x 460: these photos fit them at a scale of exactly 0.5.
        QVERIFY(placePhoto(0, QString(), gradientPhoto(QSize(860, 920), Qt::red, Qt::blue)));
        QVERIFY(placePhoto(1, QString(), gradientPhoto(QSize(860, 920), Qt::green, Qt::black)));
        CollageDocument &document = state().document;
        document.frameRects[0].setRight(document.frameRects[0].right() + 57);
        document.frameRects[1].setLeft(document.frameRects[1].left() + 57);
        const QImage canvas = renderer.renderCollage(canvasRect(), false).copy();
        const QList<QRectF> frames = document.frameRects;

        // The shadow darkens the white background only near the frames.
        QCOMPARE(canvas.pixelColor(34, 270).lightness() < 255, dropShadow != 0);
        QCOMPARE(canvas.pixelColor(0, 270), QColor(Qt::white));
        if (rotation != 0) {
            // Turned clockwise about its centre, the frame leaves its top-left corner to
            // the background and reaches into the photo's strip left of it lower down.
            QCOMPARE(canvas.pixelColor(560, 60), QColor(Qt::white));
            QVERIFY(canvas.pixelColor(533, 420) != QColor(Qt::white));
        }

        const QImage exported = renderer.renderCollage(canvasRect(), true);
        QVERIFY(TestSupport::fuzzyEqual(canvas, exported, 2, 0.0005));
        QCOMPARE(document.frameRects, frames);
    }

    void backgroundModes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("colorMode");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<bool>("loadable");
        QTest::addColumn<PixelChecks>("pixels");
        const QColor red(Qt::red), blue(Qt::blue), none(Qt::transparent);
        const QSize wide(200, 150);
        // The picture is 40 x 20, red on its left half and blue on its right half.
        // clang-format off
        QTest::newRow("single colour") << 0 << 0 << wide << true << PixelChecks{{{199, 149}, red}};
        QTest::newRow("top to bottom") << 0 << 1 << wide << true
            << PixelChecks{{{5, 0}, red}, {{5, 149}, blue}};
        QTest::newRow("left to right") << 0 << 2 << wide << true
            << PixelChecks{{{0, 5}, red}, {{199, 5}, blue}};
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
        QImage picture = filled(QSize(40, 20), Qt::red);
        QPainter(&picture).fillRect(20, 0, 20, 20, Qt::blue);
        CanvasSettings &settings = state().settings;
        settings.backgroundType = type;
        settings.backgroundColorMode = colorMode;
        settings.backgroundColor1 = Qt::red;
        settings.backgroundColor2 = Qt::blue;
        settings.backgroundTexture = settings.backgroundImage =
            loadable ? savedPicture("picture.png", picture) : m_dir.filePath("absent.png");

        const QImage layer = CollageRenderer().renderBackground(QRect(QPoint(0, 0), canvas), false);
        QCOMPARE(layer.size(), canvas);
        checkPixels(layer, pixels, 2);
    }

    void backgroundCachedOnCanvasOnly()
    {
        useLayout(1, 0, QSize(300, 200), 20, 0);
        state().settings.dropShadow = 0;
        state().settings.backgroundColor1 = Qt::red;
        CollageRenderer renderer;
        auto corner = [&renderer](bool forExport) {
            return renderer.renderCollage(canvasRect(), forExport).pixelColor(0, 0);
        };
        QCOMPARE(corner(false), QColor(Qt::red));
        state().settings.backgroundColor1 = Qt::blue;
        QCOMPARE(corner(false), QColor(Qt::red));
        QCOMPARE(corner(true), QColor(Qt::blue));
        renderer.markBackgroundDirty();
        state().settings.backgroundColor1 = Qt::green;
        QCOMPARE(corner(true), QColor(Qt::green));
        // The export painted a background of its own and left the mark for the canvas.
        QCOMPARE(corner(false), QColor(Qt::green));
    }

    void frameBackground_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("ownColour");
        QTest::addColumn<PixelChecks>("pixels");
        // The frame spans (20, 20) to (180, 130) on a grey canvas.
        const QColor red(Qt::red), yellow(Qt::yellow), cyan(Qt::cyan), grey(Qt::gray);
        const QPoint top(100, 22), bottom(100, 128), left(22, 75), right(178, 75);
        // clang-format off
        QTest::newRow("single colour") << 0 << false
            << PixelChecks{{top, red}, {bottom, red}, {right, red}, {{10, 10}, grey}};
        QTest::newRow("top to bottom") << 1 << false << PixelChecks{{top, red}, {bottom, yellow}};
        QTest::newRow("left to right") << 2 << false << PixelChecks{{left, red}, {right, yellow}};
        QTest::newRow("frame's own colour") << 2 << true
            << PixelChecks{{left, cyan}, {right, cyan}, {{10, 10}, grey}};
        // clang-format on
    }

    void frameBackground()
    {
        QFETCH(int, mode);
        QFETCH(bool, ownColour);
        QFETCH(PixelChecks, pixels);
        plainCanvas(QSize(200, 150), 20);
        CanvasSettings &settings = state().settings;
        settings.lineWidth = 1;
        settings.frameBackgroundMode = mode;
        settings.frameBackgroundColor1 = Qt::red;
        settings.frameBackgroundColor2 = Qt::yellow;
        state().currentLayout()->cells[0].hasBackgroundColor = ownColour;
        state().currentLayout()->cells[0].backgroundColor = Qt::cyan;
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
        QTest::addColumn<int>("opacity");
        QTest::addColumn<QColor>("centre");
        QTest::newRow("opaque object over the photo") << 100 << QColor(Qt::green);
        QTest::newRow("half see-through") << 50 << QColor(128, 128, 0);
        QTest::newRow("invisible") << 0 << QColor(Qt::red);
    }

    // A green sticker over a red photo, and another sticker in the top-left corner under
    // the grey ornament.
    void layerOrder()
    {
        QFETCH(int, opacity);
        QFETCH(QColor, centre);
        plainCanvas(QSize(400, 300), 20);
        state().settings.cornerTopLeft = true;
        CollageRenderer renderer;
        renderer.setCornerOrnamentPath(savedPicture("ornament.png", filled({30, 20}, Qt::gray)));
        renderer.renderCollage(canvasRect(), false);
        QVERIFY(placePhoto(0, QString(), filled(QSize(36, 23), Qt::red)));
        const QString sticker = savedPicture("sticker.png", filled({60, 40}, Qt::green));
        createSticker(sticker);
        state().document.objects.last().opacity = opacity;
        createSticker(sticker);
        OverlayObject &cornered = state().document.objects.last();
        cornered.x = cornered.y = 0;
        cornered.rect.moveTopLeft(QPoint(0, 0));
        state().document.selectedObjectId = -1;

        const QImage image = renderer.renderCollage(canvasRect(), false);
        QUILTRA_COMPARE_PIXEL(image, QPoint(200, 150), centre, 2);
        QUILTRA_COMPARE_PIXEL(image, QPoint(100, 150), QColor(Qt::red), 0);
        QUILTRA_COMPARE_PIXEL(image, QPoint(5, 5), QColor(Qt::gray), 0);
        QUILTRA_COMPARE_PIXEL(image, QPoint(40, 30), QColor(Qt::green), 0);
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
        {
            QPainter painter(&layer);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(Qt::black, 3));
            painter.setBrush(QColor(255, 255, 255, 160));
            painter.drawRoundedRect(frame, 20, 20);
        }
        QGraphicsScene scene;
        auto *effect = new QGraphicsDropShadowEffect;
        effect->setColor(QColor(0, 0, 0, 255));
        effect->setOffset(0, 0);
        effect->setBlurRadius(20);
        scene.addPixmap(QPixmap::fromImage(layer))->setGraphicsEffect(effect);
        QImage expected = filled(size, Qt::transparent);
        QPainter painter(&expected);
        scene.render(&painter, QRectF(layer.rect()), QRectF(layer.rect()), Qt::KeepAspectRatio);
        painter.end();

        CollageRenderer renderer;
        const QImage shadow = renderer.applyDropShadow(layer, QColor(0, 0, 0, 255), 20);
        QVERIFY(TestSupport::fuzzyEqual(shadow, expected, 2));
    }

    // The ornament's red mark, in its top-left corner, must end up in every canvas corner,
    // which only mirroring achieves; nothing is drawn where no flag is set.
    void cornerOrnamentsMirrored()
    {
        QImage ornament = filled(QSize(30, 20), Qt::gray);
        QPainter(&ornament).fillRect(0, 0, 5, 5, Qt::red);
        CollageRenderer renderer;
        renderer.setCornerOrnamentPath(savedPicture("ornament.png", ornament));
        for (const bool shown : {true, false}) {
            CanvasSettings &settings = state().settings;
            settings.cornerTopLeft = settings.cornerTopRight = shown;
            settings.cornerBottomLeft = settings.cornerBottomRight = shown;
            QImage layer = filled(QSize(100, 80), Qt::transparent);
            QPainter painter(&layer);
            renderer.renderCorners(painter, layer.rect());
            painter.end();
            for (const QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 79), QPoint(99, 79)})
                QUILTRA_COMPARE_PIXEL(layer, corner,
                                      shown ? QColor(Qt::red) : QColor(Qt::transparent), 0);
        }
    }

    void rescaleOnlyWhenGeometryIsBuilt()
    {
        useLayout(2, 0, QSize(960, 540), 40, 20);
        PhotoFrame &photo = state().document.photos[0];
        photo.sourceImage = gradientPhoto(QSize(400, 300), Qt::red, Qt::blue);
        photo.scale = 0.5f;
        CollageRenderer renderer;
        auto render = [&renderer, &photo](bool forExport, bool rescaled, QSize displaySize) {
            renderer.renderCollage(canvasRect(), forExport);
            return renderer.lastRenderRescaled() == rescaled &&
                   photo.displayImage.size() == displaySize;
        };
        QVERIFY(render(false, true, QSize(200, 150)));
        photo.scale = 0.25f;
        QVERIFY(render(false, false, QSize(200, 150)));
        // Export rebuilds the geometry of its own copy; the live photo stays as it is.
        QVERIFY(render(true, true, QSize(200, 150)));
        state().document.clearGeometry();
        QVERIFY(render(false, true, QSize(100, 75)));
    }

    void hqImageArrivesOnGuiThread()
    {
        CollageHQImageThread worker(gradientPhoto(QSize(960, 540), Qt::white, Qt::blue),
                                    QSize(384, 216));
        QObject receiver;
        QThread *deliveredOn = nullptr;
        QImage delivered;
        connect(&worker, &CollageHQImageThread::hqImageReady, &receiver, [&](QImage image) {
            deliveredOn = QThread::currentThread();
            delivered = image;
        });
        worker.start();
        QTRY_VERIFY(deliveredOn);
        QVERIFY(worker.wait(5000));
        QCOMPARE(deliveredOn, qApp->thread());
        QCOMPARE(delivered.size(), QSize(384, 216));
        QUILTRA_COMPARE_PIXEL(delivered, QPoint(383, 215), QColor(Qt::blue), 8);
    }

    // No image can be this wide: the render gives up on the picture without crashing, and
    // the canvas still gets its frames for hit testing.
    void canvasTooLargeToAllocate()
    {
        for (const bool forExport : {false, true}) {
            useLayout(2, 0, QSize(70'000'000, 2000), 140, 40);
            state().document.photos[0].sourceImage = filled(QSize(40, 30), Qt::red);
            state().document.photos[0].scale = 1.0f;
            CollageRenderer renderer;
            QVERIFY(renderer.renderCollage(canvasRect(), forExport).isNull());
            QCOMPARE(state().document.frameRects.size(), forExport ? 0 : 2);
            QVERIFY(renderer.renderCollage(QRect(0, 0, -10, -10), forExport).isNull());
        }
    }
};

QUILTRA_TEST_MAIN(TestCollageRenderer)
#include "tst_collagerenderer.moc"
