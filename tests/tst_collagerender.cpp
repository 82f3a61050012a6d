#include "CollageRenderRun.h"
#include "CollageState.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTextStream>

namespace {

using PixelChecks = QList<std::pair<QPoint, QColor>>;

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
        QStringList arguments = {"--count",   QString::number(count),
                                 "--layout",  QString::number(layout),
                                 "--size",    "480x360",
                                 "--margin",  "20",
                                 "--spacing", "8",
                                 "--radius",  "4",
                                 "--shadow",  "off",
                                 "--corners", "none",
                                 "--out",     out};
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

    void failuresAreReportedAndNamed_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        const QString broken = TestSupport::dataPath(QStringLiteral("broken/png_truncated.png"));
        const QString missing = m_dir.filePath(QStringLiteral("missing.jpg"));
        const QString unwritable = m_dir.filePath(QStringLiteral("no/such/folder/x.png"));
        const QString unknownFormat = m_dir.filePath(QStringLiteral("x.unknownformat"));
        const QString out = m_dir.filePath(QStringLiteral("x.png"));
        // clang-format off
        QTest::newRow("broken photo") << QStringList{"--photo", broken, "--out", out} << broken;
        QTest::newRow("missing photo") << QStringList{"--photo", missing, "--out", out} << missing;
        QTest::newRow("unwritable output") << QStringList{"--out", unwritable} << unwritable;
        QTest::newRow("unknown format") << QStringList{"--out", unknownFormat} << unknownFormat;
        // clang-format on
    }

    void failuresAreReportedAndNamed()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        const CollageRenderRun run = runCollageRender(
            QStringList{QStringLiteral("--size"), QStringLiteral("320x200")} + arguments);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(named), qPrintable(run.err));
        QVERIFY(!run.out.contains(QStringLiteral("wrote")));
    }

    void optionsReachTheOutput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QList<QRect>>("changed");
        QTest::addColumn<QList<QRect>>("unchanged");
        QTest::addColumn<PixelChecks>("pixels");
        // Against the plain collage: 1000 x 800, blue, one empty white frame from (100, 100)
        // to (900, 700) with a hairline outline, no ornaments, no objects.
        const QRect topLeft(0, 0, 90, 90), topRight(910, 0, 90, 90), bottomLeft(0, 710, 90, 90),
            bottomRight(910, 710, 90, 90);
        const QRect centre(400, 340, 200, 120), leftSide(110, 110, 250, 580),
            rightSide(640, 110, 250, 580);
        const QColor blue(Qt::blue), white(Qt::white), red(Qt::red);
        // clang-format off
        QTest::newRow("top-right ornament") << QStringList{"--corners", "tr"} << QList{topRight}
            << QList{topLeft, bottomLeft, bottomRight} << PixelChecks{};
        QTest::newRow("bottom ornaments") << QStringList{"--corners", "bl,br"}
            << QList{bottomLeft, bottomRight} << QList{topLeft, topRight} << PixelChecks{};
        QTest::newRow("top offset") << QStringList{"--top", "100"} << QList<QRect>{}
            << QList{QRect(0, 705, 1000, 95)}
            << PixelChecks{{{500, 150}, blue}, {{500, 205}, white}, {{500, 695}, white}};
        QTest::newRow("label") << QStringList{"--label", "MMMM"} << QList{centre}
            << QList{leftSide, rightSide} << PixelChecks{};
        QTest::newRow("emoji") << QStringList{"--emoji", "\U0001F600"} << QList{centre}
            << QList{leftSide, rightSide} << PixelChecks{};
        QTest::newRow("sticker") << QStringList{"--sticker", "red"} << QList{centre}
            << QList{leftSide, rightSide} << PixelChecks{{{465, 375}, red}, {{535, 425}, red},
                   {{455, 400}, white}, {{500, 365}, white}};
        // clang-format on
    }

    void optionsReachTheOutput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QList<QRect>, changed);
        QFETCH(QList<QRect>, unchanged);
        QFETCH(PixelChecks, pixels);
        // The sticker is an 80 x 60 red picture.
        const QString sticker = m_dir.filePath(QStringLiteral("sticker.png"));
        QImage red(80, 60, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(sticker));
        if (arguments.last() == QLatin1String("red"))
            arguments.last() = sticker;
        const QStringList plain = {
            "--size",    "1000x800", "--count",      "1",       "--margin",     "100",
            "--spacing", "0",        "--radius",     "0",       "--line-width", "1",
            "--shadow",  "off",      "--background", "#0000ff", "--corners",    "none"};
        auto render = [this, &plain](const QStringList &extra) {
            const QString out = m_dir.filePath(QStringLiteral("options.png"));
            const CollageRenderRun run =
                runCollageRender(plain + extra + QStringList{"--out", out});
            return run.status == 0 ? QImage(out).convertToFormat(QImage::Format_RGB32) : QImage();
        };
        const QImage before = render({});
        const QImage after = render(arguments);
        QVERIFY(!before.isNull() && !after.isNull());
        for (const QRect &area : changed)
            QVERIFY2(
                TestSupport::maxChannelDifference(before.copy(area), after.copy(area)) > 64,
                qPrintable(QStringLiteral("nothing drawn at %1, %2").arg(area.x()).arg(area.y())));
        for (const QRect &area : unchanged)
            QVERIFY2(TestSupport::maxChannelDifference(before.copy(area), after.copy(area)) == 0,
                     qPrintable(QStringLiteral("drawn at %1, %2").arg(area.x()).arg(area.y())));
        for (const auto &[point, colour] : pixels)
            QUILTRA_COMPARE_PIXEL(after, point, colour, 0);
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
