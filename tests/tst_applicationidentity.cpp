#include "MainWindow.h"
#include "TestSupport.h"

#include <QAbstractButton>

// Runs with QT_SCALE_FACTOR=2 (see tests/CMakeLists.txt): every pixmap asked for here
// is wanted at a device pixel ratio of 2, as on a high-density screen.
class TestApplicationIdentity : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QCOMPARE(qApp->devicePixelRatio(), 2.0); }

    // The forms' icons as built, in every state they have images for: a missing
    // double-size image would leave a blurred enlargement on the screen.
    void toolIconsHaveDoubleImages()
    {
        MainWindow window;
        QStringList blurred;
        int checked = 0;
        for (QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
                const QList<QSize> sizes = button->icon().availableSizes(mode);
                if (sizes.isEmpty() || button->objectName().startsWith("qt_"))
                    continue; // the toolkit's own are drawn by the style
                ++checked;
                if (!sizes.contains(button->iconSize() * 2))
                    blurred << button->objectName();
            }
        }
        QVERIFY(checked >= 6);
        QVERIFY2(blurred.isEmpty(), qPrintable(blurred.join(", ")));
    }
};

QUILTRA_TEST_MAIN(TestApplicationIdentity)
#include "tst_applicationidentity.moc"
