#include "CollageState.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QImage photo(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

CollageDocument &document()
{
    return CollageState::instance().document;
}

} // namespace

class TestPhotoPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { CollageState::reset(); }

    void fitsPhotoToFrame_data()
    {
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<bool>("triangular");
        QTest::addColumn<int>("topOffset");
        QTest::addColumn<QSize>("photoSize");
        QTest::addColumn<QSize>("displaySize");
        QTest::addColumn<QPointF>("position");
        const QRectF frame(100, 50, 400, 300);
        // dy = trunc((225 - 300) / 2) = -37: the photo sits 37 pixels below the frame top.
        // clang-format off
        QTest::newRow("bands above and below") << frame << false << 0 << QSize(1600, 900)
            << QSize(400, 225) << QPointF(100, 87);
        QTest::newRow("overflows above and below") << frame << false << 0 << QSize(900, 1600)
            << QSize(400, 711) << QPointF(100, -155);
        QTest::newRow("square frame scales to the height") << QRectF(0, 0, 300, 300) << false << 0
            << QSize(1600, 900) << QSize(533, 300) << QPointF(-116, 0);
        QTest::newRow("top offset stored apart") << QRectF(100, 150, 400, 300) << false << 100
            << QSize(1600, 900) << QSize(400, 225) << QPointF(100, 87);
        QTest::newRow("triangle uses its bounding rectangle") << frame << true << 0
            << QSize(1600, 900) << QSize(400, 225) << QPointF(100, 87);
        // clang-format on
    }

    void fitsPhotoToFrame()
    {
        QFETCH(QRectF, frame);
        QFETCH(bool, triangular);
        QFETCH(int, topOffset);
        QFETCH(QSize, photoSize);
        QFETCH(QSize, displaySize);
        QFETCH(QPointF, position);
        CollageState::instance().settings.topOffset = topOffset;
        if (triangular) {
            TriangleFrame triangle{frame.topLeft(), frame.topRight(), frame.bottomLeft(), {}, {}};
            triangle.path.addPolygon(
                QPolygonF{triangle.vertex1, triangle.vertex2, triangle.vertex3});
            document().triangleFrames = {TriangleFrame{}, triangle};
        } else {
            document().frameRects = {QRectF(0, 0, 10, 10), frame};
        }
        PhotoFrame &slot = document().photos[1];
        slot.angle = 12.0f;
        QVERIFY(placePhoto(1, QStringLiteral("/photos/a.jpg"), photo(photoSize)));
        QCOMPARE(slot.filePath, QStringLiteral("/photos/a.jpg"));
        QCOMPARE(slot.displayImage.size(), displaySize);
        QCOMPARE(slot.displaySize, displaySize);
        QCOMPARE(slot.position, position);
        QCOMPARE(slot.angle, 0.0f);
    }

    void refusedPlacementLeavesSlots_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QList<QRectF>>("frames");
        QTest::addColumn<QString>("file"); // under tests/data, or a generated 10 x 10 photo
        const QList<QRectF> two{QRectF(0, 0, 100, 100), QRectF(100, 0, 100, 100)};
        const QList<QRectF> wide{QRectF(140, 140, 520, 300)};
        QTest::newRow("null image") << 1 << two << "absent.jpg";
        QTest::newRow("negative slot") << -1 << two << QString();
        QTest::newRow("slot beyond the document") << 10 << two << QString();
        QTest::newRow("slot beyond the layout") << 5 << two << QString();
        QTest::newRow("geometry not built yet") << 1 << QList<QRectF>() << QString();
        QTest::newRow("frame smaller than a pixel")
            << 1 << QList<QRectF>{two[0], QRectF(5, 5, 0.5, 0.4)} << QString();
        // Files a reader accepts whose display image, fitted to a frame, would take
        // gigabytes or be narrower than a pixel, and a header announcing 1.6 GB.
        QTest::newRow("JPEG of 1 x 16385") << 0 << wide << "extreme/tall_1x16385.jpg";
        QTest::newRow("BMP of 32 x 1000000") << 0 << wide << "extreme/tall_32x1000000.bmp";
        QTest::newRow("GIF stretched to 40 x 32767")
            << 0 << wide << "extreme/stretched_40x32767.gif";
        QTest::newRow("JPEG of 1 x 16385, tall frame")
            << 0 << QList<QRectF>{wide[0].transposed()} << "extreme/tall_1x16385.jpg";
        QTest::newRow("BMP header of 20000 x 20000") << 0 << wide << "extreme/huge_20000x20000.bmp";
    }

    void refusedPlacementLeavesSlots()
    {
        QFETCH(int, slot);
        QFETCH(QList<QRectF>, frames);
        QFETCH(QString, file);
        document().frameRects = frames;
        const QImage old = photo(QSize(20, 10));
        for (PhotoFrame &frame : document().photos)
            frame = PhotoFrame{QStringLiteral("old.jpg"), old, old, old.size(), {3, 4}, 1.0f, 7.0f};
        const QImage image =
            file.isEmpty() ? photo(QSize(10, 10)) : readPhotoFile(TestSupport::dataPath(file));
        QVERIFY(!placePhoto(slot, QStringLiteral("new.jpg"), image));
        for (const PhotoFrame &frame : document().photos) {
            QCOMPARE(frame.filePath, QStringLiteral("old.jpg"));
            QCOMPARE(frame.displayImage.cacheKey(), old.cacheKey());
            QCOMPARE(frame.position, QPointF(3, 4));
            QCOMPARE(frame.angle, 7.0f);
        }
    }

    void readsPhotoFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QSize>("size");
        // The same JPEG with metadata saying it must be turned 90 degrees clockwise.
        const QByteArray exifTurnedClockwise =
            QByteArray::fromHex("ffe1002245786966000049492a00080000000100120103000100000006000000"
                                "00000000");
        QTest::newRow("format from the content, not the name")
            << encoded(photo(QSize(4, 2)), "PNG") << QSize(4, 2);
        QTest::newRow("orientation applied")
            << encoded(photo(QSize(4, 2)), "JPEG").insert(2, exifTurnedClockwise) << QSize(2, 4);
        QTest::newRow("not an image") << QByteArray("hello") << QSize(0, 0);
    }

    void readsPhotoFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("photo.jpg")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QCOMPARE(readPhotoFile(file.fileName()).size(), size);
        QVERIFY(readPhotoFile(dir.filePath(QStringLiteral("missing.jpg"))).isNull());
    }

    // A 42-megapixel photo takes 168 MB once read: more than the image reader allows by
    // default, less than the 256 MB a photo may take. The limit is process-wide, and the
    // raised one must not stay.
    void readsPhotosAboveTheDefaultLimit()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.png"));
        QVERIFY(photo(QSize(7000, 6000)).save(path));
        QCOMPARE(readPhotoFile(path).size(), QSize(7000, 6000));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("allocation limit"));
        QVERIFY(QImageReader(path).read().isNull());
    }

    // Rows the file lacks are black, not whatever the memory held: a freed image of the
    // same size is likely to be handed out again for the read. The file holds the bottom
    // eight rows only.
    void truncatedFileLeavesNoStalePixels()
    {
        QImage(64, 64, QImage::Format_RGB32).fill(qRgb(0xab, 0xcd, 0xef));
        const QImage image = readPhotoFile(TestSupport::dataPath("extreme/truncated_64x64.bmp"));
        QImage expected(64, 64, QImage::Format_RGB32);
        expected.fill(Qt::black);
        QPainter(&expected).fillRect(0, 56, 64, 8, QColor(0xe0, 0x40, 0x20));
        QCOMPARE(image.convertToFormat(QImage::Format_RGB32), expected);
    }
};

QUILTRA_TEST_MAIN(TestPhotoPlacement)
#include "tst_photoplacement.moc"
