#include "CollageRenderCommand.h"
#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

CollageState &state()
{
    return CollageState::instance();
}

enum Pattern
{
    Checkerboard,
    Columns,
    Rows
};

// Black and white alternating pixel by pixel: the finest detail an image can hold, and
// the one nearest-neighbour sampling turns into solid areas or moire.
QImage finePattern(QSize size, Pattern pattern)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int phase = pattern == Checkerboard ? x + y : pattern == Columns ? x : y;
            line[x] = phase % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        }
    }
    return image;
}

// One frame covering the canvas inside margin, no shadow, ornaments or rounding, and the
// one-pixel outline of line width 0.
QRect useSingleFrame(QSize frame, int margin)
{
    state().photoCountIndex = 0;
    state().layoutIndex = 0;
    state().canvasSize = frame.grownBy(QMargins(margin, margin, margin, margin));
    CanvasSettings &settings = state().settings;
    settings.margin = margin;
    settings.spacing = 0;
    settings.topOffset = 0;
    settings.roundCorners = 0;
    settings.lineWidth = 0;
    settings.dropShadow = 0;
    settings.cornerTopLeft = false;
    settings.cornerBottomRight = false;
    settings.backgroundColor1 = Qt::white;
    settings.frameBackgroundColor1 = Qt::white;
    state().document.clearGeometry();
    return QRect(QPoint(0, 0), state().canvasSize.toSize());
}

