#include "AboutDialog.h"
#include "MainWindow.h"
#include "QuiltraHelpDialog.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTextEdit>
#include <algorithm>
#include <functional>
#include <memory>

// What a screen reader announces for every control a user can reach.
namespace {

using WindowMaker = std::function<QWidget *()>;

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

// Controls a user operates, and labels that show a picture instead of words: both
// say nothing to a screen reader unless they are given a name. Scroll bars are
// announced by their role and position, and the toolkit's private helpers ("qt_..."
// objects such as a menu bar's overflow button) are not ours to name.
bool needsName(QWidget *widget)
{
    if (qobject_cast<QScrollBar *>(widget) ||
        widget->objectName().startsWith(QStringLiteral("qt_")))
        return false;
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text().trimmed().isEmpty() && !label->pixmap().isNull();
    if (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QAbstractSlider *>(widget) ||
        qobject_cast<QAbstractSpinBox *>(widget) || qobject_cast<QComboBox *>(widget) ||
        qobject_cast<QLineEdit *>(widget) || qobject_cast<QTextEdit *>(widget) ||
        qobject_cast<QPlainTextEdit *>(widget) || qobject_cast<QAbstractItemView *>(widget) ||
        qobject_cast<QTabBar *>(widget))
        return true;
    // The editor's own widgets that answer the mouse: the canvas, the layout picker and
    // the colour swatches; any other of its own that takes the keyboard focus.
    const QByteArray className = widget->metaObject()->className();
    if (className == "QuiltraCanvasForm" || className == "CollageLayoutContentForm" ||
        className == "KXColorWidget")
        return true;
    const bool ownClass = !className.startsWith('Q') || className.startsWith("Quiltra");
    return ownClass && widget->focusPolicy() != Qt::NoFocus;
}

QString describe(QWidget *widget)
{
    return QStringLiteral("%1 \"%2\"")
        .arg(QLatin1String(widget->metaObject()->className()), widget->objectName());
}

} // namespace

Q_DECLARE_METATYPE(WindowMaker)

class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyControlIsNamed_data()
    {
        QTest::addColumn<WindowMaker>("make");
        QTest::newRow("main window") << WindowMaker([] { return new MainWindow; });
        QTest::newRow("help") << WindowMaker([] { return new QuiltraHelpDialog(nullptr); });
        QTest::newRow("about") << WindowMaker([] { return new AboutDialog(nullptr); });
    }

    void everyControlIsNamed()
    {
        QFETCH(WindowMaker, make);
        const std::unique_ptr<QWidget> window(make());
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));

        QStringList unnamed;
        int checked = 0;
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            if (!needsName(widget) || isPartOfControl(widget, window.get()))
                continue;
            ++checked;
            if (accessibleName(widget).isEmpty())
                unnamed << describe(widget);
        }
        QVERIFY(checked > 0);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    }

    void iconButtonsSayWhatTheyDo_data()
    {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("name");
        QTest::newRow("help") << QStringLiteral("helpButton") << QStringLiteral("Help");
        QTest::newRow("about") << QStringLiteral("aboutButton") << QStringLiteral("About");
        QTest::newRow("website") << QStringLiteral("websiteButton") << QStringLiteral("Website");
        QTest::newRow("sticker") << QStringLiteral("stickerButton")
                                 << QStringLiteral("Add Sticker");
        QTest::newRow("text") << QStringLiteral("textButton") << QStringLiteral("Add Text");
        QTest::newRow("options") << QStringLiteral("optionButton") << QStringLiteral("Options");
    }

    void iconButtonsSayWhatTheyDo()
    {
        QFETCH(QString, objectName);
        QFETCH(QString, name);
        MainWindow window;
        auto *button = window.findChild<QAbstractButton *>(objectName);
        QVERIFY(button);
        QCOMPARE(accessibleName(button), name);
    }

    void canvasIsNamed()
    {
        MainWindow window;
        const QList<QWidget *> widgets = window.findChildren<QWidget *>();
        const auto canvas = std::find_if(widgets.begin(), widgets.end(), [](QWidget *widget) {
            return QByteArray(widget->metaObject()->className()) == "QuiltraCanvasForm";
        });
        if (canvas == widgets.end())
            QSKIP("the window holds no canvas");
        QCOMPARE(accessibleName(*canvas), QStringLiteral("Collage canvas"));
    }
};

QUILTRA_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
