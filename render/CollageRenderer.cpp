#include "CollageRenderer.h"

#include "CatalogueSync.h"
#include "CollageState.h"
#include "DropShadow.h"
#include "FrameGeometry.h"
#include "LayerBuffer.h"
#include "OverlayPainter.h"
#include "PhotoPlacement.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTransform>
#include <QtMath>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

const QColor kShadowColor(0, 0, 0, 255);
constexpr qreal kShadowBlurRadius = 20.0;

// The width of the display image: the source width times the scale, in single
// precision and truncated; 0 when that is no usable width.
int displayWidth(const QImage &source, float scale)
{
    const float width = float(source.width()) * scale;
    if (!qIsFinite(width) || width < 1.0f || width >= float(std::numeric_limits<int>::max()))
        return 0;
    return int(width);
}

} // namespace

QImage CollageRenderer::renderCollage(const QRect &target, bool forExport)
{
    QImage *result = resultBuffer(target.size());
    if (!result) {
        // Nothing can be shown, but the canvas still needs the geometry for hit testing.
        QPainter inactive;
        renderFrames(inactive, target, forExport);
        if (!forExport)
            computeDividerGeometry(target);
        releaseHugeBuffers();
        return QImage();
    }

    if (forExport) {
        paintBackground(*result);
    } else {
        const QImage background = renderBackground(target, false);
        if (background.size() == result->size() && background.format() == result->format())
            std::memcpy(result->bits(), background.constBits(), size_t(result->sizeInBytes()));
    }

    {
        QPainter painter;
        if (prepareLayer(m_framesLayer, target.size()) && painter.begin(&m_framesLayer))
            painter.setRenderHint(QPainter::Antialiasing);
        renderFrames(painter, target, forExport);
    }
    if (!forExport)
        computeDividerGeometry(target);
    QImage frames = m_framesLayer;
    if (!frames.isNull() && CollageState::instance().settings.dropShadow != 0) {
        const QImage shadowed = applyDropShadow(m_framesLayer, kShadowColor, kShadowBlurRadius);
        if (!shadowed.isNull())
            frames = shadowed;
    }

    const QImage objects = renderObjects(target, forExport);

    QPainter painter(result);
    if (!frames.isNull())
        painter.drawImage(0, 0, frames);
    if (!objects.isNull())
        painter.drawImage(0, 0, objects);
    renderCorners(painter, target);
    painter.end();

    frames = QImage();
    const QImage image = *result;
    releaseHugeBuffers();
    return image;
}

void CollageRenderer::setCornerOrnamentPath(const QString &path)
{
    m_cornerPath = path;
}

QImage CollageRenderer::renderBackground(const QRect &target, bool forExport)
{
    if (forExport) {
        QImage layer;
        if (prepareLayer(layer, target.size()))
            paintBackground(layer);
        return layer;
    }
    if (m_backgroundDirty || m_background.size() != target.size()) {
        if (prepareLayer(m_background, target.size()))
            paintBackground(m_background);
        m_backgroundDirty = false;
    }
    return m_background;
}

void CollageRenderer::renderFrames(QPainter &painter, const QRect &target, bool forExport)
{
    CollageState &state = CollageState::instance();
    const CanvasSettings &settings = state.settings;
    const LayoutTemplate *layout = state.currentLayout();

    // Export draws frames rebuilt from the layout and leaves the live document alone.
    CollageDocument exportCopy;
    CollageDocument *working = &state.document;
    if (forExport) {
        exportCopy = state.document;
        exportCopy.frameRects.clear();
        working = &exportCopy;
    }

    bool rescale = false;
    if (working->frameRects.isEmpty() && working->triangleFrames.isEmpty() && layout) {
        const FrameArea area = frameArea(target, settings.margin, settings.topOffset);
        for (const LayoutCell &cell : layout->cells) {
            if (cell.kind == LayoutCell::Triangle)
                working->triangleFrames.append(cellTriangleFrame(cell, area, settings.spacing));
            else
                working->frameRects.append(cellFrameRect(cell, area, settings.spacing));
        }
        rescale = true;
    }

    auto drawFrame = [&](qsizetype index, const QPainterPath &path) {
        const LayoutCell *cell =
            layout && index < layout->cells.size() ? &layout->cells[index] : nullptr;
        if (painter.isActive()) {
            applyFrameStyle(painter, path);
            if (cell && cell->hasBackgroundColor)
                painter.setBrush(cell->backgroundColor);
            painter.drawPath(path);
        }
        if (index < kPhotoSlotCount)
            drawPhotoInFrame(painter, working->photos[size_t(index)], path, rescale);
    };

    for (qsizetype i = 0; i < working->frameRects.size(); ++i) {
        const QRectF &rect = working->frameRects[i];
        QPainterPath path = roundedRectPath(rect, settings.roundCorners);
        if (layout && i < layout->cells.size()) {
            const QPointF centre = rect.center();
            QTransform turn;
            turn.translate(centre.x(), centre.y());
            turn.rotate(layout->cells[i].rotation);
            turn.translate(-centre.x(), -centre.y());
            path = turn.map(path);
        }
        drawFrame(i, path);
    }
    for (qsizetype i = 0; i < working->triangleFrames.size(); ++i)
        drawFrame(i, roundedTrianglePath(working->triangleFrames[i], settings.roundCorners));

    m_rescaled = rescale;
    syncCellsToCatalogue();
}

