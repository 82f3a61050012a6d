#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QString>
#include <array>

class QPainter;
struct PhotoFrame;

// Turns the collage of CollageState::instance() into one image: background, frames with
// their photos and shadow, overlay objects and corner ornaments. The first render after
// clearGeometry() derives the pixel geometry of the current layout into the document;
// every render writes it back into the layout in percent.
//
// The canvas keeps one renderer: it caches the background layer and reuses its large
// buffers between renders. Export renders from a copy of the document whose frames are
// rebuilt from the layout, and neither reads nor fills the background cache.
class CollageRenderer
{
public:
    static constexpr char kCornerOrnamentPath[] =
        ":/resources/images/Corner/velloran-stylized-floral-border.svg";

    // An image of target's size (target has its origin at (0, 0) and the canvas size), or
    // a null image when that cannot be allocated. A layer that cannot be allocated stays
    // out of the result.
    QImage renderCollage(const QRect &target, bool forExport);

    // The background settings or the canvas size changed; the next canvas render paints
    // the background again.
    void markBackgroundDirty() { m_backgroundDirty = true; }
    // Whether the last render built the frame geometry and so rescaled the photos.
    bool lastRenderRescaled() const { return m_rescaled; }
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
    // image at the photo's scale (also when painter is not active).
    void drawPhotoInFrame(QPainter &painter, PhotoFrame &photo, const QPainterPath &path,
                          bool rescale) const;
    // image over its own shadow of color, blurred by blurRadius without offset and cut at
    // the image border; null for a null image. The result shares a buffer the renderer
    // reuses, so drop it before the next render.
    QImage applyDropShadow(const QImage &image, const QColor &color, qreal blurRadius);

private:
    void paintBackground(QImage &layer) const;
    QImage *resultBuffer(const QSize &size);
    void releaseHugeBuffers();

    QImage m_background;
    bool m_backgroundDirty = true;
    bool m_rescaled = false;
    QString m_cornerPath = QString::fromUtf8(kCornerOrnamentPath);
    QString m_loadedCornerPath;
    QImage m_cornerImage;
    // The result alternates between two buffers, so a new render need not allocate while
    // the caller still holds the previous result.
    std::array<QImage, 2> m_results;
    int m_nextResult = 0;
    QImage m_framesLayer;
    QImage m_shadowLayer;
};
