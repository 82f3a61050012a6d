#pragma once

#include "ThumbnailEntry.h"

#include <QDialog>
#include <QList>
#include <QModelIndex>
#include <QStandardItemModel>
#include <memory>

namespace Ui {
class CollageSelectTextureDialog;
}
class ScrivoLoadFolderThread;

// Modal grid of the built-in textures. It deletes itself when closed, however it closes.
class CollageSelectTextureDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CollageSelectTextureDialog(QWidget *parent = nullptr);
    ~CollageSelectTextureDialog() override;

    static constexpr int kColumnCount = 4;
    static constexpr int kCellSize = 128;

signals:
    void textureSelected(QString resourcePath);

private slots:
    void onLoadFolderFinish();
    void on_selectButton_clicked();
    void on_cancelButton_clicked();
    void on_mainTableView_doubleClicked(const QModelIndex &index);

private:
    std::unique_ptr<Ui::CollageSelectTextureDialog> ui;
    QStandardItemModel m_textureModel;
    QList<ThumbnailEntry> m_textureEntries;
    ScrivoLoadFolderThread *m_loader = nullptr;
};
