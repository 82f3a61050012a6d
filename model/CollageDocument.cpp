#include "CollageDocument.h"

void CollageDocument::clearGeometry()
{
    triangleFrames.clear();
    frameRects.clear();
    horizontalDividers.clear();
    verticalDividers.clear();
}

OverlayObject *CollageDocument::objectById(int id)
{
    for (OverlayObject &object : objects) {
        if (object.id == id)
            return &object;
    }
    return nullptr;
}
