#include "PngEncoder.h"

#include "OpaqueImage.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <zlib.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PngEncoder", text);
}

// Filtered bytes per band: large enough that the seams cost next to nothing, small enough
// that both cores stay busy on a small image and a batch's buffers stay small on a poster.
constexpr qsizetype kBandBytes = qsizetype(1) << 20;
// Bands handled at once per worker: the memory a batch holds beside the image.
constexpr int kBandsPerWorker = 4;
// deflate looks back this far, so this much of what came before primes the next band.
constexpr qsizetype kWindowBytes = qsizetype(32) << 10;
// A band that deflates to less than this goes through the sequential stream instead. A
// seam costs some 40 bytes; the toolkit's writer spends 12 on each 8 KiB chunk, so bands
// this large keep the file no larger than its.
constexpr qsizetype kSequentialBelow = qsizetype(128) << 10;

enum Filter : uchar
{
    None = 0,
    Sub = 1,
    Up = 2,
    Average = 3,
    Paeth = 4
};

void putBigEndian(uchar *out, quint32 value)
{
    out[0] = uchar(value >> 24);
    out[1] = uchar(value >> 16);
    out[2] = uchar(value >> 8);
    out[3] = uchar(value);
}

bool isDirectFormat(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

// One row of 32-bit ARGB pixels with straight alpha as RGB or RGBA bytes.
void packRow(const QRgb *pixels, int width, bool alpha, uchar *out)
{
    if (alpha) {
        for (int x = 0; x < width; ++x, out += 4) {
            out[0] = uchar(qRed(pixels[x]));
            out[1] = uchar(qGreen(pixels[x]));
            out[2] = uchar(qBlue(pixels[x]));
            out[3] = uchar(qAlpha(pixels[x]));
        }
        return;
    }
    for (int x = 0; x < width; ++x, out += 3) {
        out[0] = uchar(qRed(pixels[x]));
        out[1] = uchar(qGreen(pixels[x]));
        out[2] = uchar(qBlue(pixels[x]));
    }
}

// Whether any of rows [first, end) of a 32-bit ARGB image is less than opaque, looked at
// in place.
bool hasTranslucentRow(const QImage &image, int first, int end)
{
    return !isOpaque(QImage(image.constScanLine(first), image.width(), end - first,
                            image.bytesPerLine(), image.format()));
}

// The byte as a signed difference, the way libpng weighs a filtered row.
inline unsigned weight(uchar value)
{
    return value < 128 ? value : 256u - value;
}

inline uchar paethPredictor(int left, int up, int upLeft)
{
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft)
        return uchar(left);
    return uchar(toUp <= toUpLeft ? up : upLeft);
}

// Writes row filtered against previous into out (the filter type byte, then the row):
// whichever of the five filters gives the smallest sum of weights, the first on a tie.
// scratch holds room for one candidate row.
void filterRow(const uchar *row, const uchar *previous, qsizetype length, int bpp, uchar *out,
               uchar *scratch)
{
    unsigned long best = 0;
    for (qsizetype i = 0; i < length; ++i)
        best += weight(row[i]);
    out[0] = None;
    std::memcpy(out + 1, row, size_t(length));

    auto consider = [&](Filter filter, auto &&predict) {
        unsigned long sum = 0;
        for (qsizetype i = 0; i < length && sum < best; ++i) {
            const uchar value = uchar(row[i] - predict(i));
            scratch[i] = value;
            sum += weight(value);
        }
        if (sum < best) {
            best = sum;
            out[0] = filter;
            std::memcpy(out + 1, scratch, size_t(length));
        }
    };
    consider(Sub, [&](qsizetype i) { return i >= bpp ? row[i - bpp] : 0; });
    consider(Up, [&](qsizetype i) { return previous[i]; });
    consider(Average,
             [&](qsizetype i) { return uchar(((i >= bpp ? row[i - bpp] : 0) + previous[i]) / 2); });
    consider(Paeth, [&](qsizetype i) {
        return i >= bpp ? paethPredictor(row[i - bpp], previous[i], previous[i - bpp])
                        : paethPredictor(0, previous[i], 0);
    });
}

} // namespace

struct PngEncoder::Band
{
    // Rows of the batch image and whether the band holds the image's last row.
    int first = 0;
    int count = 0;
    bool last = false;
    QByteArray filtered;
    QByteArray dictionary;
    QByteArray compressed;
    // The band's last row unfiltered, for the rows that come after the batch.
    QByteArray lastRow;
    quint32 adler = 1;
    bool ok = false;
};

