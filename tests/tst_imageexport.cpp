#include "CollageState.h"
#include "ImageExportJob.h"
#include "ImageExportRunner.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QDir>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

namespace {

// Noise compresses badly, so writing it as PNG takes a while even on a fast machine.
QImage noise(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    auto *pixels = reinterpret_cast<QRgb *>(image.bits());
    std::generate(pixels, pixels + qsizetype(side) * side, [seed = 99u]() mutable {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) | 0xff000000u;
    });
    return image;
}

// Closes the warning once it is up and keeps its text.
void answerWarning(QString *text)
{
    QTimer::singleShot(0, [text] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return answerWarning(text);
        *text = box->text();
        box->accept();
    });
}

} // namespace

class TestImageExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { CollageState::reset(); }

    // The warning says why; an old file and the clipboard stay as they were. A render that
    // could not be allocated arrives as a null image, for the file and for the clipboard.
    void failureWarnsAndNamesFileAndReason_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("reason");
        const QImage image(8, 8, QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("unknown suffix") << image << QStringLiteral("collage.xyz") << ".xyz";
        QTest::newRow("render failed")
            << QImage() << QStringLiteral("collage.png") << "1920 x 1080";
        QTest::newRow("render failed, clipboard") << QImage() << QString() << "1920 x 1080";
    }

    void failureWarnsAndNamesFileAndReason()
    {
        QFETCH(QImage, image);
        QFETCH(QString, fileName);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName.isEmpty() ? "old.png" : fileName);
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        QGuiApplication::clipboard()->setText(QStringLiteral("keep me"));
        QWidget window;
        ImageExportRunner runner(&window);
        QString warning;
        answerWarning(&warning);
        QVERIFY(fileName.isEmpty() ? !runner.copyToClipboard(image)
                                   : !runner.exportToFile(image, path));
        QVERIFY2(warning.contains(reason), qPrintable(warning));
        QVERIFY(fileName.isEmpty() || warning.contains(QDir::toNativeSeparators(path)));
        QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "old");
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("keep me"));
    }

    // A long export shows the modal dialog, and the window takes no input meanwhile: the
    // click lands while the worker runs, before or after the dialog is up.
    void longExportHoldsOffInput_data()
    {
        QTest::addColumn<int>("dialogDelay");
        QTest::addColumn<QString>("label");
        QTest::newRow("dialog at once") << 0 << QStringLiteral("Exporting…");
        QTest::newRow("before the dialog") << 60000 << QString();
    }

    void longExportHoldsOffInput()
    {
        QFETCH(int, dialogDelay);
        QFETCH(QString, label);
        QTemporaryDir dir;
        QWidget window;
        auto *button = new QPushButton(QStringLiteral("Edit"), &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicks(button, &QPushButton::clicked);
        ImageExportRunner runner(&window);
        runner.setDialogDelay(dialogDelay);
        QString shown;
        bool busy = false;
        QTimer::singleShot(50, [&] {
            auto *dialog = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
            shown = dialog && dialog->isModal() ? dialog->labelText() : QString();
            const QCursor *cursor = QApplication::overrideCursor();
            busy = cursor && cursor->shape() == Qt::WaitCursor;
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::keyClick(button, Qt::Key_Space);
        });
        const QString path = dir.filePath(QStringLiteral("big.png"));
        QVERIFY(runner.exportToFile(noise(1500), path));
        QCOMPARE(shown, label);
        QVERIFY(busy);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(QImage(path).size(), QSize(1500, 1500));
        // Afterwards the window answers again, and the dialog is gone.
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    // A job dropped while it works still finishes its file whole.
    void droppedJobFinishesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dropped.png"));
        {
            ImageExportJob job;
            QVERIFY(job.start(noise(800), path));
            QVERIFY(!job.start(noise(8), path));
        }
        QCOMPARE(QImage(path).size(), QSize(800, 800));
    }

    // The file and the clipboard get the collage as it is: the colour laid down, and
    // transparency where nothing was drawn.
    void fileAndClipboardHoldTheCollage()
    {
        QImage collage(120, 80, QImage::Format_ARGB32_Premultiplied);
        collage.fill(Qt::transparent);
        collage.setPixel(60, 40, qRgba(200, 120, 90, 255));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("collage.png"));
        ImageExportRunner runner(nullptr);
        QVERIFY(runner.exportToFile(collage, path) && runner.copyToClipboard(collage));
        for (const QImage &image : {QImage(path), QGuiApplication::clipboard()->image()}) {
            QUILTRA_COMPARE_PIXEL(image, QPoint(60, 40), QColor(200, 120, 90), 0);
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        }
    }
};

QUILTRA_TEST_MAIN(TestImageExport)
#include "tst_imageexport.moc"
