#include "AboutDialog.h"
#include "ApplicationIdentity.h"
#include "MainWindow.h"
#include "QuiltraHelpDialog.h"
#include "TestSupport.h"
#include "WindowGeometry.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <memory>

// What a screen reader announces for every control a user can reach.
namespace {

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    if (!face)
        return {};
    // On Linux a combo box announces its current choice as its name and leaves what
    // the choice is about to its name property or its label: without either it says
    // only "Red".
    if (qobject_cast<QComboBox *>(widget)) {
        if (!widget->accessibleName().isEmpty())
            return widget->accessibleName();
        const auto labels = face->relations(QAccessible::Label);
        return labels.isEmpty() ? QString()
                                : labels.first().first->text(QAccessible::Name).trimmed();
    }
    return face->text(QAccessible::Name).trimmed();
}

// Lists, line edits and buttons inside a combo box, a spin box or an item view are
// parts of that control, announced through it.
bool isPartOfControl(QWidget *widget, QWidget *window)
{
    for (QWidget *parent = widget->parentWidget(); parent && parent != window;
         parent = parent->parentWidget()) {
        if (qobject_cast<QComboBox *>(parent) || qobject_cast<QAbstractSpinBox *>(parent) ||
            qobject_cast<QAbstractItemView *>(parent))
            return true;
    }
    return false;
}

// Whatever takes the keyboard focus, and labels that show a picture instead of words,
// say nothing to a screen reader unless they are given a name; so do the editor's own
// widgets that answer only the mouse. Scroll bars are announced by their role and
// position, scroll areas and tab pages through what they hold, and the toolkit's private
// helpers ("qt_..." objects) are not ours to name.
bool needsName(QWidget *widget)
{
    if (qobject_cast<QScrollBar *>(widget) || qobject_cast<QScrollArea *>(widget) ||
        qobject_cast<QTabWidget *>(widget) || widget->objectName().startsWith("qt_"))
        return false;
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text().trimmed().isEmpty() && !label->pixmap().isNull();
    const QByteArray className = widget->metaObject()->className();
    return widget->focusPolicy() != Qt::NoFocus || className == "QuiltraCanvasForm" ||
           className == "CollageLayoutContentForm" || className == "KXColorWidget";
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir home;
    // Where a user's configuration folder keeps the window's own record.
    QString recordPath() const { return home.filePath("Maplestead Vantry.conf"); }

private Q_SLOTS:
    // Naming the application moves no settings file, and code that opens the default
    // store lands in the editor form's store, not in a new one.
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
        const auto stores = [] {
            return QStringList{QSettings("Maplestead", "Quiltra").fileName(),
                               openWindowSettings()->fileName()};
        };
        const QStringList expected{home.filePath("Maplestead/Quiltra.conf"), recordPath()};
        QCOMPARE(stores(), expected);
        setApplicationIdentity();
        QCOMPARE(stores(), expected);
        QCOMPARE(QSettings().fileName(), expected.first());
    }

    void init() { QFile::remove(recordPath()); }

    // On a 1920 x 1080 screen.
    void restoredGeometry_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("expected");
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

    void restoredGeometry()
    {
        QFETCH(QRect, stored);
        QTEST(restoredWindowGeometry(stored, QSize(1920, 1080)), "expected");
        // The minimum size holds even on a screen smaller than it.
        QCOMPARE(restoredWindowGeometry(QRect(), QSize(800, 480)), QRect(0, 0, 986, 513));
    }

    // The record is written by hand as an earlier run would have left it, read by a real
    // window, and read back with a plain settings reader after the window closed
    // elsewhere.
    void geometryThroughTheRecord_data()
    {
        QTest::addColumn<QString>("record"); // empty: nothing stored yet
        QTest::addColumn<QRect>("opened");
        QTest::newRow("first start") << "" << QRect(0, 0, 986, 513);
        QTest::newRow("as stored")
            << "posX=200\nposY=150\nwidth=1100\nheight=700" << QRect(200, 150, 1100, 700);
        QTest::newRow("hanging off the right")
            << "posX=1500\nposY=40\nwidth=1000\nheight=600" << QRect(920, 40, 1000, 600);
        QTest::newRow("too small")
            << "posX=50\nposY=40\nwidth=700\nheight=500" << QRect(50, 40, 986, 513);
    }

    void geometryThroughTheRecord()
    {
        QFETCH(QString, record);
        QFETCH(QRect, opened);
        if (QGuiApplication::primaryScreen()->size() != QSize(1920, 1080))
            QSKIP("needs the 1920 x 1080 test screen that ctest configures");
        if (!record.isEmpty()) {
            QFile file(recordPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(("[General]\n" + record + '\n').toUtf8());
        }
        {
            MainWindow window;
            QCOMPARE(window.windowTitle(), QStringLiteral("Maplestead Vantry"));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QCOMPARE(window.geometry(), opened);
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

    void everyControlIsNamed_data()
    {
        QTest::addColumn<QString>("window");
        for (const char *window : {"main window", "help", "about"})
            QTest::newRow(window) << window;
    }

    void everyControlIsNamed()
    {
        QFETCH(QString, window);
        const std::unique_ptr<QWidget> shown(
            window == "help"    ? static_cast<QWidget *>(new QuiltraHelpDialog(nullptr))
            : window == "about" ? static_cast<QWidget *>(new AboutDialog(nullptr))
                                : new MainWindow);
        shown->setAttribute(Qt::WA_DeleteOnClose, false);
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        QStringList unnamed;
        int checked = 0;
        for (QWidget *widget : shown->findChildren<QWidget *>()) {
            if (!needsName(widget) || isPartOfControl(widget, shown.get()))
                continue;
            ++checked;
            if (accessibleName(widget).isEmpty())
                unnamed << QLatin1String(widget->metaObject()->className()) + ' ' +
                               widget->objectName();
        }
        QVERIFY(checked > 0);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
    }

    // Icon-only buttons and the canvas say what they are for, not merely that they exist.
    void controlsSayWhatTheyDo()
    {
        MainWindow window;
        for (const QString pair : {"helpButton=Help", "aboutButton=About", "websiteButton=Website",
                                   "stickerButton=Add Sticker", "textButton=Add Text",
                                   "optionButton=Options", "QuiltraCanvasForm=Collage canvas"})
            QCOMPARE(accessibleName(window.findChild<QWidget *>(pair.section('=', 0, 0))),
                     pair.section('=', 1));
    }
};

QUILTRA_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
