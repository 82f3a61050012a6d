#include "CollageState.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QPainter>

class TestPhotoReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { CollageState::reset(); }

    // Files a reader accepts whose display image, fitted to a frame, would take gigabytes or be
    // narrower than a pixel: the slot keeps what it had.
    void extremePhotosAreRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<bool>("readable");
        const QRectF wide(140, 140, 520, 300);
        QTest::newRow("JPEG of 1 x 16385") << "tall_1x16385.jpg" << wide << true;
        QTest::newRow("BMP of 32 x 1000000") << "tall_32x1000000.bmp" << wide << true;
        QTest::newRow("GIF stretched to 40 x 32767") << "stretched_40x32767.gif" << wide << true;
        QTest::newRow("JPEG of 1 x 16385, tall frame")
            << "tall_1x16385.jpg" << wide.transposed() << true;
        // The reader is handed an image it does not allocate itself, so the size limit must be
        // checked before: 1.6 GB announced by a header alone.
        QTest::newRow("BMP header of 20000 x 20000") << "huge_20000x20000.bmp" << wide << false;
    }

    void extremePhotosAreRefused()
    {
        QFETCH(QString, file);
        QFETCH(QRectF, frame);
        QFETCH(bool, readable);
        CollageDocument &document = CollageState::instance().document;
        document.frameRects = {frame};
        const QImage old(QSize(30, 20), QImage::Format_RGB32);
        document.photos[0] = PhotoFrame{"old.jpg", old, old, old.size(), {1, 2}, 1.0f, 0.0f};
        const QString path = TestSupport::dataPath("extreme/" + file);
        const QImage image = readPhotoFile(path);
        QCOMPARE(!image.isNull(), readable);
        QVERIFY(!placePhoto(0, path, image));
        QCOMPARE(document.photos[0].filePath, QStringLiteral("old.jpg"));
        QCOMPARE(document.photos[0].displayImage.cacheKey(), old.cacheKey());
    }

    // Rows the file lacks are black, not whatever the memory held: a freed image of the same size
    // is likely to be handed out again for the read.
    void truncatedFileLeavesNoStalePixels()
    {
        QImage(64, 64, QImage::Format_RGB32).fill(qRgb(0xab, 0xcd, 0xef));
        const QImage image = readPhotoFile(TestSupport::dataPath("extreme/truncated_64x64.bmp"));
        QCOMPARE(image.size(), QSize(64, 64));
        QImage expected(64, 64, QImage::Format_RGB32);
        expected.fill(Qt::black);
        // The file holds the bottom eight rows only.
        QPainter(&expected).fillRect(0, 56, 64, 8, QColor(0xe0, 0x40, 0x20));
        QCOMPARE(image.convertToFormat(QImage::Format_RGB32), expected);
    }
};

QUILTRA_TEST_MAIN(TestPhotoReader)
#include "tst_photoreader.moc"
