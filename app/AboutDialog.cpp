#include "AboutDialog.h"

#include "DialogFit.h"
#include "KXGlobal.h"
#include "ui_AboutDialog.h"

#include <QPixmap>

namespace {

// The platform this build runs on: claiming another one would be false.
QString platformLine()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("for Windows 11/10");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("for macOS");
#elif defined(Q_OS_LINUX)
    return QStringLiteral("for Linux");
#else
    return QStringLiteral("for Unix");
#endif
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);

    ui->label_4->setPixmap(QPixmap(QStringLiteral(":/resources/images/RerivUzazara.png")));
    const KXGlobal global;
    ui->titleLabel->setText(global.displayName());
    ui->osLabel->setText(platformLine());
    ui->versionLabel->setText(QStringLiteral("Version: ") + global.versionString());

    const QUrl site = websiteUrl();
    ui->webLabel->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                              .arg(site.toString(QUrl::FullyEncoded), site.host().toHtmlEscaped()));
    ui->webLabel->setTextFormat(Qt::RichText);
    ui->webLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse |
                                          Qt::LinksAccessibleByKeyboard);
    ui->webLabel->setOpenExternalLinks(true);
    ui->label_3->setText(QStringLiteral("Copyright © 2026 the Maplestead Vantry authors."));

    fitDialogToText(this, ui->closeButton);
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

QUrl AboutDialog::websiteUrl()
{
    // A reserved example domain: the product has no public site of its own yet.
    return QUrl(QStringLiteral("https://vantry.maplestead.example/"));
}

void AboutDialog::on_closeButton_clicked()
{
    accept();
}
