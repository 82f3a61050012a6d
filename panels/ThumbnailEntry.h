#pragma once

#include <QImage>
#include <QString>

// One cell of a picker grid: the picture shown and what choosing it yields (a resource
// path, or the text of an emoji).
struct ThumbnailEntry
{
    QImage thumbnail;
    QString key;
};
