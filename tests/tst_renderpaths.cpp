#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
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

QRect canvasRect()
{
    return QRect(QPoint(0, 0), state().canvasSize.toSize());
}

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
    state().photoCountIndex = scene.count - 1;
    const auto &layouts = state().layoutCatalogue[size_t(scene.count - 1)];
    const auto layout = std::ranges::find_if(layouts, [&scene](const LayoutTemplate &l) {
        return (l.cells.first().kind == LayoutCell::Triangle) == scene.triangles;
    });
    QVERIFY(layout != layouts.end());
    state().layoutIndex = int(layout - layouts.begin());
    state().canvasSize = scene.canvas;
    CanvasSettings &settings = state().settings;
    settings.margin = 30;
    settings.spacing = 14;
    settings.topOffset = scene.topOffset;
    settings.roundCorners = 12;
    settings.lineWidth = 2;
    settings.dropShadow = scene.shadow ? 1 : 0;
    settings.backgroundColorMode = 1;
    settings.backgroundColor2 = QColor(40, 90, 160);
    for (LayoutCell &cell : state().currentLayout()->cells)
        cell.rotation = scene.rotation ? scene.rotation : cell.rotation;
    CollageRenderer().buildGeometry(canvasRect());
    for (int slot = 0; slot < scene.count; ++slot) {
        QImage photo(900, 700, QImage::Format_RGB32);
        photo.fill(QColor::fromHsv(slot * 60, 200, 220));
        QPainter painter(&photo);
        for (int y = 0; y < photo.height(); y += 6)
            painter.fillRect(QRect(0, y, photo.width(), 2), Qt::darkBlue);
        painter.end();
        QVERIFY(placePhoto(slot, QString(), photo));
    }
    static const QTemporaryDir dir;
    const QString stickerPath = dir.filePath(QStringLiteral("sticker.png"));
    QImage sticker(120, 90, QImage::Format_ARGB32);
    sticker.fill(QColor(200, 30, 30, 160));
    QVERIFY(sticker.save(stickerPath));
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

// One frame at (20, 20)-(180, 130) on a grey 200 x 150 canvas, without shadow or ornaments,
// showing a red photo of 160 x 120 placed at (20, 15).
void plainCollage()
{
    state().photoCountIndex = 0;
    state().layoutIndex = 0;
    state().canvasSize = QSize(200, 150);
    CanvasSettings &settings = state().settings;
    settings.margin = 20;
    settings.dropShadow = settings.roundCorners = 0;
    settings.lineWidth = 1;
    settings.cornerTopLeft = settings.cornerBottomRight = false;
    settings.backgroundColor1 = Qt::gray;
    settings.frameBackgroundColor1 = Qt::yellow;
    CollageRenderer().buildGeometry(canvasRect());
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(Qt::red);
    QVERIFY(placePhoto(0, QString(), photo));
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
        {"object selected",
         [](auto &) { document.selectedObjectId = document.objects.last().id; }},
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
        {"frame colour", [](auto &) { settings.frameBackgroundColor1 = Qt::magenta; }},
        {"corner ornament", [](auto &) { settings.cornerTopRight = true; }},
        {"shadow switched", [](auto &) { settings.dropShadow = 1 - settings.dropShadow; }},
    };
}

} // namespace

Q_DECLARE_METATYPE(Scene)
Q_DECLARE_METATYPE(Edit)

class TestRenderPaths : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
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

    // By hand: the photo covers the frame's inside on every row, band edges included; the
    // background shows above and below. The outline's antialiased rows are left out.
    void bandsAnchored()
    {
        plainCollage();
        CollageRenderer renderer;
        renderer.setBandRows(16);
        const QImage image = renderer.renderCollage(canvasRect(), true);
        for (int y = 0; y < 150; ++y) {
            if (std::abs(y - 20) > 1 && std::abs(y - 130) > 1)
                QUILTRA_COMPARE_PIXEL(image, QPoint(100, y),
                                      QColor(y > 20 && y < 130 ? Qt::red : Qt::gray), 0);
        }
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

    // By hand: panned 30 pixels right, the photo uncovers the frame's left strip, which
    // shows the frame's yellow; the band edge falls inside that strip.
    void editAnchored()
    {
        plainCollage();
        CollageRenderer renderer;
        renderer.setBandRows(40);
        QUILTRA_COMPARE_PIXEL(renderer.renderCollage(canvasRect(), false), QPoint(35, 41),
                              QColor(Qt::red), 0);
        state().document.photos[0].position += QPointF(30, 0);
        const QImage image = renderer.renderCollage(canvasRect(), false);
        for (const int y : {25, 39, 40, 41, 124})
            QUILTRA_COMPARE_PIXEL(image, QPoint(35, y), QColor(Qt::yellow), 0);
        QUILTRA_COMPARE_PIXEL(image, QPoint(55, 75), QColor(Qt::red), 0);
    }
};

QUILTRA_TEST_MAIN(TestRenderPaths)
#include "tst_renderpaths.moc"
