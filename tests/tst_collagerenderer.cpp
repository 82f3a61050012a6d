#include "CollageRenderer.h"
#include "CollageState.h"
#include "ImageFilter.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <optional>

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

// Black and white alternating pixel by pixel (phase x + y, x or y): the finest detail an
// image can hold, which nearest-neighbour sampling turns into solid areas or moire.
QImage finePattern(QSize size, int xStep, int yStep)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, (x * xStep + y * yStep) % 2 ? 0xffffffffu : 0xff000000u);
    }
    return image;
}

// Draws photo in one frame of the given size inside margin, with the one-pixel outline of
// line width 0 over a white frame background.
QImage renderSingleFrame(QSize frame, int margin, const QImage &photo, bool forExport,
                         float angle = 0, QPointF pan = {})
{
    plainCanvas(frame.grownBy(QMargins(margin, margin, margin, margin)), margin);
    settings().lineWidth = 0;
    settings().backgroundColor1 = settings().frameBackgroundColor1 = Qt::white;
    CollageRenderer renderer;
    renderer.buildGeometry(canvasRect());
    if (!placePhoto(0, QString(), photo))
        return {};
    state().document.photos[0].angle = angle;
    state().document.photos[0].position += pan;
    return renderer.renderCollage(canvasRect(), forExport).copy();
}

// Settings for one look of a plain canvas, and what it must show.
struct Look
{
    QSize canvas{200, 150};
    int topOffset = 0;
    int backgroundType = 0;
    bool loadable = true;
    int frameMode = 0;
    bool ownColour = false;
    int rotation = 0;
    std::optional<QPointF> photoAt = {};
    float angle = 0.0f;
    int stickerOpacity = -1; // a green sticker in the middle, another under the ornament
    bool allCorners = false;
    bool forExport = false;
    PixelChecks pixels = {};
};

// A busy collage: striped photos (a band or photo drawn a row off shows), rounded frames,
// a gradient behind, ornaments, and a see-through sticker, a label and an emoji placed
// across the band edges.
struct Scene
{
    int count = 4;
    bool triangles = false;
    int rotation = 0;
    QSize canvas{720, 560};
    bool shadow = true;
    int bandRows = 64;
    int topOffset = 0;
};

void busyCollage(const Scene &scene)
{
    const auto &layouts = state().layoutCatalogue[size_t(scene.count - 1)];
    const auto layout = std::ranges::find_if(layouts, [&scene](const LayoutTemplate &l) {
        return (l.cells.first().kind == LayoutCell::Triangle) == scene.triangles;
    });
    QVERIFY(layout != layouts.end());
    useLayout(scene.count, int(layout - layouts.begin()), scene.canvas, 30, 14, scene.topOffset);
    settings().roundCorners = 12;
    settings().lineWidth = 2;
    settings().dropShadow = scene.shadow ? 1 : 0;
    settings().backgroundColorMode = 1;
    settings().backgroundColor2 = QColor(40, 90, 160);
    for (LayoutCell &cell : state().currentLayout()->cells)
        cell.rotation = scene.rotation ? scene.rotation : cell.rotation;
    CollageRenderer().buildGeometry(canvasRect());
    for (int slot = 0; slot < scene.count; ++slot) {
        QImage photo = filled(QSize(900, 700), QColor::fromHsv(slot * 60, 200, 220));
        QPainter painter(&photo);
        for (int y = 0; y < photo.height(); y += 6)
            painter.fillRect(QRect(0, y, photo.width(), 2), Qt::darkBlue);
        painter.end();
        QVERIFY(placePhoto(slot, QString(), photo));
    }
    static const QTemporaryDir dir;
    const QString stickerPath = dir.filePath(QStringLiteral("sticker.png"));
    QVERIFY(filled(QSize(120, 90), QColor(200, 30, 30, 160)).save(stickerPath));
    createSticker(stickerPath);
    createLabel();
    createEmoji(QStringLiteral("\U0001F600"));
    for (qsizetype i = 0; i < state().document.objects.size(); ++i) {
        OverlayObject &object = state().document.objects[i];
        object.x = 60.0 + 150.0 * i;
        object.y = 40.0 + 95.0 * i;
        object.rotation = 20.0f * float(i);
        if (object.kind == Label)
            updateLabelBox(&object);
    }
    state().document.selectedObjectId = -1;
}

