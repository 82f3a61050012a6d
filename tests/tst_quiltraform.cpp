#include "CollageState.h"
#include "MainWindow.h"
#include "QuiltraCanvasForm.h"
#include "QuiltraForm.h"
#include "QuiltraSideBarForm.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

CollageState &state()
{
    return CollageState::instance();
}

template <typename T> T *child(QWidget &form, const char *name)
{
    T *found = form.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

QString labelText(QWidget &form, const char *name)
{
    return child<QLabel>(form, name)->text();
}

QPalette palette(bool dark)
{
    QPalette palette;
    palette.setColor(QPalette::Window, dark ? QColor(0x20, 0x20, 0x20) : QColor(0xef, 0xef, 0xef));
    palette.setColor(QPalette::WindowText, dark ? QColor(0xf0, 0xf0, 0xf0) : QColor(Qt::black));
    return palette;
}

} // namespace

class TestQuiltraForm : public QObject
{
    Q_OBJECT

    QTemporaryDir home;
    QString documents;

    QString resolve(QString path) const
    {
        if (path == QLatin1String("<documents>"))
            return documents;
        return path.replace(QLatin1String("@tmp"), home.path());
    }

    QString settingsFile() const
    {
        return QSettings(QStringLiteral("Maplestead"), QStringLiteral("Quiltra")).fileName();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("config"));
        QVERIFY(QDir(home.path()).mkpath(QStringLiteral("F")));
        QVERIFY(QDir(home.path()).mkpath(QStringLiteral("pics")));
        QFile file(home.filePath("F/a.png"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }

    void init()
    {
        CollageState::reset();
        QFile::remove(settingsFile());
    }

    // A second form in the same run starts afresh but keeps the one layout catalogue.
    void startState()
    {
        qsizetype layouts = 0;
        {
            QuiltraForm first;
            layouts = state().layoutCatalogue[0].size();
        }
        QVERIFY(layouts > 0);
        state().canvasSize = QSizeF(500, 400);
        QuiltraForm form;
        QCOMPARE(state().layoutCatalogue[0].size(), layouts);
        QCOMPARE(child<QSlider>(form, "horizontalSlider")->value(), 40);
        QCOMPARE(labelText(form, "zoomValueLabel"), QStringLiteral("40%"));
        QCOMPARE(labelText(form, "canvasLabel"), QStringLiteral("Canvas Size: 1920x1080"));
        QCOMPARE(child<QWidget>(form, "scrollAreaWidgetContents")->size(), QSize(1940, 1100));
        QVERIFY(child<QToolButton>(form, "printButton")->isHidden());
        QVERIFY(child<QWidget>(form, "QuiltraSideBarForm")->isHidden());
        const QStringList tips{child<QToolButton>(form, "stickerButton")->toolTip(),
                               child<QToolButton>(form, "textButton")->toolTip(),
                               child<QToolButton>(form, "optionButton")->toolTip()};
        QCOMPARE(tips, (QStringList{"Add Sticker", "Add Text", "Options"}));
        const QWidget *sideBar = child<QWidget>(form, "QuiltraSideBarForm"); // names its own
        for (const QWidget *control : form.findChildren<QWidget *>()) {
            if (control->window() == &form && !sideBar->isAncestorOf(control) &&
                control->focusPolicy() != Qt::NoFocus && control->isEnabled())
                QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
        }
    }

    // Each step is a user action; the side bar shows the face of the last one.
    void togglesAndSelection_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("optionChecked");
        QTest::addColumn<bool>("stickerChecked");
        QTest::addColumn<QString>("face");
        const auto row = [](const char *name, QStringList steps, bool option, bool sticker,
                            const char *face) {
            QTest::newRow(name) << steps << option << sticker << QString::fromLatin1(face);
        };
        row("options", {"options"}, true, false, "settings");
        row("options twice", {"options", "options"}, false, false, "hidden");
        row("stickers while options", {"options", "stickers"}, false, true, "stickers");
        row("options while stickers", {"stickers", "options"}, true, false, "settings");
        row("stickers twice", {"stickers", "stickers"}, false, false, "hidden");
        row("text while options", {"options", "text"}, false, false, "object");
        row("deselect while options", {"options", "margin"}, false, false, "hidden");
        row("text, then deselect", {"text", "margin"}, false, false, "hidden");
        row("select a label while options", {"text", "margin", "options", "label"}, false, false,
            "object");
        row("options while a label is selected", {"text", "options"}, true, false, "settings");
    }

