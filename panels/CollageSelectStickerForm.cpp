#include "CollageSelectStickerForm.h"

#include "ScrivoLoadEmojiThread.h"
#include "ScrivoLoadFolderThread.h"
#include "ThumbnailGrid.h"
#include "ui_CollageSelectStickerForm.h"

namespace {

constexpr int kPickerWidth = 550;
constexpr int kEmojiDelayMs = 100;

} // namespace

CollageSelectStickerForm::CollageSelectStickerForm(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::CollageSelectStickerForm>())
{
    ui->setupUi(this);
    ThumbnailGrid::setUpView(ui->mainTableView, kCellSize);
    ThumbnailGrid::setUpView(ui->emojiTableView, kCellSize);

    m_emojiTimer.setSingleShot(true);
    m_stickerLoader = new ScrivoLoadFolderThread(&m_stickerEntries, false, this);
    connect(m_stickerLoader, &ScrivoLoadFolderThread::loadFolderFinish, this,
            &CollageSelectStickerForm::onLoadFolderFinish);
    m_stickerLoader->start();

    setFixedWidth(kPickerWidth);
    ui->tabWidget->setCurrentIndex(0);
}

CollageSelectStickerForm::~CollageSelectStickerForm()
{
    // The loaders write into this form's entry lists until they end.
    m_stickerLoader->wait();
    if (m_emojiLoader)
        m_emojiLoader->wait();
}

void CollageSelectStickerForm::on_tabWidget_currentChanged(int index)
{
    if (index != 1 || m_emojiLoadStarted)
        return;
    m_emojiLoadStarted = true;
    connect(&m_emojiTimer, &QTimer::timeout, this, &CollageSelectStickerForm::on_loadEmojiTimer);
    m_emojiTimer.start(kEmojiDelayMs);
}

void CollageSelectStickerForm::on_loadEmojiTimer()
{
    m_emojiTimer.stop();
    m_emojiLoader = new ScrivoLoadEmojiThread(&m_emojiEntries, this);
    connect(m_emojiLoader, &ScrivoLoadEmojiThread::loadFolderFinish, this,
            &CollageSelectStickerForm::onLoadEmojisFinish);
    m_emojiLoader->start();
}

void CollageSelectStickerForm::onLoadFolderFinish()
{
    ThumbnailGrid::fillModel(&m_stickerModel, m_stickerEntries, kColumnCount);
    ui->mainTableView->setModel(&m_stickerModel);
}

void CollageSelectStickerForm::onLoadEmojisFinish()
{
    ThumbnailGrid::fillModel(&m_emojiModel, m_emojiEntries, kColumnCount);
    ui->emojiTableView->setModel(&m_emojiModel);
}

void CollageSelectStickerForm::on_mainTableView_doubleClicked(const QModelIndex &index)
{
    chooseCell(index);
}

void CollageSelectStickerForm::on_emojiTableView_doubleClicked(const QModelIndex &index)
{
    chooseCell(index);
}

void CollageSelectStickerForm::chooseCell(const QModelIndex &index)
{
    const bool emoji = ui->tabWidget->currentIndex() != 0;
    const QList<ThumbnailEntry> &entries = emoji ? m_emojiEntries : m_stickerEntries;
    // A list is only read once its model is attached, that is after its loader ended.
    const QAbstractItemModel *attached =
        emoji ? ui->emojiTableView->model() : ui->mainTableView->model();
    if (!attached)
        return;
    const int k = ThumbnailGrid::entryAt(index, kColumnCount, entries.size());
    if (k < 0)
        return;
    emit stickerSelected(entries[k].key, emoji ? QuiltraGlobal::Emoji : QuiltraGlobal::Sticker);
}
