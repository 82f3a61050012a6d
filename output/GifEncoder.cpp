#include "GifEncoder.h"

#include "ColorQuantizer.h"

#include <QCoreApplication>
#include <QIODevice>
#include <gif_lib.h>
#include <memory>
#include <vector>

namespace {

struct Sink
{
    QIODevice *device = nullptr;
    bool failed = false;
};

// giflib does not look at the result of every write it makes (the trailer's, for one),
// so a failure is also remembered here and checked at the end.
int writeToSink(GifFileType *gif, const GifByteType *data, int length)
{
    auto *sink = static_cast<Sink *>(gif->UserData);
    if (sink->failed)
        return 0;
    if (sink->device->write(reinterpret_cast<const char *>(data), length) != length) {
        sink->failed = true;
        return 0;
    }
    return length;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("GifEncoder", text);
}

bool fail(QString *errorString, const QString &reason)
{
    if (errorString)
        *errorString = reason;
    return false;
}

// An 8-bit indexed image with 1 to 256 colours is written as it is; a 1-bit image is
// widened to one byte per pixel with its own colours; anything else gets a palette.
QImage indexedCopy(const QImage &image)
{
    if (image.format() == QImage::Format_Indexed8 && image.colorCount() >= 1 &&
        image.colorCount() <= ColorQuantizer::kMaxColors)
        return image;
    if ((image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB) &&
        image.colorCount() >= 1)
        return image.convertToFormat(QImage::Format_Indexed8);
    return ColorQuantizer::toIndexed8(image);
}

} // namespace

bool GifEncoder::write(const QImage &image, QIODevice *device, QString *errorString)
{
    if (image.isNull())
        return fail(errorString, tr("There is no image to write."));
    if (image.width() > kMaxSide || image.height() > kMaxSide)
        return fail(errorString,
                    tr("A GIF image can be at most %1 pixels wide and high.").arg(kMaxSide));
    if (!device || !device->isWritable())
        return fail(errorString, tr("The file is not open for writing."));

    QImage indexed = indexedCopy(image);
    if (indexed.isNull())
        return fail(errorString, tr("There is not enough memory to reduce the colours."));

    const QList<QRgb> table = indexed.colorTable();
    const int bits = GifBitSize(int(table.size()));
    const int entries = 1 << bits;
    std::vector<GifColorType> colours(size_t(entries), GifColorType{0, 0, 0});
    for (qsizetype i = 0; i < table.size(); ++i)
        colours[size_t(i)] = {GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])),
                              GifByteType(qBlue(table[i]))};
    // giflib sizes the table in the header from BitsPerPixel: it must match ColorCount,
    // or the header promises more colours than follow.
    ColorMapObject colourMap{entries, bits, false, colours.data()};

    Sink sink{device, false};
    int openError = 0;
    GifFileType *opened = EGifOpen(&sink, writeToSink, &openError);
    if (!opened)
        return fail(errorString, tr("The GIF encoder could not be started."));
    auto closeGif = [](GifFileType *gif) { EGifCloseFile(gif, nullptr); };
    std::unique_ptr<GifFileType, decltype(closeGif)> gif(opened, closeGif);

    auto writeFailed = [&] {
        return fail(errorString,
                    tr("The file could not be written: %1").arg(device->errorString()));
    };
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), indexed.width(), indexed.height(), entries, 0, &colourMap) !=
            GIF_OK ||
        EGifPutImageDesc(gif.get(), 0, 0, indexed.width(), indexed.height(), false, &colourMap) !=
            GIF_OK)
        return writeFailed();

    // Rows are stored padded to 4 bytes; only width indices per row belong in the file.
    // giflib masks the indices in place, so the rows must be our own writable copy.
    for (int y = 0; y < indexed.height(); ++y) {
        if (EGifPutLine(gif.get(), indexed.scanLine(y), indexed.width()) != GIF_OK)
            return writeFailed();
    }

    int closeError = 0;
    const int closed = EGifCloseFile(gif.release(), &closeError);
    if (closed != GIF_OK || sink.failed)
        return writeFailed();
    return true;
}
