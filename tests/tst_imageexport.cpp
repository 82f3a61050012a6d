#include "CollageState.h"
#include "GifEncoder.h"
#include "ImageExportJob.h"
#include "ImageExportRunner.h"
#include "ImageFileWriter.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
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

// An indexed image using each of count colours, in stripes, with a table of exactly count
// entries whose colours are far apart.
QImage stripes(int count, int width = 61, int height = 40)
{
    QImage image(width, height, QImage::Format_Indexed8);
    for (int i = 0; i < count; ++i)
        image.setColor(i, qRgb((i * 37) % 256, (i * 91 + 13) % 256, 255 - i % 256));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.scanLine(y)[x] = uchar((x + y) % count);
    }
    return image;
}

QByteArray encode(const QImage &image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    GifEncoder::write(image, &buffer);
    return buffer.data();
}

QImage decode(const QByteArray &bytes)
{
    return QImage::fromData(bytes, "GIF").convertToFormat(QImage::Format_RGB32);
}

// The largest mean difference of one channel over area: where it is large, a band shows.
double meanShift(const QImage &a, const QImage &b, const QRect &area)
{
    double shifts[3] = {0, 0, 0};
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            shifts[0] += qRed(p) - qRed(q);
            shifts[1] += qGreen(p) - qGreen(q);
            shifts[2] += qBlue(p) - qBlue(q);
        }
    }
    return std::max({std::abs(shifts[0]), std::abs(shifts[1]), std::abs(shifts[2])}) /
           area.width() / area.height();
}

// Refuses every byte past its room, like a disk that fills up.
struct FillingDevice : QIODevice
{
    explicit FillingDevice(qint64 room) : room(room) { open(QIODevice::WriteOnly); }
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 n) override { return (room -= n) < 0 ? -1 : n; }
    qint64 room;
};

// Noise compresses badly, so writing it as PNG takes a while even on a fast machine.
QImage noise(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    auto *pixels = reinterpret_cast<QRgb *>(image.bits());
    std::generate(pixels, pixels + qsizetype(side) * side, [seed = 99u]() mutable {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) | 0xff000000u;
    });
    return image;
}

// Closes the warning once it is up and keeps its text.
void answerWarning(QString *text)
{
    QTimer::singleShot(0, [text] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return answerWarning(text);
        *text = box->text();
        box->accept();
    });
}

} // namespace

