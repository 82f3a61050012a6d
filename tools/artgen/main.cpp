#include "ArtGenerator.h"

#include <QCoreApplication>
#include <QTextStream>

// Regenerates the built-in pictures that are made from sources: run from the
// repository root as `build/bin/quiltra-artgen resources/images`. With
// `--theme-icons DIR NAME` it renders the application icon as an icon theme folder
// instead, which the build does for installing.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    const bool themeIcons = args.size() == 4 && args.at(1) == QStringLiteral("--theme-icons");
    if (args.size() != 2 && !themeIcons) {
        err << "usage: quiltra-artgen OUTPUT_DIR\n"
               "       quiltra-artgen --theme-icons OUTPUT_DIR ICON_NAME\n";
        return 2;
    }
    const QString outputDir = themeIcons ? args.at(2) : args.at(1);
    ArtGenerator generator(outputDir);
    if (!(themeIcons ? generator.writeThemeIcons(args.at(3)) : generator.run())) {
        err << "quiltra-artgen: " << generator.errorString() << '\n';
        return 1;
    }
    QTextStream(stdout) << "wrote " << generator.writtenFiles().size() << " files to " << outputDir
                        << '\n';
    return 0;
}
