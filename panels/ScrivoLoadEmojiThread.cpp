#include "ScrivoLoadEmojiThread.h"

#include "ThumbnailGrid.h"

ScrivoLoadEmojiThread::ScrivoLoadEmojiThread(QList<ThumbnailEntry> *entries, QObject *parent)
    : QThread(parent), m_entries(entries)
{
}

void ScrivoLoadEmojiThread::run()
{
    setPriority(QThread::HighPriority);
    const QStringList texts = ThumbnailGrid::emojiTexts();
    for (const QString &text : texts)
        m_entries->append({ThumbnailGrid::emojiThumbnail(text), text});
    emit loadFolderFinish();
}
