#include "ReducedDrawing.h"

#include "PhotoPlacement.h"

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QTransform>
#include <algorithm>

void drawImageReduced(QPainter &painter, const QRectF &target, const QImage &image)
{
    const QTransform transform = painter.worldTransform();
    const bool reduces = transform.type() == QTransform::TxScale &&
                         (transform.m11() < 1.0 || transform.m22() < 1.0) &&
                         transform.m11() > 0.0 && transform.m22() > 0.0;
    if (!reduces || image.isNull()) {
        if (target.size() == QSizeF(image.size()))
            painter.drawImage(target.topLeft(), image);
        else
            painter.drawImage(target, image);
        return;
    }
    const QRectF device = transform.mapRect(target);
    const QSize size(std::max(1, qRound(device.width())), std::max(1, qRound(device.height())));
    const QImage reduced = filteredScale(image, size);
    painter.save();
    painter.resetTransform();
    painter.drawImage(device.topLeft(), reduced);
    painter.restore();
}
