#pragma once

#include "OverlayObject.h"
#include "PhotoFrame.h"
#include "TriangleFrame.h"

#include <QList>
#include <QRectF>
#include <array>

inline constexpr int kPhotoSlotCount = 10;

// The collage being edited. The four geometry lists are derived from the current
// layout by the renderer and rebuilt only after clearGeometry().
struct CollageDocument
{
    QList<TriangleFrame> triangleFrames;
    QList<QRectF> frameRects;
    QList<QRectF> horizontalDividers;
    QList<QRectF> verticalDividers;
    QList<OverlayObject> objects;
    std::array<PhotoFrame, kPhotoSlotCount> photos;
    int selectedObjectId = -1;

    void clearGeometry();
    OverlayObject *objectById(int id);
};
