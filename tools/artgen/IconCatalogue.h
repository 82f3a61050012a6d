#pragma once

#include <QColor>
#include <QList>
#include <QString>

// One tool icon: the SVG glyph it is drawn from (a resource path under ":/art/"), the
// name of the PNG it becomes under images/ (without the ".png"), and its colour.
struct IconSpec
{
    QString source;
    QString name;
    QColor colour;
};

// Every tool icon. Each is written at 24 pixels and, as name@2x, at 48.
QList<IconSpec> iconCatalogue();
