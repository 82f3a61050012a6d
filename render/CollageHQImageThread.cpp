#include "CollageHQImageThread.h"

CollageHQImageThread::CollageHQImageThread(const QImage &fullSize, const QSize &scaledSize,
                                           QObject *parent)
    : QThread(parent), m_fullSize(fullSize), m_scaledSize(scaledSize)
{
}

void CollageHQImageThread::run()
{
    QImage scaled;
    if (!m_fullSize.isNull() && !m_scaledSize.isEmpty())
        scaled = m_fullSize.scaled(m_scaledSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    Q_EMIT hqImageReady(scaled);
}