void CollageRenderer::computeDividerGeometry(const QRect &target)
{
    CollageState &state = CollageState::instance();
    const LayoutTemplate *layout = state.currentLayout();
    if (layout) {
        // The same vertical mapping as the frames, so the dividers lie in the gaps.
        const FrameArea area = frameArea(target, state.settings.margin, state.settings.topOffset);
        auto build = [&area](QList<QRectF> &dividers, const QList<QRectF> &lines) {
            if (!dividers.isEmpty())
                return;
            for (const QRectF &line : lines)
                dividers.append(QRectF(area.map(line.topLeft()), area.map(line.bottomRight())));
        };
        build(state.document.horizontalDividers, layout->horizontalLines);
        build(state.document.verticalDividers, layout->verticalLines);
    }
    syncLinesToCatalogue();
}

QImage CollageRenderer::renderObjects(const QRect &target, bool forExport)
{
    CollageDocument &document = CollageState::instance().document;
    // An empty layer would only cost a full-size allocation and a blend.
    if (document.objects.isEmpty())
        return QImage();
    if (forExport) {
        // Drawing records each object's bounds; export keeps the live document as it is.
        CollageDocument exportCopy = document;
        return drawOverlayLayer(exportCopy, target, true);
    }
    return drawOverlayLayer(document, target, false);
}

void CollageRenderer::renderCorners(QPainter &painter, const QRect &target)
{
    const CanvasSettings &settings = CollageState::instance().settings;
    if (!painter.isActive() || !(settings.cornerTopLeft || settings.cornerTopRight ||
                                 settings.cornerBottomLeft || settings.cornerBottomRight)) {
        return;
    }
    if (m_cornerImage.isNull() || m_loadedCornerPath != m_cornerPath) {
        m_cornerImage = QImage(m_cornerPath);
        m_loadedCornerPath = m_cornerPath;
    }
    if (m_cornerImage.isNull())
        return;

    const int right = target.width() - m_cornerImage.width();
    const int bottom = target.height() - m_cornerImage.height();
    if (settings.cornerTopLeft)
        painter.drawImage(0, 0, m_cornerImage);
    if (settings.cornerTopRight)
        painter.drawImage(right, 0, m_cornerImage.mirrored(true, false));
    if (settings.cornerBottomLeft)
        painter.drawImage(0, bottom, m_cornerImage.mirrored(false, true));
    if (settings.cornerBottomRight)
        painter.drawImage(right, bottom, m_cornerImage.mirrored(true, true));
}

void CollageRenderer::applyFrameStyle(QPainter &painter, const QPainterPath &path) const
{
    const CanvasSettings &settings = CollageState::instance().settings;
    const QRectF bounds = path.boundingRect();
    if (settings.frameBackgroundMode == 1 || settings.frameBackgroundMode == 2) {
        QLinearGradient gradient(bounds.topLeft(), settings.frameBackgroundMode == 1
                                                       ? bounds.bottomLeft()
                                                       : bounds.topRight());
        gradient.setColorAt(0.0, settings.frameBackgroundColor1);
        gradient.setColorAt(1.0, settings.frameBackgroundColor2);
        painter.setBrush(gradient);
    } else {
        painter.setBrush(settings.frameBackgroundColor1);
    }
    QPen pen(Qt::black);
    pen.setWidth(std::max(0, settings.lineWidth));
    painter.setPen(pen);
}

