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
    QLinearGradient gradient(0, 0, size.width(), size.height());
    from.setAlpha(alpha);
    to.setAlpha(alpha);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    QPainter(&image).fillRect(image.rect(), gradient);
    return image;
}

QImage transparentLayer(QSize size)
{
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    return layer;
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

    void writeBack_data()
    {
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<int>("topOffset");
        QTest::addColumn<bool>("framesKept");
        QTest::addColumn<bool>("dividersKept");
        // Odd spacing gives half-pixel insets; the top offset moves frames and dividers.
        QTest::newRow("top offset") << QSize(1920, 1080) << 60 << true << true;
        // A collage area without width or height must not put infinite or undefined
        // percentages into the layout.
        QTest::newRow("top offset takes the rest") << QSize(1920, 380) << 100 << false << false;
        QTest::newRow("width is twice the margin") << QSize(280, 1080) << 0 << false << false;
        QTest::newRow("height is twice the margin") << QSize(1920, 280) << 0 << false << false;
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
        // What dragging the vertical divider 100 pixels right and the horizontal one between
        // the right-hand frames 50 pixels down does.
        CollageDocument &document = state().document;
        QList<QRectF> &rects = document.frameRects;
        rects[0].setRight(rects[0].right() + 100);
        rects[1].adjust(100, 0, 0, 50);
        rects[2].adjust(100, 50, 0, 0);
        document.verticalDividers[0].translate(100, 0);
        document.horizontalDividers[0].adjust(100, 50, 0, 50);
        const QList<QRectF> frames = document.frameRects;
        const QList<QRectF> dividers = document.horizontalDividers + document.verticalDividers;
        renderer.renderCollage(canvasRect(), false);
        const LayoutTemplate &after = *state().currentLayout();
        for (qsizetype i = 0; !framesKept && i < before.cells.size(); ++i) {
            QCOMPARE(after.cells[i].topLeft, before.cells[i].topLeft);
            QCOMPARE(after.cells[i].bottomRight, before.cells[i].bottomRight);
        }
        const QList<QRectF> lines = after.horizontalLines + after.verticalLines;
        const QList<QRectF> linesBefore = before.horizontalLines + before.verticalLines;
        for (qsizetype i = 0; !dividersKept && i < lines.size(); ++i)
            QVERIFY(near(lines[i], linesBefore[i], 1e-4));

        document.clearGeometry();
        renderer.renderCollage(canvasRect(), false);
        const QList<QRectF> rebuilt = document.horizontalDividers + document.verticalDividers;
        for (qsizetype i = 0; framesKept && i < frames.size(); ++i)
            QVERIFY(near(document.frameRects[i], frames[i]));
        for (qsizetype i = 0; dividersKept && i < dividers.size(); ++i)
            QVERIFY(near(rebuilt[i], dividers[i]));
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
        const qint64 displayKey = document.photos[0].displayImage.cacheKey();

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
        QCOMPARE(document.photos[0].displayImage.cacheKey(), displayKey);

        // Drawing an object records where it went; export does that on its copy only.
        OverlayObject &emoji = document.objects.first();
        const QRectF bounds = emoji.bounds;
        emoji.rotation = 45.0f;
        renderer.renderCollage(canvasRect(), true);
        QCOMPARE(document.objects.first().bounds, bounds);
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
            const QRgb actual = layer.pixel(point);
            const int distance = std::max(
                {std::abs(qRed(actual) - color.red()), std::abs(qGreen(actual) - color.green()),
                 std::abs(qBlue(actual) - color.blue()), std::abs(qAlpha(actual) - color.alpha())});
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
        // What the toolkit's own drop-shadow effect makes of the layer.
        QGraphicsScene scene;
        auto *effect = new QGraphicsDropShadowEffect;
        effect->setColor(QColor(0, 0, 0, 255));
        effect->setOffset(0, 0);
        effect->setBlurRadius(20);
        scene.addPixmap(QPixmap::fromImage(layer))->setGraphicsEffect(effect);
        QImage expected = transparentLayer(size);
        QPainter painter(&expected);
        scene.render(&painter, QRectF(layer.rect()), QRectF(layer.rect()), Qt::KeepAspectRatio);
        painter.end();

        CollageRenderer renderer;
        const QImage shadow = renderer.applyDropShadow(layer, QColor(0, 0, 0, 255), 20);
        QVERIFY(TestSupport::fuzzyEqual(shadow, expected, 2));
    }

    void cornerOrnaments_data()
    {
        QTest::addColumn<QString>("flags"); // top left, top right, bottom left, bottom right
        QTest::addColumn<QList<QPoint>>("marked");
        QTest::addColumn<QList<QPoint>>("unmarked");
        // A 100 x 80 canvas. Unmarked: where the mark would be were the ornament only moved.
        const QPoint topLeft(0, 0), topRight(99, 0), bottomLeft(0, 79), bottomRight(99, 79);
        // clang-format off
        QTest::newRow("top left as drawn") << "1000" << QList{topLeft}
            << QList{topRight, bottomLeft};
        QTest::newRow("top right mirrored") << "0100" << QList{topRight}
            << QList{topLeft, QPoint(70, 0)};
        QTest::newRow("bottom left mirrored") << "0010" << QList{bottomLeft}
            << QList{QPoint(0, 60)};
        QTest::newRow("bottom right mirrored both ways") << "0001" << QList{bottomRight}
            << QList{QPoint(70, 60), QPoint(99, 60), QPoint(70, 79)};
        QTest::newRow("all four") << "1111" << QList{topLeft, topRight, bottomLeft, bottomRight}
            << QList{QPoint(50, 40)};
        // clang-format on
    }

    void cornerOrnaments()
    {
        QFETCH(QString, flags);
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
        settings.cornerTopLeft = flags[0] == '1';
        settings.cornerTopRight = flags[1] == '1';
        settings.cornerBottomLeft = flags[2] == '1';
        settings.cornerBottomRight = flags[3] == '1';

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
        QTest::newRow("hairline, fraction") << QPointF(60.4, 49.6) << 0.f << 0 << 255 << 0;
        QTest::newRow("overflowing the canvas") << QPointF(-40, -30) << 0.f << 0 << 255 << 3;
        QTest::newRow("turned photo and frame") << QPointF(60, 50) << 30.7f << 15 << 255 << 0;
        QTest::newRow("translucent photo") << QPointF(60, 50) << 0.f << 0 << 120 << 3;
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
        auto frameLayer = [&renderer, &path, &photo, &picture](bool throughScratch) {
            QImage layer = transparentLayer(QSize(400, 300));
            QPainter painter(&layer);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.applyFrameStyle(painter, path);
            painter.drawPath(path);
            if (!throughScratch) {
                renderer.drawPhotoInFrame(painter, photo, path, false);
                painter.end();
                return layer;
            }
            QImage scratch(layer.size(), QImage::Format_ARGB32);
            scratch.fill(qRgba(255, 255, 255, 0));
            QPainter scratchPainter(&scratch);
            scratchPainter.setClipPath(path);
            const QTransform turn = QTransform().rotate(std::trunc(photo.angle));
            scratchPainter.drawImage(photo.position + QPointF(0, 30),
                                     picture.transformed(turn, Qt::SmoothTransformation));
            scratchPainter.end();
            painter.drawImage(0, 0, scratch);
            painter.setBrush(Qt::transparent);
            painter.drawPath(path);
            painter.end();
            return layer;
        };
        QCOMPARE(TestSupport::maxChannelDifference(frameLayer(false), frameLayer(true)), 0);
    }

    void hqImageArrivesOnGuiThread()
    {
        const QImage full = gradientPhoto(QSize(960, 540), Qt::white, Qt::darkMagenta);
        CollageHQImageThread worker(full, QSize(384, 216));
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
        QCOMPARE(delivered, full.scaled(384, 216, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
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
