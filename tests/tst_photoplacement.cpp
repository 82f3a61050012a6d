#include "CollageState.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
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
        CollageState &state = CollageState::instance();
        state.settings.topOffset = topOffset;
        if (triangular) {
            TriangleFrame triangle{frame.topLeft(), frame.topRight(), frame.bottomLeft(), {}, {}};
            triangle.path.addPolygon(
                QPolygonF{triangle.vertex1, triangle.vertex2, triangle.vertex3});
            state.document.triangleFrames = {TriangleFrame{}, triangle};
        } else {
            state.document.frameRects = {QRectF(0, 0, 10, 10), frame};
        }
        PhotoFrame &slot = state.document.photos[1];
        slot.angle = 12.0f;

        const QImage image = photo(photoSize);
        QVERIFY(placePhoto(1, QStringLiteral("/photos/a.jpg"), image));
        QCOMPARE(slot.filePath, QStringLiteral("/photos/a.jpg"));
        QCOMPARE(slot.sourceImage.cacheKey(), image.cacheKey());
        QCOMPARE(slot.displayImage.size(), displaySize);
        QCOMPARE(slot.displaySize, displaySize);
        QCOMPARE(slot.position, position);
        QCOMPARE(slot.scale, float(displaySize.width()) / float(photoSize.width()));
        QCOMPARE(slot.angle, 0.0f);
    }

    void refusedPlacementLeavesSlots_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QList<QRectF>>("frames");
        QTest::addColumn<QSize>("photoSize");
        const QList<QRectF> two{QRectF(0, 0, 100, 100), QRectF(100, 0, 100, 100)};
        QTest::newRow("null image") << 1 << two << QSize();
        QTest::newRow("negative slot") << -1 << two << QSize(10, 10);
        QTest::newRow("slot beyond the document") << 10 << two << QSize(10, 10);
        QTest::newRow("slot beyond the layout") << 5 << two << QSize(10, 10);
        QTest::newRow("geometry not built yet") << 1 << QList<QRectF>() << QSize(10, 10);
        QTest::newRow("frame smaller than a pixel")
            << 1 << QList<QRectF>{two[0], QRectF(5, 5, 0.5, 0.4)} << QSize(10, 10);
    }

    void refusedPlacementLeavesSlots()
    {
        QFETCH(int, slot);
        QFETCH(QList<QRectF>, frames);
        QFETCH(QSize, photoSize);
        CollageDocument &document = CollageState::instance().document;
        document.frameRects = frames;
        const QImage old = photo(QSize(20, 10));
        for (PhotoFrame &frame : document.photos)
            frame = PhotoFrame{QStringLiteral("old.jpg"), old, old, old.size(), {3, 4}, 1.0f, 7.0f};

        const QImage image = photoSize.isValid() ? photo(photoSize) : QImage();
        QVERIFY(!placePhoto(slot, QStringLiteral("new.jpg"), image));
        for (const PhotoFrame &frame : document.photos) {
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
        const QByteArray exifTurnedClockwise = QByteArray::fromHex("ffe10022457869660000"
                                                                   "49492a0008000000"
                                                                   "0100120103000100000006000000"
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
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
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
        const int defaultLimit = QImageReader::allocationLimit();
        QCOMPARE(readPhotoFile(path).size(), QSize(7000, 6000));
        QCOMPARE(QImageReader::allocationLimit(), defaultLimit);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("allocation limit"));
        QVERIFY(QImageReader(path).read().isNull());
    }
};

QUILTRA_TEST_MAIN(TestPhotoPlacement)
#include "tst_photoplacement.moc"
