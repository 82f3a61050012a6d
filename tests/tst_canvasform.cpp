#include "CollageHQImageThread.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "QuiltraCanvasForm.h"
#include "TestSupport.h"

#include <QDrag>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

namespace {

const QColor kBackground(20, 40, 200);
const QColor kFrame(250, 250, 235);
const QColor kRed(Qt::red), kGreen(Qt::green);

// Drags mime over the widget to pos and drops it there; whether the move was accepted.
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

// The menu's texts, a submenu's after its title and a slash; the action at path choice.
QStringList menuTexts(QMenu *menu, const QString &choice, QAction **chosen, QString prefix = {})
{
    QStringList texts;
    for (QAction *action : menu->actions()) {
        texts << prefix + (action->isSeparator() ? "-" : action->text());
        if (texts.last() == choice)
            *chosen = action;
        if (action->menu())
            texts << menuTexts(action->menu(), choice, chosen, texts.last() + '/');
    }
    return texts;
}

// A canvas whose photo drag is dropped on itself at dropAt with its payload, or let go elsewhere.
class DragCanvas : public QuiltraCanvasForm
{
public:
    std::optional<QPoint> dropAt;
    QByteArray payload;

protected:
    Qt::DropAction execPhotoDrag(QDrag *drag) override
    {
        if (!payload.isNull())
            drag->mimeData()->setData(kPhotoSlotMimeType, payload);
        return dropAt && dragAndDrop(this, *dropAt, drag->mimeData()) ? Qt::MoveAction
                                                                      : Qt::IgnoreAction;
    }
};

} // namespace

class TestCanvasForm : public QObject
{
    Q_OBJECT

    CollageState &state = CollageState::instance();
    CollageDocument &document = CollageState::instance().document;
    std::unique_ptr<DragCanvas> canvas;
    QTemporaryDir folder;

    // Document pixels to widget pixels at the zoom.
    QPoint toWidget(QPointF docPos) { return (docPos * state.zoomPercent / 100).toPoint(); }
    QPoint frameCentre(int slot) { return toWidget(document.frameRects.value(slot).center()); }
    QColor shownAt(int slot) { return shownAt(document.frameRects.value(slot).center()); }
    qsizetype requests() { return canvas->findChildren<CollageHQImageThread *>().size(); }

    QColor shownAt(QPointF docPos)
    {
        canvas->repaint();
        return canvas->grab().toImage().pixelColor(toWidget(docPos));
    }

    // Three frames: a left column beside two stacked ones (layout 2), or a top row over two
    // (layout 3).
    void showLayout(int layout = 2, int topOffset = 0)
    {
        state.layoutIndex = layout;
        state.settings.topOffset = topOffset;
        canvas = std::make_unique<DragCanvas>();
        canvas->resize(1940, 1100);
        canvas->show();
        QVERIFY(QTest::qWaitForWindowExposed(canvas.get()));
        canvas->repaint();
    }

    // Placed from a file, as a drop or the file dialog would, by default just filling the frame;
    // returns the file.
    QString putPhoto(int slot, QColor colour, QSize size = {})
    {
        const QSizeF frame = document.frameRects.value(slot).size();
        QImage image(size.isValid() ? size : QSize(int(frame.width()), int(frame.height())),
                     QImage::Format_RGB32);
        image.fill(colour);
        if (colour == Qt::white) // fast scaling shows it black or white, smooth scaling grey
            QPainter(&image).fillRect(image.rect(), QBrush(Qt::black, Qt::Dense4Pattern));
        const QString path = folder.filePath(QStringLiteral("%1.png").arg(slot));
        if (!image.save(path) || !placePhoto(slot, path, readPhotoFile(path)))
            qFatal("cannot place %s", qPrintable(path));
        canvas->requestRedraw(false);
        return path;
    }

    int addEmoji()
    {
        createEmoji(QString::fromUcs4(U"\U0001F600"));
        return document.objects.constLast().id;
    }

    void wheel(QPoint pos, int angle, Qt::KeyboardModifiers modifiers = {})
    {
        QWheelEvent event(pos, canvas->mapToGlobal(pos), QPoint(), QPoint(0, angle), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas.get(), &event);
    }

