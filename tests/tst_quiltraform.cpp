#include "CollageState.h"
#include "MainWindow.h"
#include "QuiltraCanvasForm.h"
#include "QuiltraForm.h"
#include "TestSupport.h"

#include <QDir>
#include <QLabel>
#include <QScopeGuard>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

CollageState &state()
{
    return CollageState::instance();
}

template <typename T = QWidget> T *child(QWidget &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

QString text(QWidget &form, const char *name)
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
        QVERIFY(QDir(home.path()).mkpath(QStringLiteral("F")));
        QFile file(home.filePath("F/a.png"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    void init() { CollageState::reset(); }

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
        QCOMPARE(text(form, "zoomValueLabel"), QStringLiteral("40%"));
        QCOMPARE(text(form, "canvasLabel"), QStringLiteral("Canvas Size: 1920x1080"));
        QCOMPARE(child(form, "scrollAreaWidgetContents")->size(), QSize(1940, 1100));
        QVERIFY(child(form, "printButton")->isHidden());
        const QWidget *sideBar = child(form, "QuiltraSideBarForm"); // names its own controls
        QVERIFY(sideBar->isHidden());
        const QStringList tips{child(form, "stickerButton")->toolTip(),
                               child(form, "textButton")->toolTip(),
                               child(form, "optionButton")->toolTip()};
        QCOMPARE(tips, (QStringList{"Add Sticker", "Add Text", "Options"}));
        for (const QWidget *control : form.findChildren<QWidget *>()) {
            if (control->window() == &form && !sideBar->isAncestorOf(control) &&
                control->focusPolicy() != Qt::NoFocus && control->isEnabled())
                QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
        }
    }

    // Each step is a user action; the result names the checked toggles and the face the
    // side bar shows.
    void togglesAndSelection_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("result");
        const auto row = [](const char *name, QStringList steps, const char *result) {
            QTest::newRow(name) << steps << QString::fromLatin1(result);
        };
        row("options", {"option"}, "option: tabWidget");
        row("options twice", {"option", "option"}, ": hidden");
        row("stickers while options", {"option", "sticker"}, "sticker: CollageSelectStickerForm");
        row("options while stickers", {"sticker", "option"}, "option: tabWidget");
        row("stickers twice", {"sticker", "sticker"}, ": hidden");
        row("text while options", {"option", "text"}, ": tabWidget2");
        row("deselect while options", {"option", "margin"}, ": hidden");
        row("text, then deselect", {"text", "margin"}, ": hidden");
        row("select a label while options", {"text", "margin", "option", "label"}, ": tabWidget2");
        row("options while a label is selected", {"text", "option"}, "option: tabWidget");
    }

    void togglesAndSelection()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, result);
        QuiltraForm form;
        form.resize(1300, 800);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QuiltraCanvasForm *canvas = form.canvasForm();
        for (const QString &step : steps) {
            if (step == QLatin1String("margin")) {
                QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(10, 10));
            } else if (step == QLatin1String("label")) {
                const QPointF centre = state().document.objects.last().bounds.center() * 0.4;
                QTest::mouseClick(canvas, Qt::LeftButton, {}, centre.toPoint());
            } else {
                child<QToolButton>(form, qPrintable(step + "Button"))->click();
                if (step == QLatin1String("text"))
                    QTRY_VERIFY(!state().document.objects.last().bounds.isEmpty());
            }
        }
        QStringList checked;
        for (const char *toggle : {"option", "text", "sticker"}) {
            if (child<QToolButton>(form, qPrintable(QString(toggle) + "Button"))->isChecked())
                checked << toggle;
        }
        QString face = QStringLiteral("hidden");
        for (const char *panel : {"tabWidget", "tabWidget2", "CollageSelectStickerForm"}) {
            if (child(form, panel)->isVisible())
                face = panel;
        }
        QCOMPARE(checked.join(',') + ": " + face, result);
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
        QFETCH(QSize, content);
        QuiltraForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        state().canvasSize = size;
        form.onCanvasSizeValChanged();
        form.updateCanvasWidgetSize();
        child<QSlider>(form, "horizontalSlider")->setValue(zoom);
        QCOMPARE(text(form, "canvasLabel") + ' ' + text(form, "zoomValueLabel"), texts);
        QCOMPARE(QString::number(state().zoomPercent) + '%', text(form, "zoomValueLabel"));
        QCOMPARE(child(form, "scrollAreaWidgetContents")->size(), content);
    }

    // The file is written by hand, as a user's earlier run would have left it, and read
    // back as text after the form has gone.
    void settingsFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("readExport");
        QTest::addColumn<QString>("lastExport");
        QTest::addColumn<QString>("stored");
        const auto row = [](const char *name, const char *file, const char *read, const char *last,
                            const char *stored) {
            QTest::newRow(name) << file << read << last << stored;
        };
        row("first run", "", "<documents>", "@tmp/F", "@tmp/F");
        row("folder kept", "exportImagePath=@tmp/F", "@tmp/F", "@tmp/F/a.png", "@tmp/F");
        row("folder gone", "exportImagePath=@tmp/gone", "<documents>", "@tmp/gone/a.png",
            "<documents>");
        row("a file", "exportImagePath=@tmp/F/a.png", "<documents>", "", "<documents>");
        row("relative", "exportImagePath=.", "<documents>", "a.png", "<documents>");
    }

    void settingsFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, readExport);
        QFETCH(QString, lastExport);
        QFETCH(QString, stored);
        const QString path =
            QSettings(QStringLiteral("Maplestead"), QStringLiteral("Quiltra")).fileName();
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

    // The window follows a switch of the appearance at once, through the palette that
    // the desktop hands to the application.
    void themeIcons_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("file");
        QTest::newRow("light sticker") << false << "stickerButton" << true << "Sticker";
        QTest::newRow("dark options") << true << "optionButton" << true << "SettingsWhite";
        QTest::newRow("dark text") << true << "textButton" << true << "TextWhite";
        QTest::newRow("dark, disabled") << true << "stickerButton" << false << "StickerGray";
        QTest::newRow("light, disabled") << false << "textButton" << false << "TextGray";
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
        const auto restore =
            qScopeGuard([old = QApplication::palette()] { QApplication::setPalette(old); });
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *tool = child<QToolButton>(window, qPrintable(button));
        QApplication::setPalette(palette(!dark));
        QCoreApplication::processEvents();
        tool->setEnabled(enabled);
        QApplication::setPalette(palette(dark));
        // The window hears of the new palette through a posted event; checking before it
        // arrives would see the icons of the opposite palette set just above.
        QCoreApplication::processEvents();
        const QImage expected(":/resources/images/_" + file + "Icon24.png");
        QVERIFY(!expected.isNull());
        const QIcon::Mode mode = enabled ? QIcon::Normal : QIcon::Disabled;
        QCOMPARE(TestSupport::maxChannelDifference(
                     tool->icon().pixmap(QSize(24, 24), mode).toImage(), expected),
                 0);
    }
};

QUILTRA_TEST_MAIN(TestQuiltraForm)
#include "tst_quiltraform.moc"