// jpeg with an Exif block after its start marker that holds only the orientation tag.
QByteArray withOrientation(const QByteArray &jpeg, quint16 orientation)
{
    const char tiff[] = {'M',  'M',
                         0,    42,
                         0,    0,
                         0,    8, // big-endian, first directory at 8
                         0,    1, // one entry:
                         0x01, 0x12,
                         0,    3,
                         0,    0,
                         0,    1, // orientation, one 16-bit value
                         0,    char(orientation),
                         0,    0, //
                         0,    0,
                         0,    0}; // no further directory
    QByteArray segment("Exif\0\0", 6);
    segment.append(tiff, sizeof tiff);
    const int length = int(segment.size()) + 2;
    QByteArray marker("\xff\xe1", 2);
    marker.append(char(length >> 8)).append(char(length & 0xff)).append(segment);
    return jpeg.left(2) + marker + jpeg.mid(2);
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

class TestExportQuality : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    void reducedPhotosShowNoAliasing_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<bool>("forExport");
        QTest::newRow("checkerboard, 1/8")
            << int(Checkerboard) << QSize(1600, 1200) << QSize(200, 150) << true;
        QTest::newRow("checkerboard, 3/16")
            << int(Checkerboard) << QSize(1600, 1200) << QSize(300, 225) << true;
        QTest::newRow("columns, 1/5")
            << int(Columns) << QSize(2000, 1000) << QSize(400, 200) << true;
        QTest::newRow("columns, 1/3")
            << int(Columns) << QSize(1200, 900) << QSize(400, 300) << true;
        QTest::newRow("rows, 2/5, portrait frame")
            << int(Rows) << QSize(900, 1200) << QSize(270, 360) << true;
        QTest::newRow("checkerboard on the canvas")
            << int(Checkerboard) << QSize(1600, 1200) << QSize(240, 180) << false;
    }

    // A photo reduced by several times must be averaged: its fine pattern becomes an even
    // mid-grey, not a pattern of its own, in the file and in the settled view.
    void reducedPhotosShowNoAliasing()
    {
        QFETCH(int, pattern);
        QFETCH(QSize, photo);
        QFETCH(QSize, frame);
        QFETCH(bool, forExport);
        const int margin = 20;
        const QRect target = useSingleFrame(frame, margin);
        CollageRenderer renderer;
        renderer.buildGeometry(target);
        QVERIFY(placePhoto(0, QString(), finePattern(photo, Pattern(pattern))));
        const QImage image = renderer.renderCollage(target, forExport);

        // Away from the outline every pixel is the pattern's average, 127.5.
        const QRect inside = QRect(QPoint(margin, margin), frame).adjusted(3, 3, -3, -3);
        int darkest = 255;
        int lightest = 0;
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x) {
                const int grey = qGreen(image.pixel(x, y));
                darkest = std::min(darkest, grey);
                lightest = std::max(lightest, grey);
            }
        }
        QVERIFY2(darkest >= 112 && lightest <= 143,
                 qPrintable(QStringLiteral("grey from %1 to %2").arg(darkest).arg(lightest)));
    }

    void photoFillsFrameToTheEdge_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("photo");
        // Wide frames are filled by width, so the right edge is at stake; tall ones by
        // height, the bottom edge.
        QTest::newRow("800 of 4000") << QSize(800, 500) << QSize(4000, 4000);
        QTest::newRow("odd 251 of 4000") << QSize(251, 150) << QSize(4000, 4000);
        QTest::newRow("502 of 4000") << QSize(502, 311) << QSize(4000, 4000);
        QTest::newRow("odd 1009 of 4000") << QSize(1009, 400) << QSize(4000, 4000);
        QTest::newRow("odd 105 of 3000") << QSize(105, 80) << QSize(3000, 3000);
        QTest::newRow("tall 1011 of 4000") << QSize(300, 1011) << QSize(4000, 4000);
        QTest::newRow("tall 257 of 1200") << QSize(181, 257) << QSize(1200, 1200);
    }

    // At line width 0 the outline is one pixel, drawn half over the frame's last column
    // and row: a photo a pixel short leaves the white frame background showing there.
    void photoFillsFrameToTheEdge()
    {
        QFETCH(QSize, frame);
        QFETCH(QSize, photo);
        const int margin = 10;
        const QRect target = useSingleFrame(frame, margin);
        CollageRenderer renderer;
        renderer.buildGeometry(target);
        QImage red(photo, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(placePhoto(0, QString(), red));

        for (bool forExport : {false, true}) {
            const QImage image = renderer.renderCollage(target, forExport);
            const int lastColumn = margin + frame.width() - 1;
            const int lastRow = margin + frame.height() - 1;
            for (int y = margin + 2; y < lastRow - 1; y += 7) {
                const QColor edge = image.pixelColor(lastColumn, y);
                QVERIFY2(
                    edge.green() < 60,
                    qPrintable(
                        QStringLiteral("(%1, %2) is %3").arg(lastColumn).arg(y).arg(edge.name())));
            }
            for (int x = margin + 2; x < lastColumn - 1; x += 7) {
                const QColor edge = image.pixelColor(x, lastRow);
                QVERIFY2(
                    edge.green() < 60,
                    qPrintable(
                        QStringLiteral("(%1, %2) is %3").arg(x).arg(lastRow).arg(edge.name())));
            }
        }
    }

    void enlargedPhotosMatchTheCanvas_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<float>("angle");
        QTest::addColumn<QPointF>("pan");
        QTest::newRow("twice the size") << QSize(200, 150) << 0.0f << QPointF();
        QTest::newRow("turned and panned") << QSize(160, 160) << 17.0f << QPointF(-30, 12);
        QTest::newRow("just over") << QSize(390, 300) << 0.0f << QPointF(5, -4);
    }

    // Export draws an enlarged photo straight from its source instead of from an enlarged
    // copy; it must land where the canvas's copy does, at the same size and angle.
    void enlargedPhotosMatchTheCanvas()
    {
        QFETCH(QSize, photo);
        QFETCH(float, angle);
        QFETCH(QPointF, pan);
        const QRect target = useSingleFrame(QSize(400, 300), 30);
        CollageRenderer renderer;
        renderer.buildGeometry(target);
        QImage picture(photo, QImage::Format_RGB32);
        QPainter painter(&picture);
        QLinearGradient gradient(0, 0, photo.width(), photo.height() / 2.0);
        gradient.setColorAt(0, Qt::yellow);
        gradient.setColorAt(1, Qt::darkBlue);
        painter.fillRect(picture.rect(), gradient);
        painter.fillRect(
            QRect(photo.width() / 4, photo.height() / 4, photo.width() / 4, photo.height() / 4),
            Qt::red);
        painter.end();
        QVERIFY(placePhoto(0, QString(), picture));
        PhotoFrame &slot = state().document.photos[0];
        slot.angle = angle;
        slot.position += pan;

        const QImage canvas = renderer.renderCollage(target, false).copy();
        const QImage exported = renderer.renderCollage(target, true);
        QVERIFY2(TestSupport::fuzzyEqual(canvas, exported, 24, 0.003),
                 qPrintable(QStringLiteral("largest difference %1")
                                .arg(TestSupport::maxChannelDifference(canvas, exported))));
    }

    void pngKeepsAlphaOnlyWhenNeeded_data()
    {
        QTest::addColumn<QString>("background");
        QTest::addColumn<bool>("alpha");
        QTest::addColumn<QColor>("corner");
        QTest::newRow("opaque") << QStringLiteral("#3060c0") << false << QColor(0x30, 0x60, 0xc0);
        QTest::newRow("half transparent")
            << QStringLiteral("#80ff0000") << true << QColor(255, 0, 0, 0x80);
        QTest::newRow("nearly opaque")
            << QStringLiteral("#fe00ff00") << true << QColor(0, 255, 0, 0xfe);
        QTest::newRow("clear") << QStringLiteral("#00000000") << true << QColor(0, 0, 0, 0);
    }

    // An opaque collage needs no alpha channel in its file; any transparency, even one
    // level, must survive the write.
    void pngKeepsAlphaOnlyWhenNeeded()
    {
        QFETCH(QString, background);
        QFETCH(bool, alpha);
        QFETCH(QColor, corner);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString out = dir.filePath(QStringLiteral("collage.png"));
        const Run run =
            runCommand({QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--size"),
                        QStringLiteral("300x200"), QStringLiteral("--margin"), QStringLiteral("20"),
                        QStringLiteral("--spacing"), QStringLiteral("10"),
                        QStringLiteral("--corners"), QStringLiteral("none"),
                        QStringLiteral("--background"), background, QStringLiteral("--out"), out});
        QVERIFY2(run.status == CollageRenderCommand::kSuccess, qPrintable(run.err));

        QImageReader reader(out);
        const QImage image = reader.read();
        QVERIFY(!image.isNull());
        QCOMPARE(image.hasAlphaChannel(), alpha);
        QCOMPARE(image.pixelColor(2, 2), corner);
        // The frames stay as drawn: opaque white inside, in every case.
        QCOMPARE(image.pixelColor(80, 100).alpha(), 255);
    }

    void decodesOnlyAsLargeAsNeeded_data()
    {
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<bool>("turned");
        QTest::addColumn<QSize>("atLeast");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("no size asked") << QSize(800, 400) << false << QSize() << QSize(800, 400);
        QTest::newRow("half covers")
            << QSize(800, 400) << false << QSize(300, 150) << QSize(400, 200);
        QTest::newRow("an eighth covers")
            << QSize(800, 400) << false << QSize(100, 20) << QSize(100, 50);
        QTest::newRow("just over a quarter")
            << QSize(800, 400) << false << QSize(201, 10) << QSize(400, 200);
        QTest::newRow("larger than the photo")
            << QSize(800, 400) << false << QSize(1600, 800) << QSize(800, 400);
        // Stored on its side: the size asked for is the upright one.
        QTest::newRow("turned by its metadata")
            << QSize(800, 400) << true << QSize(150, 300) << QSize(200, 400);
    }

    void decodesOnlyAsLargeAsNeeded()
    {
        QFETCH(QSize, stored);
        QFETCH(bool, turned);
        QFETCH(QSize, atLeast);
        QFETCH(QSize, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("photo.jpg"));
        // A red band along the stored top edge shows where the top ended up.
        QImage image(stored, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QPainter(&image).fillRect(QRect(0, 0, stored.width(), stored.height() / 4), Qt::red);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, "JPEG", 90));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Orientation 6: shown turned a quarter clockwise.
        file.write(turned ? withOrientation(buffer.data(), 6) : buffer.data());
        file.close();

        const QImage photo = readPhotoFile(path, atLeast);
        QCOMPARE(photo.size(), expected);
        // Turned a quarter clockwise, the stored top lies along the right edge.
        const QPoint top =
            turned ? QPoint(photo.width() - 2, photo.height() / 2) : QPoint(photo.width() / 2, 1);
        const QPoint bottom =
            turned ? QPoint(1, photo.height() / 2) : QPoint(photo.width() / 2, photo.height() - 2);
        QVERIFY(photo.pixelColor(top).red() > 200 && photo.pixelColor(top).blue() < 60);
        QVERIFY(photo.pixelColor(bottom).blue() > 200 && photo.pixelColor(bottom).red() < 60);
    }
};

QUILTRA_TEST_MAIN(TestExportQuality)
#include "tst_exportquality.moc"
