#include "CollageState.h"
#include "QuiltraForm.h"
#include "TestSupport.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

namespace {

CollageState &state()
{
    return CollageState::instance();
}

QAction *exportAction(QWidget &form, const QString &caption)
{
    auto *button = form.findChild<QToolButton *>(QStringLiteral("exportButton"));
    for (QAction *action : button->menu()->actions()) {
        if (action->text() == caption)
            return action;
    }
    qFatal("no action %s", qPrintable(caption));
}

struct SaveDialogSeen
{
    QString title;
    QStringList filters;
    QString selectedFilter;
    QString startFile;
    QString startFolder;
};

// Answers the save dialog once it is up: types path and confirms, or cancels for an
// empty path.
void answerSaveDialog(const QString &path, SaveDialogSeen *seen)
{
    QTimer::singleShot(0, [path, seen] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            answerSaveDialog(path, seen);
            return;
        }
        seen->title = dialog->windowTitle();
        seen->filters = dialog->nameFilters();
        seen->selectedFilter = dialog->selectedNameFilter();
        seen->startFile = dialog->selectedFiles().value(0);
        seen->startFolder = dialog->directory().absolutePath();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides it
    });
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestFormExport : public QObject
{
    Q_OBJECT

    QTemporaryDir home;

    QString storedExportPath() const
    {
        QSettings settings(QStringLiteral("Maplestead"), QStringLiteral("Quiltra"));
        return settings.value(QStringLiteral("General/exportImagePath")).toString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("config"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.filePath("config"));
    }

    void init()
    {
        CollageState::reset();
        QFile::remove(
            QSettings(QStringLiteral("Maplestead"), QStringLiteral("Quiltra")).fileName());
    }

    void exportsAtFullSize_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QSizeF>("canvasSize");
        QTest::addColumn<QSize>("fileSize");
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<QByteArray>("marker");
        QTest::newRow("png at zoom 40") << "collage.png" << QSizeF(1920, 1080) << QSize(1920, 1080)
                                        << QByteArray("\x89PNG") << QByteArray();
        // The dialog opens on the PNG entry; the typed suffix wins, written progressive.
        QTest::newRow("jpg under the png filter")
            << "photo.jpg" << QSizeF(1920, 1080) << QSize(1920, 1080) << QByteArray("\xff\xd8")
            << QByteArray("\xff\xc2");
        QTest::newRow("fractional size cut toward zero")
            << "a3.png" << QSizeF(841.8898, 1190.5511) << QSize(841, 1190) << QByteArray("\x89PNG")
            << QByteArray();
    }

    void exportsAtFullSize()
    {
        QFETCH(QString, fileName);
        QFETCH(QSizeF, canvasSize);
        QFETCH(QSize, fileSize);
        QFETCH(QByteArray, magic);
        QFETCH(QByteArray, marker);
        QTemporaryDir out(home.filePath(QStringLiteral("out-XXXXXX")));
        QuiltraForm form;
        state().canvasSize = canvasSize;
        state().exportImagePath = out.path();
        const QString path = out.filePath(fileName);

        SaveDialogSeen seen;
        answerSaveDialog(path, &seen);
        exportAction(form, QStringLiteral("Export to Image File"))->trigger();

        QCOMPARE(seen.title, QStringLiteral("Save to Image File"));
        QCOMPARE(
            seen.filters,
            QStringList({QStringLiteral("PNG file (*.png)"), QStringLiteral("JPG file (*.jpg)"),
                         QStringLiteral("TIFF file (*.tiff)"), QStringLiteral("GIF file (*.gif)"),
                         QStringLiteral("WebP file (*.webp)")}));
        QCOMPARE(seen.selectedFilter, QStringLiteral("PNG file (*.png)"));
        QCOMPARE(seen.startFolder, out.path());

        const QByteArray bytes = readAll(path);
        QVERIFY(bytes.startsWith(magic));
        QVERIFY(marker.isEmpty() || bytes.contains(marker));
        QCOMPARE(QImage(path).size(), fileSize);
        QCOMPARE(state().exportImagePath, QDir::toNativeSeparators(path));
        QCOMPARE(storedExportPath(), out.path());
    }

    void secondExportStartsAtTheFirstFile()
    {
        QTemporaryDir out(home.filePath(QStringLiteral("out-XXXXXX")));
        QuiltraForm form;
        state().canvasSize = QSizeF(320, 200);
        state().exportImagePath = out.path();
        SaveDialogSeen first;
        answerSaveDialog(out.filePath(QStringLiteral("one.png")), &first);
        exportAction(form, QStringLiteral("Export to Image File"))->trigger();
        SaveDialogSeen second;
        answerSaveDialog(QString(), &second);
        exportAction(form, QStringLiteral("Export to Image File"))->trigger();
        QCOMPARE(second.startFile, out.filePath(QStringLiteral("one.png")));
        // Cancelled: the remembered path and the stored folder stay.
        QCOMPARE(state().exportImagePath,
                 QDir::toNativeSeparators(out.filePath(QStringLiteral("one.png"))));
        QCOMPARE(storedExportPath(), out.path());
    }

    void clipboardHoldsThePngExport()
    {
        QTemporaryDir out(home.filePath(QStringLiteral("out-XXXXXX")));
        QuiltraForm form;
        state().exportImagePath = out.path();
        state().zoomPercent = 40.0f;
        const QString path = out.filePath(QStringLiteral("collage.png"));
        SaveDialogSeen seen;
        answerSaveDialog(path, &seen);
        exportAction(form, QStringLiteral("Export to Image File"))->trigger();

        exportAction(form, QStringLiteral("Copy to Clipboard"))->trigger();
        const QImage pasted = QGuiApplication::clipboard()->image(QClipboard::Clipboard);
        QCOMPARE(pasted.size(), QSize(1920, 1080));
        QCOMPARE(TestSupport::maxChannelDifference(pasted, QImage(path)), 0);
    }
};

QUILTRA_TEST_MAIN(TestFormExport)
#include "tst_formexport.moc"