// One frame filling a grey 200 x 150 canvas, outlined one pixel wide, without shadow or
// ornaments, showing a red photo that fits it exactly.
void plainCollage()
{
    plainCanvas(QSize(200, 150), 0);
    settings().lineWidth = 1;
    settings().frameBackgroundColor1 = Qt::yellow;
    CollageRenderer().buildGeometry(canvasRect());
    QVERIFY(placePhoto(0, QString(), filled(QSize(400, 300), Qt::red)));
}

using Edit = std::function<void(CollageRenderer &)>;

// Edits as the canvas and the side bar make them to the live document.
QList<std::pair<const char *, Edit>> edits()
{
    // State is global, so the edits capture nothing.
    static CollageDocument &document = state().document;
    static CanvasSettings &settings = state().settings;
    return {
        {"object moved", [](auto &) { document.objects.first().x += 37; }},
        {"photo panned", [](auto &) { document.photos[1].position += QPointF(-23, 17); }},
        {"photo zoomed",
         [](auto &) {
             PhotoFrame &photo = document.photos[1];
             photo.scale *= 1.25f;
             photo.displaySize = (QSizeF(photo.sourceImage.size()) * photo.scale).toSize();
             photo.displayImage = filteredScale(photo.sourceImage, photo.displaySize);
         }},
        {"photo turned", [](auto &) { document.photos[1].angle += 7.0f; }},
        {"divider dragged",
         [](auto &) {
             document.frameRects[0].adjust(0, 0, 31, 0);
             document.frameRects[1].adjust(31, 0, 0, 0);
         }},
        {"background",
         [](CollageRenderer &renderer) {
             settings.backgroundColor1 = Qt::darkGreen;
             renderer.markBackgroundDirty();
         }},
        {"line width", [](auto &) { settings.lineWidth = 6; }},
        {"corner ornament", [](auto &) { settings.cornerTopRight = true; }},
    };
}

} // namespace

