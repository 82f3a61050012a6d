#include "CollageState.h"
#include "MainWindow.h"
#include "QuiltraCanvasForm.h"
#include "QuiltraForm.h"
#include "QuiltraSideBarForm.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QScrollArea>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

CollageState &state()
{
    return CollageState::instance();
}

template <typename T> T *child(QWidget &form, const QString &name)
{
    T *found = form.findChild<T *>(name);
    if (!found)
        qFatal("no widget %s", qPrintable(name));
    return found;
}

QString labelText(QWidget &form, const char *name)
{
    return child<QLabel>(form, QLatin1String(name))->text();
}

QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    palette.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
    palette.setColor(QPalette::Button, QColor(0x30, 0x30, 0x30));
    palette.setColor(QPalette::ButtonText, QColor(0xf0, 0xf0, 0xf0));
    return palette;
}

QPalette lightPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0xef, 0xef, 0xef));
    palette.setColor(QPalette::WindowText, Qt::black);
    return palette;
}

} // namespace

class TestQuiltraForm : public QObject
{
    Q_OBJECT

    QTemporaryDir home;
    QString documents;

    QString resolve(QString path) const { return path.replace(QLatin1String("@tmp"), home.path()); }

    QString settingsFile() const
    {
        return QSettings(QStringLiteral("Maplestead"), QStringLiteral("Quiltra")).fileName();
    }

    void writeSettingsFile(const QString &text) const
    {
        QDir().mkpath(QFileInfo(settingsFile()).path());
        QFile file(settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }

    QString storedValue(const QString &key) const
    {
        QFile file(settingsFile());
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("<no file>");
        bool inGeneral = false;
        for (const QByteArray &raw : file.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith(QLatin1Char('[')))
                inGeneral = line == QLatin1String("[%General]");
            else if (inGeneral && line.startsWith(key + QLatin1Char('=')))
                return line.mid(key.size() + 1);
        }
        return QStringLiteral("<no key>");
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("config"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.filePath("config"));
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

    void startState()
    {
        state().canvasSize = QSizeF(500, 400); // left over from an earlier form
        QuiltraForm form;
        auto *slider = child<QSlider>(form, "horizontalSlider");
        QCOMPARE(slider->value(), 40);
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 100);
        QCOMPARE(labelText(form, "zoomValueLabel"), QStringLiteral("40%"));
        QCOMPARE(labelText(form, "canvasLabel"), QStringLiteral("Canvas Size: 1920x1080"));
        QVERIFY(child<QToolButton>(form, "printButton")->isHidden());
        QVERIFY(!child<QToolButton>(form, "optionButton")->isChecked());
        QVERIFY(child<QToolButton>(form, "optionButton")->isCheckable());
        QVERIFY(child<QToolButton>(form, "stickerButton")->isCheckable());
        QVERIFY(!child<QToolButton>(form, "textButton")->isCheckable());
        QCOMPARE(child<QWidget>(form, "scrollAreaWidgetContents")->size(), QSize(1940, 1100));
        for (const QList<LayoutTemplate> &layouts : state().layoutCatalogue)
            QVERIFY(!layouts.isEmpty());
    }

    void secondFormKeepsOneCatalogue()
    {
        qsizetype firstCount = 0;
        {
            QuiltraForm form;
            firstCount = state().layoutCatalogue[0].size();
        }
        QuiltraForm again;
        QCOMPARE(state().layoutCatalogue[0].size(), firstCount);
    }

    // Icon-only buttons say what they do to a screen reader and in their tool tip.
    void controlsAreNamed()
    {
        QuiltraForm form;
        const QWidget *sideBar = child<QWidget>(form, "QuiltraSideBarForm"); // names its own
        for (const QWidget *control : form.findChildren<QWidget *>()) {
            if (control->window() == &form && !sideBar->isAncestorOf(control) &&
                control->focusPolicy() != Qt::NoFocus && control->isEnabled())
                QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
        }
        const QStringList tips{child<QToolButton>(form, "stickerButton")->toolTip(),
                               child<QToolButton>(form, "textButton")->toolTip(),
                               child<QToolButton>(form, "optionButton")->toolTip()};
        QCOMPARE(tips, (QStringList{"Add Sticker", "Add Text", "Options"}));
    }

