#pragma once

#include <QDialog>

namespace Ui {
class QuiltraHelpDialog;
}

// Lists the canvas's mouse and keyboard gestures. Deletes itself when closed, however
// it is closed.
class QuiltraHelpDialog : public QDialog
{
    Q_OBJECT

public:
    explicit QuiltraHelpDialog(QWidget *parent);
    ~QuiltraHelpDialog() override;

private Q_SLOTS:
    void on_okButton_clicked();

private:
    Ui::QuiltraHelpDialog *ui;
};
