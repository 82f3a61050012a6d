#include "CollageRenderRun.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

int distance(QRgb a, QRgb b)
{
    return std::max(
        {qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))});
}

} // namespace

class TestCollageRenderOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QImage picture(50, 50, QImage::Format_RGB32);
        picture.fill(qRgb(10, 200, 30));
        QVERIFY(picture.save(path(QStringLiteral("green.png"))));
        QImage square(40, 40, QImage::Format_RGB32);
        square.fill(qRgb(255, 0, 0));
        QVERIFY(square.save(path(QStringLiteral("red.png"))));
        QImage bar(60, 20, QImage::Format_RGB32);
        bar.fill(qRgb(255, 0, 0));
        QVERIFY(bar.save(path(QStringLiteral("bar.png"))));
    }

    // A 200 x 100 canvas with one frame from (20, 20) to (180, 80), no shadow, ornament or
    // rounding; the options of each row come on top.
    void optionsReachTheRendering_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("expected");
        const QString red = path(QStringLiteral("red.png"));
        const QString bar = path(QStringLiteral("bar.png"));
        const QStringList gradient{QStringLiteral("--background-gradient"),
                                   QStringLiteral("#ff0000,#0000ff,vertical")};
        QTest::newRow("vertical gradient, top") << gradient << QPoint(100, 0) << QColor(255, 0, 0);
        QTest::newRow("vertical gradient, bottom")
            << gradient << QPoint(100, 99) << QColor(0, 0, 255);
        const QStringList across{QStringLiteral("--background-gradient"),
                                 QStringLiteral("#ff0000,#0000ff,horizontal")};
        QTest::newRow("horizontal gradient, left") << across << QPoint(0, 50) << QColor(255, 0, 0);
        QTest::newRow("horizontal gradient, right")
            << across << QPoint(199, 50) << QColor(0, 0, 255);
        QTest::newRow("texture") << QStringList{QStringLiteral("--texture"),
                                                path(QStringLiteral("green.png"))}
                                 << QPoint(5, 5) << QColor(10, 200, 30);
        QTest::newRow("background image")
            << QStringList{QStringLiteral("--background-image"), path(QStringLiteral("green.png"))}
            << QPoint(195, 95) << QColor(10, 200, 30);
        QTest::newRow("frame colour")
            << QStringList{QStringLiteral("--frame-color"), QStringLiteral("#00ff00")}
            << QPoint(100, 50) << QColor(0, 255, 0);
        const QStringList frameGradient{QStringLiteral("--frame-color"),
                                        QStringLiteral("#ffffff,#000000,vertical")};
        QTest::newRow("frame gradient, top")
            << frameGradient << QPoint(100, 22) << QColor(247, 247, 247);
        QTest::newRow("frame gradient, bottom")
            << frameGradient << QPoint(100, 78) << QColor(6, 6, 6);
        // Turned by 90 degrees about its centre the frame runs from (70, -30) to (130, 130).
        const QStringList turned{QStringLiteral("--frame-color"), QStringLiteral("#00ff00"),
                                 QStringLiteral("--rotate-frame"), QStringLiteral("0:90")};
        QTest::newRow("turned frame leaves its old end")
            << turned << QPoint(30, 50) << QColor(255, 255, 255);
        QTest::newRow("turned frame reaches the top")
            << turned << QPoint(100, 5) << QColor(0, 255, 0);
        QTest::newRow("half-transparent sticker")
            << QStringList{QStringLiteral("--object-opacity"), QStringLiteral("50"),
                           QStringLiteral("--sticker"), red}
            << QPoint(100, 50) << QColor(255, 128, 128);
        QTest::newRow("opacity given after the object does not reach it")
            << QStringList{QStringLiteral("--sticker"), red, QStringLiteral("--object-opacity"),
                           QStringLiteral("0")}
            << QPoint(100, 50) << QColor(255, 0, 0);
        // The 60 x 20 bar centred at (100, 50) is turned upright; its box keeps its top-left
        // corner at (70, 40).
        const QStringList upright{QStringLiteral("--object-rotation"), QStringLiteral("90"),
                                  QStringLiteral("--sticker"), bar};
        QTest::newRow("turned sticker leaves its old end")
            << upright << QPoint(120, 50) << QColor(255, 255, 255);
        QTest::newRow("turned sticker reaches down")
            << upright << QPoint(80, 90) << QColor(255, 0, 0);
    }

    void optionsReachTheRendering()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QPoint, point);
        QFETCH(QColor, expected);
        const QString out = path(QStringLiteral("options.png"));
        const CollageRenderRun run = runCollageRender(
            QStringList{QStringLiteral("--count"), QStringLiteral("1"), QStringLiteral("--size"),
                        QStringLiteral("200x100"), QStringLiteral("--margin"), QStringLiteral("20"),
                        QStringLiteral("--spacing"), QStringLiteral("0"),
                        QStringLiteral("--radius"), QStringLiteral("0"), QStringLiteral("--shadow"),
                        QStringLiteral("off"), QStringLiteral("--corners"), QStringLiteral("none"),
                        QStringLiteral("--out"), out} +
            arguments);
        QCOMPARE(run.status, 0);
        const QImage image(out);
        QCOMPARE(image.size(), QSize(200, 100));
        const QRgb pixel = image.pixel(point);
        QVERIFY2(distance(pixel, expected.rgb()) <= 6, qPrintable(QStringLiteral("%1 at (%2, %3)")
                                                                      .arg(QColor(pixel).name())
                                                                      .arg(point.x())
                                                                      .arg(point.y())));
    }

    void badValuesAreUsageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("gradient without direction")
            << QStringList{QStringLiteral("--background-gradient"), QStringLiteral("red,blue")};
        QTest::newRow("frame colour not a colour")
            << QStringList{QStringLiteral("--frame-color"), QStringLiteral("reddish")};
        QTest::newRow("frame rotation of a missing frame")
            << QStringList{QStringLiteral("--count"), QStringLiteral("2"),
                           QStringLiteral("--rotate-frame"), QStringLiteral("2:10")};
        QTest::newRow("opacity above 100")
            << QStringList{QStringLiteral("--object-opacity"), QStringLiteral("101")};
    }

    void badValuesAreUsageErrors()
    {
        QFETCH(QStringList, arguments);
        const CollageRenderRun run = runCollageRender(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains(QStringLiteral("usage:")));
    }

    void writesThroughTheExportCode_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("size");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<QString>("reason");
        const QString fine = QStringLiteral("120x80");
        QTest::newRow("gif") << "out.gif" << fine << 0 << QByteArray("GIF89a") << QString();
        QTest::newRow("upper-case gif")
            << "out.GIF" << fine << 0 << QByteArray("GIF89a") << QString();
        // Refused before anything is rendered or written: the old file stays, and a canvas
        // too large to render at all still gets the format's reason.
        const QString wide = QStringLiteral("16384x2");
        const QString huge = QStringLiteral("100000x100000");
        QTest::newRow("webp too wide over a file")
            << "wide.webp" << wide << 1 << QByteArray("old") << "16383";
        QTest::newRow("webp far too large over a file")
            << "huge.webp" << huge << 1 << QByteArray("old") << "16383";
        QTest::newRow("unknown suffix over a file")
            << "out.xyz" << fine << 1 << QByteArray("old") << ".xyz";
        QTest::newRow("missing picture")
            << "pic.png" << fine << 1 << QByteArray("old") << "none.png";
    }

    void writesThroughTheExportCode()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, size);
        QFETCH(int, status);
        QFETCH(QByteArray, magic);
        QFETCH(QString, reason);
        const QString out = path(fileName);
        QStringList arguments{QStringLiteral("--size"), size, QStringLiteral("--out"), out};
        if (QTest::currentDataTag() == QLatin1String("missing picture"))
            arguments << QStringLiteral("--background-image") << path(QStringLiteral("none.png"));
        {
            QFile old(out);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        }
        const CollageRenderRun run = runCollageRender(arguments);
        QCOMPARE(run.status, status);
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(magic));
        if (status != 0) {
            QVERIFY2(run.err.contains(reason), qPrintable(run.err));
            QVERIFY(!run.out.contains(QStringLiteral("wrote")));
        } else {
            QCOMPARE(QImage(out).size(), QSize(120, 80));
        }
    }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

QUILTRA_TEST_MAIN(TestCollageRenderOptions)
#include "tst_collagerenderoptions.moc"
