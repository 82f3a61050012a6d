#pragma once

#include "CollageDocument.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTransform>
#include <algorithm>
#include <array>
#include <functional>

class QPainter;
struct PhotoFrame;

// Turns the collage of CollageState::instance() into one image: background, frames with
// their photos and shadow, overlay objects and corner ornaments. The first render after
// clearGeometry() derives the pixel geometry of the current layout into the document;
// every render writes it back into the layout in percent.
//
// Frames, photos and their shadow are drawn in horizontal bands on the thread pool, each
// with layers only as tall as the band and the shadow's reach, so no layer of the
// canvas's size exists beside the result.
//
// The canvas keeps one renderer. It caches the background layer and, over it, the frames
// with their photos and shadow (the base); a render compares the frames with those the
// base was drawn from and draws again only the area of the frames that changed, within
// the shadow's reach: all of them when the background, the canvas size or the frame style
// changed, none when only objects or ornaments did. Objects and ornaments are drawn
// afresh over a copy of the base every time. Export renders from a copy of the document
// whose frames are rebuilt from the layout, and neither reads nor fills these caches.
class CollageRenderer
{
public:
    static constexpr char kCornerOrnamentPath[] =
        ":/resources/images/Corner/velloran-stylized-floral-border.svg";

    // An image of target's size (target has its origin at (0, 0) and the canvas size), or
    // a null image when that cannot be allocated. A layer that cannot be allocated stays
    // out of the result.
    QImage renderCollage(const QRect &target, bool forExport);
    // The canvas's view: the collage of target drawn at viewSize, as renderCollage(target,
    // false) draws it under a painter scale of viewSize over target's size, so that a view
    // below full size costs its own pixels only. Photos, objects and pictures are reduced
    // with filtering before they are drawn, which makes the view look like the full-size
    // rendering smoothly scaled. The geometry stays in document pixels. The cached layers
    // are kept at viewSize; a null image when they cannot be allocated.
    QImage renderView(const QRect &target, const QSize &viewSize);

    // Takes the next rows of the image, top to bottom; false stops the rendering.
    using RowSink = std::function<bool(const QImage &rows)>;
    // Renders the export image as renderCollage(target, true) does, in slices of rows
    // handed to sink one after the other, so the whole image never exists at once. Each
    // slice is only valid during the call. With backgroundOnly just the background is
    // drawn. False when a slice could not be allocated or sink refused one.
    bool renderExportRows(const QRect &target, const RowSink &sink, bool backgroundOnly = false);

    // Builds the frame and divider geometry as the canvas's first render does, without
    // painting anything.
    void buildGeometry(const QRect &target);

    // The background settings or the canvas size changed; the next canvas render paints
    // the background again.
    void markBackgroundDirty() { m_backgroundDirty = true; }
    // Whether the last render built the frame geometry and so rescaled the photos.
    bool lastRenderRescaled() const { return m_rescaled; }
    // Rows per band, rounded up to an even number; 0, the default, chooses them by the
    // canvas size and the number of cores.
    void setBandRows(int rows) { m_bandRows = std::max(0, rows); }
    // The picture drawn into the corners; kCornerOrnamentPath unless changed.
    void setCornerOrnamentPath(const QString &path);

    // The background layer: the cached one on the canvas (painted again when marked
    // dirty or when the size changed), a freshly painted one for export.
    QImage renderBackground(const QRect &target, bool forExport);
    // Builds the frame geometry when the working document has none, draws every frame
    // with its photo through painter (nothing is drawn when painter is not active) and
    // writes the live frames back into the layout.
    void renderFrames(QPainter &painter, const QRect &target, bool forExport);
    // Builds each empty divider list from the layout, mapped like the frames, and writes
    // the dividers back into the layout.
    void computeDividerGeometry(const QRect &target);
    // The overlay objects with, unless forExport, the selection marker; a null image when
    // there are no objects.
    QImage renderObjects(const QRect &target, bool forExport);
    // Draws the ornament into each corner whose flag is set, mirrored towards the corner
    // and never scaled. A missing ornament draws nothing.
    void renderCorners(QPainter &painter, const QRect &target);
    // Black outline of lineWidth (0 is a one-pixel cosmetic pen) and the frame
    // background, a gradient spanning the path's bounding rectangle in modes 1 and 2.
    void applyFrameStyle(QPainter &painter, const QPainterPath &path) const;
    // Draws photo clipped to path, then the outline of path again over it; an empty slot
    // draws nothing. With rescale the display image is first rebuilt from the source
    // image at the photo's scale, filtered (also when painter is not active).
    void drawPhotoInFrame(QPainter &painter, PhotoFrame &photo, const QPainterPath &path,
                          bool rescale) const;
    // image over its own shadow of color, blurred by blurRadius without offset and cut at
    // the image border; null for a null image. The result shares a buffer the renderer
    // reuses, so drop it before the next render.
    QImage applyDropShadow(const QImage &image, const QColor &color, qreal blurRadius);

    // Rebuilds photo's display image from the source at the photo's scale: filtered, and
    // displaySize exactly when that still matches the scale, so it ends where hit testing
    // and the frame expect it. Above maxPixels the image is held smaller (see
    // heldDisplaySize) and drawn scaled. An unusable scale empties it.
    static void rescaleDisplayImage(PhotoFrame &photo, qint64 maxPixels);
    // The size rescaleDisplayImage scales to; empty for an empty slot or unusable scale.
    static QSize rescaledSize(const PhotoFrame &photo);

