#include "CollageRenderRun.h"
#include "TestSupport.h"

#include <QTemporaryDir>

namespace {

using PixelChecks = QList<std::pair<QPoint, QColor>>;

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255), kWhite(255, 255, 255);
// The middle of the flower in the ornament's corner, 45 pixels in from both edges.
const QColor kBlossom(217, 114, 140);

} // namespace

class TestCollageRenderOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const std::tuple<const char *, QSize, QRgb> pictures[] = {
            {"green.png", {50, 50}, qRgb(10, 200, 30)},
            {"red.png", {40, 40}, qRgb(255, 0, 0)},
            {"bar.png", {60, 20}, qRgb(255, 0, 0)},
            {"blue.png", {50, 50}, qRgb(0, 0, 255)}};
        for (const auto &[name, size, colour] : pictures) {
            QImage picture(size, QImage::Format_RGB32);
            picture.fill(colour);
            QVERIFY(picture.save(m_dir.filePath(QLatin1String(name))));
        }
    }

    // Small rows: a white 200 x 100 canvas with one white frame from (20, 20) to (180, 80).
    // Large rows: a blue 1000 x 800 canvas with one white frame from (100, 100) to
    // (900, 700) and a hairline outline. No shadow, ornament or rounding unless asked.
    void optionsReachTheOutput_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<PixelChecks>("pixels");
        const QString large =
            QStringLiteral("--size 1000x800 --margin 100 --line-width 1 --background #0000ff ");
        // clang-format off
        // The k-th photo fills the k-th frame: halves of the frame area, one of them halved
        // again, or two triangles, the first above the diagonal from (20, 80) to (180, 20).
        QTest::newRow("three photos") << "--count 3 --layout 2 --photo @green.png --photo @red.png --photo @blue.png"
            << PixelChecks{{{60, 50}, QColor(10, 200, 30)}, {{140, 35}, kRed}, {{140, 65}, kBlue}};
        QTest::newRow("two triangles") << "--count 2 --layout 2 --photo @green.png --photo @red.png"
            << PixelChecks{{{40, 30}, QColor(10, 200, 30)}, {{160, 70}, kRed}};
        QTest::newRow("vertical gradient") << "--background-gradient #ff0000,#0000ff,vertical"
            << PixelChecks{{{100, 0}, kRed}, {{100, 99}, kBlue}};
        QTest::newRow("horizontal gradient") << "--background-gradient #ff0000,#0000ff,horizontal"
            << PixelChecks{{{0, 50}, kRed}, {{199, 50}, kBlue}};
        QTest::newRow("texture") << "--texture @green.png"
            << PixelChecks{{{5, 5}, QColor(10, 200, 30)}};
        QTest::newRow("background image") << "--background-image @green.png"
            << PixelChecks{{{195, 95}, QColor(10, 200, 30)}};
        // An opaque collage is written without alpha; any transparency, even one level, is
        // kept, while the frames stay opaque.
        QTest::newRow("opaque background") << "--background #3060c0"
            << PixelChecks{{{2, 2}, QColor(0x30, 0x60, 0xc0)}};
        QTest::newRow("half-transparent background") << "--background #80ff0000"
            << PixelChecks{{{2, 2}, QColor(255, 0, 0, 128)}, {{100, 50}, kWhite}};
        QTest::newRow("nearly opaque background") << "--background #fe00ff00"
            << PixelChecks{{{2, 2}, QColor(0, 255, 0, 254)}};
        QTest::newRow("frame colour") << "--frame-color #00ff00"
            << PixelChecks{{{100, 50}, kGreen}};
        QTest::newRow("frame gradient") << "--frame-color #ffffff,#000000,vertical"
            << PixelChecks{{{100, 22}, QColor(247, 247, 247)}, {{100, 78}, QColor(6, 6, 6)}};
        // Turned by 90 degrees about its centre the frame runs from (70, -30) to (130, 130).
        QTest::newRow("turned frame") << "--frame-color #00ff00 --rotate-frame 0:90"
            << PixelChecks{{{30, 50}, kWhite}, {{100, 5}, kGreen}};
        QTest::newRow("half-transparent sticker") << "--object-opacity 50 --sticker @red.png"
            << PixelChecks{{{100, 50}, QColor(255, 128, 128)}};
        QTest::newRow("opacity given after the object") << "--sticker @red.png --object-opacity 0"
            << PixelChecks{{{100, 50}, kRed}};
        // The 60 x 20 bar centred at (100, 50) is turned upright; its box keeps its top-left
        // corner at (70, 40).
        QTest::newRow("turned sticker") << "--object-rotation 90 --sticker @bar.png"
            << PixelChecks{{{120, 50}, kWhite}, {{80, 90}, kRed}};
        // The ornament is drawn into the corner as it is, mirrored towards the others.
        QTest::newRow("top-right ornament") << large + "--corners tr"
            << PixelChecks{{{954, 45}, kBlossom}, {{45, 45}, kBlue}, {{45, 754}, kBlue},
                           {{954, 754}, kBlue}};
        QTest::newRow("bottom ornaments") << large + "--corners bl,br"
            << PixelChecks{{{45, 754}, kBlossom}, {{954, 754}, kBlossom}, {{45, 45}, kBlue},
                           {{954, 45}, kBlue}};
        QTest::newRow("top offset") << large + "--top 100"
            << PixelChecks{{{500, 150}, kBlue}, {{500, 205}, kWhite}, {{500, 695}, kWhite},
                           {{500, 705}, kBlue}};
        // Centred: the 40 x 40 square from (480, 380), the 150 x 150 emoji box from
        // (425, 325) with the yellow face in it.
        QTest::newRow("sticker") << large + "--sticker @red.png"
            << PixelChecks{{{482, 382}, kRed}, {{517, 417}, kRed}, {{477, 400}, kWhite},
                           {{500, 422}, kWhite}};
        QTest::newRow("emoji") << large + "--emoji \U0001F600"
            << PixelChecks{{{480, 350}, QColor(250, 206, 45)}, {{460, 400}, QColor(250, 220, 45)},
                           {{420, 400}, kWhite}, {{580, 400}, kWhite}, {{500, 320}, kWhite},
                           {{500, 480}, kWhite}};
        // clang-format on
    }

    void optionsReachTheOutput()
    {
        QFETCH(QString, arguments);
        QFETCH(PixelChecks, pixels);
        const QImage image = render(arguments);
        QVERIFY(!image.isNull());
        bool transparent = false;
        for (const auto &[point, colour] : pixels) {
            QUILTRA_COMPARE_PIXEL(image, point, colour, 16);
            transparent |= colour.alpha() < 255;
        }
        QCOMPARE(image.hasAlphaChannel(), transparent);
    }

    // Black 36-point text on the large canvas: its ink sits in the middle of the frame.
    void labelIsCentred()
    {
        const QImage image = render(QStringLiteral("--size 1000x800 --margin 100 --label MMMM"));
        QImage ink = image.copy(110, 110, 780, 580).convertToFormat(QImage::Format_Grayscale8);
        ink.invertPixels();
        QVERIFY(ink.reinterpretAsFormat(QImage::Format_Alpha8));
        const QRect box = TestSupport::inkBounds(ink, 190).translated(110, 110);
        QVERIFY2(qAbs(box.center().x() - 500) <= 3 && box.top() > 365 && box.bottom() < 435 &&
                     box.width() > 100 && box.height() > 20,
                 qPrintable(QDebug::toString(box)));
    }

private:
    // Renders the options, "@name" standing for a picture made above, to a PNG and reads
    // it back; null when the run fails.
    QImage render(const QString &arguments)
    {
        QStringList list = QStringLiteral("--count 1 --size 200x100 --margin 20 --spacing 0 "
                                          "--radius 0 --shadow off --corners none")
                               .split(QLatin1Char(' '));
        for (const QString &word : arguments.split(QLatin1Char(' ')))
            list << (word.startsWith(QLatin1Char('@')) ? m_dir.filePath(word.mid(1)) : word);
        const QString out = m_dir.filePath(QStringLiteral("options.png"));
        const CollageRenderRun run = runCollageRender(list << QStringLiteral("--out") << out);
        if (run.status != 0)
            qWarning("%s", qPrintable(run.err));
        return run.status == 0 ? QImage(out) : QImage();
    }

    QTemporaryDir m_dir;
};

QUILTRA_TEST_MAIN(TestCollageRenderOptions)
#include "tst_collagerenderoptions.moc"
