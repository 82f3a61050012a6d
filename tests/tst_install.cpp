#include "ApplicationIdentity.h"
#include "KXGlobal.h"
#include "TestSupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QTemporaryDir>

// Installs the build into a temporary folder, as `cmake --install` would, and builds the
// Debian package from it: what a desktop and a package manager find there.
namespace {

// Not the default prefix, so that a path fixed at /usr/local would show.
const QString prefix = QStringLiteral("/opt/quiltra-test");

QString appId()
{
    return QGuiApplication::desktopFileName();
}

// The files a desktop relies on, relative to the prefix.
QStringList desktopFiles()
{
    QStringList files{"bin/quiltra", "bin/collage-render",
                      "share/applications/" + appId() + ".desktop",
                      "share/metainfo/" + appId() + ".metainfo.xml",
                      "share/icons/hicolor/scalable/apps/" + appId() + ".svg"};
    for (int side : {16, 24, 32, 48, 64, 128, 256, 512})
        files << QString("share/icons/hicolor/%1x%1/apps/%2.png").arg(side).arg(appId());
    return files;
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir destDir;

    QString installed(const QString &relative) const
    {
        return destDir.path() + prefix + '/' + relative;
    }
    QString read(const QString &relative) const
    {
        QFile file(installed(relative));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The names the running editor gives itself, which the installed files must match.
        setApplicationIdentity();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DESTDIR", destDir.path());
        const TestSupport::ProgramResult install = TestSupport::runProgram(
            QUILTRA_CMAKE, {"--install", QUILTRA_BUILD_DIR, "--prefix", prefix}, environment);
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    }

    // The logo at every size: a rounded tile, so the corner is clear and the middle covered.
    void installedFiles()
    {
        for (const QString &path : desktopFiles()) {
            const QFileInfo info(installed(path));
            QVERIFY2(info.isFile() && info.size() > 0, qPrintable(path));
            QCOMPARE(info.isExecutable(), path.startsWith("bin/"));
            const int side = path.contains("scalable")
                                 ? 256
                                 : path.section('/', 3, 3).section('x', 0, 0).toInt();
            if (side == 0)
                continue;
            QImageReader reader(info.filePath());
            const QImage icon = reader.read();
            QCOMPARE(icon.size(), QSize(side, side));
            QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(icon.pixel(side / 2, side / 2)), 255);
        }
    }

    // The menu entry starts the installed program by name, shows the installed icon and
    // groups the window under it; the software centre's record points at the entry.
    void desktopEntry()
    {
        const QString entry = read(desktopFiles().at(2));
        for (const QString &line :
             {"Name=" + KXGlobal().displayName(), QString("Exec=quiltra"), "Icon=" + appId(),
              "StartupWMClass=" + QCoreApplication::applicationName(),
              QString("Categories=Graphics;Photography;"), QString("Terminal=false")})
            QVERIFY2(entry.contains('\n' + line + '\n'), qPrintable(line));
        const QString record = read(desktopFiles().at(3));
        for (const QString &element :
             {"<id>" + appId() + "</id>", "<name>" + KXGlobal().displayName() + "</name>",
              "<launchable type=\"desktop-id\">" + appId() + ".desktop</launchable>"})
            QVERIFY2(record.contains(element), qPrintable(element));
    }

    // The desktop's own validators accept the entry and the record (where they are
    // installed), and the installed tool finds its libraries without the build folder.
    void validators()
    {
        const QList<QStringList> runs{
            {"desktop-file-validate", installed(desktopFiles().at(2))},
            {"appstreamcli", "validate", "--no-net", installed(desktopFiles().at(3))},
            {installed("bin/collage-render"), "--help"}};
        for (QStringList run : runs) {
            const QString name = run.takeFirst();
            const QString program =
                name.startsWith('/') ? name : QStandardPaths::findExecutable(name);
            if (program.isEmpty()) {
                qWarning("%s is not installed", qPrintable(name));
                continue;
            }
            const TestSupport::ProgramResult result = TestSupport::runProgram(program, run);
            QVERIFY2(result.exitCode == 0, qPrintable(result.output));
        }
    }

    // The package holds the same files under /usr and names what is loaded at run time,
    // which no binary names.
    void package()
    {
        if (QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty())
            QSKIP("dpkg-dev is not installed");
        QTemporaryDir work;
        const TestSupport::ProgramResult cpack = TestSupport::runProgram(
            QUILTRA_CPACK,
            {"-G", "DEB", "--config", QUILTRA_BUILD_DIR "/CPackConfig.cmake", "-B", work.path()});
        QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.output));
        const QString architecture =
            TestSupport::runProgram("dpkg", {"--print-architecture"}).output.trimmed();
        const QString deb = work.filePath(
            QString("quiltra_%1_%2.deb").arg(KXGlobal().versionString(), architecture));
        const QString listing = TestSupport::runProgram("dpkg-deb", {"--contents", deb}).output;
        for (const QString &path : desktopFiles())
            QVERIFY2(listing.contains(" ./usr/" + path + '\n'), qPrintable(path + '\n' + listing));
        // Package names between commas, bars and version constraints.
        const QString depends = ',' +
                                TestSupport::runProgram("dpkg-deb", {"--field", deb, "Depends"})
                                    .output.simplified()
                                    .replace(' ', ',') +
                                ',';
        for (const char *name : {"libqt6widgets6", "libqt6svg6", "qt6-image-formats-plugins",
                                 "fonts-noto-color-emoji"})
            QVERIFY2(depends.contains(QString(",%1,").arg(name)), qPrintable(depends));
    }
};

QUILTRA_TEST_MAIN(TestInstall)
#include "tst_install.moc"