void CollageRenderer::drawPhotoInFrame(QPainter &painter, PhotoFrame &photo,
                                       const QPainterPath &path, bool rescale) const
{
    if (photo.sourceImage.isNull())
        return;
    if (rescale) {
        const int width = displayWidth(photo.sourceImage, photo.scale);
        const bool fits =
            width > 0 &&
            scaledPhotoSize(photo.sourceImage.size(), qreal(width) / photo.sourceImage.width(),
                            maxDisplayPixels(CollageState::instance().canvasSize));
        // A size the photo may not take keeps the display image it has, so the photo
        // stays visible and within reach.
        if (fits) {
            const QImage scaled = photo.sourceImage.scaledToWidth(width, Qt::FastTransformation);
            if (!scaled.isNull()) {
                photo.displayImage = scaled;
                photo.displaySize = scaled.size();
            }
        } else if (width <= 0) {
            photo.displayImage = QImage();
            photo.displaySize = photo.displayImage.size();
        }
    }
    if (!painter.isActive())
        return;

    const CanvasSettings &settings = CollageState::instance().settings;
    if (!photo.displayImage.isNull()) {
        const QImage turned = photo.displayImage.transformed(
            QTransform().rotate(std::trunc(photo.angle)), Qt::SmoothTransformation);
        // Drawn straight onto the layer through a clip without antialiasing: the same
        // pixels as painting into a transparent full-size scratch image and composing
        // that, at a fraction of the cost. The outline drawn next covers the clip's edge.
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setClipPath(path);
        painter.drawImage(QPointF(photo.position.x(), photo.position.y() + settings.topOffset),
                          turned);
        painter.restore();
    }
    painter.setBrush(Qt::NoBrush);
    if (settings.lineWidth > 0) {
        QPen pen = painter.pen();
        pen.setWidth(settings.lineWidth);
        painter.setPen(pen);
    }
    painter.drawPath(path);
}

QImage CollageRenderer::applyDropShadow(const QImage &image, const QColor &color, qreal blurRadius)
{
    if (!drawWithDropShadow(image, color, blurRadius, m_shadowLayer))
        return QImage();
    return m_shadowLayer;
}

void CollageRenderer::paintBackground(QImage &layer) const
{
    const CanvasSettings &settings = CollageState::instance().settings;
    QPainter painter(&layer);
    if (!painter.isActive())
        return;
    const QRect area = layer.rect();

    if (settings.backgroundType == 1 || settings.backgroundType == 2) {
        // Drawn once and not tiled: a portrait canvas takes the picture at its height and
        // cuts it at the right, any other at its width, cut at the bottom.
        const QImage picture(settings.backgroundType == 1 ? settings.backgroundTexture
                                                          : settings.backgroundImage);
        if (picture.isNull())
            return;
        painter.drawImage(0, 0,
                          area.height() <= area.width() ? picture.scaledToWidth(area.width())
                                                        : picture.scaledToHeight(area.height()));
        return;
    }

    if (settings.backgroundColorMode == 1 || settings.backgroundColorMode == 2) {
        const QPointF end = settings.backgroundColorMode == 1 ? QPointF(0, area.height() - 1)
                                                              : QPointF(area.width() - 1, 0);
        QLinearGradient gradient(QPointF(0, 0), end);
        gradient.setColorAt(0.0, settings.backgroundColor1);
        gradient.setColorAt(1.0, settings.backgroundColor2);
        painter.fillRect(area, gradient);
    } else {
        painter.fillRect(area, settings.backgroundColor1);
    }
}

QImage *CollageRenderer::resultBuffer(const QSize &size)
{
    QImage *buffer = nullptr;
    for (QImage &candidate : m_results) {
        if (candidate.size() == size && candidate.isDetached()) {
            buffer = &candidate;
            break;
        }
    }
    if (!buffer) {
        buffer = &m_results[size_t(m_nextResult)];
        m_nextResult = 1 - m_nextResult;
    }
    return prepareLayer(*buffer, size) ? buffer : nullptr;
}

void CollageRenderer::releaseHugeBuffers()
{
    for (QImage &buffer : m_results)
        releaseIfHuge(buffer);
    releaseIfHuge(m_framesLayer);
    releaseIfHuge(m_shadowLayer);
}
