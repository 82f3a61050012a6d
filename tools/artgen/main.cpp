#include "ArtGenerator.h"

#include <QCoreApplication>
#include <QTextStream>

// Regenerates the built-in pictures that are made from sources: run from the
// repository root as `build/bin/quiltra-artgen resources/images`.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "usage: quiltra-artgen OUTPUT_DIR\n";
        return 2;
    }
    ArtGenerator generator(args.at(1));
    if (!generator.run()) {
        err << "quiltra-artgen: " << generator.errorString() << '\n';
        return 1;
    }
    QTextStream(stdout) << "wrote " << generator.writtenFiles().size() << " files to " << args.at(1)
                        << '\n';
    return 0;
}
