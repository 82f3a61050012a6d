#include "CollageRenderCommand.h"
#include "CollageState.h"
#include "TestSupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

QColor slotColour(int slot)
{
    return QColor::fromHsv(slot * 36, 220, 230);
}

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run runCommand(const QStringList &arguments)
{
    Run run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = CollageRenderCommand(out, err).run(arguments);
    return run;
}

} // namespace

class TestCollageRender : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (int slot = 0; slot < kPhotoSlotCount; ++slot) {
            QImage photo(64, 48, QImage::Format_RGB32);
            photo.fill(slotColour(slot));
            QVERIFY(photo.save(photoPath(slot)));
        }
    }

    void everyLayoutShowsEachPhotoInItsFrame_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("layout");
        // The layout counts per photo count; a catalogue of another shape fails the run.
        const int layouts[] = {1, 4, 10, 11, 10, 6, 8, 6, 6, 6};
        for (int count = 1; count <= 10; ++count) {
            for (int layout = 0; layout < layouts[count - 1]; ++layout)
                QTest::addRow("%d photos, layout %d", count, layout) << count << layout;
        }
    }

    void everyLayoutShowsEachPhotoInItsFrame()
    {
        QFETCH(int, count);
        QFETCH(int, layout);
        const QString out = m_dir.filePath(QStringLiteral("layout.png"));
        QStringList arguments = {
            QStringLiteral("--count"),  QString::number(count),     QStringLiteral("--layout"),
            QString::number(layout),    QStringLiteral("--size"),   QStringLiteral("480x360"),
            QStringLiteral("--margin"), QStringLiteral("20"),       QStringLiteral("--spacing"),
            QStringLiteral("8"),        QStringLiteral("--radius"), QStringLiteral("4"),
            QStringLiteral("--shadow"), QStringLiteral("off"),      QStringLiteral("--corners"),
            QStringLiteral("none"),     QStringLiteral("--out"),    out};
        for (int slot = 0; slot < count; ++slot)
            arguments << QStringLiteral("--photo") << photoPath(slot);

        const Run run = runCommand(arguments);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("wrote %1 (480x360)\n").arg(out));

        const QImage image(out);
        QCOMPARE(image.size(), QSize(480, 360));
        const CollageDocument &document = CollageState::instance().document;
        QCOMPARE(document.frameRects.size() + document.triangleFrames.size(), qsizetype(count));
        for (int slot = 0; slot < count; ++slot) {
            QPointF centre;
            if (!document.frameRects.isEmpty()) {
                centre = document.frameRects[slot].center();
            } else {
                const TriangleFrame &t = document.triangleFrames[slot];
                centre = (t.vertex1 + t.vertex2 + t.vertex3) / 3.0;
            }
            const QColor seen = image.pixelColor(centre.toPoint());
            const QColor wanted = slotColour(slot);
            QVERIFY2(qAbs(seen.red() - wanted.red()) <= 2 &&
                         qAbs(seen.green() - wanted.green()) <= 2 &&
                         qAbs(seen.blue() - wanted.blue()) <= 2,
                     qPrintable(QStringLiteral("frame %1 shows %2, expected %3")
                                    .arg(slot)
                                    .arg(seen.name(), wanted.name())));
        }
    }

    void badArgumentsAreUsageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--colour"), QStringLiteral("red")};
        QTest::newRow("missing value") << QStringList{QStringLiteral("--count")};
        QTest::newRow("stray argument") << QStringList{QStringLiteral("photo.jpg")};
        QTest::newRow("count zero") << QStringList{QStringLiteral("--count"), QStringLiteral("0")};
        QTest::newRow("count eleven")
            << QStringList{QStringLiteral("--count"), QStringLiteral("11")};
        QTest::newRow("count not a number")
            << QStringList{QStringLiteral("--count"), QStringLiteral("ten")};
        QTest::newRow("layout past the list")
            << QStringList{QStringLiteral("--count"), QStringLiteral("1"),
                           QStringLiteral("--layout"), QStringLiteral("1")};
        QTest::newRow("negative layout")
            << QStringList{QStringLiteral("--layout"), QStringLiteral("-1")};
        QTest::newRow("size without height")
            << QStringList{QStringLiteral("--size"), QStringLiteral("800x")};
        QTest::newRow("size zero")
            << QStringList{QStringLiteral("--size"), QStringLiteral("0x600")};
        QTest::newRow("negative margin")
            << QStringList{QStringLiteral("--margin"), QStringLiteral("-3")};
        QTest::newRow("shadow maybe")
            << QStringList{QStringLiteral("--shadow"), QStringLiteral("maybe")};
        QTest::newRow("unknown corner")
            << QStringList{QStringLiteral("--corners"), QStringLiteral("tl,mid")};
        QTest::newRow("bad colour")
            << QStringList{QStringLiteral("--background"), QStringLiteral("#12")};
        QTest::newRow("negative repeat")
            << QStringList{QStringLiteral("--repeat"), QStringLiteral("-1")};
        QTest::newRow("more photos than frames") << QStringList{
            QStringLiteral("--count"), QStringLiteral("1"),       QStringLiteral("--photo"),
            QStringLiteral("a.png"),   QStringLiteral("--photo"), QStringLiteral("b.png")};
    }

    void badArgumentsAreUsageErrors()
    {
        QFETCH(QStringList, arguments);
        const Run run = runCommand(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains(QStringLiteral("usage:")));
        QVERIFY(run.out.isEmpty());
    }

    void failuresAreReportedAndNamed_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        const QString broken = TestSupport::dataPath(QStringLiteral("broken/png_truncated.png"));
        const QString missing = m_dir.filePath(QStringLiteral("missing.jpg"));
        QTest::newRow("broken photo")
            << QStringList{QStringLiteral("--photo"), broken, QStringLiteral("--out"),
                           m_dir.filePath(QStringLiteral("x.png"))}
            << broken;
        QTest::newRow("missing photo")
            << QStringList{QStringLiteral("--photo"), missing, QStringLiteral("--out"),
                           m_dir.filePath(QStringLiteral("x.png"))}
            << missing;
        const QString unwritable = m_dir.filePath(QStringLiteral("no/such/folder/x.png"));
        QTest::newRow("unwritable output")
            << QStringList{QStringLiteral("--out"), unwritable} << unwritable;
        const QString unknownFormat = m_dir.filePath(QStringLiteral("x.unknownformat"));
        QTest::newRow("unknown format")
            << QStringList{QStringLiteral("--out"), unknownFormat} << unknownFormat;
    }

    void failuresAreReportedAndNamed()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        const Run run = runCommand(
            QStringList{QStringLiteral("--size"), QStringLiteral("320x200")} + arguments);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(named), qPrintable(run.err));
        QVERIFY(!run.out.contains(QStringLiteral("wrote")));
    }

    void repeatPrintsTimings()
    {
        const QString out = m_dir.filePath(QStringLiteral("repeat.png"));
        const Run run = runCommand({QStringLiteral("--size"), QStringLiteral("320x200"),
                                    QStringLiteral("--repeat"), QStringLiteral("3"),
                                    QStringLiteral("--out"), out});
        QCOMPARE(run.status, 0);
        QVERIFY2(QRegularExpression(QStringLiteral("^render: median [0-9.]+ ms, min [0-9.]+ ms, "
                                                   "max [0-9.]+ ms over 3 runs\nwrote "))
                     .match(run.out)
                     .hasMatch(),
                 qPrintable(run.out));
    }

private:
    QString photoPath(int slot) const
    {
        return m_dir.filePath(QStringLiteral("photo%1.png").arg(slot));
    }

    QTemporaryDir m_dir;
};

QUILTRA_TEST_MAIN(TestCollageRender)
#include "tst_collagerender.moc"
