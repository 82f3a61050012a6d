#include "ImageFileWriter.h"
#include "KXGlobal.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Colours, a gradient and a half-transparent corner: enough for every format to show
// whether it kept what matters.
QImage sampleImage(const QSize &size = QSize(64, 48))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 4 % 256, y * 5 % 256, 128, 255));
    }
    for (int y = 0; y < 8 && y < image.height(); ++y) {
        for (int x = 0; x < 8 && x < image.width(); ++x)
            image.setPixelColor(x, y, QColor(0, 0, 0, 0));
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
    void writesFormatBySuffix_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<QByteArray>("marker");
        QTest::addColumn<bool>("keepsAlpha");
        // Progressive JPEG frames start with SOF2; lossy WebP carries a "VP8 " chunk.
        QTest::newRow("png keeps alpha")
            << "collage.png" << QByteArray("\x89PNG") << QByteArray("IDAT") << true;
        QTest::newRow("jpeg progressive")
            << "collage.jpg" << QByteArray("\xff\xd8") << QByteArray("\xff\xc2") << false;
        QTest::newRow("tiff") << "collage.tiff" << QByteArray("II*") << QByteArray() << true;
        QTest::newRow("webp lossy")
            << "collage.webp" << QByteArray("RIFF") << QByteArray("VP8 ") << true;
        QTest::newRow("upper-case gif")
            << "collage.GIF" << QByteArray("GIF89a") << QByteArray() << false;
        QTest::newRow("last suffix counts")
            << "collage.gif.png" << QByteArray("\x89PNG") << QByteArray() << true;
    }

    void writesFormatBySuffix()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, magic);
        QFETCH(QByteArray, marker);
        QFETCH(bool, keepsAlpha);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        const QImage image = sampleImage();

        ImageFileWriter writer(path);
        QVERIFY2(writer.write(image), qPrintable(writer.errorString()));
        const QByteArray bytes = readAll(path);
        QVERIFY(bytes.startsWith(magic));
        QVERIFY(marker.isEmpty() || bytes.contains(marker));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{fileName});

        const QImage back(path);
        QCOMPARE(back.size(), image.size());
        if (keepsAlpha)
            QCOMPARE(qAlpha(back.pixel(2, 2)), 0);
        QVERIFY(qAbs(qRed(back.pixel(40, 30)) - 160) < 12);
        QVERIFY(qAbs(qGreen(back.pixel(40, 30)) - 150) < 12);
    }

    void failureLeavesExistingFileAlone_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("fileSizeLimit");
        QTest::newRow("no suffix") << "collage" << QSize(8, 8) << false << "suffix" << 0;
        QTest::newRow("dot only in a folder")
            << "my.pictures/collage" << QSize(8, 8) << false << "suffix" << 0;
        QTest::newRow("unknown suffix") << "collage.xyz" << QSize(8, 8) << false << ".xyz" << 0;
        QTest::newRow("webp too wide")
            << "collage.webp" << QSize(16384, 2) << false << "16383" << 0;
        QTest::newRow("webp too high")
            << "collage.WEBP" << QSize(2, 16384) << false << "16383" << 0;
        QTest::newRow("read-only folder") << "collage.png" << QSize(8, 8) << true << "created" << 0;
        QTest::newRow("gif in read-only folder")
            << "collage.gif" << QSize(8, 8) << true << "created" << 0;
#ifdef Q_OS_UNIX
        // A file size limit fails writes the way a full disk does.
        QTest::newRow("disk full at the end, png")
            << "collage.png" << QSize(64, 48) << false << "written" << 200;
        QTest::newRow("disk full on the way, tiff")
            << "collage.tiff" << QSize(400, 300) << false << "written" << 4096;
        QTest::newRow("disk full on the way, gif")
            << "collage.gif" << QSize(400, 300) << false << "written" << 4096;
#endif
    }

    void failureLeavesExistingFileAlone()
    {
        QFETCH(QString, fileName);
        QFETCH(QSize, size);
        QFETCH(bool, readOnlyFolder);
        QFETCH(QString, reason);
        QFETCH(int, fileSizeLimit);
#ifdef Q_OS_UNIX
        if (readOnlyFolder && geteuid() == 0)
            QSKIP("the superuser may write into a read-only folder");
#endif
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        QVERIFY(QDir(dir.path()).mkpath(QFileInfo(path).path()));
        const QByteArray old("the picture that was here before");
        QVERIFY(writeBytes(path, old));
        const QString folder = QFileInfo(path).path();
        const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);
        if (readOnlyFolder)
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));

        ImageFileWriter writer(path);
#ifdef Q_OS_UNIX
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit oldLimit;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
        if (fileSizeLimit > 0) {
            rlimit limit = oldLimit;
            limit.rlim_cur = rlim_t(fileSizeLimit);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        }
#endif
        const bool written = writer.write(sampleImage(size));
#ifdef Q_OS_UNIX
        setrlimit(RLIMIT_FSIZE, &oldLimit);
        std::signal(SIGXFSZ, oldSignal);
#endif
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(!written);
        QVERIFY2(writer.errorString().contains(reason), qPrintable(writer.errorString()));
        QCOMPARE(readAll(path), old);
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    void refusesWithoutTouchingAnyFile_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QSize>("size");
        QTest::newRow("unknown suffix") << "new.xyz" << QSize(8, 8);
        QTest::newRow("webp too wide") << "new.webp" << QSize(20000, 2);
        QTest::newRow("gif too wide") << "new.gif" << QSize(70000, 1);
    }

    void refusesWithoutTouchingAnyFile()
    {
        QFETCH(QString, fileName);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        ImageFileWriter writer(dir.filePath(fileName));
        QVERIFY(!writer.checkBeforeWriting(size).isEmpty());
        QVERIFY(!writer.write(sampleImage(size)));
        QVERIFY(QDir(dir.path()).isEmpty());
    }

#ifdef Q_OS_UNIX
    // A new file is as readable as any other the user makes; an existing one keeps its mode.
    void filePermissions_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("mode");
        QTest::newRow("new png") << "a.png" << false << 0644;
        QTest::newRow("new gif") << "a.gif" << false << 0644;
        QTest::newRow("replaced gif keeps its mode") << "b.gif" << true << 0640;
    }

    void filePermissions()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, exists);
        QFETCH(int, mode);
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.filePath(fileName));
        if (exists) {
            QVERIFY(writeBytes(QString::fromLocal8Bit(path), "old"));
            QCOMPARE(::chmod(path.constData(), mode_t(mode)), 0);
        }
        const mode_t oldMask = ::umask(022);
        const bool written = ImageFileWriter(QString::fromLocal8Bit(path)).write(sampleImage());
        ::umask(oldMask);
        QVERIFY(written);
        struct stat info;
        QCOMPARE(::stat(path.constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), mode);
    }
#endif

    void globalGifWriter()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("collage.png"));
        QVERIFY(writeBytes(path, "old"));
        // The GIF writer writes GIF whatever the name says, and refuses a null image.
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
