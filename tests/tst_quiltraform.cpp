#include "CollageState.h"
#include "QuiltraForm.h"
#include "TestSupport.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

// The main editor form, its settings file and the dialogs it opens.
class TestQuiltraForm : public QObject
{
    Q_OBJECT

    QTemporaryDir home;

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
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("config"));
        QVERIFY(QDir(home.path()).mkpath("F"));
        QFile file(home.filePath("F/a.png"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    void init() { CollageState::reset(); }

    // The form opens on a full HD canvas at 40 %, whatever the document held before.
    void opens()
    {
        state().canvasSize = QSizeF(500, 400);
        QuiltraForm form;
        QCOMPARE(text(form, "canvasLabel") + ' ' + text(form, "zoomValueLabel"),
                 "Canvas Size: 1920x1080 40%");
        QVERIFY(child(form, "QuiltraSideBarForm")->isHidden());
        QStringList exports;
        for (const QAction *action : child<QToolButton>(form, "exportButton")->menu()->actions())
            exports << action->text();
        QCOMPARE(exports, (QStringList{"Export to Image File", "Copy to Clipboard"}));
    }

    // The scroll area holds the collage and a 20 pixel rim whatever the zoom.
    void canvasSizeAndZoom_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QString>("texts");
        QTest::addColumn<QSize>("content");
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
        QuiltraForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        state().canvasSize = size;
        form.onCanvasSizeValChanged();
        form.updateCanvasWidgetSize();
        child<QSlider>(form, "horizontalSlider")->setValue(zoom);
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
        const QString path = home.filePath("config/Maplestead/Quiltra.conf");
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
};

QUILTRA_TEST_MAIN(TestQuiltraForm)
#include "tst_quiltraform.moc"
