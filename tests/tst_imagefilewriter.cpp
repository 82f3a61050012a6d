#include "ImageFileWriter.h"
#include "KXGlobal.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
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
    void writesFormatBySuffix_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<QByteArray>("marker");
        QTest::addColumn<bool>("keepsAlpha");
        // Progressive JPEG frames start with SOF2; lossy WebP carries a "VP8 " chunk.
        // clang-format off
        QTest::newRow("png") << "collage.png" << QByteArray("\x89PNG") << QByteArray("IDAT") << true;
        QTest::newRow("jpeg progressive")
            << "collage.jpg" << QByteArray("\xff\xd8") << QByteArray("\xff\xc2") << false;
        QTest::newRow("tiff") << "collage.tiff" << QByteArray("II*") << QByteArray() << true;
        QTest::newRow("webp lossy")
            << "collage.webp" << QByteArray("RIFF") << QByteArray("VP8 ") << true;
        QTest::newRow("upper-case gif")
            << "collage.GIF" << QByteArray("GIF89a") << QByteArray() << false;
        QTest::newRow("last suffix counts")
            << "collage.gif.png" << QByteArray("\x89PNG") << QByteArray() << true;
        // clang-format on
    }

    void writesFormatBySuffix()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, magic);
        QFETCH(QByteArray, marker);
        QFETCH(bool, keepsAlpha);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        ImageFileWriter writer(path);
        QVERIFY2(writer.write(sampleImage()), qPrintable(writer.errorString()));
        const QByteArray bytes = readAll(path);
        QVERIFY(bytes.startsWith(magic) && bytes.contains(marker));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{fileName});

        const QImage back(path);
        QCOMPARE(back.size(), QSize(64, 48));
        if (keepsAlpha)
            QCOMPARE(qAlpha(back.pixel(2, 2)), 0);
        // 40 * 4 and 30 * 5, within what lossy formats lose.
        QVERIFY(qAbs(qRed(back.pixel(40, 30)) - 160) < 12);
        QVERIFY(qAbs(qGreen(back.pixel(40, 30)) - 150) < 12);
    }

    // Whatever fails, the file that was there keeps its bytes and no other file is left.
    void failureLeavesExistingFileAlone_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("fileSizeLimit");
        const QSize small(8, 8);
        // clang-format off
        QTest::newRow("no suffix") << "collage" << small << false << "suffix" << 0;
        QTest::newRow("dot only in a folder") << "my.pictures/collage" << small << false << "suffix" << 0;
        QTest::newRow("unknown suffix") << "collage.xyz" << small << false << ".xyz" << 0;
        QTest::newRow("webp too wide") << "collage.webp" << QSize(16384, 2) << false << "16383" << 0;
        QTest::newRow("webp too high") << "collage.WEBP" << QSize(2, 16384) << false << "16383" << 0;
        QTest::newRow("gif too wide") << "collage.gif" << QSize(70000, 1) << false << "65535" << 0;
        QTest::newRow("read-only folder") << "collage.png" << small << true << "created" << 0;
        QTest::newRow("gif in read-only folder") << "collage.gif" << small << true << "created" << 0;
#ifdef Q_OS_UNIX
        // A file size limit fails writes the way a full disk does.
        QTest::newRow("disk full at the end, png") << "collage.png" << QSize(64, 48) << false << "written" << 200;
        QTest::newRow("disk full on the way, tiff") << "collage.tiff" << QSize(400, 300) << false << "written" << 4096;
        QTest::newRow("disk full on the way, gif") << "collage.gif" << QSize(400, 300) << false << "written" << 4096;
#endif
        // clang-format on
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
        const QString folder = QFileInfo(path).path();
        QVERIFY(QDir().mkpath(folder) && writeBytes(path, "before"));
        const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);
        if (readOnlyFolder)
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));

        ImageFileWriter writer(path);
#ifdef Q_OS_UNIX
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit oldLimit;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
        rlimit limit = oldLimit;
        if (fileSizeLimit > 0)
            limit.rlim_cur = rlim_t(fileSizeLimit);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
#endif
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

#ifdef Q_OS_UNIX
    // A new file is as readable as any other the user makes; an existing one keeps its mode.
    void filePermissions_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("oldMode");
        QTest::addColumn<int>("mode");
        QTest::newRow("new png") << "a.png" << 0 << 0644;
        QTest::newRow("new gif") << "a.gif" << 0 << 0644;
        QTest::newRow("replaced gif keeps its mode") << "b.gif" << 0640 << 0640;
    }

    void filePermissions()
    {
        QFETCH(QString, fileName);
        QFETCH(int, oldMode);
        QFETCH(int, mode);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        const QByteArray name = QFile::encodeName(path);
        if (oldMode)
            QVERIFY(writeBytes(path, "old") && ::chmod(name.constData(), mode_t(oldMode)) == 0);
        const mode_t oldMask = ::umask(022);
        const bool written = ImageFileWriter(path).write(sampleImage());
        ::umask(oldMask);
        QVERIFY(written);
        struct stat info;
        QCOMPARE(::stat(name.constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), mode);
    }
#endif

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