bool PngEncoder::deflateSequentially(Band &band, QByteArray &out)
{
    if (!m_sequential) {
        m_sequential = std::make_unique<z_stream>();
        if (deflateInit2(m_sequential.get(), m_level, Z_DEFLATED, -MAX_WBITS, 8, Z_FILTERED) !=
            Z_OK) {
            m_sequential.reset();
            return false;
        }
        if (!band.dictionary.isEmpty())
            deflateSetDictionary(m_sequential.get(),
                                 reinterpret_cast<const Bytef *>(band.dictionary.constData()),
                                 uInt(band.dictionary.size()));
    }
    const int result = runSequential(band.filtered, band.last ? Z_FINISH : Z_NO_FLUSH, out);
    if (band.last) {
        deflateEnd(m_sequential.get());
        m_sequential.reset();
        return result == Z_STREAM_END;
    }
    return result == Z_OK || result == Z_BUF_ERROR;
}

bool PngEncoder::endSequentialStream(QByteArray &out)
{
    if (!m_sequential)
        return true;
    const int result = runSequential(QByteArray(), Z_SYNC_FLUSH, out);
    deflateEnd(m_sequential.get());
    m_sequential.reset();
    return result == Z_OK || result == Z_BUF_ERROR;
}

int PngEncoder::runSequential(const QByteArray &input, int flush, QByteArray &out)
{
    z_stream &stream = *m_sequential;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.constData()));
    stream.avail_in = uInt(input.size());
    int result = Z_OK;
    do {
        const qsizetype start = out.size();
        const qsizetype room = std::max<qsizetype>(qsizetype(64) << 10, input.size() / 4);
        out.resize(start + room);
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + start);
        stream.avail_out = uInt(room);
        result = deflate(&stream, flush);
        out.resize(start + room - qsizetype(stream.avail_out));
        if (result == Z_STREAM_ERROR)
            return result;
    } while (stream.avail_out == 0 || stream.avail_in > 0);
    return result;
}

PngEncoder::~PngEncoder()
{
    if (m_sequential)
        deflateEnd(m_sequential.get());
}

PngEncoder::PngEncoder(QIODevice *device, const QSize &size, bool alpha, int level)
    : m_device(device), m_size(size), m_alpha(alpha),
      m_level(level < 0 || level > 9 ? kDefaultLevel : level)
{
    m_rowBytes = qsizetype(std::max(0, size.width())) * (alpha ? 4 : 3);
}

bool PngEncoder::handles(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return true;
    default:
        return false;
    }
}

bool PngEncoder::write(const QImage &image, QIODevice *device, QString *errorString, int level)
{
    PngEncoder encoder(device, image.size(), !isOpaque(image), level);
    if (encoder.addRows(image) && encoder.isComplete())
        return true;
    if (errorString)
        *errorString = encoder.errorString();
    return false;
}

bool PngEncoder::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
    return false;
}

