#include "CollageRenderer.h"

#include "CatalogueSync.h"
#include "CollageState.h"
#include "DropShadow.h"
#include "FrameGeometry.h"
#include "LayerBuffer.h"
#include "OverlayPainter.h"
#include "PhotoPlacement.h"
#include "ReducedDrawing.h"

#include <QLinearGradient>
#include <QPainter>
#include <QThread>
#include <QTransform>
#include <QtConcurrent/QtConcurrentMap>
#include <QtMath>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <vector>

namespace {

const QColor kShadowColor(0, 0, 0, 255);
constexpr qreal kShadowBlurRadius = 20.0;

// Export bands hold about this many pixels per layer, and at least this many rows.
constexpr qint64 kBandPixels = qint64(4) << 20;
constexpr int kMinimumBandRows = 256;

// A length in whole pixels rounded from a real one; 0 when that is no usable length.
// Rounded, not truncated: a scale stored in single precision times the source length
// falls just short of the intended whole number as often as not.
int wholeLength(qreal length)
{
    if (!qIsFinite(length) || length < 0.5 || length >= qreal(std::numeric_limits<int>::max()))
        return 0;
    return qRound(length);
}

bool covers(const QSize &image, const QSize &size)
{
    return image.width() >= size.width() && image.height() >= size.height();
}

bool covers(const QImage &image, const QSize &size)
{
    return covers(image.size(), size);
}

// The display image turned by the photo's angle; null when there is none or when it is
// held smaller than it is shown, since that one is drawn scaled instead.
QImage turnedPhoto(const PhotoFrame &photo)
{
    if (photo.sourceImage.isNull() || photo.displayImage.isNull() ||
        photo.displayImage.size() != photo.displaySize) {
        return {};
    }
    return photo.displayImage.transformed(QTransform().rotate(std::trunc(photo.angle)),
                                          Qt::SmoothTransformation);
}

// What a reduced view draws the photo shown at size from: the display image or, where that
// is smaller, the source, filtered down to at most twice size. Drawn through the view's
// transformation with smooth sampling, at most halved, that lands at the exact fraction
// of a pixel the full-size photo would, where a copy filtered to size itself would be
// placed at whole pixels and show its edges half a pixel off. Null when neither image
// covers size (the photo is then drawn from the display image while drawing).
QImage viewPhoto(const PhotoFrame &photo, const QSize &size)
{
    if (photo.sourceImage.isNull() || photo.displayImage.isNull() || size.isEmpty())
        return {};
    const QImage &from = covers(photo.displayImage, size) ? photo.displayImage : photo.sourceImage;
    if (!covers(from, size))
        return {};
    const QSize twice = size * 2;
    return covers(twice, from.size()) ? from : filteredScale(from, twice);
}

// The size of a photo shown at size in the view; at least a pixel.
QSize viewPhotoSize(const QSize &size, const QTransform &view)
{
    return QSize(std::max(1, qRound(size.width() * view.m11())),
                 std::max(1, qRound(size.height() * view.m22())));
}

// The shadow's blur radius and a band's extra rows for it, at the view's scale: the rows
// an even number, so a band's layer starts on the blur's half-resolution grid.
qreal shadowRadius(const QTransform &view)
{
    return kShadowBlurRadius * (view.m11() + view.m22()) * 0.5;
}

int shadowReach(const QTransform &view)
{
    if (view.isIdentity())
        return CollageRenderer::kShadowReach;
    const int reach = qCeil(CollageRenderer::kShadowReach * (view.m11() + view.m22()) * 0.5) + 2;
    return std::min(CollageRenderer::kShadowReach, reach + (reach & 1));
}

// Drawn straight onto the layer through a clip without antialiasing: the same pixels as
// painting into a transparent full-size scratch image and composing that, at a fraction
// of the cost. The outline drawn next covers the clip's edge.
void drawTurnedPhoto(QPainter &painter, const QImage &turned, const QPointF &position,
                     const QPainterPath &path)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipPath(path);
    painter.drawImage(position, turned);
    painter.restore();
}