class TestImageExport : public QObject
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
        QTest::newRow("no image") << "collage.gif" << QSize() << "no image" << 0;
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
        QFile old(path);
        QVERIFY(QDir().mkpath(folder) && old.open(QIODevice::WriteOnly) &&
                old.write("before") == 6);
        old.close();
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

    void writesTheImage_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("tableBits");
        QTest::newRow("256 colours") << stripes(256) << 8;
        QTest::newRow("200 colours") << stripes(200) << 8;
        QTest::newRow("3 colours") << stripes(3) << 2;
        QTest::newRow("1 colour") << stripes(1) << 1;
        // Rows are padded to 4 bytes in memory; a stray pad byte would shear the picture.
        QTest::newRow("1918 wide") << stripes(17, 1918, 6) << 5;
        QImage mono(37, 9, QImage::Format_Mono);
        mono.setColorTable({qRgb(200, 30, 40), qRgb(10, 220, 90)});
        for (int y = 0; y < mono.height(); ++y) {
            for (int x = 0; x < mono.width(); ++x)
                mono.setPixel(x, y, (x * y + x) % 3 == 0 ? 1 : 0);
        }
        QTest::newRow("1-bit with its colours") << mono << 1;
        // Alpha is dropped: each pixel keeps its own red, green and blue.
        QImage few(30, 20, QImage::Format_ARGB32);
        few.fill(qRgba(12, 34, 56, 0));
        for (int x = 0; x < 30; ++x)
            few.setPixel(x, x % 20, qRgba(250, 128, x, x * 8));
        QTest::newRow("true colour with 31 colours and alpha") << few << 5;
    }

    // The screen and the image carry the same table of 2^bits entries, an indexed image's
    // own colours padded with black, and the image follows the table at once: no
    // extension block in between.
    void writesTheImage()
    {
        QFETCH(QImage, image);
        QFETCH(int, tableBits);
        const QByteArray gif = encode(image);
        QVERIFY(gif.startsWith("GIF89a"));
        QCOMPARE(uchar(gif[10]) & 0x87, 0x80 | (tableBits - 1));
        const int entries = 1 << tableBits;
        for (int i = 0; i < entries && image.colorCount() > 0; ++i) {
            const char *entry = gif.constData() + 13 + 3 * i;
            QCOMPARE(qRgb(uchar(entry[0]), uchar(entry[1]), uchar(entry[2])),
                     i < image.colorCount() ? image.color(i) : qRgb(0, 0, 0));
        }
        QCOMPARE(gif[13 + 3 * entries], '\x2c');
        QCOMPARE(uchar(gif[13 + 3 * entries + 9]), 0x80 | (tableBits - 1));
        QCOMPARE(decode(gif), image.convertToFormat(QImage::Format_RGB32));
    }

    // Error diffusion keeps the average colour of every area, so smooth shading shows no
    // bands even where the palette has few colours near it: here random colours on the
    // right claim most of the palette.
    void diffusionKeepsLocalAverages()
    {
        QImage image(512, 128, QImage::Format_RGB32);
        quint32 seed = 12345;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                image.setPixel(x, y,
                               x < 256 ? qRgb(40 + x * 2 / 3, 40 + (x + 2 * y) / 3, 200 - y)
                                       : QRgb(seed >> 8));
            }
        }
        const QImage back = decode(encode(image));
        for (int block = 0; block < 32; ++block) {
            const QRect area(block % 8 * 32, block / 8 * 32, 32, 32);
            QVERIFY2(meanShift(image, back, area) < 2.0, qPrintable(QString::number(block)));
        }
    }

    void failureIsReported_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<qint64>("room");
        const qint64 whole = encode(stripes(3)).size();
        QTest::newRow("null image") << QImage() << qint64(1 << 20);
        QTest::newRow("full before the header") << stripes(3) << qint64(0);
        QTest::newRow("full in the colour table") << stripes(3) << qint64(15);
        QTest::newRow("full in the pixels") << stripes(3) << whole - 8;
        QTest::newRow("full before the trailer") << stripes(3) << whole - 1;
    }

    void failureIsReported()
    {
        QFETCH(QImage, image);
        QFETCH(qint64, room);
        FillingDevice device(room);
        QString reason;
        QVERIFY(!GifEncoder::write(image, &device, &reason));
        QVERIFY(!reason.isEmpty());
    }

    void init()
    {
        CollageState::reset();
    }

    // The warning says why; an old file and the clipboard stay as they were. A render that
    // could not be allocated arrives as a null image, for the file and for the clipboard.
    void failureWarnsAndNamesFileAndReason_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("reason");
        const QImage image(8, 8, QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("unknown suffix") << image << QStringLiteral("collage.xyz") << ".xyz";
        QTest::newRow("render failed")
            << QImage() << QStringLiteral("collage.png") << "1920 x 1080";
        QTest::newRow("render failed, clipboard") << QImage() << QString() << "1920 x 1080";
    }

    void failureWarnsAndNamesFileAndReason()
    {
        QFETCH(QImage, image);
        QFETCH(QString, fileName);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName.isEmpty() ? "old.png" : fileName);
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        QGuiApplication::clipboard()->setText(QStringLiteral("keep me"));
        QWidget window;
        ImageExportRunner runner(&window);
        QString warning;
        answerWarning(&warning);
        QVERIFY(fileName.isEmpty() ? !runner.copyToClipboard(image)
                                   : !runner.exportToFile(image, path));
        QVERIFY2(warning.contains(reason), qPrintable(warning));
        QVERIFY(fileName.isEmpty() || warning.contains(QDir::toNativeSeparators(path)));
        QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "old");
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("keep me"));
    }

    // A long export shows the modal dialog, and the window takes no input meanwhile: the
    // click lands while the worker runs, before or after the dialog is up.
    void longExportHoldsOffInput_data()
    {
        QTest::addColumn<int>("dialogDelay");
        QTest::addColumn<QString>("label");
        QTest::newRow("dialog at once") << 0 << QStringLiteral("Exporting…");
        QTest::newRow("before the dialog") << 60000 << QString();
    }

    void longExportHoldsOffInput()
    {
        QFETCH(int, dialogDelay);
        QFETCH(QString, label);
        QTemporaryDir dir;
        QWidget window;
        auto *button = new QPushButton(QStringLiteral("Edit"), &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicks(button, &QPushButton::clicked);
        ImageExportRunner runner(&window);
        runner.setDialogDelay(dialogDelay);
        QString shown;
        bool busy = false;
        QTimer::singleShot(50, [&] {
            auto *dialog = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
            shown = dialog && dialog->isModal() ? dialog->labelText() : QString();
            const QCursor *cursor = QApplication::overrideCursor();
            busy = cursor && cursor->shape() == Qt::WaitCursor;
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::keyClick(button, Qt::Key_Space);
        });
        const QString path = dir.filePath(QStringLiteral("big.png"));
        QVERIFY(runner.exportToFile(noise(1500), path));
        QCOMPARE(shown, label);
        QVERIFY(busy);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(QImage(path).size(), QSize(1500, 1500));
        // Afterwards the window answers again, and the dialog is gone.
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    // A job dropped while it works still finishes its file whole.
    void droppedJobFinishesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dropped.png"));
        {
            ImageExportJob job;
            QVERIFY(job.start(noise(800), path));
            QVERIFY(!job.start(noise(8), path));
        }
        QCOMPARE(QImage(path).size(), QSize(800, 800));
    }

    // The clipboard gets the collage as it is: the colour laid down, and transparency where
    // nothing was drawn.
    void clipboardHoldsTheCollage()
    {
        QImage collage(120, 80, QImage::Format_ARGB32_Premultiplied);
        collage.fill(Qt::transparent);
        collage.setPixel(60, 40, qRgba(200, 120, 90, 255));
        QVERIFY(ImageExportRunner(nullptr).copyToClipboard(collage));
        const QImage image = QGuiApplication::clipboard()->image();
        QUILTRA_COMPARE_PIXEL(image, QPoint(60, 40), QColor(200, 120, 90), 0);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    }
};

QUILTRA_TEST_MAIN(TestImageExport)
#include "tst_imageexport.moc"
