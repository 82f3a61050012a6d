#include "CollageState.h"
#include "ImageExportJob.h"
#include "ImageExportRunner.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// Noise compresses badly, so writing it as PNG takes a while even on a fast machine.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    quint32 seed = 99;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            line[x] = (seed >> 8) | 0xff000000u;
        }
    }
    return image;
}

QImage smallCollage()
{
    QImage image(120, 80, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 10; y < 70; ++y) {
        for (int x = 10; x < 110; ++x)
            image.setPixel(x, y, qRgba(x * 2, y * 3, 90, 255));
    }
    return image;
}

// Closes the warning once it is up and keeps its text.
void answerWarning(QString *text)
{
    QTimer::singleShot(0, [text] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            answerWarning(text);
            return;
        }
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

    void failureWarnsAndNamesFileAndReason_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown suffix") << smallCollage() << "collage.xyz"
                                        << ".xyz";
        QTest::newRow("no suffix") << smallCollage() << "collage"
                                   << "suffix";
        QTest::newRow("webp too large")
            << QImage(16384, 1, QImage::Format_ARGB32_Premultiplied) << "collage.webp"
            << "16383";
        // A render that could not be allocated arrives as a null image.
        QTest::newRow("render failed") << QImage() << "collage.png"
                                       << "1920 x 1080";
    }

    void failureWarnsAndNamesFileAndReason()
    {
        QFETCH(QImage, image);
        QFETCH(QString, fileName);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();

        QWidget window;
        ImageExportRunner runner(&window);
        QString warning;
        answerWarning(&warning);
        QVERIFY(!runner.exportToFile(image, path));
        QVERIFY2(warning.contains(QDir::toNativeSeparators(path)), qPrintable(warning));
        QVERIFY2(warning.contains(reason), qPrintable(warning));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{fileName});
    }

    // A long export shows the modal dialog, and the window takes no input meanwhile: the
    // click lands while the worker runs, before or after the dialog is up.
    void longExportHoldsOffInput_data()
    {
        QTest::addColumn<int>("dialogDelay");
        QTest::addColumn<bool>("dialogExpected");
        QTest::newRow("dialog at once") << 0 << true;
        QTest::newRow("before the dialog") << 60000 << false;
    }

    void longExportHoldsOffInput()
    {
        QFETCH(int, dialogDelay);
        QFETCH(bool, dialogExpected);
        QTemporaryDir dir;
        QWidget window;
        auto *button = new QPushButton(QStringLiteral("Edit"), &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicks(button, &QPushButton::clicked);

        ImageExportRunner runner(&window);
        runner.setDialogDelay(dialogDelay);
        const QImage image = noise(1500, 1500);
        QString label;
        bool modal = false;
        bool busy = false;
        QTimer::singleShot(50, [&] {
            if (auto *dialog = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget())) {
                label = dialog->labelText();
                modal = dialog->isModal();
            }
            busy = QApplication::overrideCursor() &&
                   QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::keyClick(button, Qt::Key_Space);
        });
        const QString path = dir.filePath(QStringLiteral("big.png"));
        QVERIFY(runner.exportToFile(image, path));
        QCOMPARE(label, dialogExpected ? QStringLiteral("Exporting…") : QString());
        QCOMPARE(modal, dialogExpected);
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
            QVERIFY(job.start(noise(800, 600), path));
            QVERIFY(!job.start(noise(8, 8), path));
        }
        QCOMPARE(QImage(path).size(), QSize(800, 600));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("dropped.png")});
    }

    void clipboardHoldsThePngExport()
    {
        QTemporaryDir dir;
        QWidget window;
        ImageExportRunner runner(&window);
        const QImage collage = smallCollage();
        const QString path = dir.filePath(QStringLiteral("collage.png"));
        QVERIFY(runner.exportToFile(collage, path));
        QVERIFY(runner.copyToClipboard(collage));
        const QImage pasted = QGuiApplication::clipboard()->image(QClipboard::Clipboard);
        QCOMPARE(TestSupport::maxChannelDifference(pasted, QImage(path)), 0);
        // Untouched corners stay transparent.
        QCOMPARE(qAlpha(pasted.pixel(0, 0)), 0);
    }

    void failedRenderLeavesTheClipboardAlone()
    {
        QWidget window;
        ImageExportRunner runner(&window);
        QGuiApplication::clipboard()->setText(QStringLiteral("keep me"), QClipboard::Clipboard);
        QString warning;
        answerWarning(&warning);
        QVERIFY(!runner.copyToClipboard(QImage()));
        QVERIFY(warning.contains(QStringLiteral("1920 x 1080")));
        QCOMPARE(QGuiApplication::clipboard()->text(QClipboard::Clipboard),
                 QStringLiteral("keep me"));
    }
};

QUILTRA_TEST_MAIN(TestImageExport)
#include "tst_imageexport.moc"