Q_DECLARE_METATYPE(Look)
Q_DECLARE_METATYPE(Scene)
Q_DECLARE_METATYPE(Edit)

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

    void looks_data()
    {
        QTest::addColumn<Look>("look");
        const QColor red(220, 30, 40), blue(30, 60, 200), none(Qt::transparent);
        const QColor leaf(40, 160, 90), yellow(250, 220, 40), black(Qt::black), cyan(Qt::cyan);
        // The 200 x 150 canvas has a margin of 20 around its frame, outlined 3 pixels wide.
        // The background picture is 40 x 20, red on its left half and blue on its right.
        const QPoint left(23, 75), right(177, 75);
        // clang-format off
        QTest::newRow("texture on a landscape canvas: width, strip below") << Look{.backgroundType = 1,
            .pixels = {{{10, 10}, red}, {{190, 90}, blue}, {{100, 145}, none}}};
        QTest::newRow("texture on a square canvas: width") << Look{.canvas = {150, 150}, .backgroundType = 1,
            .pixels = {{{140, 70}, blue}, {{10, 100}, none}}};
        QTest::newRow("image on a portrait canvas: height, cut at the right") << Look{.canvas = {100, 200},
            .backgroundType = 2, .pixels = {{{99, 0}, red}, {{10, 199}, red}}};
        QTest::newRow("unloadable texture stays transparent") << Look{.backgroundType = 1, .loadable = false,
            .pixels = {{{0, 0}, none}, {{199, 149}, none}}};
        QTest::newRow("frame left to right") << Look{.frameMode = 2, .pixels = {{left, leaf}, {right, yellow}}};
        QTest::newRow("frame's own colour") << Look{.frameMode = 2, .ownColour = true,
            .pixels = {{left, cyan}, {right, cyan}, {{10, 10}, red}}};
        // Turned 10 degrees clockwise about (100, 75), the frame's top edge runs from
        // (30.8, 7.0) to (188.3, 34.7), its bottom edge from (11.7, 115.3) to (169.2, 143.1).
        QTest::newRow("frame turned clockwise") << Look{.rotation = 10,
            .pixels = {{{40, 15}, leaf}, {{160, 25}, red}, {{150, 135}, leaf}, {{100, 75}, leaf}}};
        // With a top offset of 30 on 400 x 300 the frame spans (20, 50) to (380, 280). The
        // photo is 100 x 60 blue, drawn 30 pixels below its stored position.
        QTest::newRow("photo shifted by the top offset") << Look{.canvas = {400, 300}, .topOffset = 30,
            .photoAt = QPointF(60, 40), .pixels = {{{110, 100}, blue}, {{110, 66}, leaf}, {{110, 133}, leaf}}};
        QTest::newRow("photo cut at the frame, outline over it") << Look{.canvas = {400, 300}, .topOffset = 30,
            .photoAt = QPointF(-50, 0), .pixels = {{{30, 60}, blue}, {{10, 60}, red}, {{30, 45}, red}, {{20, 70}, black}}};
        QTest::newRow("photo turned by whole degrees") << Look{.canvas = {400, 300}, .topOffset = 30,
            .photoAt = QPointF(60, 40), .angle = 90.9f, .pixels = {{{110, 160}, blue}, {{150, 100}, leaf}}};
        // The photo spans (150, 120) to (250, 180), the sticker (170, 130) to (230, 170); the
        // grey 30 x 20 ornament covers the top-left one.
        const QColor green(Qt::green), ornament(Qt::gray);
        const Look layers{.canvas = {400, 300}, .photoAt = QPointF(150, 120), .stickerOpacity = 100,
            .pixels = {{{200, 150}, green}, {{160, 125}, blue}, {{10, 10}, ornament}, {{40, 30}, green}}};
        QTest::newRow("object over the photo, ornament over the object") << layers;
        Look look = layers;
        look.forExport = true;
        QTest::newRow("exported: object over the photo, ornament over the object") << look;
        QTest::newRow("object invisible") << Look{.canvas = {400, 300}, .photoAt = QPointF(150, 120),
            .stickerOpacity = 0, .pixels = {{{200, 150}, blue}}};
        // The ornament's magenta mark, in its top-left corner, reaches every canvas corner
        // only when mirrored; the rows above show none where no flag is set.
        const QColor mark(Qt::magenta);
        QTest::newRow("ornaments mirrored into the corners") << Look{.allCorners = true,
            .pixels = {{{0, 0}, mark}, {{199, 0}, mark}, {{0, 149}, mark}, {{199, 149}, mark}}};
        // clang-format on
    }

    // What the settings make of the background, the frame and the photo in it.
    void looks()
    {
        QFETCH(Look, look);
        plainCanvas(look.canvas, 20, look.topOffset);
        QImage picture = filled(QSize(40, 20), QColor(220, 30, 40));
        QPainter(&picture).fillRect(20, 0, 20, 20, QColor(30, 60, 200));
        settings().backgroundType = look.backgroundType;
        settings().backgroundColor1 = QColor(220, 30, 40);
        settings().backgroundColor2 = QColor(30, 60, 200);
        settings().backgroundTexture = settings().backgroundImage =
            look.loadable ? saved("picture.png", picture) : m_dir.filePath("absent.png");
        settings().frameBackgroundMode = look.frameMode;
        settings().frameBackgroundColor1 = QColor(40, 160, 90);
        settings().frameBackgroundColor2 = QColor(250, 220, 40);
        LayoutCell &cell = state().currentLayout()->cells[0];
        cell.hasBackgroundColor = look.ownColour;
        cell.backgroundColor = Qt::cyan;
        cell.rotation = look.rotation;
        const QImage photo = filled(QSize(100, 60), QColor(30, 60, 200));
        if (look.photoAt)
            state().document.photos[0] = {QString(),     photo, photo,     photo.size(),
                                          *look.photoAt, 1.0f,  look.angle};
        CollageRenderer renderer;
        QImage ornament = filled(QSize(30, 20), Qt::gray);
        QPainter(&ornament).fillRect(0, 0, 5, 5, Qt::magenta);
        renderer.setCornerOrnamentPath(saved("ornament.png", ornament));
        settings().cornerTopLeft = settings().cornerTopRight = look.allCorners;
        settings().cornerBottomLeft = settings().cornerBottomRight = look.allCorners;
        if (look.stickerOpacity >= 0) {
            settings().cornerTopLeft = true;
            const QString sticker = saved("sticker.png", filled({60, 40}, Qt::green));
            createSticker(sticker);
            state().document.objects.last().opacity = look.stickerOpacity;
            createSticker(sticker);
            OverlayObject &cornered = state().document.objects.last();
            cornered.x = cornered.y = 0;
            cornered.rect.moveTopLeft(QPoint(0, 0));
            state().document.selectedObjectId = -1;
        }
        checkPixels(renderer.renderCollage(canvasRect(), look.forExport), look.pixels, 12);
    }

    // No image can be this wide: the render gives up on the picture without crashing, and
    // the canvas still gets its frames for hit testing.
    // The shadow lies around the frame, evenly on every side, fading with the distance,
    // and never on the frame itself.
    void shadowAroundTheFrame()
    {
        plainCanvas(QSize(200, 150), 20);
        settings().backgroundColor1 = QColor(220, 30, 40);
        settings().dropShadow = 1;
        CollageRenderer renderer;
        const QImage shadowed = renderer.renderCollage(canvasRect(), true).copy();
        settings().dropShadow = 0;
        const QImage plain = renderer.renderCollage(canvasRect(), true).copy();
        const auto darkening = [&](int x, int y) {
            return qRed(plain.pixel(x, y)) - qRed(shadowed.pixel(x, y));
        };
        // The frame spans (20, 20) to (179, 129); the shadow fades over a dozen pixels.
        const QList<int> fading{darkening(17, 75), darkening(12, 75), darkening(8, 75)};
        QVERIFY2(fading[0] >= 40 && fading[1] >= 10 && fading[1] < fading[0] &&
                     fading[2] < fading[1] && darkening(1, 75) <= fading[2],
                 qPrintable(QString::number(fading[0]) + ' ' + QString::number(fading[1]) + ' ' +
                            QString::number(fading[2])));
        QVERIFY(std::abs(darkening(17, 75) - darkening(182, 75)) <= 2);
        QVERIFY(std::abs(darkening(100, 17) - darkening(100, 132)) <= 2);
        QVERIFY(std::abs(darkening(17, 75) - darkening(100, 17)) <= 2);
        QCOMPARE(shadowed.pixel(100, 75), plain.pixel(100, 75));
    }

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

    void bandsMatchOneWholeRender_data()
    {
        QTest::addColumn<Scene>("scene");
        QTest::newRow("grid, small bands") << Scene{};
        QTest::newRow("triangles") << Scene{4, true, 0, {600, 700}, true, 100};
        QTest::newRow("turned frame past the border") << Scene{1, false, 30, {500, 420}, true, 90};
        QTest::newRow("turned frames") << Scene{3, false, 10, {700, 520}, true, 80};
        QTest::newRow("odd band height, no shadow") << Scene{5, false, 0, {480, 500}, false, 77};
        QTest::newRow("triangles, last band a few rows, offset")
            << Scene{3, true, 0, {520, 518}, true, 128, 30};
    }

    // Export draws in bands, with layers only as tall as a band and the shadow's reach:
    // seams, a band a row off, a shadow cut at a band edge or an object drawn in one band
    // only would all show against one whole render.
    void bandsMatchOneWholeRender()
    {
        QFETCH(Scene, scene);
        busyCollage(scene);
        CollageRenderer renderer;
        renderer.setBandRows(1 << 20);
        const QImage whole = renderer.renderCollage(canvasRect(), false).copy();
        renderer.setBandRows(scene.bandRows);
        QVERIFY(TestSupport::fuzzyEqual(renderer.renderCollage(canvasRect(), true), whole, 2));
    }

    void editedRenderMatchesFreshRender_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<Scene>("scene");
        for (const auto &[name, edit] : edits()) {
            QTest::addRow("%s, grid", name) << edit << Scene{};
            QTest::addRow("%s, turned frames, odd bands", name)
                << edit << Scene{3, false, 12, {720, 560}, true, 45};
            QTest::addRow("%s, no shadow", name)
                << edit << Scene{6, false, 0, {720, 560}, false, 100};
        }
    }

    // The canvas's renderer draws again only what an edit touched; it must show what a
    // renderer new to the document draws.
    void editedRenderMatchesFreshRender()
    {
        QFETCH(Edit, edit);
        QFETCH(Scene, scene);
        busyCollage(scene);
        CollageRenderer renderer;
        renderer.setBandRows(scene.bandRows);
        renderer.renderCollage(canvasRect(), false);
        edit(renderer);
        const QImage edited = renderer.renderCollage(canvasRect(), false).copy();
        CollageRenderer fresh;
        fresh.setBandRows(scene.bandRows);
        QVERIFY(TestSupport::fuzzyEqual(edited, fresh.renderCollage(canvasRect(), false), 2));
    }

    // By hand: the photo shows on every row of the export, band edges included, and the
    // outline half covers the first and the last. Panned 30 pixels right on the canvas, the
    // photo uncovers the frame's yellow left strip; in the first and last rows the outline,
    // drawn under and again over the photo, covers half the pixel twice: a quarter stays.
    void bandsAnchored()
    {
        plainCollage();
        CollageRenderer renderer;
        renderer.setBandRows(16);
        const QImage exported = renderer.renderCollage(canvasRect(), true).copy();
        QUILTRA_COMPARE_PIXEL(renderer.renderCollage(canvasRect(), false), QPoint(15, 40),
                              QColor(Qt::red), 0);
        state().document.photos[0].position += QPointF(30, 0);
        const QImage image = renderer.renderCollage(canvasRect(), false);
        for (int y = 0; y < 150; ++y) {
            const bool edge = y == 0 || y == 149;
            QUILTRA_COMPARE_PIXEL(exported, QPoint(100, y),
                                  edge ? QColor(128, 0, 0) : QColor(Qt::red), edge ? 24 : 0);
            QUILTRA_COMPARE_PIXEL(image, QPoint(15, y),
                                  edge ? QColor(64, 64, 0) : QColor(Qt::yellow), edge ? 24 : 0);
        }
        QUILTRA_COMPARE_PIXEL(image, QPoint(100, 75), QColor(Qt::red), 0);
    }

    void reducedPhotosShowNoAliasing_data()
    {
        QTest::addColumn<QImage>("photo");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<bool>("forExport");
        // clang-format off
        QTest::newRow("checkerboard, 1/8") << finePattern({1600, 1200}, 1, 1) << QSize(200, 150) << true;
        QTest::newRow("columns, 1/5") << finePattern({2000, 1000}, 1, 0) << QSize(400, 200) << true;
        QTest::newRow("rows, 2/5, portrait") << finePattern({900, 1200}, 0, 1) << QSize(270, 360) << true;
        QTest::newRow("checkerboard on the canvas") << finePattern({1600, 1200}, 1, 1) << QSize(240, 180) << false;
        // clang-format on
    }

    // A photo reduced several times must be averaged: its pattern becomes an even
    // mid-grey (127.5) away from the outline, in the file and in the settled view.
    void reducedPhotosShowNoAliasing()
    {
        QFETCH(QImage, photo);
        QFETCH(QSize, frame);
        QFETCH(bool, forExport);
        const QImage image = renderSingleFrame(frame, 20, photo, forExport);
        const QRect inside = QRect(QPoint(20, 20), frame).adjusted(3, 3, -3, -3);
        QPoint worst = inside.topLeft();
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x) {
                if (qAbs(qGreen(image.pixel(x, y)) - 128) > qAbs(qGreen(image.pixel(worst)) - 128))
                    worst = QPoint(x, y);
            }
        }
        QVERIFY2(qAbs(qGreen(image.pixel(worst)) - 128) <= 16, qPrintable(QDebug::toString(worst)));
    }

    void photoFillsFrameToTheEdge_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<int>("photo");
        // Wide frames are filled by width, so the right edge is at stake; tall ones the
        // bottom edge.
        QTest::newRow("800 of 4000") << QSize(800, 500) << 4000;
        QTest::newRow("odd 251 of 4000") << QSize(251, 150) << 4000;
        QTest::newRow("odd 1009 of 4000") << QSize(1009, 400) << 4000;
        QTest::newRow("odd 105 of 3000") << QSize(105, 80) << 3000;
        QTest::newRow("tall 1011 of 4000") << QSize(300, 1011) << 4000;
        QTest::newRow("tall 257 of 1200") << QSize(181, 257) << 1200;
    }

    // The outline of line width 0 is one pixel, drawn half over the frame's last column
    // and row: a photo a pixel short leaves the white frame background showing there.
    void photoFillsFrameToTheEdge()
    {
        QFETCH(QSize, frame);
        QFETCH(int, photo);
        QImage red(photo, photo, QImage::Format_RGB32);
        red.fill(Qt::red);
        const int right = 10 + frame.width() - 1, bottom = 10 + frame.height() - 1;
        for (bool forExport : {false, true}) {
            const QImage image = renderSingleFrame(frame, 10, red, forExport);
            for (int y = 12; y < bottom - 1; y += 7)
                QVERIFY2(qGreen(image.pixel(right, y)) < 60, qPrintable(QString::number(y)));
            for (int x = 12; x < right - 1; x += 7)
                QVERIFY2(qGreen(image.pixel(x, bottom)) < 60, qPrintable(QString::number(x)));
        }
    }

    void enlargedPhotosMatchTheCanvas_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<float>("angle");
        QTest::addColumn<QPointF>("pan");
        QTest::addColumn<QRect>("red");
        // The red quarter of a 200 x 150 photo, from (50, 38) to (99, 75), doubled into the
        // frame at (30, 30).
        // clang-format off
        QTest::newRow("twice the size") << QSize(200, 150) << 0.0f << QPointF() << QRect(130, 106, 100, 76);
        QTest::newRow("turned and panned") << QSize(160, 160) << 17.0f << QPointF(-30, 12) << QRect();
        QTest::newRow("just over") << QSize(390, 300) << 0.0f << QPointF(5, -4) << QRect();
        // clang-format on
    }

    // Export draws an enlarged photo straight from its source instead of from an enlarged
    // copy; it must land where the canvas's copy does, at the same size and angle.
    void enlargedPhotosMatchTheCanvas()
    {
        QFETCH(QSize, photo);
        QFETCH(float, angle);
        QFETCH(QPointF, pan);
        QFETCH(QRect, red);
        QImage picture(photo, QImage::Format_RGB32);
        QPainter painter(&picture);
        QLinearGradient gradient(0, 0, photo.width(), photo.height() / 2.0);
        gradient.setStops({{0, Qt::yellow}, {1, Qt::darkBlue}});
        painter.fillRect(picture.rect(), gradient);
        painter.fillRect(QRect(QPoint(photo.width(), photo.height()) / 4, photo / 4), Qt::red);
        painter.end();
        const QImage canvas = renderSingleFrame({400, 300}, 30, picture, false, angle, pan);
        const QImage exported = renderSingleFrame({400, 300}, 30, picture, true, angle, pan);
        QVERIFY2(TestSupport::fuzzyEqual(canvas, exported, 24, 0.003),
                 qPrintable(QString::number(TestSupport::maxChannelDifference(canvas, exported))));
        if (red.isEmpty())
            return;
        QUILTRA_COMPARE_PIXEL(exported, red.topLeft() + QPoint(2, 2), Qt::red, 8);
        QUILTRA_COMPARE_PIXEL(exported, red.bottomRight() - QPoint(2, 2), Qt::red, 8);
        // Left of it and below it the gradient shows, with the green the red lacks.
        QVERIFY(qGreen(exported.pixel(red.topLeft() + QPoint(-3, 20))) > 100);
        QVERIFY(qGreen(exported.pixel(red.bottomLeft() + QPoint(20, 3))) > 100);
    }

    void filtersEveryPixel_data()
    {
        QTest::addColumn<QImage>("input");
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<float>("value");
        QTest::addColumn<QColor>("expected");
        auto image = [](QColor colour, QImage::Format format = QImage::Format_RGB32) {
            QImage image(3, 2, format);
            image.fill(colour);
            return image;
        };
        using C = QColor;
        // clang-format off
        QTest::newRow("brightness +255") << image(C(10, 128, 254)) << 0 << 255.f << C(255, 255, 255);
        QTest::newRow("brightness -255") << image(C(10, 128, 255)) << 0 << -255.f << C(0, 0, 0);
        QTest::newRow("contrast -255 mid-grey") << image(C(0, 77, 255)) << 1 << -255.f << C(128, 128, 128);
        // A factor of 129.5: one step off 128 already saturates.
        QTest::newRow("contrast +255") << image(C(127, 128, 129)) << 1 << 255.f << C(0, 128, 255);
        // The divisor would be 0; (259 - 260) * 255 makes the factor -522, the curve flips.
        QTest::newRow("contrast 259") << image(C(127, 128, 129)) << 1 << 259.f << C(255, 128, 0);
        QTest::newRow("gamma 0 unchanged") << image(C(17, 128, 254)) << 2 << 0.f << C(17, 128, 254);
        // Gamma 2: sqrt(128 / 255) * 255 = 180.7, sqrt(64 / 255) * 255 = 127.7.
        QTest::newRow("gamma 100") << image(C(128, 64, 0)) << 2 << 100.f << C(180, 127, 0);
        QTest::newRow("gamma -100") << image(C(0, 254, 255)) << 2 << -100.f << C(0, 0, 255);
        // 0.393 * 128 + 0.769 * 128 + 0.189 * 128 = 172.9, and so on.
        QTest::newRow("sepia") << image(C(128, 128, 128)) << 3 << 0.f << C(172, 153, 119);
        QTest::newRow("invert below 0") << image(C(0, 1, 200)) << 4 << 0.f << C(0, 1, 200);
        QTest::newRow("invert below 255") << image(C(0, 254, 255)) << 4 << 255.f << C(255, 1, 255);
        QTest::newRow("translucent made opaque") << image(C(200, 100, 50, 128), QImage::Format_ARGB32)
            << 0 << 10.f << C(210, 110, 60);
        QTest::newRow("grayscale then sepia") << image(C(128, 128, 128), QImage::Format_Grayscale8)
            << 3 << 0.f << C(172, 153, 119);
        // clang-format on
    }

    void filtersEveryPixel()
    {
        QFETCH(QImage, input);
        QFETCH(int, filterIndex);
        QFETCH(float, value);
        QFETCH(QColor, expected);
        QImage wanted(input.size(), QImage::Format_RGB32);
        wanted.fill(expected);
        QCOMPARE(applyFilter(input, filterIndex, value), wanted);
    }
};

QUILTRA_TEST_MAIN(TestCollageRenderer)
#include "tst_collagerenderer.moc"
