#include "ImageFileWriter.h"

#include "GifEncoder.h"
#include "OpaqueImage.h"
#include "PngEncoder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ImageFileWriter", text);
}

// Sizes the writers refuse only after opening the file, so they are checked up front.
int largestSide(const QByteArray &format)
{
    if (format == "webp")
        return 16383;
    if (format == "jpg" || format == "jpeg")
        return 65500;
    if (format == "gif")
        return GifEncoder::kMaxSide;
    return 0;
}

// Passes writes and seeks on to the file and remembers any that fell short. The file
// cannot be trusted to: a seek clears the error of the buffered write it flushes, and
// some encoders carry on after a failed write and still report success.
class WriteTracker : public QIODevice
{
public:
    explicit WriteTracker(QIODevice *target) : m_target(target)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    bool failed() const { return m_failed; }
    // What the file said when it first failed.
    QString failure() const { return m_failure; }
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_target->size(); }
    bool seek(qint64 position) override
    {
        if (!QIODevice::seek(position) || !m_target->seek(position))
            fail();
        return !m_failed;
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override
    {
        const qint64 written = m_target->write(data, length);
        if (written != length)
            fail();
        return written;
    }

private:
    void fail()
    {
        if (!m_failed)
            m_failure = m_target->errorString();
        m_failed = true;
    }

    QIODevice *m_target;
    bool m_failed = false;
    QString m_failure;
};

} // namespace

ImageFileWriter::ImageFileWriter(const QString &filePath) : m_filePath(filePath) {}

QByteArray ImageFileWriter::format() const
{
    return m_format.isEmpty() ? formatForPath(m_filePath) : m_format;
}

QByteArray ImageFileWriter::formatForPath(const QString &filePath)
{
    const QByteArray suffix = QFileInfo(filePath).suffix().toLower().toUtf8();
    if (suffix.isEmpty())
        return QByteArray();
    if (suffix == "gif" || QImageWriter::supportedImageFormats().contains(suffix))
        return suffix;
    return QByteArray();
}

QString ImageFileWriter::checkBeforeWriting(const QSize &size) const
{
    const QByteArray chosen = format();
    if (chosen.isEmpty()) {
        const QString suffix = QFileInfo(m_filePath).suffix();
        return suffix.isEmpty()
                   ? tr("The file name has no suffix such as .png or .jpg to choose the format.")
                   : tr("No image format is known for the suffix \".%1\".").arg(suffix);
    }
    if (size.isEmpty())
        return tr("There is no image to write.");
    const int limit = largestSide(chosen);
    if (limit > 0 && (size.width() > limit || size.height() > limit))
        return tr("A %1 image can be at most %2 pixels wide and high; this one is %3 x %4.")
            .arg(QString::fromLatin1(chosen.toUpper()))
            .arg(limit)
            .arg(size.width())
            .arg(size.height());
    return QString();
}

bool ImageFileWriter::encode(const QImage &image, const QByteArray &format, QIODevice *device,
                             QString *errorString)
{
    if (format == "gif")
        return GifEncoder::write(image, device, errorString);
    // Ours uses every core where the toolkit's deflates on one; other formats keep their
    // palette or depth through the toolkit's.
    if (format == "png" && PngEncoder::handles(image))
        return PngEncoder::write(image, device, errorString);

    // The writer cannot see a suffix through the device, so it is told the format.
    QImageWriter writer(device, format);
    writer.setOptimizedWrite(true);
    writer.setProgressiveScanWrite(true);
    // An opaque collage gets no alpha channel: a smaller file, written in half the time.
    if (writer.write(withoutOpaqueAlpha(image)))
        return true;
    if (errorString) {
        // The writer's own text can be "Unknown error" even when the disk filled up.
        *errorString = writer.error() == QImageWriter::DeviceError
                           ? tr("The file could not be written: %1").arg(device->errorString())
                           : tr("The image could not be encoded as %1.")
                                 .arg(QString::fromLatin1(format.toUpper()));
    }
    return false;
}

bool ImageFileWriter::write(const QImage &image)
{
    m_errorString = checkBeforeWriting(image.size());
    if (!m_errorString.isEmpty())
        return false;
    return writeWhole([&](QIODevice *device, QString *errorString) {
        return encode(image, format(), device, errorString);
    });
}

bool ImageFileWriter::writePngRows(const QSize &size, bool alpha,
                                   const std::function<bool(const RowSink &)> &produce)
{
    m_errorString = checkBeforeWriting(size);
    if (!m_errorString.isEmpty())
        return false;
    if (format() != "png") {
        m_errorString = tr("The image could not be encoded as %1.")
                            .arg(QString::fromLatin1(format().toUpper()));
        return false;
    }
    return writeWhole([&](QIODevice *device, QString *errorString) {
        PngEncoder encoder(device, size, alpha);
        const bool produced =
            produce([&encoder](const QImage &rows) { return encoder.addRows(rows); });
        if (produced && encoder.isComplete())
            return true;
        *errorString = encoder.errorString().isEmpty() ? tr("The image could not be drawn in full.")
                                                       : encoder.errorString();
        return false;
    });
}

bool ImageFileWriter::writeWhole(
    const std::function<bool(QIODevice *device, QString *errorString)> &encodeInto)
{
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        m_errorString = tr("The file could not be created: %1").arg(file.errorString());
        return false;
    }
    WriteTracker tracker(&file);
    const bool encoded = encodeInto(&tracker, &m_errorString);
    // A full disk can show as a failed encoding, or as none at all.
    if (tracker.failed())
        m_errorString = tr("The file could not be written: %1").arg(tracker.failure());
    // commit() would also drop the error of its own final flush.
    else if (encoded && !file.flush())
        m_errorString = tr("The file could not be written: %1").arg(file.errorString());
    if (!encoded || !m_errorString.isEmpty()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        m_errorString = tr("The file could not be written: %1").arg(file.errorString());
        return false;
    }
    return true;
}
