#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QPainter>
#include <functional>

namespace {

// The edits editedRenderMatchesFreshRender makes, in its order, to the live document as
// the canvas and the side bar make them.
const char *const kEditNames[] = {"object moved",    "object selected", "photo panned",
                                  "photo zoomed",    "photo turned",    "divider dragged",
                                  "background",      "line width",      "frame colour",
                                  "corner ornament", "shadow switched"};

} // namespace

class TestIncrementalRender : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    void editedRenderMatchesFreshRender_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<bool>("shadow");
        QTest::addColumn<int>("bandRows");
        for (int change = 0; change < int(std::size(kEditNames)); ++change) {
            const char *name = kEditNames[change];
            QTest::addRow("%s, grid, shadow", name) << change << 4 << 0 << true << 64;
            QTest::addRow("%s, turned frames, odd bands", name) << change << 3 << 12 << true << 45;
            QTest::addRow("%s, no shadow", name) << change << 6 << 0 << false << 100;
        }
    }

    // The canvas's renderer draws again only what an edit touched; what it shows must be
    // what a renderer that never saw the document before draws.
    void editedRenderMatchesFreshRender()
    {
        QFETCH(int, change);
        QFETCH(int, count);
        QFETCH(int, rotation);
        QFETCH(bool, shadow);
        QFETCH(int, bandRows);

        CollageState &state = CollageState::instance();
        state.photoCountIndex = count - 1;
        state.layoutIndex = count == 3 ? 2 : 0;
        state.canvasSize = QSize(720, 560);
        CanvasSettings &settings = state.settings;
        settings.margin = 40;
        settings.spacing = 16;
        settings.roundCorners = 10;
        settings.lineWidth = 2;
        settings.dropShadow = shadow ? 1 : 0;
        settings.cornerTopLeft = true;
        settings.cornerBottomRight = false;
        settings.backgroundColor1 = QColor(245, 240, 230);
        for (LayoutCell &cell : state.currentLayout()->cells)
            cell.rotation = rotation ? rotation : cell.rotation;
        const QRect target(QPoint(0, 0), state.canvasSize.toSize());

        CollageRenderer renderer;
        renderer.setBandRows(bandRows);
        renderer.buildGeometry(target);
        for (int slot = 0; slot < count; ++slot) {
            // Striped, so that a photo drawn where it was before shows.
            const QColor tint = QColor::fromHsv(slot * 50, 190, 220);
            QImage photo(800, 600, QImage::Format_RGB32);
            photo.fill(tint);
            QPainter painter(&photo);
            for (int y = 0; y < photo.height(); y += 5)
                painter.fillRect(0, y, photo.width(), 2, tint.darker(220));
            painter.end();
            QVERIFY(placePhoto(slot, QString(), photo));
        }
        createEmoji(QStringLiteral("\U0001F600"));
        createLabel();
        state.document.selectedObjectId = -1;
        renderer.renderCollage(target, false);

        CollageDocument &document = state.document;
        PhotoFrame &photo = document.photos[1];
        OverlayObject &moved = document.objects.first();
        QRectF &left = document.frameRects[0], &right = document.frameRects[1];
        const std::function<void()> edits[] = {
            [&] { moved.x += 37, moved.y += 53; },
            [&] { document.selectedObjectId = document.objects.last().id; },
            [&] { photo.position += QPointF(-23, 17); },
            [&] {
                photo.scale *= 1.25f;
                photo.displaySize = (QSizeF(photo.sourceImage.size()) * photo.scale).toSize();
                photo.displayImage = filteredScale(photo.sourceImage, photo.displaySize);
            },
            [&] { photo.angle += 7.0f; },
            // The frames on both sides of a divider move their shared edge.
            [&] { left.setRight(left.right() + 31), right.setLeft(right.left() + 31); },
            [&] { settings.backgroundColor1 = Qt::darkGreen, renderer.markBackgroundDirty(); },
            [&] { settings.lineWidth = 6; },
            [&] { settings.frameBackgroundColor1 = Qt::magenta; },
            [&] { settings.cornerTopRight = true; },
            [&] { settings.dropShadow = !shadow; },
        };
        static_assert(std::extent_v<decltype(edits)> == std::size(kEditNames));
        edits[change]();
        const QImage edited = renderer.renderCollage(target, false).copy();
        CollageRenderer fresh;
        fresh.setBandRows(bandRows);
        const QImage expected = fresh.renderCollage(target, false);
        QVERIFY2(TestSupport::fuzzyEqual(edited, expected, 2),
                 qPrintable(QString::number(TestSupport::maxChannelDifference(edited, expected))));
    }
};

QUILTRA_TEST_MAIN(TestIncrementalRender)
#include "tst_incrementalrender.moc"
