#include "CollageHQImageThread.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "QuiltraCanvasForm.h"
#include "TestSupport.h"

#include <QDrag>
#include <QFileDialog>
#include <QImageWriter>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

namespace {

constexpr float kZoom = 50.0f;
const QColor kBackground(20, 40, 200);
const QColor kFrameColour(255, 255, 255);

CollageState &state()
{
    return CollageState::instance();
}

QPoint toWidget(QPointF docPos)
{
    return QPoint(qRound(docPos.x() * kZoom / 100), qRound(docPos.y() * kZoom / 100));
}

// In the middle of the gap right of the first frame.
QPointF besideFirstFrame()
{
    const QRectF &left = state().document.frameRects[0];
    return QPointF(left.right() + 20, left.center().y());
}

// Checkered, fast and smooth scaling give clearly different views of it.
QImage photo(QSize size, QColor colour, bool checkered = false)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    if (checkered)
        QPainter(&image).fillRect(image.rect(), QBrush(Qt::black, Qt::Dense4Pattern));
    return image;
}

int addEmoji()
{
    createEmoji(QString::fromUcs4(U"\U0001F600"));
    return state().document.objects.constLast().id;
}

void sendWheel(QWidget *widget, QPoint pos, int angle, Qt::KeyboardModifiers modifiers = {})
{
    QWheelEvent event(pos, widget->mapToGlobal(pos), QPoint(), QPoint(0, angle), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

// Drags mime over the canvas to pos and drops it there; whether the move was accepted.
bool dragAndDrop(QWidget *widget, QPoint pos, const QMimeData *mime)
{
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(pos, actions, mime, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &enter);
    QDragMoveEvent move(pos, actions, mime, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &move);
    QDropEvent drop(QPointF(pos), actions, mime, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &drop);
    return enter.isAccepted() && move.isAccepted();
}

// A canvas whose photo drag is dropped on itself at dropAt, or let go elsewhere when dropAt is not
// set.
class DragCanvas : public QuiltraCanvasForm
{
public:
    std::optional<QPoint> dropAt;
    QByteArray replacedPayload;
    bool sawPixmap = false;

protected:
    Qt::DropAction execPhotoDrag(QDrag *drag) override
    {
        sawPixmap = drag->pixmap().width() == 48;
        if (!dropAt)
            return Qt::IgnoreAction;
        if (!replacedPayload.isNull())
            drag->mimeData()->setData(kPhotoSlotMimeType, replacedPayload);
        dragAndDrop(this, *dropAt, drag->mimeData());
        return Qt::MoveAction;
    }
};

} // namespace

class TestCanvasForm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DragCanvas> canvas;

    // Three photos: a left column beside two stacked frames (layout 2), or a top row over two
    // frames (layout 3); rendered once and shown at 50 %.
    void showLayout(int layout = 2, int topOffset = 0)
    {
        state().photoCountIndex = 2;
        state().layoutIndex = layout;
        state().settings.topOffset = topOffset;
        canvas = std::make_unique<DragCanvas>();
        canvas->resize(980, 560);
        canvas->show();
        QVERIFY(QTest::qWaitForWindowExposed(canvas.get()));
        paint();
    }

    void paint()
    {
        canvas->repaint();
        QCoreApplication::processEvents();
    }

    QImage shown()
    {
        paint();
        return canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    QColor shownAt(QPointF docPos) { return shown().pixelColor(toWidget(docPos)); }
    QPoint frameCentre(int slot) { return toWidget(state().document.frameRects[slot].center()); }

    // Whether the canvas shows the collage as our own renderer draws it, scaled by mode.
    bool showsView(Qt::TransformationMode mode)
    {
        const QImage full = CollageRenderer().renderCollage(
            QRect(QPoint(0, 0), state().canvasSize.toSize()), false);
        const QImage expected =
            full.scaled(full.size() * state().zoomPercent / 100, Qt::IgnoreAspectRatio, mode);
        const QImage view = shown();
        const QRect visible = expected.rect() & view.rect();
        return TestSupport::fuzzyEqual(view.copy(visible), expected.copy(visible), 3, 0.001);
    }

    // Runs the countdown to its end; the smooth request is then on its way.
    void runCountdown()
    {
        for (int tick = 0; tick <= QuiltraCanvasForm::kHQCountdownTicks; ++tick)
            canvas->generateHQImage();
    }

    qsizetype requests() { return canvas->findChildren<CollageHQImageThread *>().size(); }

    void putPhoto(int slot, const QImage &image)
    {
        QVERIFY(placePhoto(slot, QStringLiteral("/photos/%1.png").arg(slot), image));
        canvas->requestRedraw(false);
        paint();
    }

    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(canvas.get(), Qt::LeftButton, modifiers, from);
        for (int i = 1; i <= 2; ++i)
            QTest::mouseMove(canvas.get(), from + (to - from) * i / 2);
        QTest::mouseRelease(canvas.get(), Qt::LeftButton, modifiers, to);
    }

private Q_SLOTS:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
        CanvasSettings &settings = state().settings;
        settings.cornerTopLeft = false;
        settings.cornerBottomRight = false;
        settings.dropShadow = 0;
        settings.backgroundColor1 = kBackground;
        settings.frameBackgroundColor1 = kFrameColour;
        state().zoomPercent = kZoom;
    }

    void cleanup() { canvas.reset(); }

    void dividerDragResizesFrames_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("topOffset");
        QTest::addColumn<bool>("vertical");
        QTest::newRow("vertical divider") << 2 << 0 << true;
        QTest::newRow("horizontal divider under a top offset") << 3 << 100 << false;
    }

    // Grabbed in the visible gap, found from the frames alone, the divider takes both neighbours
    // and the divider attached to it by the pointer's distance, and a rebuild of the geometry keeps
    // the result.
    void dividerDragResizesFrames()
    {
        QFETCH(int, layout);
        QFETCH(int, topOffset);
        QFETCH(bool, vertical);
        showLayout(layout, topOffset);
        CollageDocument &document = state().document;
        const QList<QRectF> before = document.frameRects;
        const QPointF gap =
            vertical ? QPointF((before[0].right() + before[1].left()) / 2, before[0].top() + 100)
                     : QPointF(before[1].center().x(), (before[0].bottom() + before[1].top()) / 2);
        QCOMPARE(shownAt(gap), kBackground);
        QTest::mouseMove(canvas.get(), toWidget(gap));
        QCOMPARE(canvas->cursor().shape(), vertical ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        const QPoint shift = vertical ? QPoint(50, 0) : QPoint(0, 50); // 100 document pixels
        drag(toWidget(gap), toWidget(gap) + shift);

        QList<QRectF> expected = before;
        const QPointF moved = QPointF(shift) * 2;
        expected[0].setBottomRight(expected[0].bottomRight() + moved);
        expected[1].setTopLeft(expected[1].topLeft() + moved);
        expected[2].setTopLeft(expected[2].topLeft() + moved);
        QCOMPARE(document.frameRects, expected);
        QCOMPARE(shownAt(gap), kFrameColour);
        const QRectF dragged =
            vertical ? document.verticalDividers[0] : document.horizontalDividers[0];
        const QRectF across =
            vertical ? document.horizontalDividers[0] : document.verticalDividers[0];
        QCOMPARE(vertical ? across.left() : across.top(),
                 vertical ? dragged.right() : dragged.bottom());

        // Rebuilt from what was written back, the frames stay where they were dragged.
        document.clearGeometry();
        canvas->requestRedraw(false);
        QCOMPARE(shownAt(gap), kFrameColour);
        QCOMPARE(shownAt(gap + moved), kBackground);
    }

    void selectionSignals_data()
    {
        QTest::addColumn<bool>("selectedBefore");
        QTest::addColumn<bool>("onObject");
        QTest::addColumn<int>("emitted");
        QTest::newRow("already selected object") << true << true << 1;
        QTest::newRow("another object") << false << true << 2;
        QTest::newRow("empty canvas") << true << false << 1;
    }

    void selectionSignals()
    {
        QFETCH(bool, selectedBefore);
        QFETCH(bool, onObject);
        QFETCH(int, emitted);
        const int id = addEmoji();
        if (!selectedBefore)
            state().document.selectedObjectId = -1;
        showLayout();
        QSignalSpy changed(canvas.get(), &QuiltraCanvasForm::selectedItemChanged);
        const QRectF bounds = state().document.objects.constLast().bounds;
        QTest::mouseClick(canvas.get(), Qt::LeftButton, {},
                          toWidget(onObject ? bounds.center() : QPointF(20, 20)));
        QCOMPARE(changed.count(), emitted);
        QCOMPARE(state().document.selectedObjectId, onObject ? id : -1);
    }

    void objectDrag_data()
    {
        QTest::addColumn<bool>("deleteHeld");
        QTest::newRow("follows the pointer") << false;
        // The panel may delete the held object while the button is still down.
        QTest::newRow("held object deleted meanwhile") << true;
    }

    void objectDrag()
    {
        QFETCH(bool, deleteHeld);
        addEmoji();
        addEmoji();
        showLayout();
        const QList<OverlayObject> objects = state().document.objects;
        const QPoint from = toWidget(objects.last().bounds.center());
        QSignalSpy moved(canvas.get(), &QuiltraCanvasForm::selectedItemPosChanged);
        QTest::mousePress(canvas.get(), Qt::LeftButton, {}, from);
        if (deleteHeld)
            state().document.objects.removeLast();
        QTest::mouseMove(canvas.get(), from + QPoint(10, 5));
        QTest::mouseMove(canvas.get(), from + QPoint(30, -20));
        QTest::mouseRelease(canvas.get(), Qt::LeftButton, {}, from + QPoint(30, -20));
        const OverlayObject &object = state().document.objects.constLast();
        const OverlayObject &start = deleteHeld ? objects.first() : objects.last();
        const QPointF to = QPointF(start.x, start.y) + (deleteHeld ? QPointF() : QPointF(60, -40));
        QCOMPARE(moved.count(), deleteHeld ? 0 : 2);
        QCOMPARE(QPointF(object.x, object.y), to);
        QCOMPARE(object.rect.topLeft(), to.toPoint());
    }

    void wheel_data()
    {
        QTest::addColumn<bool>("onObject");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<bool>("forwardedShift");
        QTest::addColumn<int>("angle");
        // Steps of the photo's width (a hundredth of its own 1000 pixels), the photo's angle, the
        // object's scale and the object's rotation.
        QTest::addColumn<QList<int>>("steps");
        QTest::newRow("photo zooms in") << false << false << false << 120 << QList{1, 0, 0, 0};
        QTest::newRow("photo turns with Shift")
            << false << true << false << -120 << QList{0, -1, 0, 0};
        QTest::newRow("a stuck forwarded Shift")
            << false << false << true << 120 << QList{1, 0, 0, 0};
        QTest::newRow("sticker grows") << true << false << false << 120 << QList{0, 0, 1, 0};
        QTest::newRow("sticker turns with Shift")
            << true << true << false << 120 << QList{0, 0, 0, 1};
    }

    void wheel()
    {
        QFETCH(bool, onObject);
        QFETCH(bool, shift);
        QFETCH(bool, forwardedShift);
        QFETCH(int, angle);
        QFETCH(QList<int>, steps);
        if (onObject) {
            addEmoji();
            state().document.selectedObjectId = -1;
        }
        showLayout();
        putPhoto(0, photo(QSize(1000, 1000), Qt::red));
        canvas->setShiftPressed(forwardedShift);
        const PhotoFrame &photo = state().document.photos[0];
        const int width = photo.displaySize.width();
        QSignalSpy changed(canvas.get(), &QuiltraCanvasForm::selectedItemChanged);
        const QPointF target = onObject ? state().document.objects.constLast().bounds.center()
                                        : state().document.frameRects[0].center();
        sendWheel(canvas.get(), toWidget(target), angle,
                  shift ? Qt::ShiftModifier : Qt::NoModifier);
        const OverlayObject object =
            onObject ? state().document.objects.constLast() : OverlayObject();
        const QList<int> seen{qRound((photo.displaySize.width() - width) / 10.0), int(photo.angle),
                              onObject ? int(object.scale) - 100 : 0, int(object.rotation)};
        QCOMPARE(seen, steps);
        QCOMPARE(changed.count(), onObject ? 1 : 0);
    }

    void drops_data()
    {
        QTest::addColumn<QString>("payload");
        QTest::addColumn<int>("frame");  // -1: the gap beside the first frame
        QTest::addColumn<int>("filled"); // the slot given the first file
        QTest::addColumn<bool>("accepted");
        QTest::newRow("the first of three files") << "files 3" << 1 << 1 << true;
        QTest::newRow("a file over the gap") << "files 1" << -1 << -1 << false;
        QTest::newRow("an empty list of files") << "files 0" << 1 << -1 << true;
        // Neither is a photo move: text from another program, or this canvas's type with no drag of
        // this canvas behind it.
        QTest::newRow("a number as text") << "text" << 2 << -1 << false;
        QTest::newRow("the canvas's type") << "own type" << 2 << -1 << false;
    }

    void drops()
    {
        QFETCH(QString, payload);
        QFETCH(int, frame);
        QFETCH(int, filled);
        QFETCH(bool, accepted);
        showLayout();
        putPhoto(0, photo(QSize(400, 300), Qt::red));
        QTemporaryDir dir;
        QList<QUrl> urls;
        QMimeData mime;
        if (payload.startsWith("files")) {
            for (int i = 0; i < payload.back().digitValue(); ++i) {
                urls.append(QUrl::fromLocalFile(dir.filePath(QString::number(i) + ".png")));
                QVERIFY(photo(QSize(800, 600), i ? Qt::yellow : Qt::green)
                            .save(urls.last().toLocalFile()));
            }
            mime.setUrls(urls);
            if (urls.isEmpty())
                mime.setData("text/uri-list", "\r\n");
        } else if (payload == "text") {
            mime.setText("0");
        } else {
            mime.setData(QuiltraCanvasForm::kPhotoSlotMimeType, "0");
        }
        const QPointF where =
            frame < 0 ? besideFirstFrame() : state().document.frameRects[frame].center();
        QCOMPARE(dragAndDrop(canvas.get(), toWidget(where), &mime), accepted);
        for (int slot = 1; slot < 3; ++slot) {
            QCOMPARE(state().document.photos[size_t(slot)].filePath,
                     slot == filled ? urls[0].toLocalFile() : QString());
        }
        QCOMPARE(shownAt(state().document.frameRects[0].center()), QColor(Qt::red));
        if (filled >= 0)
            QCOMPARE(shownAt(state().document.frameRects[filled].center()), QColor(Qt::green));
    }

    // Rebuilt geometry rescales every photo; a size beyond what a display image may take (4100 x
    // 4100, a few times this canvas) is refused and the photo keeps its image.
    void rescaleBeyondTheBoundKeepsThePhoto()
    {
        showLayout();
        putPhoto(0, photo(QSize(100, 100), Qt::red));
        const qint64 shownImage = state().document.photos[0].displayImage.cacheKey();
        state().document.photos[0].scale = 41.0f;
        state().document.clearGeometry();
        canvas->requestRedraw(false);
        paint();
        QCOMPARE(shownAt(state().document.frameRects[0].center()), QColor(Qt::red));
        QCOMPARE(state().document.photos[0].displayImage.cacheKey(), shownImage);
    }

    void shiftDragMovesPhotos_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QByteArray>("payload"); // replaces the drag's own when not null
        QTest::addColumn<QList<QColor>>("colours");
        const QColor red(Qt::red), green(Qt::green);
        QTest::newRow("swap") << 1 << QByteArray() << QList{green, red, kFrameColour};
        QTest::newRow("into an empty frame")
            << 2 << QByteArray() << QList{kFrameColour, green, red};
        QTest::newRow("payload names another slot")
            << 2 << QByteArray("1") << QList{red, green, kFrameColour};
    }

    void shiftDragMovesPhotos()
    {
        QFETCH(int, target);
        QFETCH(QByteArray, payload);
        QFETCH(QList<QColor>, colours);
        showLayout();
        putPhoto(0, photo(QSize(400, 300), Qt::red));
        putPhoto(1, photo(QSize(400, 300), Qt::green));
        canvas->dropAt = frameCentre(target);
        canvas->replacedPayload = payload;
        QTest::mouseClick(canvas.get(), Qt::LeftButton, Qt::ShiftModifier, frameCentre(0));
        QVERIFY(canvas->sawPixmap);
        for (int slot = 0; slot < 3; ++slot)
            QCOMPARE(shownAt(state().document.frameRects[slot].center()), colours[slot]);
    }

    void panMovesThePhoto()
    {
        showLayout();
        putPhoto(1, photo(QSize(400, 300), Qt::red));
        const QPointF start = state().document.photos[1].position;
        drag(frameCentre(1), frameCentre(1) + QPoint(-20, 15));
        QCOMPARE(state().document.photos[1].position, start + QPointF(-40, 30));
    }

    void doubleClickOpensTheDialog()
    {
        showLayout();
        QTemporaryDir remembered;
        QTemporaryDir chosen;
        state().lastPicturesDir = remembered.path();
        // Stored on its side with an orientation tag: placed, the photo stands up.
        const QString file = chosen.filePath("chosen.jpg");
        QImageWriter writer(file);
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        QVERIFY(writer.write(photo(QSize(300, 200), Qt::green)));
        QStringList folders;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                folders.append(dialog->directory().absolutePath());
                // The dialog leaves the name field alone while that has the focus.
                if (QWidget *focused = dialog->focusWidget())
                    focused->clearFocus();
                dialog->selectFile(file);
                QMetaObject::invokeMethod(dialog, "accept");
            }
        });
        answer.start(10);
        // Between frames nothing is placed, whatever frame an earlier event was over.
        QTest::mouseClick(canvas.get(), Qt::LeftButton, {}, frameCentre(0));
        QTest::mouseDClick(canvas.get(), Qt::LeftButton, {}, toWidget(besideFirstFrame()));
        QVERIFY(folders.isEmpty());
        QTest::mouseDClick(canvas.get(), Qt::LeftButton, {}, frameCentre(0));
        QCOMPARE(folders, QStringList{QDir(remembered.path()).absolutePath()});
        QCOMPARE(state().lastPicturesDir, QDir(chosen.path()).absolutePath());
        QCOMPARE(state().document.photos[0].sourceImage.size(), QSize(200, 300));
        const QColor shownColour = shownAt(state().document.frameRects[0].center());
        QVERIFY(shownColour.red() < 8 && shownColour.green() > 247 && shownColour.blue() < 8);
    }

    void smoothView_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("smooth");
        QTest::newRow("nothing") << "" << true;
        QTest::newRow("document changed and painted") << "document" << false;
        QTest::newRow("zoom changed and painted") << "zoom" << false;
        QTest::newRow("pan under way") << "pan" << false;
        QTest::newRow("canvas closed") << "close" << false;
        // Let go outside the canvas, a photo drag never reaches the release handler.
        QTest::newRow("photo drag ended elsewhere before") << "drag before" << true;
    }

    // After ten quiet ticks one smooth request is made, and while it runs something may happen;
    // a finished request is deleted. Below 100 % the view is rendered smooth at its own size.
    void smoothView()
    {
        QFETCH(QString, meanwhile);
        QFETCH(bool, smooth);
        state().zoomPercent = 150.0f;
        showLayout();
        const QPoint frameCentre0 = frameCentre(0) * 3;
        putPhoto(0, photo(QSize(801, 601), Qt::white, true));
        if (meanwhile == "drag before")
            QTest::mousePress(canvas.get(), Qt::LeftButton, Qt::ShiftModifier, frameCentre0);
        QVERIFY(showsView(Qt::FastTransformation));
        for (int tick = 0; tick < QuiltraCanvasForm::kHQCountdownTicks; ++tick)
            canvas->generateHQImage();
        QCOMPARE(requests(), 0);
        canvas->generateHQImage();
        QCOMPARE(requests(), 1);
        if (meanwhile == "document") {
            state().settings.backgroundColor1 = Qt::darkGreen;
            canvas->requestRedraw(true);
        } else if (meanwhile == "zoom") {
            state().zoomPercent = 120.0f;
            canvas->requestRescale();
        } else if (meanwhile == "pan") {
            QTest::mousePress(canvas.get(), Qt::LeftButton, {}, frameCentre0);
        } else if (meanwhile == "close") {
            canvas.reset();
            return;
        }
        paint();
        QTRY_COMPARE(requests(), 0);
        QVERIFY(showsView(smooth ? Qt::SmoothTransformation : Qt::FastTransformation));
    }

    void backgroundChangeIsNotLost()
    {
        showLayout();
        state().settings.backgroundColor1 = Qt::darkGreen;
        canvas->requestRedraw(true);
        canvas->requestRedraw(false);
        QCOMPARE(shownAt(QPointF(40, 540)), QColor(Qt::darkGreen));
    }

    // Zoom 0 is the slider's lowest value: the canvas shows nothing and takes no input.
    void zoomZeroShowsAndTakesNothing()
    {
        const int id = addEmoji();
        showLayout();
        putPhoto(0, photo(QSize(400, 300), Qt::red));
        const PhotoFrame before = state().document.photos[0];
        state().zoomPercent = 0.0f;
        canvas->requestRescale();
        const QImage view = shown();
        QImage blank(view.size(), QImage::Format_RGB32);
        blank.fill(view.pixel(0, 0));
        QCOMPARE(view, blank);
        QVERIFY(view.pixelColor(0, 0) != kBackground);

        QSignalSpy changed(canvas.get(), &QuiltraCanvasForm::selectedItemChanged);
        QTest::mouseClick(canvas.get(), Qt::LeftButton, {}, frameCentre(0));
        sendWheel(canvas.get(), frameCentre(0), 120);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(TestSupport::dataPath("extreme/truncated_64x64.bmp"))});
        QVERIFY(!dragAndDrop(canvas.get(), frameCentre(0), &mime));
        runCountdown();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(state().document.photos[0].displaySize, before.displaySize);
        QCOMPARE(state().document.photos[0].filePath, before.filePath);
        QCOMPARE(state().document.selectedObjectId, id);
        QCOMPARE(requests(), 0);
    }
};

QUILTRA_TEST_MAIN(TestCanvasForm)
#include "tst_canvasform.moc"
