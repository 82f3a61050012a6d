#pragma once

#include <QDialog>
#include <QUrl>

namespace Ui {
class AboutDialog;
}

// The product's name, platform, version, web site and copyright. Deletes itself when
// closed, however it is closed.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent);
    ~AboutDialog() override;

    // The product's web site, shown here and opened by the editor's website button.
    static QUrl websiteUrl();

private Q_SLOTS:
    void on_closeButton_clicked();

private:
    Ui::AboutDialog *ui;
};
