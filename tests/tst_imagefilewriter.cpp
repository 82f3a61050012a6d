#include "ImageFileWriter.h"
#include "KXGlobal.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// Colours, a gradient and a transparent corner: enough for every format to show whether
// it kept what matters.
QImage sampleImage(const QSize &size = QSize(64, 48))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, x < 8 && y < 8 ? 0 : qRgba(x * 4 % 256, y * 5 % 256, 128, 255));
    }
    return image;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestImageFileWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Progressive JPEG frames start with SOF2; lossy WebP carries a "VP8 " chunk.
    void writesFormatBySuffix_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArrayList>("markers");
        QTest::addColumn<bool>("keepsAlpha");
        // clang-format off
        QTest::newRow("png") << "collage.png" << QByteArrayList{"\x89PNG", "IDAT"} << true;
        QTest::newRow("jpeg progressive") << "collage.jpg" << QByteArrayList{"\xff\xd8", "\xff\xc2"} << false;
        QTest::newRow("tiff") << "collage.tiff" << QByteArrayList{"II*"} << true;
        QTest::newRow("webp lossy") << "collage.webp" << QByteArrayList{"RIFF", "VP8 "} << true;
        QTest::newRow("upper-case gif") << "collage.GIF" << QByteArrayList{"GIF89a"} << false;
        QTest::newRow("last suffix counts") << "collage.gif.png" << QByteArrayList{"\x89PNG"} << true;
        // clang-format on
    }

    void writesFormatBySuffix()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArrayList, markers);
        QFETCH(bool, keepsAlpha);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        ImageFileWriter writer(path);
        QVERIFY2(writer.write(sampleImage()), qPrintable(writer.errorString()));
        const QByteArray bytes = readAll(path);
        QVERIFY(bytes.startsWith(markers.first()));
        QVERIFY(bytes.contains(markers.last()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{fileName});
        const QImage back(path);
        QCOMPARE(back.size(), QSize(64, 48));
        QCOMPARE(qAlpha(back.pixel(2, 2)), keepsAlpha ? 0 : 255);
        // 40 * 4 and 30 * 5, within what lossy formats lose.
        QVERIFY(qAbs(qRed(back.pixel(40, 30)) - 160) < 12);
        QVERIFY(qAbs(qGreen(back.pixel(40, 30)) - 150) < 12);
    }

    // Whatever fails, the file that was there keeps its bytes and no other file is left.
    // A file size limit fails writes the way a full disk does; -1 makes the folder read-only.
    void failureLeavesExistingFileAlone_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("limit");
        const QSize small(8, 8), large(400, 300);
        // clang-format off
        QTest::newRow("no suffix") << "collage" << small << "suffix" << 0;
        QTest::newRow("dot only in a folder") << "my.pictures/collage" << small << "suffix" << 0;
        QTest::newRow("unknown suffix") << "collage.xyz" << small << ".xyz" << 0;
        QTest::newRow("webp too wide") << "collage.webp" << QSize(16384, 2) << "16383" << 0;
        QTest::newRow("webp too high") << "collage.WEBP" << QSize(2, 16384) << "16383" << 0;
        QTest::newRow("gif too wide") << "collage.gif" << QSize(70000, 1) << "65535" << 0;
        QTest::newRow("read-only folder") << "collage.png" << small << "created" << -1;
        QTest::newRow("gif in read-only folder") << "collage.gif" << small << "created" << -1;
        QTest::newRow("disk full at the end, png") << "collage.png" << QSize(64, 48) << "written" << 200;
        QTest::newRow("disk full on the way, tiff") << "collage.tiff" << large << "written" << 4096;
        QTest::newRow("disk full on the way, gif") << "collage.gif" << large << "written" << 4096;
        // clang-format on
    }

    void failureLeavesExistingFileAlone()
    {
        QFETCH(QString, fileName);
        QFETCH(QSize, size);
        QFETCH(QString, reason);
        QFETCH(int, limit);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        const QString folder = QFileInfo(path).path();
        QVERIFY(QDir().mkpath(folder) && writeBytes(path, "before"));
        const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);
#ifdef Q_OS_UNIX
        if (limit < 0 && geteuid() == 0)
            QSKIP("the superuser may write into a read-only folder");
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit oldLimit;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
        rlimit newLimit = oldLimit;
        newLimit.rlim_cur = limit > 0 ? rlim_t(limit) : oldLimit.rlim_cur;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &newLimit), 0);
#else
        if (limit > 0)
            QSKIP("needs a file size limit");
#endif
        if (limit < 0)
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        ImageFileWriter writer(path);
        const bool written = writer.write(sampleImage(size));
#ifdef Q_OS_UNIX
        setrlimit(RLIMIT_FSIZE, &oldLimit);
        std::signal(SIGXFSZ, oldSignal);
#endif
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
        QVERIFY2(writer.errorString().contains(reason), qPrintable(writer.errorString()));
        QCOMPARE(readAll(path), QByteArray("before"));
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    // The GIF writer writes GIF whatever the name says, and refuses a null image.
    void globalGifWriter()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("collage.png"));
        QVERIFY(KXGlobal().writeGif(sampleImage(), path));
        QVERIFY(readAll(path).startsWith("GIF89a"));
        QString reason;
        QVERIFY(!KXGlobal().writeGif(QImage(), path, &reason));
        QVERIFY(!reason.isEmpty());
        QVERIFY(readAll(path).startsWith("GIF89a"));
    }
};

QUILTRA_TEST_MAIN(TestImageFileWriter)
#include "tst_imagefilewriter.moc"
