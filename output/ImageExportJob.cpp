#include "ImageExportJob.h"

#include "ImageFileWriter.h"

#include <QThread>

struct ImageExportJob::Outcome
{
    bool written = false;
    QString errorString;
};

ImageExportJob::ImageExportJob(QObject *parent) : QObject(parent) {}

ImageExportJob::~ImageExportJob()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

bool ImageExportJob::start(const QImage &image, const QString &filePath)
{
    if (m_thread)
        return false;
    m_succeeded = false;
    m_errorString.clear();
    auto outcome = std::make_shared<Outcome>();
    m_outcome = outcome;
    m_thread = QThread::create([image, filePath, outcome] {
        ImageFileWriter writer(filePath);
        outcome->written = writer.write(image);
        outcome->errorString = writer.errorString();
    });
    connect(m_thread, &QThread::finished, this, &ImageExportJob::takeOutcome);
    m_thread->start();
    return true;
}

void ImageExportJob::wait()
{
    if (!m_thread)
        return;
    m_thread->wait();
    takeOutcome();
}

void ImageExportJob::takeOutcome()
{
    // Reached twice when wait() runs before the queued notice arrives.
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_succeeded = m_outcome->written;
    m_errorString = m_outcome->errorString;
    m_outcome.reset();
    emit finished(m_succeeded);
}
