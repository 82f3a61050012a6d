#include "CollageSelectTextureDialog.h"

#include "ScrivoLoadFolderThread.h"
#include "ThumbnailGrid.h"
#include "ui_CollageSelectTextureDialog.h"

#include <QItemSelectionModel>

namespace {

constexpr int kDialogWidth = 550;

} // namespace

CollageSelectTextureDialog::CollageSelectTextureDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::CollageSelectTextureDialog>())
{
    ui->setupUi(this);
    // Escape and the window's close button end the dialog as well as its own buttons do;
    // each way must free it and its thumbnails.
    setAttribute(Qt::WA_DeleteOnClose);
    ThumbnailGrid::setUpView(ui->mainTableView, kCellSize);
    m_loader = new ScrivoLoadFolderThread(&m_textureEntries, true, this);
    connect(m_loader, &ScrivoLoadFolderThread::loadFolderFinish, this,
            &CollageSelectTextureDialog::onLoadFolderFinish);
    setFixedWidth(kDialogWidth);
    m_loader->start();
}

CollageSelectTextureDialog::~CollageSelectTextureDialog()
{
    m_loader->wait();
}

void CollageSelectTextureDialog::onLoadFolderFinish()
{
    ThumbnailGrid::fillModel(&m_textureModel, m_textureEntries, kColumnCount);
    ui->mainTableView->setModel(&m_textureModel);
}

void CollageSelectTextureDialog::on_mainTableView_doubleClicked(const QModelIndex &index)
{
    if (!ui->mainTableView->model())
        return;
    const int k = ThumbnailGrid::entryAt(index, kColumnCount, m_textureEntries.size());
    if (k < 0)
        return;
    emit textureSelected(m_textureEntries[k].key);
    accept();
}

void CollageSelectTextureDialog::on_selectButton_clicked()
{
    const QItemSelectionModel *selection = ui->mainTableView->selectionModel();
    if (!selection)
        return;
    const QModelIndexList chosen = selection->selectedIndexes();
    if (chosen.isEmpty())
        return;
    on_mainTableView_doubleClicked(chosen.first());
}

void CollageSelectTextureDialog::on_cancelButton_clicked()
{
    reject();
}
