#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <optional>

// Fits image into the frame of the slot and makes it the slot's photo: scaled (filtered,
// to exactly the frame's length) to the frame's longer side, centred along the other axis, where it
// may overflow the frame or leave bands; rotation, zoom and pan start afresh. A triangular frame is
// fitted by the bounding rectangle of its path. The geometry is in document pixels whatever
// the size: the display image kept is heldDisplaySize and drawn scaled to displaySize. False,
// leaving the slot untouched, for a null image, a slot without a frame (outside the layout
// or before the first render) or a photo that would be shown above maxShownPixels.
bool placePhoto(int slot, const QString &filePath, const QImage &image);

// The most pixels a photo may be shown at on a canvas of this size, in document pixels:
// a few times the canvas's area, at least the floor of maxDisplayPixels. Only a sliver of
// a photo fitted to a frame goes beyond it.
qint64 maxShownPixels(const QSizeF &canvasSize);

// The most pixels a photo's display image may have on a canvas of this size: a few times
// the canvas's area, within a fixed floor and ceiling.
qint64 maxDisplayPixels(const QSizeF &canvasSize);

// The size of the image kept for a photo of source shown at displaySize: displaySize while
// that is a reduction with at most maxPixels, else the largest size of the same shape
// within maxPixels and within source's size, since an enlarged copy adds no detail, only
// memory (on a poster, gigabytes); source's own size when that is within a pixel. Empty
// when either size is.
QSize heldDisplaySize(const QSize &displaySize, const QSize &source, qint64 maxPixels);

// The display image of source shown at displaySize: source filtered to heldDisplaySize,
// or source itself when that is its size. Null when there is no such size.
QImage makeDisplayImage(const QImage &source, const QSize &displaySize, qint64 maxPixels);

// The size of source scaled by factor, aspect kept and each side rounded as the toolkit
// does; nullopt when a side would be under one pixel or the area above maxPixels. Checked
// before scaling, so an extreme aspect ratio never reaches the scaler.
std::optional<QSize> scaledPhotoSize(const QSize &source, qreal factor, qint64 maxPixels);

// The one reader of photos and pictures from disk, for every caller: the format found
// from the content, the orientation from the file's metadata applied, images up to 256 MB
// accepted, and pixels a truncated file lacks black. Null when the file cannot be read.
// With a valid atLeast, a format that can decode at a fraction of its size (JPEG at 1/2,
// 1/4 or 1/8) is decoded at the smallest such fraction that still covers atLeast in both
// directions after the orientation is applied: several times faster and smaller.
QImage readPhotoFile(const QString &path, const QSize &atLeast = QSize());

// readPhotoFile for each path with its atLeast (missing entries are invalid sizes), the
// files decoded in parallel; the result keeps the order of paths.
QList<QImage> readPhotoFiles(const QStringList &paths, const QList<QSize> &atLeast);

// The rectangle a photo is fitted to in the slot's frame: the frame itself, or the
// bounding rectangle of a triangular frame; null when the slot has no frame.
QRectF placementRect(int slot);

// image scaled to size with filtering that leaves no aliasing at any reduction: halved by
// averaging 2 x 2 blocks while it is still twice the size or more, then area-averaged to
// the exact size. Area averaging alone keeps part of a one-pixel pattern at odd factors
// (a fifth gives stripes of 2/5 and 3/5). Null for an empty size.
QImage filteredScale(const QImage &image, const QSize &size);

// The size a photo of photoSize is shown at when fitted to frame: the frame's longer
// side truncated to whole pixels, the other side in proportion, rounded. Empty when that
// is no usable size.
QSize fittedPhotoSize(const QSize &photoSize, const QRectF &frame);
