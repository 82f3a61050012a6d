#pragma once

#include <QImage>
#include <QString>

// Product facts and the user's standard folders. Stateless: make a temporary and ask.
class KXGlobal
{
public:
    QString displayName() const;
    QString versionString() const;
    // The user's Documents folder, or an empty string when the platform cannot tell.
    QString documentsPath() const;
    // The user's Pictures folder, or an empty string when the platform cannot tell.
    QString picturesPath() const;
    // Writes image as a single-frame GIF file, replacing filePath only once the whole file
    // was written. False, with filePath untouched, on any failure; errorString, when
    // given, then says why.
    bool writeGif(const QImage &image, const QString &filePath,
                  QString *errorString = nullptr) const;
};
