#pragma once

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
};
