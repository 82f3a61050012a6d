#pragma once

#include "QuiltraGlobal.h"
#include "ThumbnailEntry.h"

#include <QList>
#include <QModelIndex>
#include <QStandardItemModel>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace Ui {
class CollageSelectStickerForm;
}
class ScrivoLoadEmojiThread;
class ScrivoLoadFolderThread;

// Two grids of thumbnails, stickers and emoji; a double-click chooses one to place on
// the collage. The thumbnails are made by loader threads, the emoji only once their tab is
// first opened.
class CollageSelectStickerForm : public QWidget
{
    Q_OBJECT

public:
    explicit CollageSelectStickerForm(QWidget *parent = nullptr);
    ~CollageSelectStickerForm() override;

    static constexpr int kColumnCount = 3;
    static constexpr int kCellSize = 118;

    bool emojiLoadStarted() const { return m_emojiLoadStarted; }

signals:
    void stickerSelected(QString resourcePath, QuiltraGlobal::TStickerType stickerType);

private slots:
    void on_tabWidget_currentChanged(int index);
    void on_loadEmojiTimer();
    void onLoadFolderFinish();
    void onLoadEmojisFinish();
    void on_mainTableView_doubleClicked(const QModelIndex &index);
    void on_emojiTableView_doubleClicked(const QModelIndex &index);

private:
    void chooseCell(const QModelIndex &index);

    std::unique_ptr<Ui::CollageSelectStickerForm> ui;
    QStandardItemModel m_stickerModel;
    QStandardItemModel m_emojiModel;
    QList<ThumbnailEntry> m_stickerEntries;
    QList<ThumbnailEntry> m_emojiEntries;
    bool m_emojiLoadStarted = false;
    QTimer m_emojiTimer;
    ScrivoLoadFolderThread *m_stickerLoader = nullptr;
    ScrivoLoadEmojiThread *m_emojiLoader = nullptr;
};
