#include "FrameCommands.h"

#include "CollageState.h"
#include "ImageFilter.h"
#include "PhotoPlacement.h"

namespace {

PhotoFrame *photoSlot(int slot)
{
    if (slot < 0 || slot >= kPhotoSlotCount)
        return nullptr;
    return &CollageState::instance().document.photos[size_t(slot)];
}

// Applies change to the slot's source and display image; a display image that is the
// source itself stays so, rather than becoming a second copy. False for no slot.
template <typename Change> bool changePhotoImages(int slot, Change change)
{
    PhotoFrame *photo = photoSlot(slot);
    if (!photo)
        return false;
    const bool shared = photo->displayImage.cacheKey() == photo->sourceImage.cacheKey();
    photo->sourceImage = change(photo->sourceImage);
    photo->displayImage = shared ? photo->sourceImage : change(photo->displayImage);
    return true;
}

} // namespace

bool grayscalePhoto(int slot)
{
    return changePhotoImages(
        slot, [](const QImage &image) { return image.convertToFormat(QImage::Format_Grayscale8); });
}

bool filterPhoto(int slot, int filterIndex, int value)
{
    return changePhotoImages(slot, [filterIndex, value](const QImage &image) {
        return applyFilter(image, filterIndex, float(value));
    });
}

bool resetPhoto(int slot)
{
    PhotoFrame *photo = photoSlot(slot);
    if (!photo)
        return false;
    photo->angle = 0.0f;
    const QString path = photo->filePath;
    placePhoto(slot, path, readPhotoFile(path));
    return true;
}

bool clearPhoto(int slot)
{
    PhotoFrame *photo = photoSlot(slot);
    if (!photo)
        return false;
    photo->sourceImage = QImage();
    photo->displayImage = QImage();
    return true;
}

LayoutCell *frameCell(int slot)
{
    LayoutTemplate *layout = CollageState::instance().currentLayout();
    if (!layout || slot < 0 || slot >= layout->cells.size())
        return nullptr;
    return &layout->cells[slot];
}

bool setFrameBackground(int slot, const QColor &color)
{
    LayoutCell *cell = frameCell(slot);
    if (!cell || !color.isValid())
        return false;
    cell->backgroundColor = color;
    cell->hasBackgroundColor = true;
    return true;
}

bool setFrameRotation(int slot, int degrees)
{
    LayoutCell *cell = frameCell(slot);
    if (!cell)
        return false;
    cell->rotation = degrees;
    return true;
}
