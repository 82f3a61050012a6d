#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// Renders the generated built-in pictures (tool icons at 24 and 48 pixels, texture
// tiles, the logo and the application icon) into a folder laid out like images/.
// The stickers and the corner ornament are hand-written SVG and are not produced here.
class ArtGenerator
{
public:
    explicit ArtGenerator(QString outputDir);

    // Writes every picture; false when the folder or a file cannot be written, or a
    // source cannot be read, with the reason in errorString().
    bool run();

    // Paths of the written files, relative to the output folder, with '/' separators.
    QStringList writtenFiles() const { return m_written; }
    QString errorString() const { return m_error; }

    // The relative paths run() writes, in the order it writes them.
    static QStringList expectedFiles();

    // Writes the application icon as a freedesktop icon theme folder (the "hicolor"
    // layout: <size>x<size>/apps/<iconName>.png and scalable/apps/<iconName>.svg) into
    // the output folder, for installing on desktops that look icons up by name.
    bool writeThemeIcons(const QString &iconName);

    // The pixel sizes writeThemeIcons() renders.
    static QList<int> themeIconSizes();

private:
    bool writeIcons();
    bool writeTextures();
    bool writeLogo();
    bool save(const QImage &image, const QString &relativePath);
    bool fail(const QString &reason);

    QString m_outputDir;
    QStringList m_written;
    QString m_error;
};
