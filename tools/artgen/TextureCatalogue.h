#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <functional>

// One built-in background texture: where it goes under images/Pattern/, how large its
// tile is and how it is painted.
struct TextureSpec
{
    QString fileName;
    int size;
    std::function<QImage(int size)> paint;
};

// Every texture, in the order the texture picker shows them.
QList<TextureSpec> textureCatalogue();
