#include "QuiltraLayoutForm.h"

#include "ui_QuiltraLayoutForm.h"

QuiltraLayoutForm::QuiltraLayoutForm(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::QuiltraLayoutForm>())
{
    ui->setupUi(this);
}

QuiltraLayoutForm::~QuiltraLayoutForm() = default;
