#include "CanvasGeometry.h"
#include "CollageHQImageThread.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "QuiltraCanvasForm.h"
#include "TestSupport.h"

#include <QDrag>
#include <QFileDialog>
#include <QLineEdit>
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
const QColor kRed(Qt::red), kGreen(Qt::green), kPhoto(100, 150, 200);

// Drags mime over the widget to pos and drops it there; whether the move was
// accepted.
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

// The menu's texts, a submenu's after its title and a slash; the action at path
// choice.
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

TriangleFrame triangle(QPointF a, QPointF b, QPointF c)
{
    TriangleFrame frame{a, b, c, a, {}};
    frame.path.addPolygon(QPolygonF{a, b, c, a});
    return frame;
}

// A canvas whose photo drag is dropped on itself at dropAt with its payload, or
// let go elsewhere.
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
    QTemporaryDir pictures; // lime.png (kGreen) and blue.png, to drop or choose

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

    // Three frames: a left column beside two stacked ones (layout 2), or a top
    // row over two (layout 3).
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

    // Placed from a file, as a drop or the file dialog would, by default just
    // filling the frame; returns the file.
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

    // Right-presses at docPos and chooses choice ("Adjustments/Sepia"), then
    // types how's number into the dialog it opens and leaves by the button named
    // after it, else closes the window.
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

    // One step of what the user does, its words split by '|': "drop|slot|files, text or own"
    // (slot -1: the gap beside frame 0), "shift|from|to[|payload]", "menu|choice[|answer]" on
    // frame 1, "pan|slot" (by (-20, 15) widget pixels), "bg" (a new background, then a frames-only
    // redraw), "rm" (frame 1's file disappears), "dclick|slot" (choosing lime.png).
    void play(const QStringList &step)
    {
        const int slot = step.value(1).toInt();
        const QRectF &left = document.frameRects[0];
        const QPoint at =
            slot < 0 ? toWidget(QPointF(left.right() + 20, left.center().y())) : frameCentre(slot);
        const QString green = pictures.filePath("lime.png");
        if (step[0] == "drop") {
            QMimeData mime;
            if (step[2] == "files")
                mime.setUrls({QUrl::fromLocalFile(green),
                              QUrl::fromLocalFile(pictures.filePath("blue.png"))});
            else
                step[2] == "text" ? mime.setText("0")
                                  : mime.setData(DragCanvas::kPhotoSlotMimeType, "0");
            QCOMPARE(dragAndDrop(canvas.get(), at, &mime), step[2] == "files" && slot >= 0);
        } else if (step[0] == "shift") {
            canvas->dropAt = frameCentre(step[2].toInt());
            canvas->payload = step.value(3).toLatin1();
            QTest::mouseClick(canvas.get(), Qt::LeftButton, Qt::ShiftModifier, at);
        } else if (step[0] == "menu") {
            rightClick(document.frameRects[1].center(), step[1], step.value(2));
        } else if (step[0] == "pan") {
            const QPointF start = document.photos[size_t(slot)].position;
            QTest::mousePress(canvas.get(), Qt::LeftButton, {}, at);
            QTest::mouseMove(canvas.get(), at + QPoint(-20, 15));
            QTest::mouseRelease(canvas.get(), Qt::LeftButton, {}, at + QPoint(-20, 15));
            QCOMPARE(document.photos[size_t(slot)].position, start + QPointF(-40, 30));
        } else if (step[0] == "bg") {
            state.settings.backgroundColor1 = Qt::darkGreen;
            canvas->requestRedraw(true);
            canvas->requestRedraw(false);
        } else if (step[0] == "rm") {
            QVERIFY(QFile::remove(folder.filePath("1.png")));
        } else if (step[0] == "dclick") {
            QStringList folders;
            QTimer answer;
            connect(&answer, &QTimer::timeout, this, [&] {
                if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                    folders << dialog->directory().absolutePath();
                    dialog->findChild<QLineEdit *>("fileNameEdit")->setText(green);
                    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
                }
            });
            answer.start(10);
            QTest::mouseDClick(canvas.get(), Qt::LeftButton, {}, at);
            // The dialog starts in the remembered folder and remembers the chosen one.
            QCOMPARE(folders,
                     slot < 0 ? QStringList() : QStringList{QDir(folder.path()).absolutePath()});
            QCOMPARE(state.lastPicturesDir,
                     slot < 0 ? folder.path() : QDir(pictures.path()).absolutePath());
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const QString colour : {"lime", "blue"}) {
            QImage image(400, 300, QImage::Format_RGB32);
            image.fill(QColor(colour));
            QVERIFY(image.save(pictures.filePath(colour + ".png")));
        }
    }
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

    // What lies under a document point: a rectangle before a triangle, a triangle when no
    // rectangle, nothing beside a slanted edge; the later object over the earlier, also within
    // the probe's reach; a horizontal divider before a vertical one, a vertical one, nothing at
    // spacing 0.
    void probes()
    {
        CollageDocument doc;
        doc.frameRects = {QRectF(200, 0, 100, 100), QRectF(0, 0, 100, 100)};
        doc.triangleFrames = {triangle({0, 0}, {100, 0}, {0, 100}),
                              triangle({0, 100}, {0, 200}, {100, 100})};
        doc.objects = {OverlayObject(), OverlayObject()};
        doc.objects[0].bounds = QRectF(0, 0, 200, 200);
        doc.objects[1].bounds = QRectF(100, 100, 200, 200);
        doc.horizontalDividers = {QRectF(100, 200, 400, 0), QRectF(100, 400, 400, 0)};
        doc.verticalDividers = {QRectF(300, 0, 0, 500)};
        const auto divider = [&](QPointF pos, int spacing) {
            const DividerHit hit = dividerAt(doc, pos, spacing);
            return hit.orientation == DividerOrientation::None
                       ? QStringLiteral("-1")
                       : (hit.orientation == DividerOrientation::Vertical ? "v" : "h") +
                             QString::number(hit.index);
        };
        QCOMPARE((QStringList{QString::number(frameAt(doc, {50, 50})),
                              QString::number(frameAt(doc, {50, 150})),
                              QString::number(frameAt(doc, {95, 195})),
                              QString::number(objectAt(doc, {150, 150})),
                              QString::number(objectAt(doc, {301, 150})), divider({300, 200}, 40),
                              divider({310, 100}, 40), divider({300, 200}, 0)}),
                 (QStringList{"1", "1", "-1", "1", "1", "h0", "v0", "-1"}));
    }

    void dividerDrag_data()
    {
        QTest::addColumn<int>("layout");  // 2: a vertical divider, 3: a horizontal one below 100
        QTest::addColumn<qreal>("width"); // of the first frame after the drag; 0: 100 wider
        QTest::addColumn<bool>("moves");
        QTest::newRow("vertical divider") << 2 << 0.0 << true;
        QTest::newRow("horizontal divider, top offset") << 3 << 0.0 << true;
        QTest::newRow("left frame 30 wide") << 2 << 30.0 << true;
        QTest::newRow("left frame 29 wide") << 2 << 29.0 << false;
        QTest::newRow("upper frame 29 high") << 3 << 29.0 << false;
    }

    // Hovered in the visible gap the divider shows its resize cursor; dragged, it
    // takes both neighbours and the divider attached to it, unless a frame would
    // be under 30 pixels.
    void dividerDrag()
    {
        QFETCH(int, layout);
        QFETCH(qreal, width);
        QFETCH(bool, moves);
        const bool vertical = layout == 2;
        state.zoomPercent = 100.0f; // a whole document pixel a step
        showLayout(layout, vertical ? 0 : 100);
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
        const QPointF d = moved * moves;
        QCOMPARE(document.frameRects, (QList{before[0].adjusted(0, 0, d.x(), d.y()),
                                             before[1].adjusted(d.x(), d.y(), 0, 0),
                                             before[2].adjusted(d.x(), d.y(), 0, 0)}));
        const QRectF dragged =
            (vertical ? document.verticalDividers : document.horizontalDividers)[0];
        const QRectF across =
            (vertical ? document.horizontalDividers : document.verticalDividers)[0];
        QCOMPARE(vertical ? across.left() : across.top(),
                 vertical ? dragged.right() : dragged.bottom());
        // Rebuilt from what was written back into the layout, the frames stay where they were left.
        document.clearGeometry();
        canvas->requestRedraw(false);
        QCOMPARE(shownAt(moves ? gap + moved / 2 : gap), moves ? kFrame : kBackground);
    }

    void objectDrag_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("follows the pointer") << "drag";
        // The panel may delete the held object while the button is still down.
        QTest::newRow("held object deleted meanwhile") << "delete";
        // Over frame 0 too, whose menu is not offered.
        QTest::newRow("its own menu") << "menu";
    }

    // The later of two objects on one spot is picked and follows the pointer.
    void objectDrag()
    {
        QFETCH(QString, how);
        addEmoji();
        const int id = addEmoji();
        document.selectedObjectId = -1;
        showLayout();
        const QPointF start(document.objects[1].x, document.objects[1].y);
        const QPoint from = toWidget(document.objects[1].bounds.center());
        QSignalSpy moved(canvas.get(), &QuiltraCanvasForm::selectedItemPosChanged);
        QSignalSpy deletion(canvas.get(), &QuiltraCanvasForm::deleteSelectedItem);
        if (how == "menu")
            QCOMPARE(rightClick(QPointF(900, 540), "Delete"), QStringList{"Delete"});
        else
            QTest::mousePress(canvas.get(), Qt::LeftButton, {}, from);
        QCOMPARE(document.selectedObjectId, id);
        QCOMPARE(deletion.count(), how == "menu" ? 1 : 0);
        if (how == "delete")
            document.objects.removeLast();
        QTest::mouseMove(canvas.get(), from + QPoint(10, 5));
        QTest::mouseMove(canvas.get(), from + QPoint(30, -20));
        QTest::mouseRelease(canvas.get(), Qt::LeftButton, {}, from + QPoint(30, -20));
        const OverlayObject &object = document.objects.constLast();
        const QPointF to = start + (how == "drag" ? QPointF(60, -40) : QPointF());
        QCOMPARE(moved.count(), how == "drag" ? 2 : 0);
        QCOMPARE(QPointF(object.x, object.y), to);
        QCOMPARE(object.rect.topLeft(), to.toPoint());
    }

    void wheel_data()
    {
        QTest::addColumn<QString>("target"); // "stuck": a photo with a stale forwarded Shift
        QTest::addColumn<float>("start");    // of what the wheel changes, Shift turning
        QTest::addColumn<int>("notches");    // the sign gives the direction
        QTest::addColumn<float>("end");
        QTest::newRow("photo zooms in") << "photo" << 1.0f << 1 << 1.01f;
        QTest::newRow("photo zoom stops at 0.05") << "photo" << 0.2f << -20 << 0.05f;
        QTest::newRow("photo zoom stops at 2") << "photo" << 1.9f << 15 << 2.0f;
        QTest::newRow("photo turns, unbounded") << "photo shift" << 368.0f << 2 << 370.0f;
        QTest::newRow("a stuck forwarded Shift") << "stuck" << 1.0f << 1 << 1.01f;
        QTest::newRow("emoji grows") << "emoji" << 100.0f << 1 << 101.0f;
        QTest::newRow("emoji shrinks to 1") << "emoji" << 3.0f << -5 << 1.0f;
        QTest::newRow("emoji turns, wrapping") << "emoji shift" << 359.0f << 2 << 1.0f;
        QTest::newRow("label's points up to 999") << "label" << 998.0f << 3 << 999.0f;
    }

    void wheel()
    {
        QFETCH(QString, target);
        QFETCH(float, start);
        QFETCH(int, notches);
        QFETCH(float, end);
        const bool shift = target.endsWith(" shift");
        target = target.section(' ', 0, 0);
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
        // The photo as the wheel would have left it, on the frame's centre.
        if (!onObject && !shift) {
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

    void gestures_data()
    {
        QTest::addColumn<QString>("steps");       // as for play(), separated by ';'
        QTest::addColumn<QList<QColor>>("shown"); // frames 0 to 2, then just above frame 1
        const QColor r = kRed, p = kPhoto, f = kFrame, b = kBackground;
        const QColor sepia(192, 171, 133); // 0.393 * 100 + 0.769 * 150 + 0.189 * 200, ...
        const QString a = "menu|Adjustments/";
        QTest::newRow("the first of two files dropped") << "drop|2|files" << QList{r, p, kGreen, b};
        QTest::newRow("files dropped over the gap") << "drop|-1|files" << QList{r, p, f, b};
        // Neither is a photo move: text from another program, or this canvas's type with no
        // drag of this canvas behind it.
        QTest::newRow("a number as text") << "drop|2|text" << QList{r, p, f, b};
        QTest::newRow("the canvas's own type") << "drop|2|own" << QList{r, p, f, b};
        QTest::newRow("pan") << "pan|1" << QList{r, p, f, b};
        QTest::newRow("Shift-drag swaps") << "shift|0|1" << QList{p, r, f, b};
        QTest::newRow("Shift-drag into an empty frame") << "shift|0|2" << QList{f, p, r, b};
        QTest::newRow("drag payload names another slot") << "shift|0|2|1" << QList{r, p, f, b};
        // Between frames nothing opens, whatever frame an earlier event was over.
        QTest::newRow("double-click") << "dclick|-1;dclick|2" << QList{r, p, kGreen, b};
        QTest::newRow("sepia") << a + "Sepia" << QList{r, sepia, f, b};
        QTest::newRow("reset") << a + "Sepia;" + a + "Reset Image" << QList{r, p, f, b};
        QTest::newRow("reset, file gone")
            << a + "Sepia;rm;" + a + "Reset Image" << QList{r, sepia, f, b};
        // A background change is kept until it is painted, whatever redraw requests follow.
        QTest::newRow("background") << "bg" << QList{r, p, f, QColor(Qt::darkGreen)};
        QTest::newRow("clear") << "menu|Clear Image" << QList{r, f, f, b};
        QTest::newRow("brightness +50")
            << a + "Brightness|50 applyButton" << QList{r, QColor(150, 200, 250), f, b};
        // Gamma 2: (100 / 255)^0.5 * 255 = 159.7, and so on.
        QTest::newRow("gamma 2") << a + "Gamma|100 applyButton"
                                 << QList{r, QColor(159, 195, 225), f, b};
        QTest::newRow("cancelled") << a + "Contrast|5 cancelButton" << QList{r, p, f, b};
        QTest::newRow("closed") << a + "Brightness|90 close" << QList{r, p, f, b};
        // The frame turned clockwise rises left of its centre, over its old top edge.
        QTest::newRow("rotate frame") << "menu|Rotate Frame|30 okButton" << QList{r, p, f, f};
    }

    // Frame 0 shows a red photo, frame 1 one of (100, 150, 200), frame 2 nothing. What the frames
    // show after the steps, also once the geometry is rebuilt and every photo scaled again from
    // its own image; whatever closes a dialog deletes it. Frame 1's menu, built anew on every
    // press, offers the adjustments only while the frame shows a photo.
    void gestures()
    {
        QFETCH(QString, steps);
        QFETCH(QList<QColor>, shown);
        showLayout();
        putPhoto(0, kRed);
        putPhoto(1, kPhoto);
        state.lastPicturesDir = folder.path();
        document.photos[1].angle = 1.0f;
        for (const QString &step : steps.split(';'))
            play(step.split('|'));
        QVERIFY(canvas->findChildren<QDialog *>().isEmpty());
        if (steps.startsWith("menu"))
            QCOMPARE(document.photos[1].angle, steps.endsWith("Reset Image") ? 0.0f : 1.0f);
        const QRectF frame = document.frameRects[1];
        const QPointF above(frame.left() + frame.width() / 4, frame.top() - 0.03 * frame.height());
        for (int rebuilt = 0; rebuilt < 2; ++rebuilt) {
            QCOMPARE((QList{shownAt(0), shownAt(1), shownAt(2), shownAt(above)}), shown);
            document.clearGeometry();
            canvas->requestRedraw(false);
            canvas->repaint();
        }
        const QString a = "Adjustments/";
        const QStringList photoMenu{
            "Adjustments", a + "Grayscale",     a + "Sepia", a + "Contrast",    a + "Brightness",
            a + "Gamma",   a + "Invert Colors", a + "-",     a + "Reset Image", "Clear Image"};
        const QStringList frameMenu{"Frame Background", "Rotate Frame"};
        QCOMPARE(rightClick(frame.center()),
                 (shown[1] == kFrame ? frameMenu : photoMenu + frameMenu));
        QVERIFY(canvas->findChildren<QMenu *>().size() <= 2);
    }

    void smoothView_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("nothing") << "";
        QTest::newRow("photo changed and painted") << "photo";
        QTest::newRow("pan under way") << "pan";
        QTest::newRow("canvas closed") << "close";
    }

    // After ten quiet ticks one smooth view is asked for; a view made for what is
    // no longer shown, or while a photo is being panned, must not replace the
    // fast one. Below 100 % the view is rendered smooth at its own size, so this
    // is watched above it.
    void smoothView()
    {
        QFETCH(QString, meanwhile);
        state.zoomPercent = 200.0f;
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

    // Zoom 0 is the slider's lowest value: the canvas shows nothing and takes no
    // input.
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
        QVERIFY(view == view.copy(0, 0, 1, 1).scaled(view.size()) &&
                view.pixelColor(0, 0) != kBackground);
        QSignalSpy changed(canvas.get(), &QuiltraCanvasForm::selectedItemChanged);
        QTest::mouseClick(canvas.get(), Qt::LeftButton, {}, centre);
        wheel(centre, 120);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(red)});
        QVERIFY(!dragAndDrop(canvas.get(), centre, &mime));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(document.photos[0].scale, scale);
        QCOMPARE(document.selectedObjectId, id);
    }
};

QUILTRA_TEST_MAIN(TestCanvasForm)
#include "tst_canvasform.moc"
