#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class QuiltraRotateDialog;
}

// Asks for a frame's rotation in degrees. OK reports it through newRotateVal(); the
// dialog deletes itself however it is closed.
class QuiltraRotateDialog : public QDialog
{
    Q_OBJECT

public:
    explicit QuiltraRotateDialog(QWidget *parent = nullptr);
    ~QuiltraRotateDialog() override;

    void setValue(int degrees);

Q_SIGNALS:
    void newRotateVal(int val);

private Q_SLOTS:
    void on_okButton_clicked();
    void on_cancelButton_clicked();

private:
    std::unique_ptr<Ui::QuiltraRotateDialog> ui;
};
