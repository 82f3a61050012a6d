#pragma once

#include <QObject>

// The bridge to a platform's native sharing service. This platform has none, so the
// bridge holds nothing and does nothing; the form keeps one for the share action.
class CocoaCode : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
};
