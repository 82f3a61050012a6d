#include "CollageRenderRun.h"
#include "TestSupport.h"

#include <QTemporaryDir>

class TestCollageRender : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void badArgumentsAreUsageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        // clang-format off
        QTest::newRow("unknown option") << QStringList{"--colour", "red"};
        QTest::newRow("missing value") << QStringList{"--count"};
        QTest::newRow("stray argument") << QStringList{"photo.jpg"};
        QTest::newRow("count zero") << QStringList{"--count", "0"};
        QTest::newRow("count not a number") << QStringList{"--count", "ten"};
        QTest::newRow("layout past the list") << QStringList{"--count", "1", "--layout", "1"};
        QTest::newRow("size without height") << QStringList{"--size", "800x"};
        QTest::newRow("negative margin") << QStringList{"--margin", "-3"};
        QTest::newRow("unknown corner") << QStringList{"--corners", "tl,mid"};
        QTest::newRow("bad colour") << QStringList{"--background", "#12"};
        QTest::newRow("gradient without direction")
            << QStringList{"--background-gradient", "red,blue"};
        QTest::newRow("frame colour not a colour") << QStringList{"--frame-color", "reddish"};
        QTest::newRow("frame rotation of a missing frame")
            << QStringList{"--count", "2", "--rotate-frame", "2:10"};
        QTest::newRow("opacity above 100") << QStringList{"--object-opacity", "101"};
        QTest::newRow("more photos than frames")
            << QStringList{"--count", "1", "--photo", "a.png", "--photo", "b.png"};
        // clang-format on
    }

    void badArgumentsAreUsageErrors()
    {
        QFETCH(QStringList, arguments);
        const CollageRenderRun run = runCollageRender(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains(QStringLiteral("usage:")));
        QVERIFY(run.out.isEmpty());
    }

    // Nothing is written: a file already at the output path keeps its bytes.
    void failuresAreReportedAndNamed_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        const QString broken = TestSupport::dataPath(QStringLiteral("broken/png_truncated.png"));
        const QString missing = m_dir.filePath(QStringLiteral("missing.jpg"));
        const QString noFolder = m_dir.filePath(QStringLiteral("no/such/folder/x.png"));
        // clang-format off
        QTest::newRow("broken photo") << QStringList{"--photo", broken} << broken;
        QTest::newRow("missing photo") << QStringList{"--photo", missing} << missing;
        QTest::newRow("missing background picture") << QStringList{"--background-image", missing} << missing;
        QTest::newRow("unwritable output") << QStringList{"--out", noFolder} << noFolder;
        QTest::newRow("unknown format") << QStringList{"--out", m_dir.filePath("x.unknownformat")} << "x.unknownformat";
        // Refused before anything is rendered, even a canvas too large to render at all.
        QTest::newRow("webp too wide") << QStringList{"--size", "16384x2", "--out", m_dir.filePath("x.webp")} << "16383";
        QTest::newRow("webp far too large") << QStringList{"--size", "100000x100000", "--out", m_dir.filePath("x.webp")} << "16383";
        // clang-format on
    }

    // Nothing is written: a file already at the output path keeps its bytes.
    void failuresAreReportedAndNamed()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        const QString out = m_dir.filePath(QStringLiteral("x.png"));
        for (const QString &path :
             {out, m_dir.filePath("x.webp"), m_dir.filePath("x.unknownformat")}) {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        }
        const CollageRenderRun run =
            runCollageRender(QStringList{"--size", "320x200", "--out", out} + arguments);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(named), qPrintable(run.err));
        QVERIFY(!run.out.contains(QStringLiteral("wrote")));
        for (const QString &path :
             {out, m_dir.filePath("x.webp"), m_dir.filePath("x.unknownformat")}) {
            QFile old(path);
            QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "old");
        }
    }

private:
    QTemporaryDir m_dir;
};

QUILTRA_TEST_MAIN(TestCollageRender)
#include "tst_collagerender.moc"
