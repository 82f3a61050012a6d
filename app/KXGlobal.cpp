#include "KXGlobal.h"

#include "ImageFileWriter.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shlobj.h>
#else
#include <QStandardPaths>
#endif

namespace {

constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 0;
constexpr int kVersionBuild = 0;

#ifdef Q_OS_WIN
QString shellFolder(int csidl)
{
    wchar_t buffer[MAX_PATH];
    if (SHGetFolderPathW(nullptr, csidl, nullptr, 0, buffer) != S_OK)
        return QString();
    return QString::fromWCharArray(buffer);
}
#else
QString standardFolder(QStandardPaths::StandardLocation location)
{
    return QStandardPaths::writableLocation(location);
}
#endif

} // namespace

QString KXGlobal::displayName() const
{
    return QStringLiteral("Maplestead Vantry");
}

QString KXGlobal::versionString() const
{
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionBuild);
}

QString KXGlobal::documentsPath() const
{
#ifdef Q_OS_WIN
    return shellFolder(CSIDL_PERSONAL);
#else
    return standardFolder(QStandardPaths::DocumentsLocation);
#endif
}

QString KXGlobal::picturesPath() const
{
#ifdef Q_OS_WIN
    return shellFolder(CSIDL_MYPICTURES);
#else
    return standardFolder(QStandardPaths::PicturesLocation);
#endif
}

bool KXGlobal::writeGif(const QImage &image, const QString &filePath, QString *errorString) const
{
    ImageFileWriter writer(filePath);
    writer.setFormat("gif");
    const bool written = writer.write(image);
    if (!written && errorString)
        *errorString = writer.errorString();
    return written;
}
