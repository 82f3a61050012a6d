#include "CollageRenderCommand.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    // Fonts, SVG stickers and emoji need a GUI application; the offscreen platform
    // lets the tool run without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return CollageRenderCommand(out, err).run(arguments);
}