// image (the photo's source, or a display image held smaller than it is shown) drawn as
// the display image at displaySize, turned by its angle, would be: the same
// transformation, applied while drawing, with smooth sampling.
void drawScaledPhoto(QPainter &painter, const QImage &source, const PhotoFrame &photo,
                     const QPointF &position, const QPainterPath &path)
{
    QTransform transform =
        QTransform::fromScale(qreal(photo.displaySize.width()) / source.width(),
                              qreal(photo.displaySize.height()) / source.height()) *
        QTransform().rotate(std::trunc(photo.angle));
    const QRectF turned = transform.mapRect(QRectF(source.rect()));
    transform *=
        QTransform::fromTranslate(position.x() - turned.left(), position.y() - turned.top());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipPath(path);
    painter.setTransform(transform, true);
    painter.drawImage(0, 0, source);
    painter.restore();
}

// An even number of rows per band, so each band's shadow is blurred on the same
// half-resolution grid as the whole image's would be.
int exportBandRows(const QSize &size, int workers, int requested)
{
    qint64 rows = requested;
    if (rows <= 0) {
        const qint64 byPixels = kBandPixels / std::max(1, size.width());
        const int perWorker = (size.height() + workers - 1) / std::max(1, workers);
        rows = std::max<qint64>(kMinimumBandRows, std::min<qint64>(byPixels, perWorker));
    }
    return int(std::min<qint64>(rows + (rows & 1), size.height() + (size.height() & 1)));
}

} // namespace

QImage CollageRenderer::renderCollage(const QRect &target, bool forExport)
{
    if (forExport)
        return renderExport(target);
    return renderView(target, target.size());
}

QImage CollageRenderer::renderView(const QRect &target, const QSize &viewSize)
{
    QImage *result = target.isEmpty() ? nullptr : resultBuffer(viewSize);
    if (!result) {
        // Nothing can be shown, but the canvas still needs the geometry for hit testing.
        buildGeometry(target);
        releaseHugeBuffers();
        return QImage();
    }

    m_view = QTransform::fromScale(qreal(viewSize.width()) / target.width(),
                                   qreal(viewSize.height()) / target.height());
    const QImage background = backgroundLayer(target, viewSize);
    CollageDocument &document = CollageState::instance().document;
    const QList<FramePaint> scene = buildFrameScene(document, target);
    computeDividerGeometry(target);
    if (updateBase(background, scene, document))
        std::memcpy(result->bits(), m_base.constBits(), size_t(result->sizeInBytes()));

    QPainter painter(result);
    painter.setTransform(m_view);
    drawOverlayObjects(painter, document, false);
    renderCorners(painter, target);
    painter.end();

    const QImage image = *result;
    releaseHugeBuffers();
    return image;
}

CollageRenderer::FrameStyle CollageRenderer::currentFrameStyle()
{
    const CanvasSettings &settings = CollageState::instance().settings;
    return {settings.lineWidth,
            settings.topOffset,
            settings.frameBackgroundMode,
            settings.frameBackgroundColor1,
            settings.frameBackgroundColor2,
            settings.dropShadow != 0};
}

