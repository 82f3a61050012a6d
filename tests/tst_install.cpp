#include "ApplicationIdentity.h"
#include "KXGlobal.h"
#include "TestSupport.h"

#include <QDirIterator>
#include <QGuiApplication>
#include <QImageReader>
#include <QTemporaryDir>
#include <QXmlStreamReader>

// Installs the build into a temporary folder, as a package build or a user with
// `cmake --install` would, and checks what a desktop finds there.
namespace {

// Not the default prefix, so that a path fixed at /usr/local would show.
const QString prefix = QStringLiteral("/opt/quiltra-test");

// The keys of the main group of a desktop entry. Localised keys ("Name[de]") and
// comments are kept apart by the format itself, so a line split at '=' is enough.
QHash<QString, QString> desktopEntry(const QString &path)
{
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inMainGroup = line == QStringLiteral("[Desktop Entry]");
        else if (inMainGroup && line.contains(QLatin1Char('=')) && !line.startsWith('#'))
            keys.insert(line.section(QLatin1Char('='), 0, 0).trimmed(),
                        line.section(QLatin1Char('='), 1).trimmed());
    }
    return keys;
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir destDir;

    QString installed(const QString &relative) const
    {
        return destDir.path() + prefix + QLatin1Char('/') + relative;
    }

    static QString appId() { return QGuiApplication::desktopFileName(); }
    static QString desktopFile()
    {
        return QStringLiteral("share/applications/%1.desktop").arg(appId());
    }
    static QString metainfoFile()
    {
        return QStringLiteral("share/metainfo/%1.metainfo.xml").arg(appId());
    }
    static QString themeIcon(int side)
    {
        return side == 0
                   ? QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(appId())
                   : QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(side).arg(appId());
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The names the running editor gives itself, which the installed files must match.
        setApplicationIdentity();
        QVERIFY(destDir.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DESTDIR"), destDir.path());
        const TestSupport::ProgramResult install =
            TestSupport::runProgram(QStringLiteral(QUILTRA_CMAKE),
                                    {QStringLiteral("--install"), QStringLiteral(QUILTRA_BUILD_DIR),
                                     QStringLiteral("--prefix"), prefix},
                                    environment);
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    }

    void installedFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<int>("side");
        QTest::newRow("editor") << QStringLiteral("bin/quiltra") << true << 0;
        QTest::newRow("render tool") << QStringLiteral("bin/collage-render") << true << 0;
        QTest::newRow("desktop entry") << desktopFile() << false << 0;
        QTest::newRow("metainfo") << metainfoFile() << false << 0;
        QTest::newRow("scalable icon") << themeIcon(0) << false << 256;
        for (int side : {16, 24, 32, 48, 64, 128, 256, 512})
            QTest::addRow("icon %d", side) << themeIcon(side) << false << side;
    }

    void installedFiles()
    {
        QFETCH(QString, path);
        QFETCH(bool, executable);
        QFETCH(int, side);
        const QFileInfo info(installed(path));
        QVERIFY2(info.isFile(), qPrintable(info.filePath()));
        QVERIFY(info.size() > 0);
        QCOMPARE(info.isExecutable(), executable);
        if (side == 0)
            return;

        // The logo: a rounded tile, so the corner is clear and the middle is covered.
        QImageReader reader(info.filePath());
        const QImage icon = reader.read();
        QVERIFY2(!icon.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(icon.size(), QSize(side, side));
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(side / 2, side / 2)), 255);
    }

    void nothingElseInstalled()
    {
        QStringList expected;
        expected << QStringLiteral("bin/quiltra") << QStringLiteral("bin/collage-render")
                 << desktopFile() << metainfoFile() << themeIcon(0);
        for (int side : {16, 24, 32, 48, 64, 128, 256, 512})
            expected << themeIcon(side);

        QStringList found;
        const QString root = installed(QString());
        QDirIterator it(destDir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            found << (path.startsWith(root) ? path.mid(root.size()) : path);
        }
        expected.sort();
        found.sort();
        QVERIFY2(found == expected,
                 qPrintable(QStringLiteral("installed:\n  ") + found.join(QStringLiteral("\n  "))));
    }

    void desktopEntryKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("type") << QStringLiteral("Type") << QStringLiteral("Application");
        QTest::newRow("name") << QStringLiteral("Name") << KXGlobal().displayName();
        QTest::newRow("started by name") << QStringLiteral("Exec") << QStringLiteral("quiltra");
        QTest::newRow("icon named after the id") << QStringLiteral("Icon") << appId();
        // Qt gives X11 windows the application name as their class.
        QTest::newRow("window class")
            << QStringLiteral("StartupWMClass") << QCoreApplication::applicationName();
        QTest::newRow("menu categories")
            << QStringLiteral("Categories") << QStringLiteral("Graphics;Photography;");
        QTest::newRow("not in a terminal") << QStringLiteral("Terminal") << QStringLiteral("false");
    }

    void desktopEntryKeys()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QHash<QString, QString> entry = desktopEntry(installed(desktopFile()));
        QVERIFY2(entry.contains(key), qPrintable(key));
        QCOMPARE(entry.value(key), value);
    }

    void metainfoNamesTheEntry()
    {
        QFile file(installed(metainfoFile()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QHash<QString, QString> texts;
        QStringList elements;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QString name = xml.name().toString();
            elements << name;
            if (name == QStringLiteral("launchable"))
                QCOMPARE(xml.attributes().value(QStringLiteral("type")).toString(),
                         QStringLiteral("desktop-id"));
            // Leaves hold the texts; the description's paragraphs are read as one.
            if (name != QStringLiteral("component") && !texts.contains(name))
                texts.insert(name, xml.readElementText(QXmlStreamReader::IncludeChildElements));
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(texts.value(QStringLiteral("id")), appId());
        QCOMPARE(texts.value(QStringLiteral("launchable")), appId() + QStringLiteral(".desktop"));
        QCOMPARE(texts.value(QStringLiteral("name")), KXGlobal().displayName());
        QCOMPARE(texts.value(QStringLiteral("project_license")), QStringLiteral("MIT"));
        QVERIFY(elements.contains(QStringLiteral("description")));
        // No picture of the program is promised that does not exist.
        QVERIFY(!elements.contains(QStringLiteral("screenshots")));
    }

    void validators_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry")
            << QStringLiteral("desktop-file-validate") << QStringList{installed(desktopFile())};
        QTest::newRow("metainfo") << QStringLiteral("appstreamcli")
                                  << QStringList{QStringLiteral("validate"),
                                                 QStringLiteral("--no-net"),
                                                 installed(metainfoFile())};
    }

    void validators()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        const QString path = QStandardPaths::findExecutable(program);
        if (path.isEmpty())
            QSKIP(qPrintable(program + QStringLiteral(" is not installed")));
        const TestSupport::ProgramResult check = TestSupport::runProgram(path, arguments);
        QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    }

    void installedToolRuns()
    {
        // The installed copy finds its libraries without the build folder.
        const TestSupport::ProgramResult help = TestSupport::runProgram(
            installed(QStringLiteral("bin/collage-render")), {QStringLiteral("--help")});
        QVERIFY2(help.exitCode == 0, qPrintable(help.output));
        QVERIFY(help.output.contains(QStringLiteral("--out")));
    }
};

QUILTRA_TEST_MAIN(TestInstall)
#include "tst_install.moc"