    // A band gets a shadow layer this much taller at each end: far enough that the blur's
    // tail beyond it stays well below one level.
    static constexpr int kShadowReach = 60;

private:
    // One frame as drawn: its outline, the cell's own background (no brush when it has
    // none) and the photo slot drawn into it (-1 for none).
    struct FramePaint
    {
        QPainterPath path;
        QBrush cellBackground;
        int slot = -1;
        // What the photo is drawn from, so that a changed photo marks its frame changed.
        qint64 photoKey = 0;
        // A display image held smaller than shown stays the same through a wheel zoom.
        QSize photoSize;
        QPointF photoPosition;
        int photoAngle = 0;
        // Drawn enlarged straight from the source, without a display image.
        bool fromSource = false;

        bool operator==(const FramePaint &other) const = default;
    };

    // The settings every frame is drawn with; a change draws the whole base again.
    struct FrameStyle
    {
        int lineWidth = 0;
        int topOffset = 0;
        int frameBackgroundMode = 0;
        QColor frameBackgroundColor1;
        QColor frameBackgroundColor2;
        bool dropShadow = false;

        bool operator==(const FrameStyle &other) const = default;
    };
    static FrameStyle currentFrameStyle();

    // A photo turned by its angle, or what a reduced view draws it from, kept while the
    // display image, the angle and the size shown stay.
    struct TurnedPhoto
    {
        qint64 key = 0;
        int angle = 0;
        QSize size;
        QImage image;
    };

    // Builds working's geometry when it has none (rescaling its photos), writes the live
    // frames back into the layout and lists the frames in drawing order. With fromSource
    // (export) every photo is rescaled, and those that would be enlarged are left to be
    // drawn from their source.
    QList<FramePaint> buildFrameScene(CollageDocument &working, const QRect &target,
                                      bool fromSource = false);
    // Draws the listed frames and working's photos; turned holds each slot's photo at its
    // rotation. scaled: the painter reduces to a view, turned holds what each photo is
    // drawn from at the view's scale (not turned), and a hairline shrinks with the view.
    void drawFrameScene(QPainter &painter, const QList<FramePaint> &scene,
                        const CollageDocument &working,
                        const std::array<QImage, kPhotoSlotCount> &turned,
                        bool scaled = false) const;
    // Draws the frames of scene into area of image (an even left and top), over what it
    // holds, band by band on the thread pool, in document coordinates mapped by view (a
    // scale) to image's. False when a band's layers cannot be allocated. image may hold
    // only the rows of a taller canvas from imageTop on; canvasHeight is then the
    // canvas's height.
    bool drawFrameBands(QImage &image, const QRect &area, const QList<FramePaint> &scene,
                        const CollageDocument &working,
                        const std::array<QImage, kPhotoSlotCount> &turned,
                        const QTransform &view = QTransform(), int imageTop = 0,
                        int canvasHeight = 0) const;
    // Brings the base up to date with scene over background; false when it cannot be
    // allocated or drawn.
    bool updateBase(const QImage &background, const QList<FramePaint> &scene,
                    const CollageDocument &working);
    QImage renderExport(const QRect &target);
    // Each listed photo at its rotation, except those drawn from their source.
    static std::array<QImage, kPhotoSlotCount> exportTurnedPhotos(const QList<FramePaint> &scene,
                                                                  const CollageDocument &working);
    // The background texture or picture when the settings ask for one.
    static QImage backgroundPicture();
    // The background of a canvas of canvasSize (layer's own size when empty) scaled to
    // layer.
    void paintBackground(QImage &layer, QSize canvasSize = QSize()) const;
    // Paints the rows of a canvas of that size from top on into layer, mapped by view,
    // with picture as the background texture or picture.
    void paintBackground(QImage &layer, const QSize &canvas, int top, const QImage &picture,
                         const QTransform &view = QTransform()) const;
    // The cached background at viewSize, painted again when marked dirty or resized.
    QImage backgroundLayer(const QRect &target, const QSize &viewSize);
    QImage *resultBuffer(const QSize &size);
    void releaseHugeBuffers();

    QImage m_background;
    int m_backgroundGeneration = 0;
    int m_bandRows = 0;
    // The base and what it was drawn from; a null base is drawn whole.
    QImage m_base;
    QList<FramePaint> m_baseScene;
    FrameStyle m_baseStyle;
    // The view's scale of the last canvas render and of the base.
    QTransform m_view;
    QTransform m_baseView;
    int m_baseBackgroundGeneration = -1;
    std::array<TurnedPhoto, kPhotoSlotCount> m_turned;
    bool m_backgroundDirty = true;
    bool m_rescaled = false;
    QString m_cornerPath = QString::fromUtf8(kCornerOrnamentPath);
    QString m_loadedCornerPath;
    QImage m_cornerImage;
    // The result alternates between two buffers, so a new render need not allocate while
    // the caller still holds the previous result.
    std::array<QImage, 2> m_results;
    int m_nextResult = 0;
    QImage m_shadowLayer;
};
