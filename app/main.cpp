#include "MainWindow.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
#ifndef Q_OS_WIN
    // Only a Windows executable carries its icon; elsewhere the window takes it
    // from the resources, and a missing picture leaves the platform's default.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/images/RerivUzazara.ico")));
#endif

    MainWindow window;
    window.show();
    return app.exec();
}
