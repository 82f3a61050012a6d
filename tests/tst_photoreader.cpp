#include "CollageState.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

// A BMP header for an uncompressed bottom-up image, without pixel data.
QByteArray bmpHeader(int width, int height, quint16 bitsPerPixel)
{
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("BM", 2);
    out << quint32(0) << quint32(0) << quint32(54);
    out << quint32(40) << qint32(width) << qint32(height) << quint16(1) << bitsPerPixel
        << quint32(0) << quint32(0) << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    return header;
}

} // namespace

class TestPhotoReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { CollageState::reset(); }

    void extremePhotosAreRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QRectF>("frame");
        const QRectF wide(140, 140, 520, 300);
        const QRectF tall(140, 140, 300, 520);
        QTest::newRow("JPEG of 1 x 16385, wide frame") << "tall_1x16385.jpg" << wide;
        QTest::newRow("BMP of 32 x 1000000, wide frame") << "tall_32x1000000.bmp" << wide;
        QTest::newRow("GIF stretched to 40 x 32767, wide frame")
            << "stretched_40x32767.gif" << wide;
        // Fitted to the height, a sliver is narrower than a pixel.
        QTest::newRow("JPEG of 1 x 16385, tall frame") << "tall_1x16385.jpg" << tall;
    }

    // Photos a reader accepts whose fitted display image would take gigabytes, or
    // nothing: the slot keeps what it had.
    void extremePhotosAreRefused()
    {
        QFETCH(QString, file);
        QFETCH(QRectF, frame);
        CollageDocument &document = CollageState::instance().document;
        document.frameRects = {frame};
        const QImage old(QSize(30, 20), QImage::Format_RGB32);
        document.photos[0] =
            PhotoFrame{QStringLiteral("old.jpg"), old, old, old.size(), {1, 2}, 1.0f, 0.0f};
        const QString path = TestSupport::dataPath(QStringLiteral("extreme/") + file);
        QVERIFY(!placePhoto(0, path, readPhotoFile(path)));
        QCOMPARE(document.photos[0].filePath, QStringLiteral("old.jpg"));
        QCOMPARE(document.photos[0].displayImage.cacheKey(), old.cacheKey());
    }

    void boundsTheDisplaySize_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<qreal>("factor");
        QTest::addColumn<QSize>("scaled");
        QTest::newRow("half") << QSize(1000, 500) << 0.5 << QSize(500, 250);
        QTest::newRow("sides round to nearest") << QSize(3, 5) << 0.5 << QSize(2, 3);
        QTest::newRow("a side under one pixel") << QSize(1000, 1) << 0.4 << QSize();
        QTest::newRow("just at the bound") << QSize(4096, 4096) << 1.0 << QSize(4096, 4096);
        QTest::newRow("a pixel row beyond it") << QSize(4096, 4097) << 1.0 << QSize();
        QTest::newRow("no factor") << QSize(10, 10) << 0.0 << QSize();
    }

    void boundsTheDisplaySize()
    {
        QFETCH(QSize, source);
        QFETCH(qreal, factor);
        QFETCH(QSize, scaled);
        const std::optional<QSize> result = scaledPhotoSize(source, factor, 4096 * 4096);
        QCOMPARE(result.value_or(QSize()), scaled);
    }

    // The bound grows with the canvas, but not without end and not below a useful floor.
    void displayBoundFollowsTheCanvas()
    {
        const qint64 screen = maxDisplayPixels(QSizeF(1920, 1080));
        const qint64 large = maxDisplayPixels(QSizeF(5120, 2880));
        const qint64 huge = maxDisplayPixels(QSizeF(32000, 32000));
        QVERIFY(screen >= 1920 * 1080 * 4);
        QVERIFY(large >= qint64(5120) * 2880 * 4);
        QVERIFY(huge < qint64(32000) * 32000);
        QVERIFY(maxDisplayPixels(QSizeF(1, 1)) >= 4096 * 4096);
    }

    // Rows the file lacks must be black, not whatever the memory held before: the
    // freed image of the same size is likely to be handed out again for the read.
    void truncatedFileLeavesNoStalePixels()
    {
        {
            QImage dirty(64, 64, QImage::Format_RGB32);
            dirty.fill(qRgb(0xab, 0xcd, 0xef));
        }
        const QImage image = readPhotoFile(TestSupport::dataPath("extreme/truncated_64x64.bmp"));
        QCOMPARE(image.size(), QSize(64, 64));
        // The file holds the bottom eight rows only.
        for (int y = 0; y < 64; ++y) {
            const QRgb expected = y >= 56 ? qRgb(0xe0, 0x40, 0x20) : qRgb(0, 0, 0);
            for (int x = 0; x < 64; ++x) {
                if (image.pixel(x, y) != expected)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3")
                                         .arg(x)
                                         .arg(y)
                                         .arg(image.pixel(x, y), 8, 16)));
            }
        }
    }

    void headerAboveTheLimitIsRefused()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("huge.bmp")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        // 20000 x 20000 at four bytes a pixel: 1.6 GB.
        file.write(bmpHeader(20000, 20000, 32) + QByteArray(64, '\x10'));
        file.close();
        QVERIFY(readPhotoFile(file.fileName()).isNull());
    }
};

QUILTRA_TEST_MAIN(TestPhotoReader)
#include "tst_photoreader.moc"
