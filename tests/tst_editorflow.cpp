#include "CollageRenderer.h"
#include "CollageState.h"
#include "QuiltraCanvasForm.h"
#include "QuiltraForm.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
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
        seen << dialog->windowTitle() << dialog->nameFilters().join(";;")
             << dialog->selectedNameFilter() << dialog->directory().absolutePath()
             << dialog->selectedFiles().value(0);
        dialog->selectFile(path);
        path.isEmpty() ? dialog->reject() : static_cast<QDialog *>(dialog)->accept();
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

    void init()
    {
        CollageState::reset();
        QFile::remove(QSettings("Maplestead", "Quiltra").fileName());
    }

    // A whole collage made with the editor's own widgets, as a user makes it, and exported.
    void collageMadeWithTheWidgets()
    {
        const CollageDocument &document = state().document;
        QuiltraForm form;
        form.resize(1400, 900);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QuiltraCanvasForm *canvas = form.canvasForm();
        child<QSlider>(form, "horizontalSlider")->setValue(50);
        const auto toWidget = [](QPointF docPos) { return (docPos * 0.5).toPoint(); };
        child<QToolButton>(form, "optionButton")->click();
        child<QSpinBox>(form, "marginSpinBox")->setValue(60);
        child<QComboBox>(form, "backgroundComboBox")->setCurrentIndex(1); // top to bottom
        QTRY_COMPARE(document.frameRects.size(), 10);
        QCOMPARE(document.frameRects[0].left(), 60.0);

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

        child<QToolButton>(form, "textButton")->click();
        child<QToolButton>(form, "stickerButton")->click();
        auto *stickers = child<QTableView>(form, "mainTableView");
        QTRY_VERIFY(stickers->model() && stickers->model()->index(0, 0).data().isValid());
        const QPoint cell = stickers->visualRect(stickers->model()->index(0, 0)).center();
        // A double-click is a click and a second press that arrives as a double-click.
        QTest::mouseClick(stickers->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(stickers->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(document.objects.size(), 2);

        // Drag the first vertical divider 60 document pixels right, away from the middle of
        // the canvas where the label and sticker sit; then pick the sticker again.
        QTRY_VERIFY(!document.verticalDividers.isEmpty());
        const QRectF divider = document.verticalDividers[0];
        const QPoint from = toWidget(QPointF(divider.center().x(), divider.top() + 30));
        QTest::mousePress(canvas, Qt::LeftButton, {}, from);
        QTest::mouseMove(canvas, from + QPoint(15, 0));
        QTest::mouseMove(canvas, from + QPoint(30, 0));
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, from + QPoint(30, 0));
        canvas->repaint();
        QTest::mouseClick(canvas, Qt::LeftButton, {},
                          toWidget(document.objects[1].bounds.center()));
        QCOMPARE(document.selectedObjectId, document.objects[1].id);
        canvas->repaint();
        // The layout keeps the move in percent, so a rebuild may land a pixel short.
        QVERIFY(qAbs(document.verticalDividers[0].center().x() - divider.center().x() - 60) <= 1);

        const QString path = home.filePath("collage.png");
        exportVia(form, "Export to Image File", path);
        const QImage exported(path);
        // What the user chose is what the picture shows: the gradient from white to green,
        // the photos, and no selection marker.
        QUILTRA_COMPARE_PIXEL(exported, QPoint(1910, 5), QColor(Qt::white), 8);
        QUILTRA_COMPARE_PIXEL(exported, QPoint(30, 1075), QColor(Qt::green), 12);
        for (int slot = 0; slot < colours.size(); ++slot)
            QUILTRA_COMPARE_PIXEL(exported, document.frameRects[slot].center().toPoint(),
                                  colours[slot], 2);
        const QImage reference = CollageRenderer().renderCollage(QRect(0, 0, 1920, 1080), true);
        QVERIFY(
            TestSupport::fuzzyEqual(exported.convertToFormat(reference.format()), reference, 1));
        exportVia(form, "Copy to Clipboard");
        QCOMPARE(TestSupport::maxChannelDifference(QGuiApplication::clipboard()->image(), exported),
                 0);
    }

    void exportsAtFullSize_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QSizeF>("canvasSize");
        QTest::addColumn<QSize>("fileSize");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("png") << "collage.png" << QSizeF(1920, 1080) << QSize(1920, 1080)
                             << QByteArray("\x89PNG");
        // The dialog opens on the PNG entry; the typed suffix wins.
        QTest::newRow("jpg under the png filter")
            << "photo.jpg" << QSizeF(1920, 1080) << QSize(1920, 1080) << QByteArray("\xff\xd8\xff");
        QTest::newRow("fractional size cut toward zero")
            << "a3.png" << QSizeF(841.8898, 1190.5511) << QSize(841, 1190) << QByteArray("\x89PNG");
    }

    // The export writes the file, stores its folder, and the next dialog starts at the file;
    // cancelled, that dialog changes nothing.
    void exportsAtFullSize()
    {
        QFETCH(QString, fileName);
        QFETCH(QSizeF, canvasSize);
        QFETCH(QSize, fileSize);
        QFETCH(QByteArray, magic);
        QTemporaryDir out(home.filePath("out-XXXXXX"));
        QuiltraForm form;
        state().canvasSize = canvasSize;
        state().exportImagePath = out.path();
        const QString path = out.filePath(fileName);
        QCOMPARE(exportVia(form, "Export to Image File", path).mid(0, 4),
                 QStringList({"Save to Image File",
                              "PNG file (*.png);;JPG file (*.jpg);;TIFF file (*.tiff);;GIF file "
                              "(*.gif);;WebP file (*.webp)",
                              "PNG file (*.png)", out.path()}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.read(4).startsWith(magic));
        QCOMPARE(QImage(path).size(), fileSize);
        QCOMPARE(storedExportFolder(), out.path());
        QCOMPARE(exportVia(form, "Export to Image File").value(4), path);
        QCOMPARE(storedExportFolder(), out.path());
    }
};

QUILTRA_TEST_MAIN(TestEditorFlow)
#include "tst_editorflow.moc"
