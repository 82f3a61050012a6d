#pragma once

#include "CanvasSettings.h"
#include "CollageDocument.h"
#include "LayoutTemplate.h"

#include <QList>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <array>

inline constexpr int kPhotoCountChoices = 10;

// The editing state of the whole process: exactly one exists, reached through
// instance(). Only the user-interface thread touches it.
class CollageState
{
public:
    static CollageState &instance();
    // Puts every value back to its start value and empties the catalogue; for tests.
    static void reset();

    // The template selected by photoCountIndex and layoutIndex, or null while the
    // indices do not name a built layout.
    LayoutTemplate *currentLayout();

    CollageDocument document;
    CanvasSettings settings;
    std::array<QList<LayoutTemplate>, kPhotoCountChoices> layoutCatalogue;

    QSizeF canvasSize{1920.0, 1080.0};
    int canvasType = 0; // 0 screen preset, 1 paper, 2 custom
    QSize screenSize{1920, 1080};
    int paperIndex = 0;       // 0 Letter, 1 A3, 2 A4, 3 A5, 4 Legal
    int paperOrientation = 1; // 0 landscape, 1 portrait
    QSize customSize{1000, 500};
    float zoomPercent = 40.0f;
    int photoCountIndex = 9;
    int layoutIndex = 0;
    QString lastPicturesDir;
    // Where the next export dialog starts: a folder, or the last file exported this run.
    QString exportImagePath;

    int nextObjectId = 0;
    int labelCounter = 0;
    int stickerCounter = 0;
};
