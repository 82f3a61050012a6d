#include "ApplicationIdentity.h"
#include "MainWindow.h"
#include "TestSupport.h"
#include "WindowGeometry.h"

#include <QAbstractButton>
#include <QDirIterator>
#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>
#include <QSettings>

// Runs with QT_SCALE_FACTOR=2 (see tests/CMakeLists.txt): every pixmap asked for here
// is wanted at a device pixel ratio of 2, as on a high-density screen.
namespace {

const QString images = QStringLiteral(":/resources/images/");

// The image of the given side stored in the application icon file, read directly.
QImage storedIconImage(int side)
{
    QImageReader reader(images + QStringLiteral("RerivUzazara.ico"));
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        if (image.size() == QSize(side, side))
            return image;
    }
    return {};
}

} // namespace

class TestApplicationIdentity : public QObject
{
    Q_OBJECT

    QString formStoreBefore;
    QString windowStoreBefore;
    QString configDir;

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        formStoreBefore =
            QSettings(QStringLiteral("Maplestead"), QStringLiteral("Quiltra")).fileName();
        windowStoreBefore = openWindowSettings()->fileName();
        setApplicationIdentity();
    }

    void settingsStayWhereTheyWere_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("expected");
        const QString formStore = configDir + QStringLiteral("/Maplestead/Quiltra.conf");
        QTest::newRow("editor form")
            << formStoreBefore
            << QSettings(QStringLiteral("Maplestead"), QStringLiteral("Quiltra")).fileName()
            << formStore;
        QTest::newRow("window geometry") << windowStoreBefore << openWindowSettings()->fileName()
                                         << configDir + QStringLiteral("/Maplestead Vantry.conf");
        // Code that opens the default store lands in the form's store, not in a new one.
        QTest::newRow("default store") << formStore << QSettings().fileName() << formStore;
    }

    void settingsStayWhereTheyWere()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, expected);
        QCOMPARE(before, expected);
        QCOMPARE(after, expected);
    }

    void windowIconAtDoubleDensity_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("storedSide");
        // The small sizes come from their own hand-tuned drawings, never from a blurred
        // enlargement; larger ones are reduced from the biggest image.
        QTest::newRow("16 uses the 32 image") << 16 << 32;
        QTest::newRow("24 uses the 48 image") << 24 << 48;
        QTest::newRow("128 uses the 256 image") << 128 << 256;
    }

    void windowIconAtDoubleDensity()
    {
        QFETCH(int, side);
        QFETCH(int, storedSide);
        const QIcon icon = applicationIcon();
        for (int stored : {16, 32, 48, 256})
            QVERIFY2(icon.availableSizes().contains(QSize(stored, stored)),
                     qPrintable(QString::number(stored)));

        const QPixmap pixmap = icon.pixmap(QSize(side, side));
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
        QCOMPARE(pixmap.size(), QSize(2 * side, 2 * side));
        const QImage stored = storedIconImage(storedSide);
        QVERIFY(!stored.isNull());
        const QImage expected =
            stored.size() == pixmap.size()
                ? stored
                : stored.scaled(pixmap.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY(TestSupport::fuzzyEqual(pixmap.toImage(), expected, 3));
    }

    void toolIconsUseDoubleImages_data()
    {
        QTest::addColumn<QString>("path");
        QDirIterator it(images, {QStringLiteral("*24.png")}, QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
        }
    }

    void toolIconsUseDoubleImages()
    {
        QFETCH(QString, path);
        // Built as the forms build their icons: from the base file name only.
        const QIcon icon(path);
        const QPixmap pixmap = icon.pixmap(QSize(24, 24));
        QCOMPARE(pixmap.size(), QSize(48, 48));
        const QImage doubled(
            QString(path).replace(QStringLiteral(".png"), QStringLiteral("@2x.png")));
        QCOMPARE(doubled.size(), QSize(48, 48));
        QCOMPARE(TestSupport::maxChannelDifference(pixmap.toImage(), doubled), 0);
    }

    void formToolButtonsHaveDoubleImages()
    {
        // The forms' icons as built, in every state they have images for: a missing
        // double-size image would leave a blurred enlargement on the screen.
        MainWindow window;
        QStringList blurred;
        int checked = 0;
        for (QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
            if (button->objectName().startsWith(QStringLiteral("qt_")))
                continue; // the toolkit's own, drawn by the style
            const QIcon icon = button->icon();
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
                if (icon.availableSizes(mode).isEmpty())
                    continue;
                ++checked;
                if (!icon.availableSizes(mode).contains(button->iconSize() * 2))
                    blurred << button->objectName();
            }
        }
        QVERIFY(checked >= 6);
        QVERIFY2(blurred.isEmpty(), qPrintable(blurred.join(QStringLiteral(", "))));
    }
};

QUILTRA_TEST_MAIN(TestApplicationIdentity)
#include "tst_applicationidentity.moc"
