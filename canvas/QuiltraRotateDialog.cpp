#include "QuiltraRotateDialog.h"

#include "ui_QuiltraRotateDialog.h"

QuiltraRotateDialog::QuiltraRotateDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::QuiltraRotateDialog>())
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
}

QuiltraRotateDialog::~QuiltraRotateDialog() = default;

void QuiltraRotateDialog::setValue(int degrees)
{
    ui->rotateSpinBox->setValue(degrees);
}

void QuiltraRotateDialog::on_okButton_clicked()
{
    Q_EMIT newRotateVal(ui->rotateSpinBox->value());
    accept();
}

void QuiltraRotateDialog::on_cancelButton_clicked()
{
    reject();
}