    // Each step is a user action; the side bar shows the face of the last one.
    void togglesAndSelection_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("optionChecked");
        QTest::addColumn<bool>("stickerChecked");
        QTest::addColumn<QString>("face");
        QTest::newRow("options") << QStringList{"options"} << true << false << "settings";
        QTest::newRow("options twice")
            << QStringList{"options", "options"} << false << false << "hidden";
        QTest::newRow("stickers while options")
            << QStringList{"options", "stickers"} << false << true << "stickers";
        QTest::newRow("options while stickers")
            << QStringList{"stickers", "options"} << true << false << "settings";
        QTest::newRow("stickers twice")
            << QStringList{"stickers", "stickers"} << false << false << "hidden";
        QTest::newRow("text while options")
            << QStringList{"options", "text"} << false << false << "object";
        QTest::newRow("deselect while options")
            << QStringList{"options", "click margin"} << false << false << "hidden";
        QTest::newRow("text, then deselect")
            << QStringList{"text", "click margin"} << false << false << "hidden";
        QTest::newRow("select a label while options")
            << QStringList{"text", "click margin", "options", "click label"} << false << false
            << "object";
        QTest::newRow("options while a label is selected")
            << QStringList{"text", "options"} << true << false << "settings";
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
        QVERIFY(sideBar->isHidden());
        const qreal zoom = state().zoomPercent / 100.0;
        for (const QString &step : steps) {
            if (step == QLatin1String("options")) {
                child<QToolButton>(form, "optionButton")->click();
            } else if (step == QLatin1String("stickers")) {
                child<QToolButton>(form, "stickerButton")->click();
            } else if (step == QLatin1String("text")) {
                child<QToolButton>(form, "textButton")->click();
                QTRY_VERIFY(!state().document.objects.last().bounds.isEmpty());
            } else if (step == QLatin1String("click margin")) {
                QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(10, 10));
            } else {
                const QPointF centre = state().document.objects.last().bounds.center() * zoom;
                QTest::mouseClick(canvas, Qt::LeftButton, {}, centre.toPoint());
                QCOMPARE(state().document.selectedObjectId, state().document.objects.last().id);
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

    void exportMenu()
    {
        QuiltraForm form;
        auto *button = child<QToolButton>(form, "exportButton");
        QCOMPARE(button->popupMode(), QToolButton::InstantPopup);
        QMenu *menu = button->menu();
        QVERIFY(menu);
        QCOMPARE(menu->parent(), &form);
        QStringList captions;
        for (const QAction *action : menu->actions())
            captions << action->text();
        QCOMPARE(captions, (QStringList{"Export to Image File", "Copy to Clipboard"}));
    }

    void canvasSizeText_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("content");
        QTest::newRow("full HD") << QSizeF(1920, 1080) << "Canvas Size: 1920x1080"
                                 << QSize(1940, 1100);
        QTest::newRow("A3 portrait")
            << QSizeF(841.8898, 1190.5511) << "Canvas Size: 841.89x1190.55" << QSize(861, 1210);
        QTest::newRow("six digits")
            << QSizeF(12345.67, 32000) << "Canvas Size: 12345.7x32000" << QSize(12365, 32020);
    }

    void canvasSizeText()
    {
        QFETCH(QSizeF, size);
        QFETCH(QString, text);
        QFETCH(QSize, content);
        QuiltraForm form;
        state().canvasSize = size;
        form.onCanvasSizeValChanged();
        form.updateCanvasWidgetSize();
        QCOMPARE(labelText(form, "canvasLabel"), text);
        QCOMPARE(child<QWidget>(form, "scrollAreaWidgetContents")->size(), content);
    }

    void zoomSlider_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("lowest") << 0 << "0%";
        QTest::newRow("full size") << 100 << "100%";
        QTest::newRow("past the end") << 250 << "100%";
    }

    void zoomSlider()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        QuiltraForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *slider = child<QSlider>(form, "horizontalSlider");
        slider->setValue(value);
        QCOMPARE(labelText(form, "zoomValueLabel"), text);
        QCOMPARE(state().zoomPercent, float(slider->value()));
        QCOMPARE(child<QWidget>(form, "scrollAreaWidgetContents")->size(), QSize(1940, 1100));
    }

    // The file is written by hand here, as a user's earlier run would have left it.
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
        QTest::newRow("a file, not a folder") << "[%General]\nexportImagePath=@tmp/F/a.png\n"
                                              << "<documents>"
                                              << "";
        QTest::newRow("relative folder") << "[%General]\nexportImagePath=.\n"
                                         << "<documents>"
                                         << "";
    }

    void settingsRead()
    {
        QFETCH(QString, file);
        QFETCH(QString, exportPath);
        QFETCH(QString, picturesDir);
        if (!file.isEmpty())
            writeSettingsFile(resolve(file));
        QuiltraForm form;
        QCOMPARE(state().exportImagePath,
                 exportPath == QLatin1String("<documents>") ? documents : resolve(exportPath));
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
        QTest::newRow("nothing") << ""
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
        QCOMPARE(storedValue("exportImagePath"),
                 stored == QLatin1String("<documents>") ? documents : resolve(stored));
        QCOMPARE(storedValue("lastPicturesDir"), resolve("@tmp/pics"));
    }

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
        QTest::newRow("dark sticker")
            << true << "stickerButton" << true << "_StickerWhiteIcon24.png";
        QTest::newRow("dark, sticker disabled")
            << true << "stickerButton" << false << "_StickerGrayIcon24.png";
        QTest::newRow("light, text disabled")
            << false << "textButton" << false << "_TextGrayIcon24.png";
    }

    // The window follows a switch of the appearance at once, through the palette that
    // the desktop hands to the application.
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
        auto *tool = child<QToolButton>(window, button);
        QApplication::setPalette(dark ? lightPalette() : darkPalette());
        QCoreApplication::processEvents();
        tool->setEnabled(enabled);
        QApplication::setPalette(dark ? darkPalette() : lightPalette());

        const QImage expected(QStringLiteral(":/resources/images/") + file);
        QVERIFY(!expected.isNull());
        const auto difference = [&] {
            const QIcon::Mode mode = enabled ? QIcon::Normal : QIcon::Disabled;
            return TestSupport::maxChannelDifference(
                tool->icon().pixmap(QSize(24, 24), mode).toImage(), expected);
        };
        QTRY_COMPARE(difference(), 0);
    }
};

QUILTRA_TEST_MAIN(TestQuiltraForm)
#include "tst_quiltraform.moc"
