#pragma once

#include <QDialog>
#include <QImage>
#include <memory>

namespace Ui {
class QuiltraFilterDialog;
}

// Tunes one adjustment with a slider and a live preview. Apply reports the filter and its
// value through setFilter(); the dialog deletes itself however it is closed.
class QuiltraFilterDialog : public QDialog
{
    Q_OBJECT

public:
    explicit QuiltraFilterDialog(QWidget *parent = nullptr);
    ~QuiltraFilterDialog() override;

    // The photo to preview, shown 128 pixels wide.
    void setImage(const QImage &image);
    // Chooses the adjustment: its name, the range of the slider and the spin box, and a
    // value of 0, which leaves every adjustment's image as it was.
    void setFilterIndex(int index);

Q_SIGNALS:
    void setFilter(int filterIndex, int value);

private Q_SLOTS:
    void on_contrastSlider_valueChanged(int value);
    void on_cancelButton_clicked();
    void on_applyButton_clicked();

private:
    void showPreview();

    std::unique_ptr<Ui::QuiltraFilterDialog> ui;
    QImage previewSource;
    QImage preview;
    int filterIndex;
    int value = 0;
};
