#pragma once

#include <QImage>
#include <QString>

// Fits image into the frame of the slot and makes it the slot's photo: scaled (fast) to
// the frame's longer side, centred along the other axis, where it may overflow the frame
// or leave bands; rotation, zoom and pan start afresh. A triangular frame is fitted by
// the bounding rectangle of its path. False, leaving the slot untouched, for a null
// image, a slot without a frame (outside the layout or before the first render) or a
// photo that cannot be scaled to the frame.
bool placePhoto(int slot, const QString &filePath, const QImage &image);

// Reads a photo the way a drop does: the format found from the content, the orientation
// from the file's metadata applied, images up to 256 MB accepted. Null when the file
// cannot be read.
QImage readPhotoFile(const QString &path);
