#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "QuiltraCanvasForm.h"
#include "TestSupport.h"

#include <QColorDialog>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace {

constexpr float kZoom = 50.0f;
const QColor kFrameColour(250, 250, 235);
const QColor kPhotoColour(100, 150, 200);
const QColor kBackground(20, 40, 90);

CollageState &state()
{
    return CollageState::instance();
}

QPoint toWidget(QPointF docPos)
{
    return QPoint(qRound(docPos.x() * kZoom / 100), qRound(docPos.y() * kZoom / 100));
}

QImage plainPhoto(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QAction *actionNamed(QMenu *menu, const QString &text)
{
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

// The menu's items, a separator as "-", a submenu's items after its title and a slash.
QStringList menuTexts(QMenu *menu, const QString &prefix = QString())
{
    QStringList texts;
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        texts << prefix + (action->isSeparator() ? QStringLiteral("-") : action->text());
        if (action->menu())
            texts << menuTexts(action->menu(), action->text() + QLatin1Char('/'));
    }
    return texts;
}

void clickItem(QMenu *menu, QAction *action)
{
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

// What the user does in the dialog a command opens; it runs inside the dialog's loop.
using DialogPart = std::function<void(QWidget *dialog)>;

DialogPart typeAndPress(const QString &spinBox, const QString &text, const QString &button)
{
    return [=](QWidget *dialog) {
        auto *box = dialog->findChild<QSpinBox *>(spinBox);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, text);
        QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
    };
}

DialogPart pickColour(const QColor &colour)
{
    return [=](QWidget *dialog) {
        auto *colours = qobject_cast<QColorDialog *>(dialog);
        if (!colour.isValid()) {
            colours->reject();
            return;
        }
        colours->setCurrentColor(colour);
        colours->accept();
    };
}

} // namespace

Q_DECLARE_METATYPE(DialogPart)

class TestFrameCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QuiltraCanvasForm> canvas;
    QColor dialogStartColour;

    void showLayout()
    {
        // Three photos: a tall frame on the left beside two stacked ones.
        state().photoCountIndex = 2;
        state().layoutIndex = 2;
        canvas = std::make_unique<QuiltraCanvasForm>();
        canvas->resize(980, 560);
        canvas->show();
        QVERIFY(QTest::qWaitForWindowExposed(canvas.get()));
        canvas->repaint();
        QVERIFY(state().document.frameRects.size() == 3);
    }

    QRectF frame(int slot) const { return state().document.frameRects[slot]; }

    QColor shownAt(QPointF docPos)
    {
        canvas->repaint();
        return canvas->grab().toImage().pixelColor(toWidget(docPos));
    }

    // The same view after the frame geometry was rebuilt, which scales every shown photo
    // again from its source image.
    QColor shownAfterRebuildAt(QPointF docPos)
    {
        state().document.clearGeometry();
        canvas->requestRedraw(false);
        return shownAt(docPos);
    }

    // Right-presses at docPos and chooses choice ("Adjustments/Sepia"; empty: closes the
    // menu). dialog plays the user in a dialog the choice opens. Returns what the menu
    // offered, empty when none opened.
    QStringList chooseFromMenu(QPointF docPos, const QString &choice, const DialogPart &dialog = {})
    {
        QStringList offered;
        QTimer::singleShot(0, canvas.get(), [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            offered = menuTexts(menu);
            const QStringList path = choice.split(QLatin1Char('/'));
            QAction *action = actionNamed(menu, path.first());
            if (!action) {
                menu->close();
                return;
            }
            if (path.size() > 1) {
                // A submenu opens after a short delay.
                clickItem(menu, action);
                menu = action->menu();
                if (!QTest::qWaitFor([menu] { return menu->isVisible(); })) {
                    while (QWidget *popup = QApplication::activePopupWidget())
                        popup->close();
                    return;
                }
                action = actionNamed(menu, path.last());
            }
            if (dialog) {
                QTimer::singleShot(0, canvas.get(), [dialog, this] {
                    QWidget *modal = QApplication::activeModalWidget();
                    if (auto *colours = qobject_cast<QColorDialog *>(modal))
                        dialogStartColour = colours->currentColor();
                    if (modal)
                        dialog(modal);
                });
            }
            clickItem(menu, action);
        });
        QTest::mouseClick(canvas.get(), Qt::RightButton, {}, toWidget(docPos));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return offered;
    }

    void putPhoto(int slot, const QImage &image, const QString &path = QString())
    {
        QVERIFY(placePhoto(slot, path, image));
        canvas->requestRedraw(false);
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
        settings.frameBackgroundColor1 = kFrameColour;
        settings.backgroundColor1 = kBackground;
        state().zoomPercent = kZoom;
    }

    void cleanup() { canvas.reset(); }

    void menuOffersTheFrameCommands_data()
    {
        QTest::addColumn<bool>("filled");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty frame") << false << QStringList{"Frame Background", "Rotate Frame"};
        QTest::newRow("frame with a photo") << true
                                            << QStringList{"Adjustments",
                                                           "Adjustments/Grayscale",
                                                           "Adjustments/Sepia",
                                                           "Adjustments/Contrast",
                                                           "Adjustments/Brightness",
                                                           "Adjustments/Gamma",
                                                           "Adjustments/Invert Colors",
                                                           "Adjustments/-",
                                                           "Adjustments/Reset Image",
                                                           "Clear Image",
                                                           "Frame Background",
                                                           "Rotate Frame"};
    }

    void menuOffersTheFrameCommands()
    {
        QFETCH(bool, filled);
        QFETCH(QStringList, expected);
        showLayout();
        if (filled)
            putPhoto(1, plainPhoto(frame(1).size().toSize(), kPhotoColour));
        QCOMPARE(chooseFromMenu(frame(1).center(), QString()), expected);
        // Built anew on every click, without piling up old submenus.
        QCOMPARE(chooseFromMenu(frame(1).center(), QString()), expected);
        QVERIFY(canvas->findChildren<QMenu *>().size() <= 2);
        QCOMPARE(chooseFromMenu(QPointF(20, 20), QString()), QStringList());
    }

    void commandsChangeTheFrame_data()
    {
        QTest::addColumn<bool>("filled");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<DialogPart>("dialog");
        QTest::addColumn<QColor>("expected"); // invalid: any grey, none of the photo's colour
        const auto value = [](const QString &text) {
            return typeAndPress("contrastSpinBox", text, "applyButton");
        };
        // clang-format off
        QTest::newRow("grayscale") << true << "Adjustments/Grayscale" << DialogPart() << QColor();
        // 0.393 * 100 + 0.769 * 150 + 0.189 * 200 = 192.45, and so on.
        QTest::newRow("sepia") << true << "Adjustments/Sepia" << DialogPart()
            << QColor(192, 171, 133);
        QTest::newRow("brightness") << true << "Adjustments/Brightness" << value("50")
            << QColor(150, 200, 250);
        QTest::newRow("contrast") << true << "Adjustments/Contrast" << value("-255")
            << QColor(128, 128, 128);
        QTest::newRow("gamma") << true << "Adjustments/Gamma" << value("-100")
            << QColor(0, 0, 0);
        QTest::newRow("invert") << true << "Adjustments/Invert Colors" << value("255")
            << QColor(155, 105, 55);
        QTest::newRow("adjustment cancelled") << true << "Adjustments/Brightness"
            << typeAndPress("contrastSpinBox", "50", "cancelButton") << kPhotoColour;
        QTest::newRow("clear") << true << "Clear Image" << DialogPart() << kFrameColour;
        QTest::newRow("frame background") << false << "Frame Background"
            << pickColour(QColor(10, 200, 30)) << QColor(10, 200, 30);
        QTest::newRow("frame background cancelled") << false << "Frame Background"
            << pickColour(QColor()) << kFrameColour;
        // clang-format on
    }

    void commandsChangeTheFrame()
    {
        QFETCH(bool, filled);
        QFETCH(QString, choice);
        QFETCH(DialogPart, dialog);
        QFETCH(QColor, expected);
        showLayout();
        if (filled)
            putPhoto(1, plainPhoto(frame(1).size().toSize(), kPhotoColour));
        const QPointF centre = frame(1).center();
        QCOMPARE(shownAt(centre), filled ? kPhotoColour : kFrameColour);
        chooseFromMenu(centre, choice, dialog);
        for (const QColor &shown : {shownAt(centre), shownAfterRebuildAt(centre)}) {
            if (expected.isValid()) {
                QCOMPARE(shown, expected);
            } else {
                QVERIFY(shown.red() == shown.green() && shown.green() == shown.blue());
                QVERIFY(shown != kPhotoColour);
            }
        }
        if (choice == QLatin1String("Frame Background"))
            QCOMPARE(dialogStartColour, QColor(Qt::white));
        // The neighbouring frame is not touched.
        QCOMPARE(shownAt(frame(2).center()), kFrameColour);
    }

    // The frame's outline turns about its centre; the photo stays and is cut by it.
    void rotateFrameTurnsItClockwise()
    {
        showLayout();
        putPhoto(1, plainPhoto(frame(1).size().toSize(), kPhotoColour));
        const QRectF rect = frame(1);
        // Just above the top edge, a quarter of the width left and right of the centre.
        // Turned 30 degrees clockwise, the left half of the frame rises over the first
        // point, the right half sinks away from the second.
        const QPointF aboveLeft(rect.center().x() - rect.width() / 4, rect.top() - 10);
        const QPointF aboveRight(rect.center().x() + rect.width() / 4, rect.top() - 10);
        QCOMPARE(shownAt(aboveLeft), kBackground);
        state().layoutCatalogue[2][2].cells[1].rotation = 20;
        int shownInDialog = 0;
        chooseFromMenu(rect.center(), QStringLiteral("Rotate Frame"), [&](QWidget *dialog) {
            shownInDialog = dialog->findChild<QSpinBox *>("rotateSpinBox")->value();
            typeAndPress("rotateSpinBox", "30", "okButton")(dialog);
        });
        QCOMPARE(shownInDialog, 20);
        QCOMPARE(shownAt(aboveLeft), kFrameColour);
        QCOMPARE(shownAt(aboveRight), kBackground);
        QCOMPARE(shownAt(rect.center()), kPhotoColour);

        chooseFromMenu(rect.center(), QStringLiteral("Rotate Frame"),
                       typeAndPress("rotateSpinBox", "0", "cancelButton"));
        QCOMPARE(shownAt(aboveLeft), kFrameColour);
    }

    void resetImageReadsTheFileAgain_data()
    {
        QTest::addColumn<bool>("fileKept");
        QTest::addColumn<QColor>("expected");
        // Sepia twice accumulates: (192, 171, 133) then (232.1, 206.7, 160.9).
        QTest::newRow("file still there") << true << kPhotoColour;
        QTest::newRow("file gone") << false << QColor(232, 206, 160);
    }

    void resetImageReadsTheFileAgain()
    {
        QFETCH(bool, fileKept);
        QFETCH(QColor, expected);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("photo.png"));
        QVERIFY(plainPhoto(QSize(400, 300), kPhotoColour).save(path));
        showLayout();
        putPhoto(1, readPhotoFile(path), path);
        const QPointF centre = frame(1).center();
        chooseFromMenu(centre, QStringLiteral("Adjustments/Sepia"));
        chooseFromMenu(centre, QStringLiteral("Adjustments/Sepia"));
        QCOMPARE(shownAt(centre), QColor(232, 206, 160));
        state().document.photos[1].angle = 5.0f;
        if (!fileKept)
            QVERIFY(QFile::remove(path));
        chooseFromMenu(centre, QStringLiteral("Adjustments/Reset Image"));
        QCOMPARE(state().document.photos[1].angle, 0.0f);
        QCOMPARE(shownAt(centre), expected);
    }

    void objectMenuDeletes_data()
    {
        QTest::addColumn<bool>("selectedBefore");
        QTest::addColumn<bool>("choose");
        QTest::addColumn<int>("changed");
        QTest::newRow("another object, Delete chosen") << false << true << 2;
        QTest::newRow("selected object, menu closed") << true << false << 1;
    }

    void objectMenuDeletes()
    {
        QFETCH(bool, selectedBefore);
        QFETCH(bool, choose);
        QFETCH(int, changed);
        createEmoji(QString::fromUcs4(U"\U0001F600"));
        const int id = state().document.objects.constLast().id;
        if (!selectedBefore)
            state().document.selectedObjectId = -1;
        showLayout();
        putPhoto(1, plainPhoto(frame(1).size().toSize(), kPhotoColour));
        // The object lies over a frame with a photo: its own menu wins.
        OverlayObject &object = state().document.objects.last();
        object.x = frame(1).center().x() - object.rect.width() / 2;
        object.y = frame(1).center().y() - object.rect.height() / 2;
        object.rect.moveTo(int(object.x), int(object.y));
        canvas->requestRedraw(false);
        canvas->repaint();
        const QRectF bounds = object.bounds;
        QVERIFY(frame(1).contains(bounds.center()));
        QSignalSpy selection(canvas.get(), &QuiltraCanvasForm::selectedItemChanged);
        QSignalSpy deletion(canvas.get(), &QuiltraCanvasForm::deleteSelectedItem);
        const QStringList offered =
            chooseFromMenu(bounds.center(), choose ? QStringLiteral("Delete") : QString());
        QCOMPARE(offered, QStringList{"Delete"});
        QCOMPARE(selection.count(), changed);
        QCOMPARE(state().document.selectedObjectId, id);
        QCOMPARE(deletion.count(), choose ? 1 : 0);
    }
};

QUILTRA_TEST_MAIN(TestFrameCommands)
#include "tst_framecommands.moc"
