#include "KXGlobal.h"
#include "TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

// Builds the Debian package from the build folder and reads it back with dpkg-deb.
namespace {

// The packages one control field names, without their version constraints.
QStringList packageNames(const QString &field)
{
    QStringList names;
    for (const QString &alternatives : field.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        for (const QString &dependency : alternatives.split(QLatin1Char('|')))
            names << dependency.section(QLatin1Char('('), 0, 0).trimmed();
    }
    return names;
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

    QTemporaryDir workDir;
    QString package;
    QString listing;

    QString field(const QString &name) const
    {
        return TestSupport::runProgram(QStringLiteral("dpkg-deb"),
                                       {QStringLiteral("--field"), package, name})
            .output.trimmed();
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const QString &tool : {QStringLiteral("dpkg-deb"), QStringLiteral("dpkg-shlibdeps")}) {
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(tool + QStringLiteral(" is not installed")));
        }
        QVERIFY(workDir.isValid());
        const TestSupport::ProgramResult cpack = TestSupport::runProgram(
            QStringLiteral(QUILTRA_CPACK),
            {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
             QStringLiteral(QUILTRA_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"),
             workDir.path()});
        QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.output));

        const QStringList debs =
            QDir(workDir.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        package = QDir(workDir.path()).filePath(debs.first());
        const TestSupport::ProgramResult list = TestSupport::runProgram(
            QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), package});
        QVERIFY2(list.exitCode == 0, qPrintable(list.output));
        listing = list.output;
    }

    void fileName()
    {
        // The install instructions rely on this name: quiltra_<version>_<architecture>.deb.
        const QString architecture =
            TestSupport::runProgram(QStringLiteral("dpkg"),
                                    {QStringLiteral("--print-architecture")})
                .output.trimmed();
        QCOMPARE(QFileInfo(package).fileName(),
                 QStringLiteral("quiltra_%1_%2.deb").arg(KXGlobal().versionString(), architecture));
    }

    void contents_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("editor") << QStringLiteral("./usr/bin/quiltra");
        QTest::newRow("render tool") << QStringLiteral("./usr/bin/collage-render");
        QTest::newRow("desktop entry") << QStringLiteral("./usr/share/applications/*.desktop");
        QTest::newRow("metainfo") << QStringLiteral("./usr/share/metainfo/*.metainfo.xml");
        QTest::newRow("scalable icon")
            << QStringLiteral("./usr/share/icons/hicolor/scalable/apps/*.svg");
        for (int side : {16, 24, 32, 48, 64, 128, 256, 512})
            QTest::addRow("icon %d", side)
                << QStringLiteral("./usr/share/icons/hicolor/%1x%1/apps/*.png").arg(side);
    }

    void contents()
    {
        QFETCH(QString, path);
        // Each line of the listing ends with the path; '*' stands for the application id.
        const QString pattern = QRegularExpression::escape(path).replace(QStringLiteral("\\*"),
                                                                         QStringLiteral("[^/ ]+"));
        const QRegularExpression line(QStringLiteral(" %1$").arg(pattern),
                                      QRegularExpression::MultilineOption);
        QVERIFY2(line.match(listing).hasMatch(), qPrintable(listing));
    }

    void control_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("package") << QStringLiteral("Package") << QStringLiteral("quiltra");
        QTest::newRow("version") << QStringLiteral("Version") << KXGlobal().versionString();
    }

    void control()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QCOMPARE(field(name), value);
    }

    void dependencies_data()
    {
        QTest::addColumn<QString>("dependency");
        // Found by reading the binaries.
        QTest::newRow("widgets library") << QStringLiteral("libqt6widgets6");
        QTest::newRow("C++ library") << QStringLiteral("libstdc++6");
        // Loaded at run time, so no binary names them.
        QTest::newRow("svg plug-in") << QStringLiteral("libqt6svg6");
        QTest::newRow("image format plug-ins") << QStringLiteral("qt6-image-formats-plugins");
        QTest::newRow("emoji font") << QStringLiteral("fonts-noto-color-emoji");
    }

    void dependencies()
    {
        QFETCH(QString, dependency);
        const QString depends = field(QStringLiteral("Depends"));
        QVERIFY2(packageNames(depends).contains(dependency), qPrintable(depends));
    }
};

QUILTRA_TEST_MAIN(TestPackage)
#include "tst_package.moc"
