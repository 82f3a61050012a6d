#include "ApplicationIdentity.h"

#include <QGuiApplication>

void setApplicationIdentity()
{
    // The names of the editor form's settings store, so that a default QSettings is
    // that store; the window geometry record names its own location and stays put.
    QCoreApplication::setOrganizationName(QStringLiteral("Maplestead"));
    QCoreApplication::setApplicationName(QStringLiteral(QUILTRA_WINDOW_CLASS));
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILTRA_APP_ID));
}

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/resources/images/RerivUzazara.ico"));
}