bool CollageRenderer::updateBase(const QImage &background, const QList<FramePaint> &scene,
                                 const CollageDocument &working)
{
    const QSize size = background.size();
    const FrameStyle style = currentFrameStyle();
    QRect area(QPoint(0, 0), size);
    const bool whole = m_base.size() != size || m_base.format() != background.format() ||
                       m_baseBackgroundGeneration != m_backgroundGeneration ||
                       !(m_baseStyle == style) || m_baseScene.size() != scene.size() ||
                       m_baseView != m_view;
    if (whole) {
        m_base = QImage();
        m_base = QImage(size, QImage::Format_ARGB32_Premultiplied);
        if (m_base.isNull() || background.format() != m_base.format())
            return false;
    } else {
        // A frame's paint stays within its outline, the pen and the antialiased edge; its
        // shadow reaches further.
        const int slack = (style.dropShadow ? shadowReach(m_view) : 0) +
                          qCeil(style.lineWidth * m_view.m11()) + 2;
        QRectF changed;
        for (qsizetype i = 0; i < scene.size(); ++i) {
            if (!(scene[i] == m_baseScene[i])) {
                changed |= m_view.mapRect(scene[i].path.boundingRect());
                changed |= m_view.mapRect(m_baseScene[i].path.boundingRect());
            }
        }
        area =
            changed.isNull()
                ? QRect()
                : changed.toAlignedRect().adjusted(-slack, -slack, slack, slack).intersected(area);
    }

    m_baseScene = scene;
    m_baseStyle = style;
    m_baseView = m_view;
    m_baseBackgroundGeneration = m_backgroundGeneration;
    if (area.isEmpty())
        return true;
    // An even corner, so that the shadow is blurred on the same half-resolution grid as
    // before.
    area.setLeft(area.left() & ~1);
    area.setTop(area.top() & ~1);
    const size_t rowBytes = size_t(area.width()) * sizeof(QRgb);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        std::memcpy(reinterpret_cast<QRgb *>(m_base.scanLine(y)) + area.left(),
                    reinterpret_cast<const QRgb *>(background.constScanLine(y)) + area.left(),
                    rowBytes);
    }

    const bool scaled = !m_view.isIdentity();
    std::array<QImage, kPhotoSlotCount> turned;
    for (const FramePaint &frame : scene) {
        if (frame.slot < 0)
            continue;
        const PhotoFrame &photo = working.photos[size_t(frame.slot)];
        const QSize size = viewPhotoSize(photo.displaySize, m_view);
        TurnedPhoto &cached = m_turned[size_t(frame.slot)];
        if (cached.key != frame.photoKey || cached.angle != frame.photoAngle ||
            cached.size != size || cached.image.isNull()) {
            cached = {frame.photoKey, frame.photoAngle, size,
                      scaled ? viewPhoto(photo, size) : turnedPhoto(photo)};
        }
        turned[size_t(frame.slot)] = cached.image;
    }
    if (!drawFrameBands(m_base, area, scene, working, turned, m_view)) {
        m_base = QImage();
        return false;
    }
    return true;
}

bool CollageRenderer::drawFrameBands(QImage &image, const QRect &area,
                                     const QList<FramePaint> &scene, const CollageDocument &working,
                                     const std::array<QImage, kPhotoSlotCount> &turned,
                                     const QTransform &view, int imageTop, int canvasHeight) const
{
    const int width = image.width();
    const int height = canvasHeight > 0 ? canvasHeight : image.height();
    const int workers = std::max(1, QThread::idealThreadCount());
    const int bandRows = exportBandRows(area.size(), workers, m_bandRows);
    const int bandCount = (area.height() + bandRows - 1) / bandRows;
    const bool shadow = CollageState::instance().settings.dropShadow != 0;
    const int reach = shadow ? shadowReach(view) : 0;
    const qreal blurRadius = shadowRadius(view);
    const bool scaled = !view.isIdentity();
    const int layerLeft = area.left() - reach;
    const int layerWidth = area.width() + 2 * reach;
    std::vector<int> workerIds(size_t(std::min(workers, bandCount)));
    std::iota(workerIds.begin(), workerIds.end(), 0);
    std::atomic_bool failed = false;
    // Each worker takes every n-th band and keeps its layers for all of them; a band
    // writes only its own rows of image, through an image over those rows.
    auto renderBands = [&](int worker) {
        // A path caches what it derives for drawing inside itself, so threads must not
        // draw the same one: each worker draws its own copies.
        QList<FramePaint> own = scene;
        for (FramePaint &frame : own) {
            QPainterPath copy;
            copy.addPath(frame.path);
            frame.path = copy;
        }
        QImage layer;
        QImage shadowed;
        for (int band = worker; band < bandCount; band += int(workerIds.size())) {
            const int top = area.top() + band * bandRows;
            const int rows = std::min(bandRows, area.bottom() + 1 - top);
            const int layerTop = top - reach;
            if (!prepareLayer(layer, QSize(layerWidth, rows + 2 * reach))) {
                failed = true;
                return;
            }
            {
                QPainter painter(&layer);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.translate(-layerLeft, -(layerTop + imageTop));
                painter.setTransform(view, true);
                drawFrameScene(painter, own, working, turned, scaled);
            }
            // The whole image has nothing beyond its border, so neither may the shadow's
            // source here, even where a turned frame reaches past it.
            const int inLeft = std::clamp(-layerLeft, 0, layerWidth);
            const int inRight = std::clamp(width - layerLeft, inLeft, layerWidth);
            for (int y = 0; y < layer.height(); ++y) {
                auto *line = reinterpret_cast<QRgb *>(layer.scanLine(y));
                const int canvasRow = imageTop + layerTop + y;
                if (canvasRow < 0 || canvasRow >= height) {
                    std::memset(line, 0, size_t(layer.bytesPerLine()));
                    continue;
                }
                std::fill(line, line + inLeft, 0u);
                std::fill(line + inRight, line + layerWidth, 0u);
            }
            const QImage *frames = &layer;
            if (shadow) {
                if (!drawWithDropShadow(layer, kShadowColor, blurRadius, shadowed)) {
                    failed = true;
                    return;
                }
                frames = &shadowed;
            }
            QImage bandImage(image.bits() + qsizetype(top) * image.bytesPerLine(), width, rows,
                             image.bytesPerLine(), image.format());
            QPainter painter(&bandImage);
            painter.drawImage(QPoint(area.left(), 0), *frames,
                              QRect(reach, reach, area.width(), rows));
        }
    };
    QtConcurrent::blockingMap(workerIds, renderBands);
    return !failed;
}

