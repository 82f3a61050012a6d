#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <memory>

class QThread;

// Encodes and writes one image file on a worker thread, through ImageFileWriter, so the
// window keeps painting meanwhile. The worker reads only its own copy of the image.
class ImageExportJob : public QObject
{
    Q_OBJECT

public:
    explicit ImageExportJob(QObject *parent = nullptr);
    // Waits for a running worker: the file is then either written whole or untouched.
    ~ImageExportJob() override;

    // One job writes one file; a second start() while running is refused.
    bool start(const QImage &image, const QString &filePath);
    bool isRunning() const { return m_thread != nullptr; }
    // Blocks until the worker has ended and its result has been taken over.
    void wait();

    bool succeeded() const { return m_succeeded; }
    QString errorString() const { return m_errorString; }

Q_SIGNALS:
    // On the job's thread, once the worker has ended.
    void finished(bool written);

private:
    struct Outcome;
    void takeOutcome();

    QThread *m_thread = nullptr;
    std::shared_ptr<Outcome> m_outcome;
    bool m_succeeded = false;
    QString m_errorString;
};
