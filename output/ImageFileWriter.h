#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

class QIODevice;

// Writes an image file whole or not at all. The image is encoded into a temporary file
// beside the target, which replaces the target only once everything was written; a
// failure leaves an existing file as it was and no temporary file behind. The format
// follows the file name's suffix: "gif" in any case goes to GifEncoder, every other
// suffix to the toolkit's writer for it (JPEG optimised and progressive).
class ImageFileWriter
{
public:
    explicit ImageFileWriter(const QString &filePath);

    // Overrides the suffix; lower-case format name as the toolkit's writers know them.
    void setFormat(const QByteArray &format) { m_format = format; }
    // The format that write() will use; empty when no writer handles the suffix.
    QByteArray format() const;

    // The reason an image of this size cannot be written in format(), found without
    // touching any file; empty when nothing stands in the way.
    QString checkBeforeWriting(const QSize &size) const;
    bool write(const QImage &image);
    // Takes the next rows of the image, top to bottom; false stops the writing.
    using RowSink = std::function<bool(const QImage &rows)>;
    // Writes a PNG image of size, RGBA when alpha and RGB otherwise, whose rows produce
    // hands to the sink it is given, so the image never needs to exist whole. produce
    // returns false when it could not deliver them all; nothing is written then.
    bool writePngRows(const QSize &size, bool alpha,
                      const std::function<bool(const RowSink &)> &produce);
    QString errorString() const { return m_errorString; }

    // The lower-case format for a file name's suffix, the text after the last "." of
    // the name itself (a "." in a folder does not count); empty when no writer handles it.
    static QByteArray formatForPath(const QString &filePath);
    // Encodes image in format into device, which must be open for writing; on failure
    // errorString, when given, says why.
    static bool encode(const QImage &image, const QByteArray &format, QIODevice *device,
                       QString *errorString = nullptr);

private:
    // Runs encodeInto on a temporary file that replaces the target only when all went well.
    bool writeWhole(const std::function<bool(QIODevice *device, QString *errorString)> &encodeInto);

    QString m_filePath;
    QByteArray m_format;
    QString m_errorString;
};