QImage CollageRenderer::renderExport(const QRect &target)
{
    CollageDocument working = CollageState::instance().document;
    working.frameRects.clear();
    const QList<FramePaint> scene = buildFrameScene(working, target, true);

    QImage result;
    if (!prepareLayer(result, target.size()))
        return QImage();
    paintBackground(result);

    const std::array<QImage, kPhotoSlotCount> turned = exportTurnedPhotos(scene, working);
    if (!drawFrameBands(result, result.rect(), scene, working, turned))
        return QImage();

    // Objects and ornaments are few and small: drawn once over the whole image, straight
    // onto it, instead of once per band.
    QPainter painter(&result);
    drawOverlayObjects(painter, working, true);
    renderCorners(painter, target);
    painter.end();
    return result;
}

std::array<QImage, kPhotoSlotCount>
CollageRenderer::exportTurnedPhotos(const QList<FramePaint> &scene, const CollageDocument &working)
{
    std::array<QImage, kPhotoSlotCount> turned;
    for (const FramePaint &frame : scene) {
        if (frame.slot >= 0 && !frame.fromSource)
            turned[size_t(frame.slot)] = turnedPhoto(working.photos[size_t(frame.slot)]);
    }
    return turned;
}

bool CollageRenderer::renderExportRows(const QRect &target, const RowSink &sink,
                                       bool backgroundOnly)
{
    if (target.isEmpty())
        return false;
    CollageDocument working = CollageState::instance().document;
    working.frameRects.clear();
    QList<FramePaint> scene;
    std::array<QImage, kPhotoSlotCount> turned;
    if (!backgroundOnly) {
        scene = buildFrameScene(working, target, true);
        turned = exportTurnedPhotos(scene, working);
    }
    // Read once, not once per slice.
    const QImage picture = backgroundPicture();

    // One band per worker at a time, with the bands' edges where a whole render has them.
    const int workers = std::max(1, QThread::idealThreadCount());
    const int sliceRows = exportBandRows(target.size(), workers, m_bandRows) * workers;
    QImage slice;
    for (int top = 0; top < target.height(); top += sliceRows) {
        const int rows = std::min(sliceRows, target.height() - top);
        if (!prepareLayer(slice, QSize(target.width(), rows)))
            return false;
        paintBackground(slice, target.size(), top, picture);
        if (!backgroundOnly) {
            if (!drawFrameBands(slice, slice.rect(), scene, working, turned, QTransform(), top,
                                target.height())) {
                return false;
            }
            QPainter painter(&slice);
            painter.translate(0, -top);
            drawOverlayObjects(painter, working, true);
            renderCorners(painter, target);
        }
        if (!sink(slice))
            return false;
    }
    return true;
}

