#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// Packs the images into a Windows icon file, each at 32 bits per pixel with its alpha.
// Images of 256 pixels are stored as PNG, smaller ones as bitmaps, which every icon
// reader accepts. Returns an empty array when the list is empty or an image is null or
// larger than 256 pixels on a side, the most an icon directory entry can describe.
QByteArray encodeIco(const QList<QImage> &images);
