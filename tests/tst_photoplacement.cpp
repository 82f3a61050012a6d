#include "CollageState.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QImage photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

TriangleFrame triangle(QPointF a, QPointF b, QPointF c)
{
    TriangleFrame frame{a, b, c, b, {}};
    frame.path.addPolygon(QPolygonF{a, b, c});
    frame.path.closeSubpath();
    return frame;
}

// A JPEG whose metadata says the picture must be turned 90 degrees clockwise.
QByteArray jpegTurnedClockwise(const QImage &image)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    const QByteArray exif = QByteArray::fromHex("ffe10022"
                                                "457869660000"     // "Exif", padding
                                                "49492a0008000000" // little-endian TIFF
                                                "0100"
                                                "120103000100000006000000" // orientation 6
                                                "00000000");
    return jpeg.insert(2, exif);
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
        QTest::addColumn<float>("scale");
        const QRectF frame(100, 50, 400, 300);
        // dy = trunc((225 - 300) / 2) = -37: the photo sits 37 pixels below the frame top.
        QTest::newRow("bands above and below") << frame << false << 0 << QSize(1600, 900)
                                               << QSize(400, 225) << QPointF(100, 87) << 0.25f;
        QTest::newRow("overflows above and below")
            << frame << false << 0 << QSize(900, 1600) << QSize(400, 711) << QPointF(100, -155)
            << 400.0f / 900.0f;
        QTest::newRow("square frame scales to the height")
            << QRectF(0, 0, 300, 300) << false << 0 << QSize(1600, 900) << QSize(533, 300)
            << QPointF(-116, 0) << 533.0f / 1600.0f;
        QTest::newRow("top offset stored apart")
            << QRectF(100, 150, 400, 300) << false << 100 << QSize(1600, 900) << QSize(400, 225)
            << QPointF(100, 87) << 0.25f;
        QTest::newRow("fractional frame truncates")
            << QRectF(10.7, 20.9, 400.6, 300.2) << false << 0 << QSize(1600, 900) << QSize(400, 225)
            << QPointF(10, 57) << 0.25f;
        QTest::newRow("triangle uses its bounding rectangle")
            << QRectF(100, 50, 400, 300) << true << 0 << QSize(1600, 900) << QSize(400, 225)
            << QPointF(100, 87) << 0.25f;
    }

    void fitsPhotoToFrame()
    {
        QFETCH(QRectF, frame);
        QFETCH(bool, triangular);
        QFETCH(int, topOffset);
        QFETCH(QSize, photoSize);
        QFETCH(QSize, displaySize);
        QFETCH(QPointF, position);
        QFETCH(float, scale);
        CollageState &state = CollageState::instance();
        state.settings.topOffset = topOffset;
        if (triangular) {
            state.document.triangleFrames = {
                triangle({0, 0}, {10, 0}, {0, 10}),
                triangle(frame.topLeft(), frame.topRight(), frame.bottomLeft())};
        } else {
            state.document.frameRects = {QRectF(0, 0, 10, 10), frame};
        }
        PhotoFrame &slot = state.document.photos[1];
        slot.angle = 12.0f;

        const QImage image = photo(photoSize.width(), photoSize.height());
        QVERIFY(placePhoto(1, QStringLiteral("/photos/a.jpg"), image));
        QCOMPARE(slot.filePath, QStringLiteral("/photos/a.jpg"));
        QCOMPARE(slot.sourceImage.cacheKey(), image.cacheKey());
        QCOMPARE(slot.displayImage.size(), displaySize);
        QCOMPARE(slot.displaySize, displaySize);
        QCOMPARE(slot.position, position);
        QCOMPARE(slot.scale, scale);
        QCOMPARE(slot.angle, 0.0f);
    }

    void refusedPlacementLeavesSlot_data()
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
        QTest::newRow("frame too small for a pixel")
            << 1 << QList<QRectF>{two[0], QRectF(5, 5, 0.5, 0.4)} << QSize(10, 10);
    }

    void refusedPlacementLeavesSlot()
    {
        QFETCH(int, slot);
        QFETCH(QList<QRectF>, frames);
        QFETCH(QSize, photoSize);
        CollageDocument &document = CollageState::instance().document;
        document.frameRects = frames;
        const QImage old = photo(20, 10);
        for (PhotoFrame &frame : document.photos)
            frame = PhotoFrame{QStringLiteral("old.jpg"), old, old, old.size(), {3, 4}, 1.0f, 7.0f};

        const QImage image =
            photoSize.isValid() ? photo(photoSize.width(), photoSize.height()) : QImage();
        QVERIFY(!placePhoto(slot, QStringLiteral("new.jpg"), image));
        for (const PhotoFrame &frame : document.photos) {
            QCOMPARE(frame.filePath, QStringLiteral("old.jpg"));
            QCOMPARE(frame.sourceImage.cacheKey(), old.cacheKey());
            QCOMPARE(frame.displayImage.cacheKey(), old.cacheKey());
            QCOMPARE(frame.position, QPointF(3, 4));
            QCOMPARE(frame.angle, 7.0f);
        }
    }

    void readsPhotoFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        photo(4, 2).save(&buffer, "PNG");
        QTest::newRow("png") << png << QStringLiteral("a.png") << QSize(4, 2);
        QTest::newRow("format from the content") << png << QStringLiteral("a.jpg") << QSize(4, 2);
        QTest::newRow("orientation applied")
            << jpegTurnedClockwise(photo(4, 2)) << QStringLiteral("b.jpg") << QSize(2, 4);
        QTest::newRow("not an image") << QByteArray("hello") << QStringLiteral("c.png") << QSize();
        QTest::newRow("missing file") << QByteArray() << QString() << QSize();
    }

    void readsPhotoFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(name.isEmpty() ? QStringLiteral("none.png") : name);
        if (!name.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QCOMPARE(readPhotoFile(path).size(), size.isValid() ? size : QSize(0, 0));
    }

    // A 42-megapixel photo takes 168 MB once read: more than the image reader allows by
    // default, less than the 256 MB a photo may take. The raised limit must not stay with
    // the process-wide default.
    void readsPhotosAboveTheDefaultLimit()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.png"));
        QVERIFY(photo(7000, 6000).save(path));
        const int defaultLimit = QImageReader::allocationLimit();
        QCOMPARE(readPhotoFile(path).size(), QSize(7000, 6000));
        QCOMPARE(QImageReader::allocationLimit(), defaultLimit);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("allocation limit"));
        QVERIFY(QImageReader(path).read().isNull());
    }
};

QUILTRA_TEST_MAIN(TestPhotoPlacement)
#include "tst_photoplacement.moc"
