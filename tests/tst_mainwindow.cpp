#include "ApplicationIdentity.h"
#include "CollageRenderer.h"
#include "CollageState.h"
#include "MainWindow.h"
#include "QuiltraCanvasForm.h"
#include "QuiltraForm.h"
#include "TestSupport.h"
#include "WindowGeometry.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace {

// Chooses the export menu's entry; the save dialog it opens is answered with path, or
// cancelled for an empty path. Returns the dialog's title, filters, chosen filter, folder and file.
QStringList exportVia(QWidget &form, const QString &entry, const QString &path = {})
{
    QStringList seen;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (seen.isEmpty())
            seen << dialog->windowTitle() << dialog->nameFilters().join(";;")
                 << dialog->selectedNameFilter() << dialog->directory().absolutePath()
                 << dialog->selectedFiles().value(0);
        // Typed, as selectFile() leaves a focused name field alone; queued, and again until the
        // dialog is gone, as a dialog still being set up ignores it.
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText(path);
        QMetaObject::invokeMethod(dialog, path.isEmpty() ? "reject" : "accept",
                                  Qt::QueuedConnection);
    });
    answer.start(10);
    for (QAction *action : form.findChild<QToolButton *>("exportButton")->menu()->actions()) {
        if (action->text() == entry)
            action->trigger();
    }
    return seen;
}

} // namespace

// The main window, its editor form, the settings files they keep, the dialogs they open and a
// whole collage made with the editor's widgets.
// Runs on a 3840 x 2160 screen at QT_SCALE_FACTOR=2 (see tests/CMakeLists.txt): 1920 x 1080 to
// the windows, and every pixmap is wanted at a device pixel ratio of 2.
class TestMainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir home;
    // Where a user's configuration folder keeps the window's own record.
    QString recordPath() const { return home.filePath("Maplestead Vantry.conf"); }

    static CollageState &state() { return CollageState::instance(); }
    template <class T = QWidget> T *child(QWidget &w, QString n) { return w.findChild<T *>(n); }
    QString text(QWidget &w, const char *name) { return child<QLabel>(w, name)->text(); }

    QString resolve(QString path) const
    {
        if (path == QLatin1String("<documents>"))
            return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return path.replace(QLatin1String("@tmp"), home.path());
    }

