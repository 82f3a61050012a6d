#include "ApplicationIdentity.h"
#include "MainWindow.h"
#include "TestSupport.h"
#include "WindowGeometry.h"

#include <QAbstractButton>
#include <QDirIterator>
#include <QImageReader>
#include <QSettings>

// Runs with QT_SCALE_FACTOR=2 (see tests/CMakeLists.txt): every pixmap asked for here
// is wanted at a device pixel ratio of 2, as on a high-density screen.
class TestApplicationIdentity : public QObject
{
    Q_OBJECT

    QStringList storesBefore;

    static QStringList stores()
    {
        return {QSettings("Maplestead", "Quiltra").fileName(), openWindowSettings()->fileName()};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        storesBefore = stores();
        setApplicationIdentity();
    }

    // Naming the application moves no settings file, and code that opens the default
    // store lands in the form's store, not in a new one.
    void settingsStayWhereTheyWere()
    {
        const QString config =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QStringList expected{config + "/Maplestead/Quiltra.conf",
                                   config + "/Maplestead Vantry.conf"};
        QCOMPARE(storesBefore, expected);
        QCOMPARE(stores(), expected);
        QCOMPARE(QSettings().fileName(), expected.first());
    }

    // The small sizes come from their own hand-tuned drawings at twice the size, never
    // from a blurred enlargement.
    void windowIconAtDoubleDensity()
    {
        QImageReader reader(":/resources/images/RerivUzazara.ico");
        QImage stored32;
        for (int i = 0; i < reader.imageCount() && stored32.isNull(); ++i) {
            reader.jumpToImage(i);
            const QImage image = reader.read();
            if (image.size() == QSize(32, 32))
                stored32 = image;
        }
        QVERIFY(!stored32.isNull());
        const QPixmap pixmap = applicationIcon().pixmap(QSize(16, 16));
        QCOMPARE(pixmap.size(), QSize(32, 32));
        QVERIFY(TestSupport::fuzzyEqual(pixmap.toImage(), stored32, 3));
    }

    // The forms' icons as built, in every state they have images for: a missing
    // double-size image would leave a blurred enlargement on the screen.
    void toolIconsHaveDoubleImages()
    {
        QDirIterator it(":/resources/images/", {"*24.png"}, QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            const QImage doubled(QString(path).replace(".png", "@2x.png"));
            QCOMPARE(doubled.size(), QSize(48, 48));
            const QPixmap pixmap = QIcon(path).pixmap(QSize(24, 24));
            QVERIFY2(TestSupport::maxChannelDifference(pixmap.toImage(), doubled) == 0,
                     qPrintable(path));
        }
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
