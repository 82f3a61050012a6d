#pragma once

#include "ThumbnailEntry.h"

#include <QList>
#include <QThread>

// Makes the thumbnails of the built-in stickers (or, with loadPatterns, the textures) off
// the user-interface thread. It writes only the owner's entry list, which the owner must
// leave alone until loadFolderFinish arrives.
class ScrivoLoadFolderThread : public QThread
{
    Q_OBJECT

public:
    ScrivoLoadFolderThread(QList<ThumbnailEntry> *entries, bool loadPatterns,
                           QObject *parent = nullptr);

signals:
    void loadFolderFinish();

protected:
    void run() override;

private:
    QList<ThumbnailEntry> *m_entries;
    bool m_loadPatterns;
};
