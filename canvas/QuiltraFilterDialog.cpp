#include "QuiltraFilterDialog.h"

#include "ImageFilter.h"
#include "ui_QuiltraFilterDialog.h"

#include <QPixmap>
#include <QSignalBlocker>

namespace {

constexpr int kPreviewWidth = 128;

} // namespace

QuiltraFilterDialog::QuiltraFilterDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::QuiltraFilterDialog>()),
      filterIndex(ImageFilter::Contrast)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    // The spin box is a second way to set the value: whatever is typed moves the slider,
    // so the preview and Apply always use the number on show.
    connect(ui->contrastSpinBox, &QSpinBox::valueChanged, ui->contrastSlider, &QSlider::setValue);
}

QuiltraFilterDialog::~QuiltraFilterDialog() = default;

void QuiltraFilterDialog::setImage(const QImage &image)
{
    previewSource =
        image.isNull() ? QImage() : image.scaledToWidth(kPreviewWidth, Qt::FastTransformation);
    preview = previewSource;
    showPreview();
}

void QuiltraFilterDialog::setFilterIndex(int index)
{
    filterIndex = index;
    QString name;
    int minimum = -255;
    int maximum = 255;
    switch (index) {
    case ImageFilter::Brightness:
        name = tr("Brightness");
        break;
    case ImageFilter::Contrast:
        name = tr("Contrast");
        break;
    case ImageFilter::Gamma:
        name = tr("Gamma");
        minimum = -100;
        maximum = 699;
        break;
    case ImageFilter::Invert:
        name = tr("Invert Colours");
        minimum = 0;
        break;
    default:
        return;
    }
    ui->contrastLabel->setText(name);
    ui->contrastSlider->setAccessibleName(name);
    ui->contrastSpinBox->setAccessibleName(tr("%1 value").arg(name));
    {
        // The old value may lie outside the new range; the reset to 0 below refreshes all.
        const QSignalBlocker sliderBlocker(ui->contrastSlider);
        const QSignalBlocker spinBlocker(ui->contrastSpinBox);
        ui->contrastSlider->setRange(minimum, maximum);
        ui->contrastSpinBox->setRange(minimum, maximum);
    }
    if (ui->contrastSlider->value() == 0)
        on_contrastSlider_valueChanged(0);
    else
        ui->contrastSlider->setValue(0);
}

void QuiltraFilterDialog::on_contrastSlider_valueChanged(int newValue)
{
    value = newValue;
    preview = applyFilter(previewSource, filterIndex, float(newValue));
    if (!preview.isNull())
        preview = preview.scaledToWidth(kPreviewWidth, Qt::FastTransformation);
    showPreview();
    ui->contrastSpinBox->setValue(newValue);
}

void QuiltraFilterDialog::on_cancelButton_clicked()
{
    reject();
}

void QuiltraFilterDialog::on_applyButton_clicked()
{
    Q_EMIT setFilter(filterIndex, value);
    accept();
}

void QuiltraFilterDialog::showPreview()
{
    ui->previewLabel->setPixmap(QPixmap::fromImage(preview));
}
