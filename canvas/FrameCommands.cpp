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

} // namespace

bool grayscalePhoto(int slot)
{
    PhotoFrame *photo = photoSlot(slot);
    if (!photo)
        return false;
    // A display image that is the source itself stays so, rather than a second copy.
    const bool shared = photo->displayImage.cacheKey() == photo->sourceImage.cacheKey();
    photo->sourceImage = photo->sourceImage.convertToFormat(QImage::Format_Grayscale8);
    photo->displayImage = shared ? photo->sourceImage
                                 : photo->displayImage.convertToFormat(QImage::Format_Grayscale8);
    return true;
}

bool filterPhoto(int slot, int filterIndex, int value)
{
    PhotoFrame *photo = photoSlot(slot);
    if (!photo)
        return false;
    const bool shared = photo->displayImage.cacheKey() == photo->sourceImage.cacheKey();
    photo->sourceImage = applyFilter(photo->sourceImage, filterIndex, float(value));
    photo->displayImage =
        shared ? photo->sourceImage : applyFilter(photo->displayImage, filterIndex, float(value));
    return true;
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
