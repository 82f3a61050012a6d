#include "ScrivoLoadFolderThread.h"

#include "ThumbnailGrid.h"

ScrivoLoadFolderThread::ScrivoLoadFolderThread(QList<ThumbnailEntry> *entries, bool loadPatterns,
                                               QObject *parent)
    : QThread(parent), m_entries(entries), m_loadPatterns(loadPatterns)
{
}

void ScrivoLoadFolderThread::run()
{
    setPriority(QThread::HighPriority);
    const QStringList paths =
        m_loadPatterns ? ThumbnailGrid::texturePaths() : ThumbnailGrid::stickerPaths();
    for (const QString &path : paths)
        m_entries->append({ThumbnailGrid::fitThumbnail(QImage(path)), path});
    emit loadFolderFinish();
}
