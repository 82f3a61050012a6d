#include "CollageRenderRun.h"
#include "CollageState.h"
#include "TestSupport.h"

#include <QTemporaryDir>

namespace {

QColor slotColour(int slot)
{
    return QColor::fromHsv(slot * 36, 220, 230);
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
        QStringList arguments = QStringLiteral("--size 480x360 --margin 20 --spacing 8 --radius 4 "
                                               "--shadow off --corners none --count")
                                    .split(QLatin1Char(' '));
        arguments << QString::number(count) << QStringLiteral("--layout") << QString::number(layout)
                  << QStringLiteral("--out") << out;
        for (int slot = 0; slot < count; ++slot)
            arguments << QStringLiteral("--photo") << photoPath(slot);

        const CollageRenderRun run = runCollageRender(arguments);
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
            QUILTRA_COMPARE_PIXEL(image, centre.toPoint(), slotColour(slot), 2);
        }
    }

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
        QTest::addColumn<QString>("outName");
        QTest::addColumn<QString>("named");
        const QString broken = TestSupport::dataPath(QStringLiteral("broken/png_truncated.png"));
        const QString missing = m_dir.filePath(QStringLiteral("missing.jpg"));
        const QString noFolder = QStringLiteral("no/such/folder/x.png");
        // clang-format off
        QTest::newRow("broken photo") << QStringList{"--photo", broken} << "x.png" << broken;
        QTest::newRow("missing photo") << QStringList{"--photo", missing} << "x.png" << missing;
        QTest::newRow("missing background picture")
            << QStringList{"--background-image", m_dir.filePath("none.png")} << "x.png"
            << "none.png";
        QTest::newRow("unwritable output") << QStringList{} << noFolder << noFolder;
        QTest::newRow("unknown format") << QStringList{} << "x.unknownformat" << "x.unknownformat";
        // Refused before anything is rendered, even a canvas too large to render at all.
        QTest::newRow("webp too wide") << QStringList{"--size", "16384x2"} << "x.webp" << "16383";
        QTest::newRow("webp far too large")
            << QStringList{"--size", "100000x100000"} << "x.webp" << "16383";
        // clang-format on
    }

    void failuresAreReportedAndNamed()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, outName);
        QFETCH(QString, named);
        const QString out = m_dir.filePath(outName);
        QFile old(out);
        const bool hadOld = !outName.contains(QLatin1Char('/'));
        QVERIFY(!hadOld || (old.open(QIODevice::WriteOnly) && old.write("old") == 3));
        old.close();
        const CollageRenderRun run = runCollageRender(QStringList{"--size", "320x200"} + arguments +
                                                      QStringList{"--out", out});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(named), qPrintable(run.err));
        QVERIFY(!run.out.contains(QStringLiteral("wrote")));
        QVERIFY(!hadOld || (old.open(QIODevice::ReadOnly) && old.readAll() == "old"));
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
