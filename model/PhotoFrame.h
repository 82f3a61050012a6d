#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>

// One photo slot. The slot is empty while sourceImage is null.
struct PhotoFrame
{
    QString filePath;
    QImage sourceImage;
    QImage displayImage;
    QSize displaySize;
    // Top-left of displayImage; y is stored without the canvas top offset.
    QPointF position;
    float scale = 0.0f;
    float angle = 0.0f;
};