void CollageRenderer::buildGeometry(const QRect &target)
{
    QPainter inactive;
    renderFrames(inactive, target, false);
    computeDividerGeometry(target);
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
    return backgroundLayer(target, target.size());
}

QImage CollageRenderer::backgroundLayer(const QRect &target, const QSize &viewSize)
{
    if (m_backgroundDirty || m_background.size() != viewSize) {
        if (prepareLayer(m_background, viewSize))
            paintBackground(m_background, target.size());
        m_backgroundDirty = false;
        ++m_backgroundGeneration;
    }
    return m_background;
}

void CollageRenderer::renderFrames(QPainter &painter, const QRect &target, bool forExport)
{
    // Export draws frames rebuilt from the layout and leaves the live document alone.
    CollageDocument exportCopy;
    CollageDocument *working = &CollageState::instance().document;
    if (forExport) {
        exportCopy = *working;
        exportCopy.frameRects.clear();
        working = &exportCopy;
    }
    const QList<FramePaint> scene = buildFrameScene(*working, target);
    if (!painter.isActive())
        return;
    std::array<QImage, kPhotoSlotCount> turned;
    for (const FramePaint &frame : scene) {
        if (frame.slot >= 0)
            turned[size_t(frame.slot)] = turnedPhoto(working->photos[size_t(frame.slot)]);
    }
    drawFrameScene(painter, scene, *working, turned);
}

QList<CollageRenderer::FramePaint>
CollageRenderer::buildFrameScene(CollageDocument &working, const QRect &target, bool fromSource)
{
    const CanvasSettings &settings = CollageState::instance().settings;
    const LayoutTemplate *layout = CollageState::instance().currentLayout();

    bool rescale = false;
    if (working.frameRects.isEmpty() && working.triangleFrames.isEmpty() && layout) {
        const FrameArea area = frameArea(target, settings.margin, settings.topOffset);
        for (const LayoutCell &cell : layout->cells) {
            if (cell.kind == LayoutCell::Triangle)
                working.triangleFrames.append(cellTriangleFrame(cell, area, settings.spacing));
            else
                working.frameRects.append(cellFrameRect(cell, area, settings.spacing));
        }
        rescale = true;
    }

    QList<FramePaint> scene;
    auto addFrame = [&](qsizetype index, const QPainterPath &path) {
        FramePaint frame;
        frame.path = path;
        if (layout && index < layout->cells.size() && layout->cells[index].hasBackgroundColor)
            frame.cellBackground = layout->cells[index].backgroundColor;
        if (index < kPhotoSlotCount && !working.photos[size_t(index)].sourceImage.isNull())
            frame.slot = int(index);
        scene.append(frame);
    };
    for (qsizetype i = 0; i < working.frameRects.size(); ++i) {
        const QRectF &rect = working.frameRects[i];
        QPainterPath path = roundedRectPath(rect, settings.roundCorners);
        if (layout && i < layout->cells.size()) {
            const QPointF centre = rect.center();
            QTransform turn;
            turn.translate(centre.x(), centre.y());
            turn.rotate(layout->cells[i].rotation);
            turn.translate(-centre.x(), -centre.y());
            path = turn.map(path);
        }
        addFrame(i, path);
    }
    for (qsizetype i = 0; i < working.triangleFrames.size(); ++i)
        addFrame(i, roundedTrianglePath(working.triangleFrames[i], settings.roundCorners));

    // Export rebuilds every photo from its source, also in frames it did not rebuild, so
    // the file never shows a copy scaled fast during a gesture.
    if (rescale || fromSource) {
        std::vector<PhotoFrame *> photos;
        for (FramePaint &frame : scene) {
            if (frame.slot < 0)
                continue;
            PhotoFrame &photo = working.photos[size_t(frame.slot)];
            const QSize size = rescaledSize(photo);
            // An enlarged copy of a photo can be far larger than the photo; on a poster,
            // gigabytes.
            if (fromSource && size.width() > photo.sourceImage.width()) {
                frame.fromSource = true;
                photo.displayImage = QImage();
                photo.displaySize = size;
                continue;
            }
            photos.push_back(&photo);
        }
        const qint64 maxPixels = maxDisplayPixels(CollageState::instance().canvasSize);
        QtConcurrent::blockingMap(
            photos, [maxPixels](PhotoFrame *photo) { rescaleDisplayImage(*photo, maxPixels); });
    }

    for (FramePaint &frame : scene) {
        if (frame.slot < 0)
            continue;
        const PhotoFrame &photo = working.photos[size_t(frame.slot)];
        frame.photoKey = photo.displayImage.cacheKey();
        frame.photoSize = photo.displaySize;
        frame.photoPosition = photo.position;
        frame.photoAngle = int(std::trunc(photo.angle));
    }

    m_rescaled = rescale;
    syncCellsToCatalogue();
    return scene;
}

