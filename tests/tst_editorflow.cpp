#include "CollageRenderer.h"
#include "CollageState.h"
#include "QuiltraCanvasForm.h"
#include "QuiltraForm.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QSlider>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace {

CollageState &state()
{
    return CollageState::instance();
}

template <typename T> T *child(QObject &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1String(name));
    return found ? found : (qFatal("no widget %s", name), nullptr);
}

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
    for (QAction *action : child<QToolButton>(form, "exportButton")->menu()->actions()) {
        if (action->text() == entry)
            action->trigger();
    }
    return seen;
}

QString storedExportFolder()
{
    return QSettings("Maplestead", "Quiltra").value("General/exportImagePath").toString();
}

} // namespace

class TestEditorFlow : public QObject
{
    Q_OBJECT

    QTemporaryDir home;

private Q_SLOTS:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("config"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.filePath("config"));
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
        CollageState::reset();
        const CollageDocument &document = state().document;
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
        state().exportImagePath = home.path();
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
        QCOMPARE(storedExportFolder(), home.path());
        QCOMPARE(exportVia(form, "Export to Image File").value(4), path);
        QCOMPARE(storedExportFolder(), home.path());
    }
};

QUILTRA_TEST_MAIN(TestEditorFlow)
#include "tst_editorflow.moc"