    // Right-presses at docPos and chooses choice ("Adjustments/Sepia"), then types how's number
    // into the dialog it opens and leaves by the button named after it, else closes the window.
    QStringList rightClick(QPointF docPos, const QString &choice = {}, const QString &how = {})
    {
        QStringList offered;
        QObject scope; // no timer outlives the press
        QTimer::singleShot(0, &scope, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QAction *chosen = nullptr;
            offered = menuTexts(menu, choice, &chosen);
            menu->close();
            QTimer::singleShot(0, &scope, [&] {
                QWidget *dialog = QApplication::activeModalWidget();
                if (!dialog)
                    return;
                QTest::keyClick(dialog->findChild<QSpinBox *>(), Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(dialog->findChild<QSpinBox *>(), how.section(' ', 0, 0));
                if (auto *button = dialog->findChild<QPushButton *>(how.section(' ', 1)))
                    QTest::mouseClick(button, Qt::LeftButton);
                else
                    dialog->close();
            });
            if (chosen)
                chosen->trigger();
        });
        QTest::mouseClick(canvas.get(), Qt::RightButton, {}, toWidget(docPos));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return offered;
    }

private Q_SLOTS:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
        state.settings.cornerTopLeft = state.settings.cornerBottomRight = false;
        state.settings.dropShadow = 0;
        state.settings.backgroundColor1 = kBackground;
        state.settings.frameBackgroundColor1 = kFrame;
        state.zoomPercent = 50.0f;
        state.photoCountIndex = 2;
    }

    void cleanup() { canvas.reset(); }

    void dividerDrag_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("topOffset");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<qreal>("width"); // of the first frame after the drag; 0: 100 wider
        QTest::addColumn<bool>("moves");
        QTest::newRow("vertical divider") << 2 << 0 << true << 0.0 << true;
        QTest::newRow("horizontal divider, top offset") << 3 << 100 << false << 0.0 << true;
        QTest::newRow("left frame 30 wide") << 2 << 0 << true << 30.0 << true;
        QTest::newRow("left frame 29 wide") << 2 << 0 << true << 29.0 << false;
        QTest::newRow("upper frame 29 high") << 3 << 100 << false << 29.0 << false;
    }

    // Hovered in the visible gap the divider shows its resize cursor; dragged, it takes both
    // neighbours and the divider attached to it, unless a frame would be under 30 pixels.
    void dividerDrag()
    {
        QFETCH(int, layout);
        QFETCH(int, topOffset);
        QFETCH(bool, vertical);
        QFETCH(qreal, width);
        QFETCH(bool, moves);
        state.zoomPercent = 100.0f; // a whole document pixel a step
        showLayout(layout, topOffset);
        const QList<QRectF> before = document.frameRects;
        const QPointF gap =
            vertical ? QPointF((before[0].right() + before[1].left()) / 2, before[0].top() + 100)
                     : QPointF(before[1].center().x(), (before[0].bottom() + before[1].top()) / 2);
        QCOMPARE(shownAt(gap), kBackground);
        QTest::mouseMove(canvas.get(), QPoint(1, 1));
        QTest::mouseMove(canvas.get(), toWidget(gap));
        QCOMPARE(canvas->cursor().shape(), vertical ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        const qreal size = vertical ? before[0].width() : before[0].height();
        const qreal by = width > 0 ? std::ceil(width - size) : 100;
        const QPointF moved = vertical ? QPointF(by, 0) : QPointF(0, by);
        QTest::mousePress(canvas.get(), Qt::LeftButton, {}, toWidget(gap));
        QTest::mouseMove(canvas.get(), toWidget(gap + moved));
        QTest::mouseRelease(canvas.get(), Qt::LeftButton, {}, toWidget(gap + moved));
        QList<QRectF> expected = before;
        expected[0].setBottomRight(expected[0].bottomRight() + moved * moves);
        expected[1].setTopLeft(expected[1].topLeft() + moved * moves);
        expected[2].setTopLeft(expected[2].topLeft() + moved * moves);
        QCOMPARE(document.frameRects, expected);
        const QRectF dragged =
            (vertical ? document.verticalDividers : document.horizontalDividers)[0];
        const QRectF across =
            (vertical ? document.horizontalDividers : document.verticalDividers)[0];
        QCOMPARE(vertical ? across.left() : across.top(),
                 vertical ? dragged.right() : dragged.bottom());
        QCOMPARE(shownAt(moves ? gap + moved / 2 : gap), moves ? kFrame : kBackground);
    }

    void objectDrag_data()
    {
        QTest::addColumn<bool>("deleteHeld");
        QTest::newRow("follows the pointer") << false;
        // The panel may delete the held object while the button is still down.
        QTest::newRow("held object deleted meanwhile") << true;
    }

    // The later of two objects on one spot is picked and follows the pointer.
    void objectDrag()
    {
        QFETCH(bool, deleteHeld);
        addEmoji();
        const int id = addEmoji();
        document.selectedObjectId = -1;
        showLayout();
        const QPointF start(document.objects[1].x, document.objects[1].y);
        const QPoint from = toWidget(document.objects[1].bounds.center());
        QSignalSpy moved(canvas.get(), &QuiltraCanvasForm::selectedItemPosChanged);
        QTest::mousePress(canvas.get(), Qt::LeftButton, {}, from);
        QCOMPARE(document.selectedObjectId, id);
        if (deleteHeld)
            document.objects.removeLast();
        QTest::mouseMove(canvas.get(), from + QPoint(10, 5));
        QTest::mouseMove(canvas.get(), from + QPoint(30, -20));
        QTest::mouseRelease(canvas.get(), Qt::LeftButton, {}, from + QPoint(30, -20));
        const OverlayObject &object = document.objects.constLast();
        const QPointF to = start + (deleteHeld ? QPointF() : QPointF(60, -40));
        QCOMPARE(moved.count(), deleteHeld ? 0 : 2);
        QCOMPARE(QPointF(object.x, object.y), to);
        QCOMPARE(object.rect.topLeft(), to.toPoint());
    }

    void panMovesThePhoto()
    {
        showLayout();
        putPhoto(1, kRed);
        const QPointF start = document.photos[1].position;
        QTest::mousePress(canvas.get(), Qt::LeftButton, {}, frameCentre(1));
        QTest::mouseMove(canvas.get(), frameCentre(1) + QPoint(-20, 15));
        QCOMPARE(document.photos[1].position, start + QPointF(-40, 30));
    }

    void wheel_data()
    {
        QTest::addColumn<QString>("target"); // "stuck": a photo with a stale forwarded Shift
        QTest::addColumn<bool>("shift");
        QTest::addColumn<float>("start"); // of what the wheel changes
        QTest::addColumn<int>("notches"); // the sign gives the direction
        QTest::addColumn<float>("end");
        QTest::newRow("photo zooms in") << "photo" << false << 1.0f << 1 << 1.01f;
        QTest::newRow("photo zoom stops at 0.05") << "photo" << false << 0.2f << -20 << 0.05f;
        QTest::newRow("photo zoom stops at 2") << "photo" << false << 1.9f << 15 << 2.0f;
        QTest::newRow("photo turns, unbounded") << "photo" << true << 368.0f << 2 << 370.0f;
        QTest::newRow("a stuck forwarded Shift") << "stuck" << false << 1.0f << 1 << 1.01f;
        QTest::newRow("emoji grows") << "emoji" << false << 100.0f << 1 << 101.0f;
        QTest::newRow("emoji shrinks to 1") << "emoji" << false << 3.0f << -5 << 1.0f;
        QTest::newRow("emoji turns, wrapping") << "emoji" << true << 359.0f << 2 << 1.0f;
        QTest::newRow("label's points up to 999") << "label" << false << 998.0f << 3 << 999.0f;
    }

    void wheel()
    {
        QFETCH(QString, target);
        QFETCH(bool, shift);
        QFETCH(float, start);
        QFETCH(int, notches);
        QFETCH(float, end);
        const bool onObject = target == "emoji" || target == "label";
        if (onObject)
            target == "label" ? createLabel() : void(addEmoji());
        showLayout();
        putPhoto(0, kRed, QSize(1000, 1000));
        canvas->setShiftPressed(target == "stuck");
        document.selectedObjectId = -1;
        PhotoFrame &photo = document.photos[0];
        OverlayObject *object = onObject ? &document.objects.last() : nullptr;
        float &value = object ? (shift ? object->rotation : object->scale)
                              : (shift ? photo.angle : photo.scale);
        value = start;
        if (!onObject &&
            !shift) { // the photo as the wheel would have left it, on the frame's centre
            photo.displaySize = (QSizeF(1000, 1000) * start).toSize();
            photo.position = document.frameRects[0].center() - QPointF(500, 500) * start;
        }
        if (target == "label")
            object->font.setPointSize(int(start));
        QSignalSpy changed(canvas.get(), &QuiltraCanvasForm::selectedItemChanged);
        const QPoint at = object ? toWidget(object->bounds.center()) : frameCentre(0);
        for (int i = 0; i < std::abs(notches); ++i)
            wheel(at, notches > 0 ? 120 : -120, shift ? Qt::ShiftModifier : Qt::NoModifier);
        const float seen = target == "label" ? object->font.pointSize() : value;
        QVERIFY2(std::abs(seen - end) < 1e-4f, qPrintable(QString::number(seen)));
        QCOMPARE(changed.count(), onObject ? std::abs(notches) : 0);
        QCOMPARE(document.selectedObjectId, onObject ? object->id : -1);
    }

    void drops_data()
    {
        QTest::addColumn<QString>("payload");
        QTest::addColumn<int>("frame"); // -1: the gap beside the first frame
        QTest::addColumn<bool>("placed");
        QTest::newRow("the first of two files") << "files" << 1 << true;
        QTest::newRow("files over the gap") << "files" << -1 << false;
        // Neither is a photo move: text from another program, or this canvas's type with no
        // drag of this canvas behind it.
        QTest::newRow("a number as text") << "text" << 2 << false;
        QTest::newRow("the canvas's type") << "own type" << 2 << false;
    }

    void drops()
    {
        QFETCH(QString, payload);
        QFETCH(int, frame);
        QFETCH(bool, placed);
        showLayout();
        const QString green = putPhoto(2, kGreen);
        document.photos[2] = PhotoFrame();
        QMimeData mime;
        if (payload == "files")
            mime.setUrls({QUrl::fromLocalFile(green), QUrl::fromLocalFile(putPhoto(0, kRed))});
        else
            payload == "text" ? mime.setText("0")
                              : mime.setData(DragCanvas::kPhotoSlotMimeType, "0");
        const QRectF &left = document.frameRects[0];
        const QPointF where = frame < 0 ? QPointF(left.right() + 20, left.center().y())
                                        : document.frameRects[frame].center();
        QCOMPARE(dragAndDrop(canvas.get(), toWidget(where), &mime), payload == "files" && placed);
        for (int slot = 1; slot < 3; ++slot)
            QCOMPARE(shownAt(slot), placed && slot == frame ? kGreen : kFrame);
    }

    void shiftDragMovesPhotos_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QByteArray>("payload"); // replaces the drag's own when not null
        QTest::addColumn<QList<QColor>>("colours");
        QTest::newRow("swap") << 1 << QByteArray() << QList{kGreen, kRed, kFrame};
        QTest::newRow("into an empty frame") << 2 << QByteArray() << QList{kFrame, kGreen, kRed};
        QTest::newRow("payload names another slot")
            << 2 << QByteArray("1") << QList{kRed, kGreen, kFrame};
    }

    // What the frames show, also once the geometry is rebuilt from the photos' own images.
    void shiftDragMovesPhotos()
    {
        QFETCH(int, target);
        QFETCH(QByteArray, payload);
        QFETCH(QList<QColor>, colours);
        showLayout();
        putPhoto(0, kRed);
        putPhoto(1, kGreen);
        canvas->dropAt = frameCentre(target);
        canvas->payload = payload;
        QTest::mouseClick(canvas.get(), Qt::LeftButton, Qt::ShiftModifier, frameCentre(0));
        document.clearGeometry();
        canvas->requestRedraw(false);
        canvas->repaint();
        for (int slot = 0; slot < 3; ++slot)
            QCOMPARE(shownAt(slot), colours[slot]);
    }

    // The dialog starts in the remembered folder; the photo lands in the frame double-clicked,
    // and between frames nothing opens, whatever frame an earlier event was over.
    void doubleClickOpensTheDialog()
    {
        showLayout();
        const QString file = putPhoto(0, kGreen);
        document.photos[0] = PhotoFrame();
        QTemporaryDir remembered;
        state.lastPicturesDir = remembered.path();
        QStringList folders;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                folders << dialog->directory().absolutePath();
                dialog->selectFile(file);
                QMetaObject::invokeMethod(dialog, "accept");
            }
        });
        answer.start(10);
        QTest::mouseClick(canvas.get(), Qt::LeftButton, {}, frameCentre(0));
        QTest::mouseDClick(canvas.get(), Qt::LeftButton, {}, frameCentre(0) + QPoint(0, 300));
        QTest::mouseDClick(canvas.get(), Qt::LeftButton, {}, frameCentre(2));
        QCOMPARE(folders, QStringList{QDir(remembered.path()).absolutePath()});
        QCOMPARE(state.lastPicturesDir, QDir(folder.path()).absolutePath());
        QCOMPARE(shownAt(2), kGreen);
        QCOMPARE(shownAt(0), kFrame);
    }

    void smoothView_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("nothing") << "";
        QTest::newRow("photo changed and painted") << "photo";
        QTest::newRow("pan under way") << "pan";
        QTest::newRow("canvas closed") << "close";
    }

    // After ten quiet ticks one smooth view is asked for; a view made for what is no longer
    // shown, or while a photo is being panned, must not replace the fast one.
    void smoothView()
    {
        QFETCH(QString, meanwhile);
        showLayout();
        putPhoto(0, Qt::white);
        const auto isGrey = [](QColor c) { return c.red() > 60 && c.red() < 200; };
        QVERIFY(!isGrey(shownAt(0)));
        for (int tick = 0; tick < 10; ++tick)
            canvas->generateHQImage();
        QCOMPARE(requests(), 0);
        canvas->generateHQImage();
        QCOMPARE(requests(), 1);
        if (meanwhile == "photo")
            putPhoto(0, kRed);
        if (meanwhile == "pan")
            QTest::mousePress(canvas.get(), Qt::LeftButton, {}, frameCentre(0));
        if (meanwhile == "close")
            return canvas.reset();
        canvas->repaint();
        QTRY_COMPARE(requests(), 0);
        const QColor shown = canvas->grab().toImage().pixelColor(frameCentre(0));
        QVERIFY(meanwhile == "photo" ? shown == kRed : isGrey(shown) == meanwhile.isEmpty());
    }

    // Zoom 0 is the slider's lowest value: the canvas shows nothing and takes no input.
    void zoomZeroShowsAndTakesNothing()
    {
        const int id = addEmoji();
        showLayout();
        const QString red = putPhoto(0, kRed);
        const QPoint centre = frameCentre(0);
        const float scale = document.photos[0].scale;
        state.zoomPercent = 0.0f;
        canvas->requestRescale();
        canvas->repaint();
        const QImage view = canvas->grab().toImage();
        QVERIFY(view.pixelColor(centre) == view.pixelColor(0, 0) &&
                view.pixelColor(0, 0) != kBackground);
        QSignalSpy changed(canvas.get(), &QuiltraCanvasForm::selectedItemChanged);
        QTest::mouseClick(canvas.get(), Qt::LeftButton, {}, centre);
        wheel(centre, 120);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(red)});
        QVERIFY(!dragAndDrop(canvas.get(), centre, &mime));
        for (int tick = 0; tick <= 10; ++tick)
            canvas->generateHQImage();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(document.photos[0].scale, scale);
        QCOMPARE(document.selectedObjectId, id);
        QCOMPARE(requests(), 0);
    }

    void menus_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("object");
        QTest::addColumn<QStringList>("expected");
        const QString a = "Adjustments/";
        QTest::newRow("empty frame")
            << 2 << false << QStringList{"Frame Background", "Rotate Frame"};
        QTest::newRow("photo") << 1 << false << QStringList{"Adjustments",       a + "Grayscale",
                                                            a + "Sepia",         a + "Contrast",
                                                            a + "Brightness",    a + "Gamma",
                                                            a + "Invert Colors", a + "-",
                                                            a + "Reset Image",   "Clear Image",
                                                            "Frame Background",  "Rotate Frame"};
        QTest::newRow("object over a photo") << 1 << true << QStringList{"Delete"};
    }

    // Built anew on every press, without piling up old submenus; an object's menu wins and
    // selects the object.
    void menus()
    {
        QFETCH(int, slot);
        QFETCH(bool, object);
        QFETCH(QStringList, expected);
        const int id = object ? addEmoji() : -1;
        document.selectedObjectId = -1;
        showLayout();
        putPhoto(1, kRed);
        const QPointF centre = document.frameRects.value(slot).center();
        if (object) {
            OverlayObject &emoji = document.objects[0];
            emoji.rect.moveCenter(centre.toPoint());
            emoji.x = emoji.rect.x();
            emoji.y = emoji.rect.y();
            canvas->repaint();
        }
        QSignalSpy deletion(canvas.get(), &QuiltraCanvasForm::deleteSelectedItem);
        QCOMPARE(rightClick(centre, "Delete"), expected);
        QCOMPARE(rightClick(centre), expected);
        QVERIFY(canvas->findChildren<QMenu *>().size() <= 2);
        QCOMPARE(document.selectedObjectId, id);
        QCOMPARE(deletion.count(), object ? 1 : 0);
    }

    void commands_data()
    {
        QTest::addColumn<QStringList>("steps"); // an empty step removes the photo's file
        QTest::addColumn<QString>("how");       // the answer to the dialog
        QTest::addColumn<QPointF>("probe");     // in parts of the frame's width and height
        QTest::addColumn<QColor>("expected");
        using L = QStringList;
        const QPointF mid(0.5, 0.5);
        const QString a = "Adjustments/";
        const QColor photo(100, 150, 200);
        const QColor sepia(192, 171, 133); // 0.393 * 100 + 0.769 * 150 + 0.189 * 200, ...
        QTest::newRow("sepia") << L{a + "Sepia"} << "" << mid << sepia;
        QTest::newRow("reset") << L{a + "Sepia", a + "Reset Image"} << "" << mid << photo;
        QTest::newRow("reset, file gone")
            << L{a + "Sepia", "", a + "Reset Image"} << "" << mid << sepia;
        QTest::newRow("clear") << L{"Clear Image"} << "" << mid << kFrame;
        QTest::newRow("brightness")
            << L{a + "Brightness"} << "50 applyButton" << mid << QColor(150, 200, 250);
        // Gamma 2: (100 / 255)^0.5 * 255 = 159.7, and so on.
        QTest::newRow("gamma") << L{a + "Gamma"} << "100 applyButton" << mid
                               << QColor(159, 195, 225);
        QTest::newRow("cancelled") << L{a + "Contrast"} << "5 cancelButton" << mid << photo;
        QTest::newRow("closed") << L{a + "Brightness"} << "90 close" << mid << photo;
        // The frame turned clockwise rises left of its centre, over its old top edge.
        QTest::newRow("rotate") << L{"Rotate Frame"} << "30 okButton" << QPointF(0.25, -0.03)
                                << kFrame;
    }

    // Whatever closes a dialog deletes it; only its accepting button changes the frame, also
    // once the frames are rebuilt and every photo scaled again from its source image.
    void commands()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, how);
        QFETCH(QPointF, probe);
        QFETCH(QColor, expected);
        showLayout();
        const QString file = putPhoto(1, QColor(100, 150, 200));
        const QRectF frame = document.frameRects.value(1);
        document.photos[1].angle = 1.0f;
        for (const QString &step : steps)
            step.isEmpty() ? void(QFile::remove(file))
                           : void(rightClick(frame.center(), step, how));
        QVERIFY(canvas->findChildren<QDialog *>().isEmpty());
        QCOMPARE(document.photos[1].angle, steps.last().endsWith("Reset Image") ? 0.0f : 1.0f);
        const QPointF at =
            frame.topLeft() + QPointF(probe.x() * frame.width(), probe.y() * frame.height());
        QCOMPARE(shownAt(at), expected);
        document.clearGeometry();
        canvas->requestRedraw(false);
        QCOMPARE(shownAt(at), expected);
        QCOMPARE(shownAt(2), kFrame);
    }
};

QUILTRA_TEST_MAIN(TestCanvasForm)
#include "tst_canvasform.moc"