void CollageRenderer::drawFrameScene(QPainter &painter, const QList<FramePaint> &scene,
                                     const CollageDocument &working,
                                     const std::array<QImage, kPhotoSlotCount> &turned,
                                     bool scaled) const
{
    const int topOffset = CollageState::instance().settings.topOffset;
    const int lineWidth = CollageState::instance().settings.lineWidth;
    for (const FramePaint &frame : scene) {
        applyFrameStyle(painter, frame.path);
        if (scaled && lineWidth <= 0) {
            // A hairline is a pixel wide at full size; in a reduced view it must shrink
            // with everything else, as in the full-size view scaled down.
            QPen pen = painter.pen();
            pen.setWidthF(1.0);
            pen.setCosmetic(false);
            painter.setPen(pen);
        }
        if (frame.cellBackground.style() != Qt::NoBrush)
            painter.setBrush(frame.cellBackground);
        painter.drawPath(frame.path);
        if (frame.slot < 0)
            continue;
        const PhotoFrame &photo = working.photos[size_t(frame.slot)];
        const QImage &image = turned[size_t(frame.slot)];
        const QPointF position(photo.position.x(), photo.position.y() + topOffset);
        if (frame.fromSource)
            drawScaledPhoto(painter, photo.sourceImage, photo, position, frame.path);
        else if (!image.isNull() && scaled)
            drawScaledPhoto(painter, image, photo, position, frame.path);
        else if (!image.isNull())
            drawTurnedPhoto(painter, image, position, frame.path);
        else if (!photo.displayImage.isNull())
            drawScaledPhoto(painter, photo.displayImage, photo, position, frame.path);
        painter.setBrush(Qt::NoBrush);
        if (lineWidth > 0) {
            QPen pen = painter.pen();
            pen.setWidth(lineWidth);
            painter.setPen(pen);
        }
        painter.drawPath(frame.path);
    }
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
    const QSizeF size(m_cornerImage.size());
    if (settings.cornerTopLeft)
        drawImageReduced(painter, QRectF(QPointF(0, 0), size), m_cornerImage);
    if (settings.cornerTopRight)
        drawImageReduced(painter, QRectF(QPointF(right, 0), size),
                         m_cornerImage.mirrored(true, false));
    if (settings.cornerBottomLeft)
        drawImageReduced(painter, QRectF(QPointF(0, bottom), size),
                         m_cornerImage.mirrored(false, true));
    if (settings.cornerBottomRight)
        drawImageReduced(painter, QRectF(QPointF(right, bottom), size),
                         m_cornerImage.mirrored(true, true));
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
        rescaleDisplayImage(photo, maxDisplayPixels(CollageState::instance().canvasSize));
    }
    if (!painter.isActive())
        return;

    const CanvasSettings &settings = CollageState::instance().settings;
    const QImage turned = turnedPhoto(photo);
    const QPointF position(photo.position.x(), photo.position.y() + settings.topOffset);
    if (!turned.isNull())
        drawTurnedPhoto(painter, turned, position, path);
    else if (!photo.displayImage.isNull())
        drawScaledPhoto(painter, photo.displayImage, photo, position, path);
    painter.setBrush(Qt::NoBrush);
    if (settings.lineWidth > 0) {
        QPen pen = painter.pen();
        pen.setWidth(settings.lineWidth);
        painter.setPen(pen);
    }
    painter.drawPath(path);
}

