#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <optional>

// Fits image into the frame of the slot and makes it the slot's photo: scaled (fast) to
// the frame's longer side, centred along the other axis, where it may overflow the frame
// or leave bands; rotation, zoom and pan start afresh. A triangular frame is fitted by
// the bounding rectangle of its path. False, leaving the slot untouched, for a null
// image, a slot without a frame (outside the layout or before the first render) or a
// photo that cannot be scaled to the frame within maxDisplayPixels.
bool placePhoto(int slot, const QString &filePath, const QImage &image);

// The most pixels a photo's display image may have on a canvas of this size: a few times
// the canvas's area, within a fixed floor and ceiling.
qint64 maxDisplayPixels(const QSizeF &canvasSize);

// The size of source scaled by factor, aspect kept and each side rounded as the toolkit
// does; nullopt when a side would be under one pixel or the area above maxPixels. Checked
// before scaling, so an extreme aspect ratio never reaches the scaler.
std::optional<QSize> scaledPhotoSize(const QSize &source, qreal factor, qint64 maxPixels);

// The one reader of photos and pictures from disk, for every caller: the format found
// from the content, the orientation from the file's metadata applied, images up to 256 MB
// accepted, and pixels a truncated file lacks black. Null when the file cannot be read.
QImage readPhotoFile(const QString &path);