bool PngEncoder::writeChunk(const char type[4], const QByteArray &data)
{
    uchar head[8];
    putBigEndian(head, quint32(data.size()));
    std::memcpy(head + 4, type, 4);
    quint32 crc = quint32(crc32(0L, head + 4, 4));
    // crc32 takes at most 4 GiB at once; a chunk never comes near that.
    crc = quint32(crc32(crc, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
    uchar tail[4];
    putBigEndian(tail, crc);
    if (m_device->write(reinterpret_cast<const char *>(head), 8) != 8 ||
        m_device->write(data) != data.size() ||
        m_device->write(reinterpret_cast<const char *>(tail), 4) != 4) {
        return fail(tr("The file could not be written: %1").arg(m_device->errorString()));
    }
    return true;
}

bool PngEncoder::writeHeader(const QImage &rows)
{
    static const char signature[] = "\x89PNG\r\n\x1a\n";
    if (m_device->write(signature, 8) != 8)
        return fail(tr("The file could not be written: %1").arg(m_device->errorString()));
    QByteArray header(13, '\0');
    auto *bytes = reinterpret_cast<uchar *>(header.data());
    putBigEndian(bytes, quint32(m_size.width()));
    putBigEndian(bytes + 4, quint32(m_size.height()));
    bytes[8] = 8;               // bits per channel
    bytes[9] = m_alpha ? 6 : 2; // RGBA or RGB
    if (!writeChunk("IHDR", header))
        return false;
    if (rows.dotsPerMeterX() > 0 && rows.dotsPerMeterY() > 0) {
        QByteArray physical(9, '\0');
        auto *data = reinterpret_cast<uchar *>(physical.data());
        putBigEndian(data, quint32(rows.dotsPerMeterX()));
        putBigEndian(data + 4, quint32(rows.dotsPerMeterY()));
        data[8] = 1; // metres
        if (!writeChunk("pHYs", physical))
            return false;
    }
    m_headerWritten = true;
    return true;
}

bool PngEncoder::addRows(const QImage &rows)
{
    if (!m_error.isEmpty())
        return false;
    if (rows.height() == 0 && rows.width() == m_size.width())
        return true;
    if (m_size.isEmpty() || rows.width() != m_size.width() ||
        rows.height() > m_size.height() - m_nextRow || !handles(rows)) {
        return fail(tr("The image could not be encoded as PNG."));
    }
    if (!m_headerWritten && !writeHeader(rows))
        return false;
    const int workers = std::max(1, QThread::idealThreadCount());
    const qsizetype bandRows = std::max<qsizetype>(1, kBandBytes / (m_rowBytes + 1));
    const int groupRows =
        int(std::min<qsizetype>(rows.height(), bandRows * workers * kBandsPerWorker));
    for (int first = 0; first < rows.height(); first += groupRows) {
        if (!encodeGroup(rows, first, std::min(groupRows, rows.height() - first)))
            return false;
    }
    if (m_nextRow == m_size.height() && !writeChunk("IEND", QByteArray()))
        return false;
    return true;
}

bool PngEncoder::encodeGroup(const QImage &rows, int first, int count)
{
    const int width = m_size.width();
    const int bpp = m_alpha ? 4 : 3;
    const qsizetype filteredRow = m_rowBytes + 1;
    const int bandRows = int(std::max<qsizetype>(1, kBandBytes / filteredRow));
    const bool endsImage = m_nextRow + count == m_size.height();
    const bool premultiplied = rows.format() == QImage::Format_ARGB32_Premultiplied;

    std::vector<Band> bands;
    for (int top = first; top < first + count; top += bandRows) {
        Band band;
        band.first = top;
        band.count = std::min(bandRows, first + count - top);
        band.last = endsImage && top + band.count == first + count;
        bands.push_back(band);
    }

    // The first row of the image is filtered against a row of zeros.
    const QByteArray batchPrevious =
        m_previousRow.isEmpty() ? QByteArray(m_rowBytes, '\0') : m_previousRow;
    auto filterBand = [&](Band &band) {
        // Other formats are brought to 32-bit ARGB one band at a time, with the row before.
        // Premultiplied pixels that are not opaque go through the toolkit's conversion,
        // so they come out as its writer would write them, rounding included.
        const int from = band.first > first ? band.first - 1 : band.first;
        const int end = band.first + band.count;
        const bool direct =
            isDirectFormat(rows.format()) && !(premultiplied && hasTranslucentRow(rows, from, end));
        QImage converted;
        if (!direct) {
            converted =
                rows.copy(0, from, width, end - from).convertToFormat(QImage::Format_ARGB32);
            if (converted.isNull())
                return;
        }
        auto line = [&](int y) {
            return reinterpret_cast<const QRgb *>(direct ? rows.constScanLine(y)
                                                         : converted.constScanLine(y - from));
        };
        QByteArray previous(m_rowBytes, '\0');
        QByteArray current(m_rowBytes, '\0');
        QByteArray scratch(m_rowBytes, '\0');
        if (band.first > first)
            packRow(line(band.first - 1), width, m_alpha,
                    reinterpret_cast<uchar *>(previous.data()));
        else
            previous = batchPrevious;
        band.filtered.resize(filteredRow * band.count);
        auto *out = reinterpret_cast<uchar *>(band.filtered.data());
        for (int y = band.first; y < band.first + band.count; ++y, out += filteredRow) {
            packRow(line(y), width, m_alpha, reinterpret_cast<uchar *>(current.data()));
            filterRow(reinterpret_cast<const uchar *>(current.constData()),
                      reinterpret_cast<const uchar *>(previous.constData()), m_rowBytes, bpp, out,
                      reinterpret_cast<uchar *>(scratch.data()));
            previous.swap(current);
        }
        band.lastRow = previous;
        band.adler = quint32(adler32(1L, reinterpret_cast<const Bytef *>(band.filtered.constData()),
                                     uInt(band.filtered.size())));
        band.ok = true;
    };
    QtConcurrent::blockingMap(bands, filterBand);
    if (!std::all_of(bands.begin(), bands.end(), [](const Band &band) { return band.ok; }))
        return fail(tr("There is not enough memory to encode the image."));

    // Each band's dictionary is what the decoder will have seen just before it: the end of
    // the bands before, and of the batches before when those are too short.
    auto dataBefore = [&](size_t end) {
        QByteArray tail;
        qsizetype wanted = kWindowBytes;
        for (size_t i = end; i > 0 && wanted > 0; --i) {
            const QByteArray &filtered = bands[i - 1].filtered;
            tail.prepend(filtered.right(std::min(wanted, filtered.size())));
            wanted -= std::min(wanted, filtered.size());
        }
        if (wanted > 0)
            tail.prepend(m_window.right(std::min(wanted, m_window.size())));
        return tail;
    };
    for (size_t i = 0; i < bands.size(); ++i)
        bands[i].dictionary = dataBefore(i);
    const QByteArray window = dataBefore(bands.size());

    const int level = m_level;
    auto deflateBand = [level](Band &band) {
        band.ok = false;
        z_stream stream{};
        if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_FILTERED) != Z_OK)
            return;
        if (!band.dictionary.isEmpty())
            deflateSetDictionary(&stream,
                                 reinterpret_cast<const Bytef *>(band.dictionary.constData()),
                                 uInt(band.dictionary.size()));
        // A sync flush adds an empty stored block; the bound leaves room for it.
        band.compressed.resize(qsizetype(deflateBound(&stream, uLong(band.filtered.size()))) + 64);
        stream.next_in = reinterpret_cast<Bytef *>(band.filtered.data());
        stream.avail_in = uInt(band.filtered.size());
        stream.next_out = reinterpret_cast<Bytef *>(band.compressed.data());
        stream.avail_out = uInt(band.compressed.size());
        const int result = deflate(&stream, band.last ? Z_FINISH : Z_SYNC_FLUSH);
        const bool done = band.last
                              ? result == Z_STREAM_END
                              : result == Z_OK && stream.avail_in == 0 && stream.avail_out > 0;
        band.compressed.resize(qsizetype(stream.total_out));
        deflateEnd(&stream);
        band.ok = done;
    };
    QtConcurrent::blockingMap(bands, deflateBand);
    if (!std::all_of(bands.begin(), bands.end(), [](const Band &band) { return band.ok; }))
        return fail(tr("The image could not be compressed."));

    QByteArray data;
    if (m_nextRow == 0) {
        // The zlib header: deflate with a 32 KiB window, and the level class it says.
        const int levelClass = m_level < 2 ? 0 : m_level < 6 ? 1 : m_level == 6 ? 2 : 3;
        const int flags = levelClass << 6;
        data.append(char(0x78));
        data.append(char(flags + (31 - (0x78 * 256 + flags) % 31) % 31));
    }
    for (Band &band : bands) {
        // Each seam between bands costs a new block and its code tables. Where a band
        // shrinks to almost nothing (flat colour) that would make the file larger than a
        // single stream, so such bands go through one stream that runs on across them:
        // deflating them again costs little, as they are the fast ones.
        if (band.compressed.size() < kSequentialBelow) {
            if (!deflateSequentially(band, data))
                return fail(tr("The image could not be compressed."));
        } else {
            if (!endSequentialStream(data))
                return fail(tr("The image could not be compressed."));
            data.append(band.compressed);
        }
        band.compressed = QByteArray();
        band.filtered = QByteArray();
        band.dictionary = QByteArray();
        m_adler = quint32(adler32_combine(m_adler, band.adler, z_off_t(filteredRow * band.count)));
        if (band.last) {
            uchar trailer[4];
            putBigEndian(trailer, m_adler);
            data.append(reinterpret_cast<const char *>(trailer), 4);
        }
    }
    if (!data.isEmpty() && !writeChunk("IDAT", data))
        return false;
    m_window = window;
    m_previousRow = bands.back().lastRow;
    m_nextRow += count;
    return true;
}