QSize CollageRenderer::rescaledSize(const PhotoFrame &photo)
{
    const QImage &source = photo.sourceImage;
    if (source.isNull())
        return {};
    const int width = wholeLength(qreal(source.width()) * qreal(photo.scale));
    if (width <= 0)
        return {};
    const int height = photo.displaySize.width() == width && photo.displaySize.height() > 0
                           ? photo.displaySize.height()
                           : wholeLength(qreal(source.height()) * width / source.width());
    return height > 0 ? QSize(width, height) : QSize();
}

void CollageRenderer::rescaleDisplayImage(PhotoFrame &photo, qint64 maxPixels)
{
    if (photo.sourceImage.isNull())
        return;
    const QSize size = rescaledSize(photo);
    if (size.isEmpty()) {
        photo.displayImage = QImage();
        photo.displaySize = photo.displayImage.size();
        return;
    }
    const QImage scaled = makeDisplayImage(photo.sourceImage, size, maxPixels);
    if (scaled.isNull())
        return;
    photo.displayImage = scaled;
    photo.displaySize = size;
}

QImage CollageRenderer::applyDropShadow(const QImage &image, const QColor &color, qreal blurRadius)
{
    if (!drawWithDropShadow(image, color, blurRadius, m_shadowLayer))
        return QImage();
    return m_shadowLayer;
}

QImage CollageRenderer::backgroundPicture()
{
    const CanvasSettings &settings = CollageState::instance().settings;
    if (settings.backgroundType != 1 && settings.backgroundType != 2)
        return QImage();
    return readPhotoFile(settings.backgroundType == 1 ? settings.backgroundTexture
                                                      : settings.backgroundImage);
}

void CollageRenderer::paintBackground(QImage &layer, QSize canvasSize) const
{
    if (canvasSize.isEmpty())
        canvasSize = layer.size();
    const QTransform view =
        canvasSize == layer.size()
            ? QTransform()
            : QTransform::fromScale(qreal(layer.width()) / canvasSize.width(),
                                    qreal(layer.height()) / canvasSize.height());
    paintBackground(layer, canvasSize, 0, backgroundPicture(), view);
}

void CollageRenderer::paintBackground(QImage &layer, const QSize &canvas, int top,
                                      const QImage &picture, const QTransform &view) const
{
    const CanvasSettings &settings = CollageState::instance().settings;
    QPainter painter(&layer);
    if (!painter.isActive())
        return;
    painter.translate(0, -top);
    painter.setTransform(view, true);
    const QRect area(QPoint(0, 0), canvas);

    if (settings.backgroundType == 1 || settings.backgroundType == 2) {
        // Drawn once and not tiled: a portrait canvas takes the picture at its height and
        // cuts it at the right, any other at its width, cut at the bottom.
        // Drawn through a target rectangle rather than a scaled copy: a picture of an
        // extreme shape would otherwise ask for a copy far larger than the canvas.
        if (picture.isNull() || picture.width() < 1 || picture.height() < 1)
            return;
        const bool byWidth = area.height() <= area.width();
        const qreal factor = byWidth ? qreal(area.width()) / picture.width()
                                     : qreal(area.height()) / picture.height();
        const QRectF target(0, 0, byWidth ? area.width() : std::floor(picture.width() * factor),
                            byWidth ? std::floor(picture.height() * factor) : area.height());
        drawImageReduced(painter, target, picture);
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
    releaseIfHuge(m_base);
    releaseIfHuge(m_background);
    releaseIfHuge(m_shadowLayer);
}
