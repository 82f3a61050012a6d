#include "ApplicationIdentity.h"
#include "MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setApplicationIdentity();
    QApplication::setStyle(QStringLiteral("Fusion"));
#ifndef Q_OS_WIN
    // Only a Windows executable carries its icon; elsewhere the window takes it
    // from the resources, and a missing picture leaves the platform's default.
    QApplication::setWindowIcon(applicationIcon());
#endif

    MainWindow window;
    window.show();
    return app.exec();
}
