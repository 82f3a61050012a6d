#include "QuiltraHelpDialog.h"

#include "DialogFit.h"
#include "ui_QuiltraHelpDialog.h"

QuiltraHelpDialog::QuiltraHelpDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::QuiltraHelpDialog)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    fitDialogToText(this, ui->okButton);
}

QuiltraHelpDialog::~QuiltraHelpDialog()
{
    delete ui;
}

void QuiltraHelpDialog::on_okButton_clicked()
{
    accept();
}
