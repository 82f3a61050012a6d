#include "ArtGenerator.h"

#include "IcoWriter.h"
#include "IconCatalogue.h"
#include "SvgRaster.h"
#include "TextureCatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <utility>

namespace {

const QString logoSource = QStringLiteral(":/art/logo.svg");
// Below this size the full logo turns to mush; a simpler drawing on the pixel grid
// takes its place.
const QString smallLogoSource = QStringLiteral(":/art/logo-small.svg");
constexpr int kLargestSmallLogo = 32;
const QString logoPng = QStringLiteral("RerivUzazara.png");
const QString logoIco = QStringLiteral("RerivUzazara.ico");
constexpr int kLogoSize = 256;
constexpr int kIconSizes[] = {16, 32, 48, 256};

QString logoSourceFor(int size)
{
    return size <= kLargestSmallLogo ? smallLogoSource : logoSource;
}

QString iconFile(const QString &name, int scale)
{
    return scale == 1 ? name + QStringLiteral(".png") : name + QStringLiteral("@2x.png");
}

QString patternFile(const QString &name)
{
    return QStringLiteral("Pattern/") + name;
}

} // namespace

ArtGenerator::ArtGenerator(QString outputDir) : m_outputDir(std::move(outputDir)) {}

QStringList ArtGenerator::expectedFiles()
{
    QStringList files;
    for (const IconSpec &icon : iconCatalogue())
        files << iconFile(icon.name, 1) << iconFile(icon.name, 2);
    for (const TextureSpec &texture : textureCatalogue())
        files << patternFile(texture.fileName);
    files << logoPng << logoIco;
    return files;
}

bool ArtGenerator::run()
{
    m_written.clear();
    m_error.clear();
    if (!QDir().mkpath(QDir(m_outputDir).filePath(QStringLiteral("Pattern"))))
        return fail(QStringLiteral("cannot create %1").arg(m_outputDir));
    return writeIcons() && writeTextures() && writeLogo();
}

bool ArtGenerator::writeIcons()
{
    for (const IconSpec &icon : iconCatalogue()) {
        for (int scale : {1, 2}) {
            const QImage glyph = renderSvg(icon.source, 24 * scale);
            if (glyph.isNull())
                return fail(QStringLiteral("cannot read %1").arg(icon.source));
            if (!save(recolour(glyph, icon.colour), iconFile(icon.name, scale)))
                return false;
        }
    }
    return true;
}

bool ArtGenerator::writeTextures()
{
    for (const TextureSpec &texture : textureCatalogue()) {
        if (!save(texture.paint(texture.size), patternFile(texture.fileName)))
            return false;
    }
    return true;
}

bool ArtGenerator::writeLogo()
{
    const QImage logo = renderSvg(logoSource, kLogoSize);
    if (logo.isNull())
        return fail(QStringLiteral("cannot read %1").arg(logoSource));
    if (!save(logo.convertToFormat(QImage::Format_ARGB32), logoPng))
        return false;

    QList<QImage> sizes;
    for (int size : kIconSizes) {
        const QString source = logoSourceFor(size);
        sizes.append(size == kLogoSize ? logo : renderSvg(source, size));
        if (sizes.last().isNull())
            return fail(QStringLiteral("cannot read %1").arg(source));
    }
    const QByteArray ico = encodeIco(sizes);
    QFile file(QDir(m_outputDir).filePath(logoIco));
    if (ico.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(ico) != ico.size())
        return fail(QStringLiteral("cannot write %1").arg(file.fileName()));
    m_written << logoIco;
    return true;
}

QList<int> ArtGenerator::themeIconSizes()
{
    return {16, 24, 32, 48, 64, 128, 256, 512};
}

bool ArtGenerator::writeThemeIcons(const QString &iconName)
{
    m_written.clear();
    m_error.clear();
    if (iconName.isEmpty() || iconName.contains(QLatin1Char('/')))
        return fail(QStringLiteral("invalid icon name \"%1\"").arg(iconName));

    for (int size : themeIconSizes()) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!QDir().mkpath(QDir(m_outputDir).filePath(folder)))
            return fail(QStringLiteral("cannot create %1").arg(folder));
        const QImage icon = renderSvg(logoSourceFor(size), size);
        if (icon.isNull())
            return fail(QStringLiteral("cannot read %1").arg(logoSourceFor(size)));
        if (!save(icon.convertToFormat(QImage::Format_ARGB32),
                  QStringLiteral("%1/%2.png").arg(folder, iconName)))
            return false;
    }

    // The scalable entry is the drawing itself, so it stays sharp at any size.
    const QString scalable = QStringLiteral("scalable/apps/%1.svg").arg(iconName);
    QFile source(logoSource);
    QSaveFile target(QDir(m_outputDir).filePath(scalable));
    const QString folder = QFileInfo(target.fileName()).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot create %1").arg(folder));
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(logoSource));
    const QByteArray svg = source.readAll();
    if (!target.open(QIODevice::WriteOnly) || target.write(svg) != svg.size() || !target.commit())
        return fail(QStringLiteral("cannot write %1").arg(target.fileName()));
    m_written << scalable;
    return true;
}

bool ArtGenerator::save(const QImage &image, const QString &relativePath)
{
    const QString path = QDir(m_outputDir).filePath(relativePath);
    if (image.isNull() || !image.save(path, "PNG"))
        return fail(QStringLiteral("cannot write %1").arg(path));
    m_written << relativePath;
    return true;
}

bool ArtGenerator::fail(const QString &reason)
{
    m_error = reason;
    return false;
}