    void togglesAndSelection()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, optionChecked);
        QFETCH(bool, stickerChecked);
        QFETCH(QString, face);
        QuiltraForm form;
        form.resize(1300, 800);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QuiltraCanvasForm *canvas = form.canvasForm();
        auto *sideBar = child<QuiltraSideBarForm>(form, "QuiltraSideBarForm");
        for (const QString &step : steps) {
            if (step == QLatin1String("options")) {
                child<QToolButton>(form, "optionButton")->click();
            } else if (step == QLatin1String("stickers")) {
                child<QToolButton>(form, "stickerButton")->click();
            } else if (step == QLatin1String("text")) {
                child<QToolButton>(form, "textButton")->click();
                QTRY_VERIFY(!state().document.objects.last().bounds.isEmpty());
            } else if (step == QLatin1String("margin")) {
                QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(10, 10));
            } else {
                const QPointF centre = state().document.objects.last().bounds.center() * 0.4;
                QTest::mouseClick(canvas, Qt::LeftButton, {}, centre.toPoint());
            }
        }
        QCOMPARE(child<QToolButton>(form, "optionButton")->isChecked(), optionChecked);
        QCOMPARE(child<QToolButton>(form, "stickerButton")->isChecked(), stickerChecked);
        QString shown = QStringLiteral("hidden");
        if (sideBar->isVisible()) {
            if (child<QWidget>(*sideBar, "tabWidget")->isVisible())
                shown = QStringLiteral("settings");
            else if (child<QWidget>(*sideBar, "tabWidget2")->isVisible())
                shown = QStringLiteral("object");
            else if (child<QWidget>(*sideBar, "CollageSelectStickerForm")->isVisible())
                shown = QStringLiteral("stickers");
        }
        QCOMPARE(shown, face);
    }

    // The scroll area holds the collage and a 20 pixel rim whatever the zoom.
    void canvasSizeAndZoom_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QString>("sizeText");
        QTest::addColumn<QString>("zoomText");
        QTest::addColumn<QSize>("content");
        QTest::newRow("full HD, lowest zoom") << QSizeF(1920, 1080) << 0 << "Canvas Size: 1920x1080"
                                              << "0%" << QSize(1940, 1100);
        QTest::newRow("A3 portrait, full size")
            << QSizeF(841.8898, 1190.5511) << 100 << "Canvas Size: 841.89x1190.55"
            << "100%" << QSize(861, 1210);
        QTest::newRow("six digits, past the end")
            << QSizeF(12345.67, 32000) << 250 << "Canvas Size: 12345.7x32000"
            << "100%" << QSize(12365, 32020);
    }

    void canvasSizeAndZoom()
    {
        QFETCH(QSizeF, size);
        QFETCH(int, zoom);
        QFETCH(QString, sizeText);
        QFETCH(QString, zoomText);
        QFETCH(QSize, content);
        QuiltraForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        state().canvasSize = size;
        form.onCanvasSizeValChanged();
        form.updateCanvasWidgetSize();
        child<QSlider>(form, "horizontalSlider")->setValue(zoom);
        QCOMPARE(labelText(form, "canvasLabel"), sizeText);
        QCOMPARE(labelText(form, "zoomValueLabel"), zoomText);
        QCOMPARE(QString::number(state().zoomPercent) + '%', zoomText);
        QCOMPARE(child<QWidget>(form, "scrollAreaWidgetContents")->size(), content);
    }

    // The file is written by hand, as a user's earlier run would have left it.
    void settingsRead_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("exportPath");
        QTest::addColumn<QString>("picturesDir");
        QTest::newRow("first run") << ""
                                   << "<documents>"
                                   << "";
        QTest::newRow("folder kept")
            << "[%General]\nexportImagePath=@tmp/F\nlastPicturesDir=@tmp/pics\n"
            << "@tmp/F"
            << "@tmp/pics";
        QTest::newRow("folder gone") << "[%General]\nexportImagePath=@tmp/gone\n"
                                     << "<documents>"
                                     << "";
        QTest::newRow("a file") << "[%General]\nexportImagePath=@tmp/F/a.png\n"
                                << "<documents>"
                                << "";
        QTest::newRow("relative") << "[%General]\nexportImagePath=.\n"
                                  << "<documents>"
                                  << "";
    }

    void settingsRead()
    {
        QFETCH(QString, file);
        QFETCH(QString, exportPath);
        QFETCH(QString, picturesDir);
        if (!file.isEmpty()) {
            QDir().mkpath(QFileInfo(settingsFile()).path());
            QFile out(settingsFile());
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(resolve(file).toUtf8());
        }
        QuiltraForm form;
        QCOMPARE(state().exportImagePath, resolve(exportPath));
        QCOMPARE(state().lastPicturesDir, resolve(picturesDir));
    }

    void settingsWrittenAtExit_data()
    {
        QTest::addColumn<QString>("lastExport");
        QTest::addColumn<QString>("stored");
        QTest::newRow("a folder") << "@tmp/F"
                                  << "@tmp/F";
        QTest::newRow("a file in a folder") << "@tmp/F/a.png"
                                            << "@tmp/F";
        QTest::newRow("folder deleted since") << "@tmp/gone/a.png"
                                              << "<documents>";
        QTest::newRow("relative name") << "a.png"
                                       << "<documents>";
    }

    void settingsWrittenAtExit()
    {
        QFETCH(QString, lastExport);
        QFETCH(QString, stored);
        {
            QuiltraForm form;
            state().exportImagePath = resolve(lastExport);
            state().lastPicturesDir = resolve("@tmp/pics");
        }
        QCOMPARE(state().exportImagePath, resolve(lastExport)); // the next dialog's start
        QFile file(settingsFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.startsWith(QLatin1String("[%General]\n")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("\nexportImagePath=") + resolve(stored) + '\n'),
                 qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("\nlastPicturesDir=") + resolve("@tmp/pics") + '\n'),
                 qPrintable(text));
    }

    // The window follows a switch of the appearance at once, through the palette that
    // the desktop hands to the application.
    void themeIcons_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("file");
        QTest::newRow("light sticker") << false << "stickerButton" << true << "_StickerIcon24.png";
        QTest::newRow("dark options")
            << true << "optionButton" << true << "_SettingsWhiteIcon24.png";
        QTest::newRow("dark text") << true << "textButton" << true << "_TextWhiteIcon24.png";
        QTest::newRow("dark, disabled")
            << true << "stickerButton" << false << "_StickerGrayIcon24.png";
        QTest::newRow("light, disabled") << false << "textButton" << false << "_TextGrayIcon24.png";
    }

    void themeIcons()
    {
        QFETCH(bool, dark);
        QFETCH(QString, button);
        QFETCH(bool, enabled);
        QFETCH(QString, file);
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
        if (dark)
            QSKIP("the colour scheme, not the palette, decides from Qt 6.5 on");
#endif
        struct PaletteRestorer
        {
            QPalette original = QApplication::palette();
            ~PaletteRestorer() { QApplication::setPalette(original); }
        } restorer;
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *tool = window.findChild<QToolButton *>(button);
        QVERIFY(tool);
        QApplication::setPalette(palette(!dark));
        QCoreApplication::processEvents();
        tool->setEnabled(enabled);
        QApplication::setPalette(palette(dark));

        const QImage expected(QStringLiteral(":/resources/images/") + file);
        QVERIFY(!expected.isNull());
        const QIcon::Mode mode = enabled ? QIcon::Normal : QIcon::Disabled;
        QTRY_COMPARE(TestSupport::maxChannelDifference(
                         tool->icon().pixmap(QSize(24, 24), mode).toImage(), expected),
                     0);
    }
};

QUILTRA_TEST_MAIN(TestQuiltraForm)
#include "tst_quiltraform.moc"
