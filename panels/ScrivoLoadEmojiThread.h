#pragma once

#include "ThumbnailEntry.h"

#include <QList>
#include <QThread>

// Draws the emoji thumbnails off the user-interface thread into the owner's entry list,
// which the owner must leave alone until loadFolderFinish arrives.
class ScrivoLoadEmojiThread : public QThread
{
    Q_OBJECT

public:
    explicit ScrivoLoadEmojiThread(QList<ThumbnailEntry> *entries, QObject *parent = nullptr);

signals:
    void loadFolderFinish();

protected:
    void run() override;

private:
    QList<ThumbnailEntry> *m_entries;
};