private Q_SLOTS:
    // The settings files are written by hand, as a user's earlier run would have left them,
    // with the application named as it names itself.
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
        setApplicationIdentity();
        QVERIFY(QDir(home.path()).mkpath("F"));
        QFile file(home.filePath("F/a.png"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    void init()
    {
        QFile::remove(recordPath());
        CollageState::reset();
    }

    // On a 1920 x 1080 screen. The record is written by hand as an earlier run would have
    // left it, read by a real window, and read back with a plain settings reader after the
    // window closed elsewhere.
    void geometryThroughTheRecord_data()
    {
        QTest::addColumn<QRect>("stored"); // invalid: nothing stored yet
        QTest::addColumn<QRect>("opened");
        QTest::newRow("first start") << QRect() << QRect(0, 0, 986, 513);
        QTest::newRow("as stored") << QRect(200, 150, 1100, 700) << QRect(200, 150, 1100, 700);
        QTest::newRow("too small") << QRect(50, 40, 700, 500) << QRect(50, 40, 986, 513);
        QTest::newRow("x negative") << QRect(-5, 10, 1000, 600) << QRect(100, 10, 1000, 600);
        QTest::newRow("x at screen width")
            << QRect(1920, 10, 1000, 600) << QRect(920, 10, 1000, 600);
        QTest::newRow("y below screen") << QRect(10, 1081, 1000, 600) << QRect(10, 100, 1000, 600);
        QTest::newRow("width too wide keeps x")
            << QRect(300, 0, 3000, 600) << QRect(300, 0, 1920, 600);
        QTest::newRow("width minimum pulls x")
            << QRect(1500, 0, 986, 600) << QRect(934, 0, 986, 600);
        QTest::newRow("overhang pulls y") << QRect(0, 900, 1000, 600) << QRect(0, 480, 1000, 600);
    }

    void geometryThroughTheRecord()
    {
        QFETCH(QRect, stored);
        if (QGuiApplication::primaryScreen()->size() != QSize(1920, 1080))
            QSKIP("needs the 1920 x 1080 test screen that ctest configures");
        // The minimum size holds even on a screen smaller than it.
        QCOMPARE(restoredWindowGeometry(QRect(), QSize(800, 480)), QRect(0, 0, 986, 513));
        if (stored.isValid()) {
            QFile file(recordPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QString::asprintf("[General]\nposX=%d\nposY=%d\nwidth=%d\nheight=%d\n",
                                         stored.x(), stored.y(), stored.width(), stored.height())
                           .toUtf8());
        }
        {
            MainWindow window;
            QCOMPARE(window.windowTitle(), QStringLiteral("Maplestead Vantry"));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QTEST(window.geometry(), "opened");
            window.setGeometry(321, 123, 1234, 567);
            QVERIFY(window.close());
        }
        QSettings written(recordPath(), QSettings::IniFormat);
        const QList<int> values{written.value("posX").toInt(), written.value("posY").toInt(),
                                written.value("width").toInt(), written.value("height").toInt()};
        QCOMPARE(values, (QList<int>{321, 123, 1234, 567}));
        MainWindow reopened;
        QCOMPARE(reopened.geometry(), QRect(321, 123, 1234, 567));
    }

    // Icon-only buttons and the canvas say what they are for, not merely that they exist.
    void controlsSayWhatTheyDo()
    {
        MainWindow window;
        for (const QString pair : {"helpButton=Help", "aboutButton=About", "websiteButton=Website",
                                   "stickerButton=Add Sticker", "textButton=Add Text",
                                   "optionButton=Options", "QuiltraCanvasForm=Collage canvas"}) {
            QWidget *control = window.findChild<QWidget *>(pair.section('=', 0, 0));
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(face, qPrintable(pair)); // what a screen reader announces
            QCOMPARE(face->text(QAccessible::Name), pair.section('=', 1));
        }
    }

    // The forms' icons as built, in every state they have images for: a missing
    // double-size image would leave a blurred enlargement on the screen.
    void toolIconsHaveDoubleImages()
    {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        MainWindow window;
        QStringList blurred;
        int checked = 0;
        for (QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
                const QList<QSize> sizes = button->icon().availableSizes(mode);
                if (sizes.isEmpty() || button->objectName().startsWith("qt_"))
                    continue; // the toolkit's own are drawn by the style
                ++checked;
                if (!sizes.contains(button->iconSize() * 2))
                    blurred << button->objectName();
            }
        }
        QVERIFY(checked >= 6);
        QVERIFY2(blurred.isEmpty(), qPrintable(blurred.join(", ")));
    }

    // The form opens on a full HD canvas at 40 %, whatever the document held before; the
    // scroll area holds the collage and a 20 pixel rim whatever the zoom.
    void canvasSizeAndZoom_data()
    {
        QTest::addColumn<QSizeF>("size"); // invalid: as opened
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QString>("texts");
        QTest::addColumn<QSize>("content");
        QTest::newRow("as opened")
            << QSizeF() << 40 << "Canvas Size: 1920x1080 40%" << QSize(1940, 1100);
        QTest::newRow("full HD, lowest zoom")
            << QSizeF(1920, 1080) << 0 << "Canvas Size: 1920x1080 0%" << QSize(1940, 1100);
        QTest::newRow("A3 portrait, full size")
            << QSizeF(841.8898, 1190.5511) << 100 << "Canvas Size: 841.89x1190.55 100%"
            << QSize(861, 1210);
        QTest::newRow("six digits, past the end")
            << QSizeF(12345.67, 32000) << 250 << "Canvas Size: 12345.7x32000 100%"
            << QSize(12365, 32020);
    }

    void canvasSizeAndZoom()
    {
        QFETCH(QSizeF, size);
        QFETCH(int, zoom);
        QFETCH(QString, texts);
        state().canvasSize = QSizeF(500, 400);
        QuiltraForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(child(form, "QuiltraSideBarForm")->isHidden());
        if (size.isValid()) {
            state().canvasSize = size;
            form.onCanvasSizeValChanged();
            form.updateCanvasWidgetSize();
            child<QSlider>(form, "horizontalSlider")->setValue(zoom);
        }
        QCOMPARE(text(form, "canvasLabel") + ' ' + text(form, "zoomValueLabel"), texts);
        QCOMPARE(QString::number(state().zoomPercent) + '%', text(form, "zoomValueLabel"));
        QTEST(child(form, "scrollAreaWidgetContents")->size(), "content");
    }

    // The file is written by hand, as a user's earlier run would have left it, and read
    // back as text after the form has gone.
    // Each row: the stored line, the export folder read, the last export, the folder stored.
    void settingsFile_data()
    {
        QTest::addColumn<QStringList>("row");
        QTest::newRow("first run") << QStringList{"", "<documents>", "@tmp/F", "@tmp/F"};
        QTest::newRow("folder kept")
            << QStringList{"exportImagePath=@tmp/F", "@tmp/F", "@tmp/F/a.png", "@tmp/F"};
        QTest::newRow("folder gone") << QStringList{"exportImagePath=@tmp/gone", "<documents>",
                                                    "@tmp/gone/a.png", "<documents>"};
        QTest::newRow("a file") << QStringList{"exportImagePath=@tmp/F/a.png", "<documents>", "",
                                               "<documents>"};
        QTest::newRow("relative") << QStringList{"exportImagePath=.", "<documents>", "a.png",
                                                 "<documents>"};
    }

    void settingsFile()
    {
        QFETCH(QStringList, row);
        const QString file = row[0], readExport = row[1], lastExport = row[2], stored = row[3];
        const QString path = home.filePath("Maplestead/Quiltra.conf");
        QFile::remove(path);
        if (!file.isEmpty()) {
            QDir().mkpath(QFileInfo(path).path());
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(resolve("[%General]\nlastPicturesDir=@tmp/pics\n" + file).toUtf8());
        }
        {
            QuiltraForm form;
            QCOMPARE(state().exportImagePath, resolve(readExport));
            QCOMPARE(state().lastPicturesDir, file.isEmpty() ? QString() : resolve("@tmp/pics"));
            state().exportImagePath = resolve(lastExport);
            state().lastPicturesDir = resolve("@tmp/F");
        }
        QCOMPARE(state().exportImagePath, resolve(lastExport)); // the next dialog's start
        QFile in(path);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QString written = QString::fromUtf8(in.readAll());
        QVERIFY2(written.startsWith(QLatin1String("[%General]\n")), qPrintable(written));
        for (const QString &line :
             {"exportImagePath=" + resolve(stored), "lastPicturesDir=" + resolve("@tmp/F")})
            QVERIFY2(written.contains('\n' + line + '\n'), qPrintable(written));
    }

    // However a dialog is dismissed, exec() returns with the dialog deleted exactly once,
    // and the next opening starts afresh.
    void dialogsDeleteThemselves_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("how");
        QTest::newRow("help, own button") << QString("helpButton") << "own button";
        QTest::newRow("about, escape") << QString("aboutButton") << "escape";
        QTest::newRow("about, window close") << QString("aboutButton") << "window close";
    }

    void dialogsDeleteThemselves()
    {
        QFETCH(QString, button);
        const QString dialogClass = button == "helpButton" ? "QuiltraHelpDialog" : "AboutDialog";
        QFETCH(QString, how);
        QuiltraForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        int destroyed = 0;
        for (int round = 1; round <= 2; ++round) {
            QTimer::singleShot(0, this, [&] {
                QWidget *modal = QApplication::activeModalWidget();
                QVERIFY(modal && modal->metaObject()->className() == dialogClass);
                connect(modal, &QObject::destroyed, this, [&] { ++destroyed; });
                if (how == QLatin1String("own button"))
                    modal->findChild<QPushButton *>()->click();
                else if (how == QLatin1String("escape"))
                    QTest::keyClick(modal, Qt::Key_Escape);
                else
                    modal->close();
            });
            child<QToolButton>(form, button)->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(destroyed, round);
        }
        QVERIFY(form.findChildren<QDialog *>().isEmpty());
    }

    void collageMadeWithTheWidgets_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("png") << "collage.png" << QByteArray("\x89PNG") << 8;
        // The dialog opens on the PNG entry; the typed suffix wins.
        QTest::newRow("jpg under the png filter")
            << "collage.jpg" << QByteArray("\xff\xd8\xff") << 12;
    }

    // A whole collage made with the editor's own widgets, as a user makes it, and exported.
    void collageMadeWithTheWidgets()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, magic);
        QFETCH(int, tolerance);
        CollageState &state = CollageState::instance();
        const CollageDocument &document = state.document;
        QuiltraForm form;
        form.resize(1400, 900);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QuiltraCanvasForm *canvas = form.canvasForm();
        child<QSlider>(form, "horizontalSlider")->setValue(50);
        const auto toWidget = [](QPointF docPos) { return (docPos * 0.5).toPoint(); };
        child<QToolButton>(form, "optionButton")->click();
        child<QComboBox>(form, "backgroundComboBox")->setCurrentIndex(1); // top to bottom
        QTRY_COMPARE(document.frameRects.size(), 10);

        const QList<QColor> colours{QColor(200, 30, 40), QColor(20, 60, 210), QColor(240, 200, 0)};
        for (int slot = 0; slot < colours.size(); ++slot) {
            QImage photo(640, 480, QImage::Format_RGB32);
            photo.fill(colours[slot]);
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(home.filePath(QStringLiteral("p%1.png").arg(slot)))});
            QVERIFY(photo.save(mime.urls()[0].toLocalFile()));
            const QPoint at = toWidget(document.frameRects[slot].center());
            QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
            QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(canvas, &enter);
            QApplication::sendEvent(canvas, &drop);
        }

        child<QToolButton>(form, "stickerButton")->click();
        auto *stickers = child<QTableView>(form, "mainTableView");
        QTRY_VERIFY(stickers->model() && stickers->model()->index(0, 0).data().isValid());
        const QPoint cell = stickers->visualRect(stickers->model()->index(0, 0)).center();
        // A double-click is a click and a second press that arrives as a double-click.
        QTest::mouseClick(stickers->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(stickers->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(document.objects.size(), 1);

        // The new sticker is selected: its marker must not reach the export.
        QCOMPARE(document.selectedObjectId, document.objects[0].id);

        const QString path = home.filePath(fileName);
        state.exportImagePath = home.path();
        QCOMPARE(exportVia(form, "Export to Image File", path).mid(0, 4),
                 QStringList({"Save to Image File",
                              "PNG file (*.png);;JPG file (*.jpg);;TIFF file (*.tiff);;GIF file "
                              "(*.gif);;WebP file (*.webp)",
                              "PNG file (*.png)", home.path()}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.read(4).startsWith(magic));
        const QImage exported(path);
        // What the user chose is what the picture shows: the gradient from white to green and
        // the photos.
        QCOMPARE(exported.size(), QSize(1920, 1080));
        QUILTRA_COMPARE_PIXEL(exported, QPoint(1910, 5), QColor(Qt::white), tolerance);
        QUILTRA_COMPARE_PIXEL(exported, QPoint(30, 1075), QColor(Qt::green), tolerance + 4);
        for (int slot = 0; slot < colours.size(); ++slot)
            QUILTRA_COMPARE_PIXEL(exported, document.frameRects[slot].center().toPoint(),
                                  colours[slot], tolerance);
        // The clipboard gets the same full-size rendering, without the selection marker.
        exportVia(form, "Copy to Clipboard");
        const QImage reference = CollageRenderer().renderCollage(QRect(0, 0, 1920, 1080), true);
        QVERIFY(TestSupport::fuzzyEqual(
            QGuiApplication::clipboard()->image().convertToFormat(reference.format()), reference,
            1));
        // The folder is stored; the next dialog starts at the file, and cancelled changes nothing.
        QCOMPARE(exportVia(form, "Export to Image File").value(4), path);
        QCOMPARE(QSettings("Maplestead", "Quiltra").value("General/exportImagePath"), home.path());
    }
};

QUILTRA_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
