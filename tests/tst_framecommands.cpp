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
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace {

const QColor kFrame(250, 250, 235);
const QColor kPhoto(100, 150, 200);

// What the user does in the dialog a command opens.
using DialogPart = std::function<void(QWidget *dialog)>;

// Types into the spin box ("end": presses End on the slider instead), then closes the dialog
// by close: a button's name, "escape" or "close" (the window's close button).
DialogPart inDialog(const QString &typed, const QString &close)
{
    return [=](QWidget *dialog) {
        auto *spinBox = dialog->findChild<QSpinBox *>();
        if (typed == "end") {
            QTest::keyClick(dialog->findChild<QSlider *>(), Qt::Key_End);
        } else {
            QTest::keyClick(spinBox, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(spinBox, typed);
        }
        if (auto *button = dialog->findChild<QPushButton *>(close))
            QTest::mouseClick(button, Qt::LeftButton);
        else if (close == "close")
            dialog->close();
        else
            QTest::keyClick(spinBox, Qt::Key_Escape);
    };
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

} // namespace

Q_DECLARE_METATYPE(DialogPart)

class TestFrameCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<QuiltraCanvasForm> canvas;
    QTemporaryDir folder;
    QString path;
    CollageDocument &document = CollageState::instance().document;

    // Document pixels to widget pixels at the zoom of 50 % set in init().
    QColor shownAt(QPointF docPos)
    {
        canvas->repaint();
        return canvas->grab().toImage().pixelColor((docPos / 2).toPoint());
    }

    // Right-presses at docPos and chooses choice ("Adjustments/Sepia"), with act playing the
    // user in the dialog it opens. Returns what the menu offered.
    QStringList rightClick(QPointF docPos, const QString &choice = {}, DialogPart act = {})
    {
        QStringList offered;
        QObject scope; // no timer outlives the press
        QTimer::singleShot(0, &scope, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            QAction *chosen = nullptr;
            offered = menuTexts(menu, choice, &chosen);
            menu->close();
            if (act)
                QTimer::singleShot(0, &scope, [&] { act(QApplication::activeModalWidget()); });
            if (chosen)
                chosen->trigger();
        });
        QTest::mouseClick(canvas.get(), Qt::RightButton, {}, (docPos / 2).toPoint());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return offered;
    }

private Q_SLOTS:
    // A tall frame on the left, two stacked on the right; the upper right one shows a photo
    // read from a file.
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
        CollageState &state = CollageState::instance();
        state.settings.frameBackgroundColor1 = kFrame;
        state.settings.backgroundColor1 = QColor(20, 40, 90);
        state.zoomPercent = 50;
        state.photoCountIndex = state.layoutIndex = 2;
        canvas = std::make_unique<QuiltraCanvasForm>();
        canvas->resize(980, 560);
        canvas->show();
        QVERIFY(QTest::qWaitForWindowExposed(canvas.get()));
        canvas->repaint();
        QImage photo(document.frameRects.value(1).size().toSize(), QImage::Format_RGB32);
        photo.fill(kPhoto);
        path = folder.filePath("photo.png");
        QVERIFY(photo.save(path) && placePhoto(1, path, readPhotoFile(path)));
        canvas->requestRedraw(false);
    }

    void cleanup() { canvas.reset(); }

    void menus_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("object");
        QTest::addColumn<QStringList>("expected");
        const QString a = "Adjustments/";
        // clang-format off
        QTest::newRow("empty frame") << 2 << false << QStringList{"Frame Background", "Rotate Frame"};
        QTest::newRow("photo") << 1 << false << QStringList{"Adjustments", a + "Grayscale",
            a + "Sepia", a + "Contrast", a + "Brightness", a + "Gamma", a + "Invert Colors", a + "-",
            a + "Reset Image", "Clear Image", "Frame Background", "Rotate Frame"};
        QTest::newRow("object over a photo") << 1 << true << QStringList{"Delete"};
        // clang-format on
    }

    // Built anew on every press, without piling up old submenus; an object's menu wins.
    void menus()
    {
        QFETCH(int, slot);
        QFETCH(bool, object);
        QFETCH(QStringList, expected);
        const QPointF centre = document.frameRects.value(slot).center();
        int id = -1;
        if (object) {
            createEmoji(QString::fromUcs4(U"\U0001F600"));
            OverlayObject &emoji = document.objects.last();
            id = std::exchange(document.selectedObjectId, -1);
            emoji.rect.moveCenter(centre.toPoint());
            emoji.x = emoji.rect.x();
            emoji.y = emoji.rect.y();
            canvas->requestRedraw(false);
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
        QTest::addColumn<DialogPart>("act");
        QTest::addColumn<QPointF>("probe");   // in parts of the frame's width and height
        QTest::addColumn<QColor>("expected"); // invalid: any grey
        const QPointF mid(0.5, 0.5);
        const QColor sepia(192, 171, 133); // 0.393 * 100 + 0.769 * 150 + 0.189 * 200, ...
        const DialogPart none;
        const DialogPart green = [](QWidget *dialog) {
            auto *colours = qobject_cast<QColorDialog *>(dialog);
            const QColor start = colours->currentColor();
            colours->setCurrentColor(QColor(10, 200, 30));
            colours->accept();
            QCOMPARE(start,
                     QColor(Qt::white)); // the cell's own, not the colour frames are drawn in
        };
        using L = QStringList;
        const QString a = "Adjustments/";
        // clang-format off
        QTest::newRow("grayscale") << L{a + "Grayscale"} << none << mid << QColor();
        QTest::newRow("sepia") << L{a + "Sepia"} << none << mid << sepia;
        QTest::newRow("reset") << L{a + "Sepia", a + "Reset Image"} << none << mid << kPhoto;
        QTest::newRow("reset, file gone") << L{a + "Sepia", "", a + "Reset Image"} << none << mid
            << sepia;
        QTest::newRow("clear") << L{"Clear Image"} << none << mid << kFrame;
        QTest::newRow("frame background") << L{"Clear Image", "Frame Background"} << green << mid
            << QColor(10, 200, 30);
        QTest::newRow("brightness") << L{a + "Brightness"} << inDialog("50", "applyButton") << mid
            << QColor(150, 200, 250);
        // (100 / 255)^(100 / 799) * 255 = 226.8, and so on.
        QTest::newRow("gamma at most") << L{a + "Gamma"} << inDialog("end", "applyButton") << mid
            << QColor(226, 238, 247);
        QTest::newRow("cancelled") << L{a + "Contrast"} << inDialog("5", "cancelButton") << mid
            << kPhoto;
        QTest::newRow("escaped") << L{a + "Gamma"} << inDialog("end", "escape") << mid << kPhoto;
        QTest::newRow("closed") << L{a + "Brightness"} << inDialog("90", "close") << mid << kPhoto;
        // The frame turned clockwise rises left of its centre, over its old top edge.
        QTest::newRow("rotate") << L{"Rotate Frame"} << inDialog("30", "okButton")
            << QPointF(0.25, -0.03) << kFrame;
        // clang-format on
    }

    // Whatever closes a dialog deletes it; only its accepting button changes the frame.
    void commands()
    {
        QFETCH(QStringList, steps);
        QFETCH(DialogPart, act);
        QFETCH(QPointF, probe);
        QFETCH(QColor, expected);
        const QRectF frame = document.frameRects.value(1);
        const QPointF at =
            frame.topLeft() + QPointF(probe.x() * frame.width(), probe.y() * frame.height());
        document.photos[1].angle = 1.0f;
        for (const QString &step : steps) {
            if (step.isEmpty())
                QVERIFY(QFile::remove(path));
            else
                rightClick(frame.center(), step, act);
        }
        QVERIFY(canvas->findChildren<QDialog *>().isEmpty());
        QCOMPARE(document.photos[1].angle, steps.last().endsWith("Reset Image") ? 0.0f : 1.0f);
        // Rebuilding the frames scales every shown photo again from its source image.
        for (QColor shown :
             {shownAt(at), (document.clearGeometry(), canvas->requestRedraw(false), shownAt(at))}) {
            if (!expected.isValid() && shown.hsvSaturation() == 0)
                shown = QColor(); // any grey
            QCOMPARE(shown, expected);
        }
        QCOMPARE(shownAt(document.frameRects.value(2).center()), kFrame);
    }
};

QUILTRA_TEST_MAIN(TestFrameCommands)
#include "tst_framecommands.moc"
