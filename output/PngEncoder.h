#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <memory>

struct z_stream_s;

class QIODevice;

// Writes a PNG image of 8-bit RGB, or RGBA with straight (not premultiplied) alpha, on
// every core. Each row is filtered the way libpng does by default, and the filtered rows
// are deflated in bands on the thread pool. Every band starts from the end of the band
// before it as its dictionary, so the bands join into one zlib stream that compresses
// almost as well as a single one. Rows may arrive in several batches: an image too big
// to hold whole can be written while it is being drawn.
class PngEncoder
{
public:
    // zlib's default, and what the toolkit's writer uses unless told otherwise.
    static constexpr int kDefaultLevel = 6;

    // Writes nothing yet; the header goes out with the first rows.
    PngEncoder(QIODevice *device, const QSize &size, bool alpha, int level = kDefaultLevel);
    ~PngEncoder();
    PngEncoder(const PngEncoder &) = delete;
    PngEncoder &operator=(const PngEncoder &) = delete;

    // Encodes the next rows.height() rows of the image, top to bottom; the first rows given
    // also give the file its resolution. rows must be as wide
    // as the image; alpha is dropped from rows when the file has none. False once a write
    // failed or when rows would reach past the image's last row.
    bool addRows(const QImage &rows);
    // Whether every row has been written and the stream ended.
    bool isComplete() const { return m_nextRow == m_size.height() && m_error.isEmpty(); }
    QString errorString() const { return m_error; }

    // Whether image can go through this encoder without losing precision: formats with at
    // most eight bits per channel.
    static bool handles(const QImage &image);
    // image whole, RGB when it is opaque and RGBA otherwise.
    static bool write(const QImage &image, QIODevice *device, QString *errorString = nullptr,
                      int level = kDefaultLevel);

private:
    struct Band;

    bool writeHeader(const QImage &rows);
    bool writeChunk(const char type[4], const QByteArray &data);
    bool fail(const QString &message);
    // Filters and deflates rows [first, first + count) of rows, which start at image row
    // m_nextRow, into bands and writes them.
    bool encodeGroup(const QImage &rows, int first, int count);
    // Deflates band through the sequential stream, opening it when none is open, and
    // appends what comes out to out.
    bool deflateSequentially(Band &band, QByteArray &out);
    // Ends the sequential stream, if one is open, on a byte boundary so a band deflated on
    // its own can follow.
    bool endSequentialStream(QByteArray &out);
    int runSequential(const QByteArray &input, int flush, QByteArray &out);

    QIODevice *m_device;
    QSize m_size;
    bool m_alpha;
    int m_level;
    qsizetype m_rowBytes = 0;
    int m_nextRow = 0;
    // The last row given, unfiltered, and the end of the filtered data: what the next rows
    // are filtered against and the next band's dictionary.
    QByteArray m_previousRow;
    QByteArray m_window;
    quint32 m_adler = 1;
    bool m_headerWritten = false;
    std::unique_ptr<z_stream_s> m_sequential;
    QString m_error;
};
