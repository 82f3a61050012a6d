#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QPainter>

namespace {

CollageState &state()
{
    return CollageState::instance();
}

QImage stripedPhoto(QSize size, QColor tint)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), tint);
    for (int y = 0; y < size.height(); y += 5)
        painter.fillRect(QRect(0, y, size.width(), 2), tint.darker(220));
    return image;
}

enum Change
{
    MoveObject,
    SelectObject,
    PanPhoto,
    ZoomPhoto,
    TurnPhoto,
    DragDivider,
    Background,
    LineWidth,
    FrameColour,
    Corners,
    DropShadow,
};

// Makes one edit to the live document as the canvas and the side bar do.
void apply(Change change, CollageRenderer &renderer)
{
    CollageDocument &document = state().document;
    CanvasSettings &settings = state().settings;
    PhotoFrame &photo = document.photos[1];
    switch (change) {
    case MoveObject:
        document.objects.first().x += 37;
        document.objects.first().y += 53;
        break;
    case SelectObject:
        document.selectedObjectId = document.objects.last().id;
        break;
    case PanPhoto:
        photo.position += QPointF(-23, 17);
        break;
    case ZoomPhoto: {
        photo.scale *= 1.25f;
        const QSize size(qRound(photo.sourceImage.width() * photo.scale),
                         qRound(photo.sourceImage.height() * photo.scale));
        photo.displayImage = filteredScale(photo.sourceImage, size);
        photo.displaySize = size;
        break;
    }
    case TurnPhoto:
        photo.angle += 7.0f;
        break;
    case DragDivider:
        // The frames on both sides of a divider move their shared edge.
        document.frameRects[0].setRight(document.frameRects[0].right() + 31);
        document.frameRects[1].setLeft(document.frameRects[1].left() + 31);
        break;
    case Background:
        settings.backgroundColor1 = QColor(30, 120, 60);
        renderer.markBackgroundDirty();
        break;
    case LineWidth:
        settings.lineWidth = 6;
        break;
    case FrameColour:
        settings.frameBackgroundColor1 = QColor(250, 0, 200);
        break;
    case Corners:
        settings.cornerTopRight = true;
        break;
    case DropShadow:
        settings.dropShadow = settings.dropShadow ? 0 : 1;
        break;
    }
}

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
        const struct
        {
            const char *name;
            Change change;
        } changes[] = {
            {"object moved", MoveObject},    {"object selected", SelectObject},
            {"photo panned", PanPhoto},      {"photo zoomed", ZoomPhoto},
            {"photo turned", TurnPhoto},     {"divider dragged", DragDivider},
            {"background", Background},      {"line width", LineWidth},
            {"frame colour", FrameColour},   {"corner ornament", Corners},
            {"shadow switched", DropShadow},
        };
        for (const auto &[name, change] : changes) {
            QTest::addRow("%s, grid, shadow", name) << int(change) << 4 << 0 << true << 64;
            QTest::addRow("%s, turned frames, odd bands", name)
                << int(change) << 3 << 12 << true << 45;
            QTest::addRow("%s, no shadow", name) << int(change) << 6 << 0 << false << 100;
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

        state().photoCountIndex = count - 1;
        state().layoutIndex = count == 3 ? 2 : 0;
        state().canvasSize = QSize(720, 560);
        CanvasSettings &settings = state().settings;
        settings.margin = 40;
        settings.spacing = 16;
        settings.roundCorners = 10;
        settings.lineWidth = 2;
        settings.dropShadow = shadow ? 1 : 0;
        settings.cornerTopLeft = true;
        settings.cornerBottomRight = false;
        settings.backgroundColor1 = QColor(245, 240, 230);
        if (rotation != 0) {
            for (LayoutCell &cell : state().currentLayout()->cells)
                cell.rotation = rotation;
        }
        const QRect target(QPoint(0, 0), state().canvasSize.toSize());

        CollageRenderer renderer;
        renderer.setBandRows(bandRows);
        renderer.buildGeometry(target);
        for (int slot = 0; slot < count; ++slot) {
            const QColor tint = QColor::fromHsv(slot * 50, 190, 220);
            QVERIFY(placePhoto(slot, QString(), stripedPhoto(QSize(800, 600), tint)));
        }
        createEmoji(QStringLiteral("\U0001F600"));
        createLabel();
        state().document.selectedObjectId = -1;
        renderer.renderCollage(target, false);

        apply(Change(change), renderer);
        const QImage edited = renderer.renderCollage(target, false).copy();

        CollageRenderer fresh;
        fresh.setBandRows(bandRows);
        const QImage expected = fresh.renderCollage(target, false);
        QVERIFY2(TestSupport::fuzzyEqual(edited, expected, 2),
                 qPrintable(QStringLiteral("largest difference %1")
                                .arg(TestSupport::maxChannelDifference(edited, expected))));
    }
};

QUILTRA_TEST_MAIN(TestIncrementalRender)
#include "tst_incrementalrender.moc"
