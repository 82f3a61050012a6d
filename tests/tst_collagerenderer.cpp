#include "CollageHQImageThread.h"
#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QGraphicsDropShadowEffect>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>

namespace {

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

bool near(const QRectF &a, const QRectF &b, qreal tolerance = 0.01)
{
    const QPointF d1 = a.topLeft() - b.topLeft();
    const QPointF d2 = a.bottomRight() - b.bottomRight();
    return std::max({std::abs(d1.x()), std::abs(d1.y()), std::abs(d2.x()), std::abs(d2.y())}) <
           tolerance;
}

QImage gradientPhoto(QSize size, QColor from, QColor to, int alpha = 255)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    from.setAlpha(alpha);
    to.setAlpha(alpha);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    painter.fillRect(image.rect(), gradient);
    return image;
}

QImage transparentLayer(QSize size)
{
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    return layer;
}

// What the toolkit's own drop-shadow effect makes of image.
QImage graphicsEffectShadow(const QImage &image)
{
    QGraphicsScene scene;
    QGraphicsPixmapItem *item = scene.addPixmap(QPixmap::fromImage(image));
    auto *effect = new QGraphicsDropShadowEffect;
    effect->setColor(QColor(0, 0, 0, 255));
    effect->setOffset(0, 0);
    effect->setBlurRadius(20);
    item->setGraphicsEffect(effect);
    QImage out = transparentLayer(image.size());
    QPainter painter(&out);
    scene.render(&painter, QRectF(image.rect()), QRectF(image.rect()), Qt::KeepAspectRatio);
    return out;
}

using PixelChecks = QList<std::pair<QPoint, QColor>>;

} // namespace

class TestCollageRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
        state().settings.cornerTopLeft = false;
        state().settings.cornerBottomRight = false;
    }

    void movedFrameSurvivesRebuild_data()
    {
        QTest::addColumn<int>("photos");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<int>("topOffset");
        QTest::newRow("halves") << 2 << QSize(1920, 1080) << 40 << 0;
        QTest::newRow("thirds, odd spacing, top offset") << 3 << QSize(1920, 1080) << 41 << 60;
        QTest::newRow("portrait paper") << 3 << QSize(2550, 3300) << 0 << 0;
    }

    void movedFrameSurvivesRebuild()
    {
        QFETCH(int, photos);
        QFETCH(QSize, canvas);
        QFETCH(int, spacing);
        QFETCH(int, topOffset);
        useLayout(photos, 0, canvas, 140, spacing, topOffset);
        CollageRenderer renderer;
        renderer.renderCollage(canvasRect(), false);
        // What dragging the first divider 100 pixels to the right does.
        CollageDocument &document = state().document;
        document.frameRects[0].setRight(document.frameRects[0].right() + 100);
        document.frameRects[1].setLeft(document.frameRects[1].left() + 100);
        document.verticalDividers[0].translate(100, 0);
        const QList<QRectF> frames = document.frameRects;
        const QRectF divider = document.verticalDividers[0];
        renderer.renderCollage(canvasRect(), false);

        document.clearGeometry();
        renderer.renderCollage(canvasRect(), false);
        QCOMPARE(document.frameRects.size(), frames.size());
        for (qsizetype i = 0; i < frames.size(); ++i)
            QVERIFY(near(document.frameRects[i], frames[i]));
        QVERIFY(near(document.verticalDividers[0], divider));
    }

    void exportMatchesCanvas_data()
    {
        QTest::addColumn<bool>("dragged");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<int>("dropShadow");
        QTest::newRow("as laid out") << false << 0 << 1;
        QTest::newRow("dragged divider") << true << 0 << 1;
        QTest::newRow("rotated frame, no shadow") << true << 10 << 0;
    }

    void exportMatchesCanvas()
    {
        QFETCH(bool, dragged);
        QFETCH(int, rotation);
        QFETCH(int, dropShadow);
        useLayout(2, 0, QSize(960, 540), 40, 20);
        state().settings.dropShadow = dropShadow;
        state().currentLayout()->cells[1].rotation = rotation;
        CollageRenderer renderer;
        renderer.renderCollage(canvasRect(), false);
        // The frames are 430 x 460: these photos fit them at a scale of exactly 0.5.
        QVERIFY(placePhoto(0, QString(), gradientPhoto(QSize(860, 920), Qt::red, Qt::blue)));
        QVERIFY(placePhoto(1, QString(), gradientPhoto(QSize(860, 920), Qt::green, Qt::black)));
        CollageDocument &document = state().document;
        if (dragged) {
            document.frameRects[0].setRight(document.frameRects[0].right() + 57);
            document.frameRects[1].setLeft(document.frameRects[1].left() + 57);
        }
        const QImage canvas = renderer.renderCollage(canvasRect(), false).copy();
        const QList<QRectF> frames = document.frameRects;
        const qint64 displayKey = document.photos[0].displayImage.cacheKey();

        const QImage exported = renderer.renderCollage(canvasRect(), true);
        QVERIFY(TestSupport::fuzzyEqual(canvas, exported, 2, 0.0005));
        QCOMPARE(document.frameRects, frames);
        QCOMPARE(document.photos[0].displayImage.cacheKey(), displayKey);
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
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("picture.png"));
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QPainter(&picture).fillRect(20, 0, 20, 20, Qt::blue);
        QVERIFY(loadable ? picture.save(path) : QFile(path).open(QIODevice::WriteOnly));
        CanvasSettings &settings = state().settings;
        settings.backgroundType = type;
        settings.backgroundColorMode = colorMode;
        settings.backgroundColor1 = Qt::red;
        settings.backgroundColor2 = Qt::blue;
        settings.backgroundTexture = settings.backgroundImage = path;

        const QImage layer = CollageRenderer().renderBackground(QRect(QPoint(0, 0), canvas), false);
        QCOMPARE(layer.size(), canvas);
        for (const auto &[point, color] : pixels) {
            const QColor actual = layer.pixelColor(point);
            const int distance = std::max(
                {std::abs(actual.red() - color.red()), std::abs(actual.green() - color.green()),
                 std::abs(actual.blue() - color.blue()), std::abs(actual.alpha() - color.alpha())});
            QVERIFY2(distance <= 2,
                     qPrintable(QStringLiteral("%1, %2").arg(point.x()).arg(point.y())));
        }
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

    void shadowMatchesGraphicsEffect_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRectF>("frame");
        QTest::newRow("collage") << QSize(960, 540) << QRectF(40, 40, 880, 460);
        QTest::newRow("frame against the border") << QSize(400, 300) << QRectF(0, 5, 300, 295);
        QTest::newRow("odd size") << QSize(301, 157) << QRectF(30.5, 15.5, 150, 110);
        QTest::newRow("small") << QSize(30, 20) << QRectF(5, 5, 10, 10);
    }

    void shadowMatchesGraphicsEffect()
    {
        QFETCH(QSize, size);
        QFETCH(QRectF, frame);
        QImage layer = transparentLayer(size);
        {
            QPainter painter(&layer);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(Qt::black, 3));
            painter.setBrush(QColor(255, 255, 255, 160));
            painter.drawRoundedRect(frame, 20, 20);
        }
        CollageRenderer renderer;
        const QImage shadow = renderer.applyDropShadow(layer, QColor(0, 0, 0, 255), 20);
        QVERIFY(TestSupport::fuzzyEqual(shadow, graphicsEffectShadow(layer), 2));
    }

    void shadowDarkensOnlyNearFrames_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<bool>("darker");
        // The single frame covers (100, 100) to (500, 300).
        QTest::newRow("left of the frame") << QPoint(94, 200) << true;
        QTest::newRow("below the frame") << QPoint(300, 306) << true;
        QTest::newRow("far from it") << QPoint(30, 30) << false;
        QTest::newRow("far below") << QPoint(300, 370) << false;
    }

    void shadowDarkensOnlyNearFrames()
    {
        QFETCH(QPoint, point);
        QFETCH(bool, darker);
        useLayout(1, 0, QSize(600, 400), 100, 0);
        state().settings.roundCorners = 0;
        CollageRenderer renderer;
        state().settings.dropShadow = 0;
        const QColor plain = renderer.renderCollage(canvasRect(), false).pixelColor(point);
        state().settings.dropShadow = 1;
        const QColor shadowed = renderer.renderCollage(canvasRect(), false).pixelColor(point);
        QCOMPARE(plain, QColor(Qt::white));
        QCOMPARE(shadowed.lightness() < plain.lightness(), darker);
    }

    void cornerOrnaments_data()
    {
        QTest::addColumn<QList<bool>>("flags");
        QTest::addColumn<QList<QPoint>>("marked");
        QTest::addColumn<QList<QPoint>>("unmarked");
        // A 100 x 80 canvas. Unmarked: where the mark would be were the ornament only moved.
        const QPoint topLeft(0, 0), topRight(99, 0), bottomLeft(0, 79), bottomRight(99, 79);
        // clang-format off
        QTest::newRow("top left as drawn") << QList{true, false, false, false} << QList{topLeft}
            << QList{topRight, bottomLeft};
        QTest::newRow("top right mirrored") << QList{false, true, false, false} << QList{topRight}
            << QList{topLeft, QPoint(70, 0)};
        QTest::newRow("bottom left mirrored") << QList{false, false, true, false} << QList{bottomLeft}
            << QList{QPoint(0, 60)};
        QTest::newRow("bottom right mirrored both ways") << QList{false, false, false, true}
            << QList{bottomRight} << QList{QPoint(70, 60), QPoint(99, 60), QPoint(70, 79)};
        QTest::newRow("all four") << QList{true, true, true, true}
            << QList{topLeft, topRight, bottomLeft, bottomRight} << QList{QPoint(50, 40)};
        // clang-format on
    }

    void cornerOrnaments()
    {
        QFETCH(QList<bool>, flags);
        QFETCH(QList<QPoint>, marked);
        QFETCH(QList<QPoint>, unmarked);
        // A 30 x 20 grey ornament with a red mark in its top-left corner.
        QTemporaryDir dir;
        QImage ornament(30, 20, QImage::Format_ARGB32);
        ornament.fill(Qt::gray);
        QPainter(&ornament).fillRect(0, 0, 5, 5, Qt::red);
        const QString path = dir.filePath(QStringLiteral("ornament.png"));
        QVERIFY(ornament.save(path));
        CanvasSettings &settings = state().settings;
        settings.cornerTopLeft = flags[0];
        settings.cornerTopRight = flags[1];
        settings.cornerBottomLeft = flags[2];
        settings.cornerBottomRight = flags[3];

        CollageRenderer renderer;
        auto draw = [&renderer](const QString &ornamentPath) {
            renderer.setCornerOrnamentPath(ornamentPath);
            QImage layer = transparentLayer(QSize(100, 80));
            QPainter painter(&layer);
            renderer.renderCorners(painter, layer.rect());
            return layer;
        };
        const QImage layer = draw(path);
        for (const QPoint &point : marked)
            QCOMPARE(layer.pixelColor(point), QColor(Qt::red));
        for (const QPoint &point : unmarked)
            QVERIFY(layer.pixelColor(point) != QColor(Qt::red));
        QCOMPARE(draw(dir.filePath(QStringLiteral("missing.svg"))).pixelColor(marked[0]).alpha(),
                 0);
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

    void photoDrawnAsThroughScratchImage_data()
    {
        QTest::addColumn<QPointF>("position");
        QTest::addColumn<float>("angle");
        QTest::addColumn<int>("frameRotation");
        QTest::addColumn<int>("alpha");
        QTest::addColumn<int>("lineWidth");
        QTest::newRow("hairline outline") << QPointF(60, 50) << 0.0f << 0 << 255 << 0;
        QTest::newRow("overflowing the canvas") << QPointF(-40, -30) << 0.0f << 0 << 255 << 3;
        QTest::newRow("fractional position") << QPointF(60.4, 49.6) << 0.0f << 0 << 255 << 0;
        QTest::newRow("turned photo and frame") << QPointF(60, 50) << 30.7f << 15 << 255 << 0;
        QTest::newRow("translucent photo") << QPointF(60, 50) << 0.0f << 0 << 120 << 3;
    }

    // Photos are drawn straight onto the frames layer; the pixels must be those that
    // painting into a transparent scratch image and composing it would give.
    void photoDrawnAsThroughScratchImage()
    {
        QFETCH(QPointF, position);
        QFETCH(float, angle);
        QFETCH(int, frameRotation);
        QFETCH(int, alpha);
        QFETCH(int, lineWidth);
        state().settings.lineWidth = lineWidth;
        state().settings.topOffset = 30;
        const QImage picture = gradientPhoto(QSize(300, 200), Qt::red, Qt::cyan, alpha);
        PhotoFrame photo{QString(), picture, picture, picture.size(), position, 1.0f, angle};
        QPainterPath path;
        path.addRoundedRect(QRectF(50, 40, 200, 150), 20, 20);
        path = QTransform().rotate(frameRotation).map(path);
        CollageRenderer renderer;
        auto frameLayer = [&renderer, &path](QPainter &painter, QImage &layer) {
            layer = transparentLayer(QSize(400, 300));
            painter.begin(&layer);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.applyFrameStyle(painter, path);
            painter.drawPath(path);
        };
        QPainter painter;
        QImage direct;
        frameLayer(painter, direct);
        renderer.drawPhotoInFrame(painter, photo, path, false);
        painter.end();

        QImage composed;
        frameLayer(painter, composed);
        QImage scratch(composed.size(), QImage::Format_ARGB32);
        scratch.fill(qRgba(255, 255, 255, 0));
        QPainter scratchPainter(&scratch);
        scratchPainter.setClipPath(path);
        scratchPainter.drawImage(
            position + QPointF(0, 30),
            picture.transformed(QTransform().rotate(std::trunc(angle)), Qt::SmoothTransformation));
        scratchPainter.end();
        painter.drawImage(0, 0, scratch);
        painter.setBrush(Qt::transparent);
        painter.drawPath(path);
        painter.end();
        QCOMPARE(TestSupport::maxChannelDifference(direct, composed), 0);
    }

    void hqImageArrivesOnGuiThread_data()
    {
        QTest::addColumn<QSize>("scaledSize");
        QTest::newRow("zoom 40") << QSize(384, 216);
        QTest::newRow("zoom 100") << QSize(960, 540);
        QTest::newRow("nothing to show") << QSize(0, 0);
    }

    void hqImageArrivesOnGuiThread()
    {
        QFETCH(QSize, scaledSize);
        const QImage full = gradientPhoto(QSize(960, 540), Qt::white, Qt::darkMagenta);
        CollageHQImageThread worker(full, scaledSize);
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
        const QImage expected =
            scaledSize.isEmpty()
                ? QImage()
                : full.scaled(scaledSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QCOMPARE(delivered, expected);
    }

    // A collage area without width or height must not put infinite or undefined
    // percentages into the layout.
    void collapsedAreaLeavesLayoutAlone_data()
    {
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<int>("topOffset");
        QTest::addColumn<bool>("dividersCollapse");
        QTest::newRow("width is twice the margin") << QSize(280, 1080) << 0 << true;
        QTest::newRow("height is twice the margin") << QSize(1920, 280) << 0 << true;
        QTest::newRow("top offset takes the rest") << QSize(1920, 380) << 100 << false;
        QTest::newRow("narrower than the margins") << QSize(200, 1080) << 0 << true;
    }

    void collapsedAreaLeavesLayoutAlone()
    {
        QFETCH(QSize, canvas);
        QFETCH(int, topOffset);
        QFETCH(bool, dividersCollapse);
        useLayout(3, 2, canvas, 140, 40, topOffset);
        const LayoutTemplate before = *state().currentLayout();
        CollageRenderer renderer;
        renderer.renderCollage(canvasRect(), false);
        state().document.frameRects[0].translate(5, 5);
        if (dividersCollapse)
            state().document.horizontalDividers[0].translate(5, 5);
        renderer.renderCollage(canvasRect(), false);
        const LayoutTemplate &after = *state().currentLayout();
        for (qsizetype i = 0; i < before.cells.size(); ++i) {
            QCOMPARE(after.cells[i].topLeft, before.cells[i].topLeft);
            QCOMPARE(after.cells[i].bottomRight, before.cells[i].bottomRight);
        }
        QVERIFY(near(after.horizontalLines[0], before.horizontalLines[0], 1e-4));
        QVERIFY(near(after.verticalLines[0], before.verticalLines[0], 1e-4));
    }

    void canvasTooLargeToAllocate_data()
    {
        QTest::addColumn<bool>("forExport");
        QTest::newRow("canvas") << false;
        QTest::newRow("export") << true;
    }

    // No image can be this wide: the render gives up on the picture without crashing, and
    // the canvas still gets its frames for hit testing.
    void canvasTooLargeToAllocate()
    {
        QFETCH(bool, forExport);
        useLayout(2, 0, QSize(70'000'000, 2000), 140, 40);
        state().document.photos[0].sourceImage = gradientPhoto(QSize(40, 30), Qt::red, Qt::blue);
        state().document.photos[0].scale = 1.0f;
        CollageRenderer renderer;
        QVERIFY(renderer.renderCollage(canvasRect(), forExport).isNull());
        QCOMPARE(state().document.frameRects.size(), forExport ? 0 : 2);
        QVERIFY(renderer.renderCollage(QRect(0, 0, -10, -10), forExport).isNull());
    }
};

QUILTRA_TEST_MAIN(TestCollageRenderer)
#include "tst_collagerenderer.moc"
