#pragma once

#include "CanvasGeometry.h"
#include "CollageRenderer.h"

#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QWidget>

class CollageHQImageThread;
class QDrag;
class QDropEvent;
class QMenu;
class QMimeData;
class QTimer;

namespace Ui {
class QuiltraCanvasForm;
}

// The widget the collage is edited on. Below 100 % it renders the collage at the zoomed
// size, which is smooth already; at full size and above it shows the full-size rendering
// scaled to the zoom (fast at once, smooth after a quiet pause). A zoom change shows the
// last rendering scaled at once and renders again at the new size a moment later. It
// turns pointer, wheel and drop events into edits of the document. What lies under the pointer and
// how a drag changes the geometry is decided by the functions of CanvasGeometry.h.
class QuiltraCanvasForm : public QWidget
{
    Q_OBJECT

public:
    // The internal drag of a photo to another frame carries its slot under this type.
    static constexpr char kPhotoSlotMimeType[] = "application/x-quiltra-photo-slot";
    // Timer ticks of quiet before the smooth view is asked for.
    static constexpr int kHQCountdownTicks = 10;

    explicit QuiltraCanvasForm(QWidget *parent = nullptr);
    ~QuiltraCanvasForm() override;

    // The document changed: render again at the next paint. A changed background is
    // remembered until that paint, whatever later calls say.
    void requestRedraw(bool backgroundChanged);
    // The zoom changed: scale the last rendering again at the next paint.
    void requestRescale();
    // The Shift state the window reports from key events. Gestures read Shift from their
    // own pointer event, which cannot go stale when focus moves away.
    void setShiftPressed(bool pressed);
    // The collage at full canvas size as exported: no selection marker.
    QImage renderCollageImage();
    // Renders the collage at full size and writes it to filePath, the format following
    // the suffix; a failure is shown as a warning that names the file and the reason.
    void exportImage(const QString &filePath);

    // Applies an adjustment to the photo of the frame the menu was opened on; the
    // adjustment dialog's Apply lands here. Not a named slot: the form's by-name wiring
    // would look for a child called "setFilter".
    void on_setFilter(int filterIndex, int value);

Q_SIGNALS:
    void selectedItemChanged();
    void selectedItemPosChanged();
    void deleteSelectedItem();

public Q_SLOTS:
    void generateHQImage();
    void onHQImageReady(QImage image);
    void onClearImageAction();
    void onDeleteAction();
    void onFrameBackgroundAction();
    void onFrameRotateAction();
    void onNewRotateVal(int val);
    void onGrayscaleAction();
    void onSepiaAction();
    void onContrastAction();
    void onBrightnessAction();
    void onGammaAction();
    void onInvertColorsAction();
    void onResetImageAction();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

    // Runs the drag of a photo to another frame and returns when it ends.
    virtual Qt::DropAction execPhotoDrag(QDrag *drag);

private:
    // A right press on the canvas: the object menu over an overlay object, else the
    // frame menu over a frame.
    void contextMenuRequested(QPoint widgetPos, QPointF docPos);
    void showObjectMenu(int objectIndex, QPoint docPoint, QPoint globalPos);
    void showFrameMenu(QPoint globalPos);
    // Empties the menu, dropping the actions and submenus of the last build.
    QMenu *clearedContextMenu();
    void runFilterDialog(int filterIndex);
    void pressPhoto(QPointF docPos, bool shift);
    void startPhotoDrag(int slot);
    void dropFile(const QString &path, int targetSlot);
    void dropPhotoFromSlot(int sourceSlot, int targetSlot);
    // Whether the wheel changed the photo under docPos.
    bool wheelPhoto(QPointF docPos, int step, bool shift);
    void dragDivider(QPointF docPos);
    void updateHoverCursor(QPointF docPos);
    void markDocumentChanged();
    void renderForView();
    // The size the collage is rendered at for the current zoom.
    QSize renderSize() const;
    // Whether a drag brings files or this canvas's own photo.
    bool carriesPhotos(const QMimeData *payload) const;
    static void acceptAsLink(QDropEvent *event);
    OverlayObject *heldObject();
    // The document point of a pointer position, or nothing while the zoom maps nowhere.
    std::optional<QPointF> toDocument(QPointF widgetPos) const;

    Ui::QuiltraCanvasForm *ui;

    bool viewDirty = true;
    bool documentDirty = true;
    bool backgroundDirty = true;
    bool panning = false;
    bool draggingPhoto = false;
    int currentFrame = -1;
    DividerDrag dividerDrag;
    bool objectDragging = false;
    int hqCountdown = 0;
    QTimer *hqTimer = nullptr;
    QTimer *rerenderTimer = nullptr;
    bool shiftPressed = false;
    QPointF pressPos;
    QPointF dragStart;
    QImage collageImage;
    QImage viewImage;
    // The slot whose photo this canvas is dragging, -1 when none: only such a drag may
    // move a photo.
    int photoDragSlot = -1;
    // By id: the object list may change (a delete) while the id is held.
    int heldObjectId = -1;
    QPointer<CollageHQImageThread> hqRequest;
    // Counts view rebuilds; a smooth image made for an older view never replaces it.
    quint64 viewGeneration = 0;
    quint64 hqRequestGeneration = 0;
    // Set when the last render could not be made or shown at this size.
    bool viewUnavailable = false;
    CollageRenderer renderer;
    QMenu *contextMenu = nullptr;
};
