#include "CollageHQImageThread.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "QuiltraCanvasForm.h"
#include "TestSupport.h"

#include <QDrag>
#include <QFileDialog>
#include <QMimeData>
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

// Every other pixel black: fast and smooth scaling give clearly different views of it.
QImage checkerPhoto(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, (x + y) % 2 ? colour.rgb() : qRgb(0, 0, 0));
    }
    return image;
}

QImage plainPhoto(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
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

// A canvas whose photo drag ends where the test says: dropped on the canvas at dropAt,
// or, when dropAt is not set, let go somewhere else.
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
        QMimeData *mime = drag->mimeData();
        if (!replacedPayload.isNull())
            mime->setData(QString::fromLatin1(kPhotoSlotMimeType), replacedPayload);
        dragAndDrop(this, *dropAt, mime);
        return Qt::MoveAction;
    }
};

} // namespace

class TestCanvasForm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DragCanvas> canvas;

    // The layout, rendered once and shown at 50 %.
    void showLayout(int photos, int index, int topOffset = 0)
    {
        state().photoCountIndex = photos - 1;
        state().layoutIndex = index;
        state().settings.topOffset = topOffset;
        canvas = std::make_unique<DragCanvas>();
        canvas->resize(980, 560);
        canvas->show();
        QVERIFY(QTest::qWaitForWindowExposed(canvas.get()));
        paint();
        QVERIFY(!state().document.frameRects.isEmpty());
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

    QImage expectedView(Qt::TransformationMode mode)
    {
        // What the canvas renders, made by a renderer of our own from the same document.
        const QImage full = CollageRenderer().renderCollage(
            QRect(QPoint(0, 0), state().canvasSize.toSize()), false);
        const QSize size(qRound(full.width() * state().zoomPercent / 100),
                         qRound(full.height() * state().zoomPercent / 100));
        return full.scaled(size, Qt::IgnoreAspectRatio, mode).convertToFormat(QImage::Format_RGB32);
    }

    bool showsView(Qt::TransformationMode mode)
    {
        const QImage view = shown();
        const QRect visible = expectedView(mode).rect() & view.rect();
        return TestSupport::fuzzyEqual(view.copy(visible), expectedView(mode).copy(visible), 3,
                                       0.001);
    }

    // Runs the countdown to its end; the smooth request is then on its way.
    void runCountdown()
    {
        for (int tick = 0; tick <= QuiltraCanvasForm::kHQCountdownTicks; ++tick)
            canvas->generateHQImage();
    }

    void waitForRequests()
    {
        QTRY_VERIFY(canvas->findChildren<CollageHQImageThread *>().isEmpty());
        QCoreApplication::processEvents();
    }

    void putPhoto(int slot, const QImage &image)
    {
        QVERIFY(placePhoto(slot, QStringLiteral("/photos/%1.png").arg(slot), image));
        canvas->requestRedraw(false);
        paint();
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
        // Three photos: a left column beside two stacked frames, whose divider starts on
        // the vertical one; then a top row over two frames, under a top offset.
        QTest::newRow("vertical divider") << 2 << 0 << true;
        QTest::newRow("horizontal divider under a top offset") << 3 << 100 << false;
    }

    // The divider is grabbed in the visible gap between the frames, found from the frames
    // alone; both neighbours follow it by the pointer's distance, and a rebuild of the
    // geometry keeps the result.
    void dividerDragResizesFrames()
    {
        QFETCH(int, layout);
        QFETCH(int, topOffset);
        QFETCH(bool, vertical);
        showLayout(3, layout, topOffset);
        CollageDocument &document = state().document;
        const QList<QRectF> before = document.frameRects;
        const QRectF first = before[0];
        const QRectF second = before[1];
        const QPointF gap = vertical
                                ? QPointF((first.right() + second.left()) / 2, first.top() + 100)
                                : QPointF(second.center().x(), (first.bottom() + second.top()) / 2);
        QCOMPARE(shownAt(gap), kBackground);

        const QPoint from = toWidget(gap);
        const QPoint shift = vertical ? QPoint(50, 0) : QPoint(0, 50); // 100 document pixels
        QTest::mousePress(canvas.get(), Qt::LeftButton, {}, from);
        QCOMPARE(canvas->cursor().shape(), vertical ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        for (int i = 1; i <= 5; ++i)
            QTest::mouseMove(canvas.get(), from + shift * i / 5);
        QTest::mouseRelease(canvas.get(), Qt::LeftButton, {}, from + shift);

        QList<QRectF> expected = before;
        if (vertical) {
            expected[0].setRight(first.right() + 100);
            expected[1].setLeft(second.left() + 100);
            expected[2].setLeft(before[2].left() + 100);
        } else {
            expected[0].setBottom(first.bottom() + 100);
            expected[1].setTop(second.top() + 100);
            expected[2].setTop(before[2].top() + 100);
        }
        QCOMPARE(document.frameRects, expected);
        // The old gap is now inside the first frame.
        QCOMPARE(shownAt(gap), kFrameColour);
        // The divider across follows the dragged one.
        const QRectF dragged =
            vertical ? document.verticalDividers[0] : document.horizontalDividers[0];
        const QRectF across =
            vertical ? document.horizontalDividers[0] : document.verticalDividers[0];
        QCOMPARE(vertical ? across.left() : across.top(),
                 vertical ? dragged.right() : dragged.bottom());

        document.clearGeometry();
        canvas->requestRedraw(false);
        paint();
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const QRectF &rebuilt = document.frameRects[i];
            QVERIFY2(std::abs(rebuilt.left() - expected[i].left()) < 0.01 &&
                         std::abs(rebuilt.top() - expected[i].top()) < 0.01 &&
                         std::abs(rebuilt.right() - expected[i].right()) < 0.01 &&
                         std::abs(rebuilt.bottom() - expected[i].bottom()) < 0.01,
                     qPrintable(QStringLiteral("frame %1").arg(i)));
        }
    }

    void hoverShowsTheResizeCursor()
    {
        showLayout(3, 2);
        const QRectF left = state().document.frameRects[0];
        const QRectF right = state().document.frameRects[1];
        QTest::mouseMove(canvas.get(), toWidget(QPointF((left.right() + right.left()) / 2, 300)));
        QCOMPARE(canvas->cursor().shape(), Qt::SizeHorCursor);
        QTest::mouseMove(canvas.get(), toWidget(left.center()));
        QCOMPARE(canvas->cursor().shape(), Qt::ArrowCursor);
    }

    void selectionSignals_data()
    {
        QTest::addColumn<bool>("selectedBefore");
        QTest::addColumn<bool>("onObject");
        QTest::addColumn<int>("emitted");
        QTest::addColumn<bool>("selectedAfter");
        QTest::newRow("already selected object") << true << true << 1 << true;
        QTest::newRow("another object") << false << true << 2 << true;
        QTest::newRow("empty canvas, with a selection") << true << false << 1 << false;
        QTest::newRow("empty canvas, nothing selected") << false << false << 1 << false;
    }

    void selectionSignals()
    {
        QFETCH(bool, selectedBefore);
        QFETCH(bool, onObject);
        QFETCH(int, emitted);
        QFETCH(bool, selectedAfter);
        createEmoji(QString::fromUcs4(U"\U0001F600"));
        const int id = state().document.objects.constLast().id;
        if (!selectedBefore)
            state().document.selectedObjectId = -1;
        showLayout(3, 2);
        QSignalSpy changed(canvas.get(), &QuiltraCanvasForm::selectedItemChanged);
        const QRectF bounds = state().document.objects.constLast().bounds;
        QVERIFY(!bounds.isEmpty());
        QTest::mouseClick(canvas.get(), Qt::LeftButton, {},
                          toWidget(onObject ? bounds.center() : QPointF(20, 20)));
        QCOMPARE(changed.count(), emitted);
        QCOMPARE(state().document.selectedObjectId, selectedAfter ? id : -1);
    }

    void objectDragFollowsThePointer()
    {
        createEmoji(QString::fromUcs4(U"\U0001F600"));
        showLayout(3, 2);
        OverlayObject &object = state().document.objects.last();
        const QPointF start(object.x, object.y);
        QSignalSpy moved(canvas.get(), &QuiltraCanvasForm::selectedItemPosChanged);
        const QPoint from = toWidget(object.bounds.center());
        QTest::mousePress(canvas.get(), Qt::LeftButton, {}, from);
        QTest::mouseMove(canvas.get(), from + QPoint(10, 5));
        QTest::mouseMove(canvas.get(), from + QPoint(30, -20));
        QTest::mouseRelease(canvas.get(), Qt::LeftButton, {}, from + QPoint(30, -20));
        QCOMPARE(moved.count(), 2);
        QCOMPARE(QPointF(object.x, object.y), start + QPointF(60, -40));
        QCOMPARE(object.rect.topLeft(), (start + QPointF(60, -40)).toPoint());
    }

    // The panel may delete the held object while the button is still down.
    void heldObjectDeletedDuringTheDrag()
    {
        createEmoji(QString::fromUcs4(U"\U0001F600"));
        createEmoji(QString::fromUcs4(U"\U0001F601"));
        showLayout(3, 2);
        const QPoint from = toWidget(state().document.objects.last().bounds.center());
        QTest::mousePress(canvas.get(), Qt::LeftButton, {}, from);
        state().document.objects.removeLast();
        const QList<OverlayObject> left = state().document.objects;
        QSignalSpy moved(canvas.get(), &QuiltraCanvasForm::selectedItemPosChanged);
        QTest::mouseMove(canvas.get(), from + QPoint(30, 30));
        QTest::mouseRelease(canvas.get(), Qt::LeftButton, {}, from + QPoint(30, 30));
        QCOMPARE(moved.count(), 0);
        QCOMPARE(state().document.objects.constFirst().x, left.constFirst().x);
    }

    void wheelOnPhotosAndObjects_data()
    {
        QTest::addColumn<bool>("onObject");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("forwardedShift");
        QTest::addColumn<int>("angle");
        QTest::addColumn<QString>("expected");
        QTest::newRow("photo zooms in")
            << false << Qt::KeyboardModifiers() << false << 120 << "width +10";
        QTest::newRow("photo turns with Shift")
            << false << Qt::KeyboardModifiers(Qt::ShiftModifier) << false << -120 << "angle -1";
        QTest::newRow("a stuck forwarded Shift does not turn")
            << false << Qt::KeyboardModifiers() << true << 120 << "width +10";
        QTest::newRow("sticker grows")
            << true << Qt::KeyboardModifiers() << false << 120 << "scale 101";
        QTest::newRow("sticker turns with Shift")
            << true << Qt::KeyboardModifiers(Qt::ShiftModifier) << false << 120 << "rotation 1";
    }

    void wheelOnPhotosAndObjects()
    {
        QFETCH(bool, onObject);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, forwardedShift);
        QFETCH(int, angle);
        QFETCH(QString, expected);
        if (onObject) {
            createEmoji(QString::fromUcs4(U"\U0001F600"));
            state().document.selectedObjectId = -1;
        }
        showLayout(3, 2);
        putPhoto(0, plainPhoto(QSize(1000, 1000), Qt::red));
        canvas->setShiftPressed(forwardedShift);
        PhotoFrame &photo = state().document.photos[0];
        const QSize display = photo.displaySize;
        QSignalSpy changed(canvas.get(), &QuiltraCanvasForm::selectedItemChanged);
        const QPointF target = onObject ? state().document.objects.constLast().bounds.center()
                                        : state().document.frameRects[0].center();
        sendWheel(canvas.get(), toWidget(target), angle, modifiers);
        const OverlayObject *object = onObject ? &state().document.objects.constLast() : nullptr;
        // One step is a hundredth of the photo's own width, 1000 pixels.
        if (expected == "width +10")
            QVERIFY2(std::abs(photo.displaySize.width() - (display.width() + 10)) <= 1,
                     qPrintable(QString::number(photo.displaySize.width())));
        else if (expected == "angle -1")
            QCOMPARE(photo.angle, -1.0f);
        else if (expected == "scale 101")
            QCOMPARE(object->scale, 101.0f);
        else
            QCOMPARE(object->rotation, 1.0f);
        QCOMPARE(changed.count(), onObject ? 1 : 0);
        if (onObject)
            QCOMPARE(photo.displaySize, display);
    }

    void dropOfFiles_data()
    {
        QTest::addColumn<QPointF>("where"); // in document pixels; (-1, -1): over the gap
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("filled"); // -1: refused; -2: offered, nothing to place
        QTest::newRow("over the second frame") << QPointF(1400, 300) << 1 << 1;
        QTest::newRow("three files: the first is placed") << QPointF(400, 500) << 3 << 0;
        QTest::newRow("over the gap") << QPointF(-1, -1) << 1 << -1;
        QTest::newRow("an empty list of files") << QPointF(400, 500) << 0 << -2;
    }

    void dropOfFiles()
    {
        QFETCH(QPointF, where);
        QFETCH(int, files);
        QFETCH(int, filled);
        showLayout(3, 2);
        QTemporaryDir dir;
        QList<QUrl> urls;
        const QColor colours[] = {Qt::red, Qt::green, Qt::yellow};
        for (int i = 0; i < files; ++i) {
            const QString path = dir.filePath(QStringLiteral("photo%1.png").arg(i));
            QVERIFY(plainPhoto(QSize(800, 600), colours[i]).save(path));
            urls.append(QUrl::fromLocalFile(path));
        }
        if (where.x() < 0) {
            const QRectF &left = state().document.frameRects[0];
            where = QPointF(left.right() + 20, left.center().y());
        }
        QMimeData mime;
        mime.setUrls(urls);
        if (urls.isEmpty())
            mime.setData(QStringLiteral("text/uri-list"), "\r\n");
        const bool accepted = dragAndDrop(canvas.get(), toWidget(where), &mime);
        QCOMPARE(accepted, filled != -1);
        for (int slot = 0; slot < 3; ++slot) {
            const QString path = state().document.photos[size_t(slot)].filePath;
            QCOMPARE(path, slot == filled ? urls[0].toLocalFile() : QString());
        }
        if (filled >= 0)
            QCOMPARE(shownAt(state().document.frameRects[filled].center()), QColor(Qt::red));
    }

    // A rebuild of the geometry rescales every photo; a size beyond what a display image
    // may take (here 4100 x 4100, a few times this canvas) is refused, and the photo keeps
    // the image it shows.
    void rescaleBeyondTheBoundKeepsThePhoto()
    {
        showLayout(3, 2);
        putPhoto(0, plainPhoto(QSize(100, 100), Qt::red));
        PhotoFrame &photo = state().document.photos[0];
        const qint64 shown = photo.displayImage.cacheKey();
        photo.scale = 41.0f;
        state().document.clearGeometry();
        canvas->requestRedraw(false);
        paint();
        QCOMPARE(shownAt(state().document.frameRects.value(0).center()), QColor(Qt::red));
        QCOMPARE(photo.displayImage.cacheKey(), shown);
    }

    void shiftDragMovesPhotos_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QByteArray>("payload"); // replaces the drag's own when not null
        QTest::addColumn<QString>("result");
        QTest::newRow("swap with a photo") << 1 << QByteArray() << "swapped";
        QTest::newRow("move into an empty frame") << 2 << QByteArray() << "moved";
        QTest::newRow("dropped on its own frame") << 0 << QByteArray() << "unchanged";
        QTest::newRow("payload names another slot") << 2 << QByteArray("1") << "unchanged";
        QTest::newRow("payload out of range") << 2 << QByteArray("12") << "unchanged";
        QTest::newRow("payload not a number") << 2 << QByteArray("x") << "unchanged";
    }

    void shiftDragMovesPhotos()
    {
        QFETCH(int, target);
        QFETCH(QByteArray, payload);
        QFETCH(QString, result);
        showLayout(3, 2);
        putPhoto(0, plainPhoto(QSize(400, 300), Qt::red));
        putPhoto(1, plainPhoto(QSize(400, 300), Qt::green));
        CollageDocument &document = state().document;
        canvas->dropAt = toWidget(document.frameRects[target].center());
        canvas->replacedPayload = payload;
        QTest::mousePress(canvas.get(), Qt::LeftButton, Qt::ShiftModifier,
                          toWidget(document.frameRects[0].center()));
        QTest::mouseRelease(canvas.get(), Qt::LeftButton, Qt::ShiftModifier,
                            toWidget(document.frameRects[0].center()));
        QVERIFY(canvas->sawPixmap);
        const auto colourOf = [this, &document](int slot) {
            return shownAt(document.frameRects[slot].center());
        };
        if (result == "swapped") {
            QCOMPARE(colourOf(0), QColor(Qt::green));
            QCOMPARE(colourOf(1), QColor(Qt::red));
            QCOMPARE(document.photos[0].filePath, QStringLiteral("/photos/1.png"));
        } else if (result == "moved") {
            QCOMPARE(colourOf(0), kFrameColour);
            QCOMPARE(colourOf(2), QColor(Qt::red));
            QVERIFY(document.photos[0].sourceImage.isNull());
            QCOMPARE(document.photos[0].filePath, QStringLiteral("/photos/0.png"));
        } else {
            QCOMPARE(colourOf(0), QColor(Qt::red));
            QCOMPARE(colourOf(1), QColor(Qt::green));
            QCOMPARE(colourOf(2), kFrameColour);
        }
    }

    // Text from another program and a payload without a drag of this canvas behind it are
    // not photo moves.
    void untrustedDropsMoveNothing_data()
    {
        QTest::addColumn<bool>("asText");
        QTest::newRow("a number as text") << true;
        QTest::newRow("the canvas's type, no drag running") << false;
    }

    void untrustedDropsMoveNothing()
    {
        QFETCH(bool, asText);
        showLayout(3, 2);
        putPhoto(0, plainPhoto(QSize(400, 300), Qt::red));
        QMimeData mime;
        if (asText)
            mime.setText(QStringLiteral("0"));
        else
            mime.setData(QString::fromLatin1(QuiltraCanvasForm::kPhotoSlotMimeType), "0");
        QVERIFY(
            !dragAndDrop(canvas.get(), toWidget(state().document.frameRects[2].center()), &mime));
        QVERIFY(state().document.photos[2].sourceImage.isNull());
        QCOMPARE(shownAt(state().document.frameRects[0].center()), QColor(Qt::red));
    }

    void panMovesThePhoto()
    {
        showLayout(3, 2);
        putPhoto(1, plainPhoto(QSize(400, 300), Qt::red));
        const QPointF start = state().document.photos[1].position;
        const QPoint from = toWidget(state().document.frameRects[1].center());
        QTest::mousePress(canvas.get(), Qt::LeftButton, {}, from);
        QTest::mouseMove(canvas.get(), from + QPoint(-20, 15));
        QTest::mouseRelease(canvas.get(), Qt::LeftButton, {}, from + QPoint(-20, 15));
        QCOMPARE(state().document.photos[1].position, start + QPointF(-40, 30));
    }

    void doubleClickOpensTheDialog_data()
    {
        QTest::addColumn<bool>("inGap");
        QTest::addColumn<bool>("folderExists");
        QTest::newRow("remembered folder") << false << true;
        QTest::newRow("missing folder") << false << false;
        QTest::newRow("between frames") << true << true;
    }

    void doubleClickOpensTheDialog()
    {
        QFETCH(bool, inGap);
        QFETCH(bool, folderExists);
        showLayout(3, 2);
        QTemporaryDir photos;
        QTemporaryDir chosen;
        const QString file = chosen.filePath(QStringLiteral("chosen.png"));
        QVERIFY(plainPhoto(QSize(300, 300), Qt::green).save(file));
        state().lastPicturesDir = folderExists ? photos.path() : photos.filePath("gone");

        QString title;
        QString folder;
        QStringList filters;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            title = dialog->windowTitle();
            folder = dialog->directory().absolutePath();
            filters = dialog->nameFilters();
            dialog->selectFile(file);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const QRectF &left = state().document.frameRects[0];
        const QPointF where = inGap ? QPointF(left.right() + 20, left.center().y()) : left.center();
        QTest::mouseDClick(canvas.get(), Qt::LeftButton, {}, toWidget(where));
        QCoreApplication::processEvents();

        if (inGap) {
            QVERIFY(title.isEmpty());
            QVERIFY(state().document.photos[0].sourceImage.isNull());
            return;
        }
        QCOMPARE(title, QStringLiteral("Add Image Files"));
        QCOMPARE(filters, QStringList{QStringLiteral(
                              "Image Files ((*.gif *.heic *.heif *.jpg *.jpeg *.png *.tif "
                              "*.tiff *.webp)")});
        if (folderExists)
            QCOMPARE(folder, QDir(photos.path()).absolutePath());
        else
            QVERIFY(folder != QDir(photos.filePath("gone")).absolutePath());
        QCOMPARE(state().lastPicturesDir, QDir(chosen.path()).absolutePath());
        QCOMPARE(state().document.photos[0].filePath, file);
        QCOMPARE(shownAt(left.center()), QColor(Qt::green));
    }

    void smoothViewFollowsTheCountdown()
    {
        showLayout(3, 2);
        putPhoto(0, checkerPhoto(QSize(801, 601), Qt::white));
        QVERIFY(showsView(Qt::FastTransformation));
        QVERIFY(!showsView(Qt::SmoothTransformation));
        for (int tick = 0; tick < QuiltraCanvasForm::kHQCountdownTicks; ++tick)
            canvas->generateHQImage();
        QVERIFY(canvas->findChildren<CollageHQImageThread *>().isEmpty());
        canvas->generateHQImage();
        waitForRequests();
        QVERIFY(showsView(Qt::SmoothTransformation));
    }

    void staleSmoothViewIsDiscarded_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("document changed and painted") << "document";
        QTest::newRow("zoom changed and painted") << "zoom";
        QTest::newRow("pan under way") << "pan";
    }

    // The request is made, then the view changes before its image arrives.
    void staleSmoothViewIsDiscarded()
    {
        QFETCH(QString, change);
        showLayout(3, 2);
        putPhoto(0, checkerPhoto(QSize(801, 601), Qt::white));
        runCountdown();
        QCOMPARE(canvas->findChildren<CollageHQImageThread *>().size(), 1);
        const QPoint photoCentre = toWidget(state().document.frameRects[0].center());
        if (change == "document") {
            state().settings.backgroundColor1 = Qt::darkGreen;
            canvas->requestRedraw(true);
        } else if (change == "zoom") {
            state().zoomPercent = 60.0f;
            canvas->requestRescale();
        } else {
            QTest::mousePress(canvas.get(), Qt::LeftButton, {}, photoCentre);
        }
        paint();
        waitForRequests();
        QVERIFY(showsView(Qt::FastTransformation));
        if (change == "pan")
            QTest::mouseRelease(canvas.get(), Qt::LeftButton, {}, photoCentre);
    }

    // A photo drag let go outside the canvas never reaches the release handler.
    void photoDragEndedElsewhereAllowsSmoothViews()
    {
        showLayout(3, 2);
        putPhoto(0, checkerPhoto(QSize(801, 601), Qt::white));
        QTest::mousePress(canvas.get(), Qt::LeftButton, Qt::ShiftModifier,
                          toWidget(state().document.frameRects[0].center()));
        paint();
        runCountdown();
        waitForRequests();
        QVERIFY(showsView(Qt::SmoothTransformation));
    }

    void destroyedWhileARequestRuns()
    {
        showLayout(3, 2);
        putPhoto(0, checkerPhoto(QSize(801, 601), Qt::white));
        runCountdown();
        canvas.reset();
        QCoreApplication::processEvents();
    }

    void backgroundChangeIsNotLost()
    {
        showLayout(3, 2);
        state().settings.backgroundColor1 = Qt::darkGreen;
        canvas->requestRedraw(true);
        canvas->requestRedraw(false);
        QCOMPARE(shownAt(QPointF(40, 540)), QColor(Qt::darkGreen));
    }

    // Zoom 0 is the slider's lowest value: the canvas shows nothing and ignores the pointer.
    void zoomZeroShowsAndTakesNothing()
    {
        createEmoji(QString::fromUcs4(U"\U0001F600"));
        showLayout(3, 2);
        putPhoto(0, plainPhoto(QSize(400, 300), Qt::red));
        const PhotoFrame before = state().document.photos[0];
        const QPoint onPhoto = toWidget(state().document.frameRects[0].center());
        state().zoomPercent = 0.0f;
        canvas->requestRescale();
        QSignalSpy changed(canvas.get(), &QuiltraCanvasForm::selectedItemChanged);
        const QImage view = shown();
        QVERIFY(view.pixelColor(0, 0) != kBackground);
        for (int y = 0; y < view.height(); y += 3) {
            for (int x = 0; x < view.width(); x += 3)
                QCOMPARE(view.pixel(x, y), view.pixel(0, 0));
        }

        QTest::mouseClick(canvas.get(), Qt::LeftButton, {}, onPhoto);
        sendWheel(canvas.get(), onPhoto, 120);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(TestSupport::dataPath("extreme/truncated_64x64.bmp"))});
        QVERIFY(!dragAndDrop(canvas.get(), onPhoto, &mime));
        runCountdown();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(state().document.photos[0].displaySize, before.displaySize);
        QCOMPARE(state().document.photos[0].filePath, before.filePath);
        QCOMPARE(state().document.selectedObjectId, state().document.objects.constLast().id);
        QVERIFY(canvas->findChildren<CollageHQImageThread *>().isEmpty());
    }

    // A custom size too large to render for the screen: a message instead of the collage,
    // and the canvas still answers.
    void canvasTooLargeToShow()
    {
        state().canvasSize = QSizeF(32000, 32000);
        showLayout(3, 2);
        const QImage view = shown();
        const QImage corner = view.copy(0, 0, 400, 60);
        QVERIFY(corner.pixelColor(0, 0) != kBackground);
        bool hasText = false;
        for (int y = 0; y < corner.height() && !hasText; ++y) {
            for (int x = 0; x < corner.width() && !hasText; ++x)
                hasText = corner.pixel(x, y) != corner.pixel(0, 0);
        }
        QVERIFY(hasText);
        QSignalSpy changed(canvas.get(), &QuiltraCanvasForm::selectedItemChanged);
        QTest::mouseClick(canvas.get(), Qt::LeftButton, {}, QPoint(100, 100));
        QCOMPARE(changed.count(), 1);
    }
};

QUILTRA_TEST_MAIN(TestCanvasForm)
#include "tst_canvasform.moc"
