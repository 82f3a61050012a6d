#include "KXGlobal.h"
#include "MainWindow.h"
#include "TestSupport.h"
#include "WindowGeometry.h"

#include <QDir>

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { openWindowSettings()->clear(); }

    void restoredGeometry_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("expected");
        // Screen 1920 x 1080 throughout.
        QTest::newRow("first start") << QRect(0, 0, 0, 0) << QRect(0, 0, 986, 513);
        QTest::newRow("kept as stored") << QRect(200, 150, 1100, 700) << QRect(200, 150, 1100, 700);
        QTest::newRow("x negative") << QRect(-5, 10, 1000, 600) << QRect(100, 10, 1000, 600);
        QTest::newRow("x on a second screen")
            << QRect(2500, 10, 1000, 600) << QRect(100, 10, 1000, 600);
        QTest::newRow("x at screen width")
            << QRect(1920, 10, 1000, 600) << QRect(920, 10, 1000, 600);
        QTest::newRow("y negative") << QRect(10, -1, 1000, 600) << QRect(10, 100, 1000, 600);
        QTest::newRow("y below screen") << QRect(10, 1081, 1000, 600) << QRect(10, 100, 1000, 600);
        QTest::newRow("width too wide keeps x")
            << QRect(300, 0, 3000, 600) << QRect(300, 0, 1920, 600);
        QTest::newRow("width exactly screen") << QRect(300, 0, 1920, 600) << QRect(0, 0, 1920, 600);
        QTest::newRow("width too narrow keeps x")
            << QRect(1500, 0, 500, 600) << QRect(1500, 0, 986, 600);
        QTest::newRow("width minimum pulls x")
            << QRect(1500, 0, 986, 600) << QRect(934, 0, 986, 600);
        QTest::newRow("overhang pulls x") << QRect(1500, 0, 1000, 600) << QRect(920, 0, 1000, 600);
        QTest::newRow("touching right edge")
            << QRect(920, 0, 1000, 600) << QRect(920, 0, 1000, 600);
        QTest::newRow("height too small keeps y")
            << QRect(0, 900, 1000, 300) << QRect(0, 900, 1000, 513);
        QTest::newRow("height too tall keeps y")
            << QRect(0, 900, 1000, 1200) << QRect(0, 900, 1000, 1080);
        QTest::newRow("overhang pulls y") << QRect(0, 900, 1000, 600) << QRect(0, 480, 1000, 600);
        QTest::newRow("height exactly screen")
            << QRect(0, 50, 1000, 1080) << QRect(0, 0, 1000, 1080);
    }

    void restoredGeometry()
    {
        QFETCH(QRect, stored);
        QFETCH(QRect, expected);
        QCOMPARE(restoredWindowGeometry(stored, QSize(1920, 1080)), expected);
    }

    void smallScreenKeepsMinimumSize()
    {
        // The minimum applies even when the screen is smaller than it.
        QCOMPARE(restoredWindowGeometry(QRect(0, 0, 0, 0), QSize(800, 480)), QRect(0, 0, 986, 513));
    }

    void geometrySurvivesRestart()
    {
        {
            MainWindow window;
            QCOMPARE(window.windowTitle(), QStringLiteral("Maplestead Vantry"));
            window.setGeometry(200, 150, 700, 500);
            QVERIFY(window.close());
        }
        const std::unique_ptr<QSettings> settings = openWindowSettings();
        QCOMPARE(settings->value(QStringLiteral("posX")).toInt(), 200);
        QCOMPARE(settings->value(QStringLiteral("posY")).toInt(), 150);
        QCOMPARE(settings->value(QStringLiteral("width")).toInt(), 700);
        QCOMPARE(settings->value(QStringLiteral("height")).toInt(), 500);
    }

    void windowSettingsAreTheirOwnStore()
    {
        const std::unique_ptr<QSettings> settings = openWindowSettings();
        const QString formStore =
            QSettings(QStringLiteral("Maplestead"), QStringLiteral("Quiltra")).fileName();
        QVERIFY(settings->fileName() != formStore);
        QVERIFY(settings->fileName().contains(QStringLiteral("Maplestead Vantry")));
    }

    void productFacts()
    {
        QCOMPARE(KXGlobal().displayName(), QStringLiteral("Maplestead Vantry"));
        QCOMPARE(KXGlobal().versionString(), QStringLiteral("1.0.0"));
    }

    void folderLookupIsPathOrEmpty_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("documents") << KXGlobal().documentsPath();
        QTest::newRow("pictures") << KXGlobal().picturesPath();
    }

    void folderLookupIsPathOrEmpty()
    {
        QFETCH(QString, path);
        QVERIFY(path.isEmpty() || QDir::isAbsolutePath(path));
    }
};

QUILTRA_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
