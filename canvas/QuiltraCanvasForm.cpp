#include "QuiltraCanvasForm.h"

#include "CollageHQImageThread.h"
#include "CollageState.h"
#include "FrameCommands.h"
#include "ImageExportRunner.h"
#include "ImageFilter.h"
#include "KXGlobal.h"
#include "LayoutCell.h"
#include "PhotoPlacement.h"
#include "QuiltraFilterDialog.h"
#include "QuiltraRotateDialog.h"
#include "ui_QuiltraCanvasForm.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <cmath>

namespace {

constexpr int kHQTickMs = 1000;
// Quiet after a zoom change before the view is rendered at the new size.
constexpr int kRerenderDelayMs = 150;
constexpr int kDragPixmapWidth = 48;
// The screen rendering and its layers take about twenty bytes a pixel; beyond this many
// pixels the canvas shows a message instead of asking for gigabytes.
constexpr qint64 kMaxViewRenderPixels = qint64(64) * 1024 * 1024;

CollageState &state()
{
    return CollageState::instance();
}

qint64 pixelCount(QSize size)
{
    return qint64(size.width()) * size.height();
}

// The full canvas as whole pixels, empty when the size is none an image can have.
QRect canvasTarget()
{
    const QSizeF size = state().canvasSize;
    if (!(size.width() >= 1.0) || !(size.height() >= 1.0) ||
        size.width() > qreal(std::numeric_limits<int>::max()) ||
        size.height() > qreal(std::numeric_limits<int>::max())) {
        return QRect();
    }
    return QRect(0, 0, int(size.width()), int(size.height()));
}

bool isShift(Qt::KeyboardModifiers modifiers)
{
    return modifiers.testFlag(Qt::ShiftModifier);
}

} // namespace

QuiltraCanvasForm::QuiltraCanvasForm(QWidget *parent)
    : QWidget(parent), ui(new Ui::QuiltraCanvasForm)
{
    ui->setupUi(this);
    setAcceptDrops(true);
    // The resize cursor shows while hovering a divider, not only while a button is held.
    setMouseTracking(true);
}

QuiltraCanvasForm::~QuiltraCanvasForm()
{
    // A request still running would be destroyed with the canvas mid-run.
    for (CollageHQImageThread *request : findChildren<CollageHQImageThread *>())
        request->wait();
    delete ui;
}

void QuiltraCanvasForm::requestRedraw(bool backgroundChanged)
{
    documentDirty = true;
    backgroundDirty = backgroundDirty || backgroundChanged;
    update();
}

void QuiltraCanvasForm::requestRescale()
{
    viewDirty = true;
    // Nothing was shown at the last zoom; there is nothing to scale in the meantime.
    if (collageImage.isNull())
        documentDirty = true;
    update();
}

void QuiltraCanvasForm::setShiftPressed(bool pressed)
{
    shiftPressed = pressed;
}

QImage QuiltraCanvasForm::renderCollageImage()
{
    return renderer.renderCollage(canvasTarget(), true);
}

void QuiltraCanvasForm::exportImage(const QString &filePath)
{
    // The render reads the document, so it stays on this thread; encoding and writing go
    // to a worker while the window keeps painting.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QImage image = renderCollageImage();
    QApplication::restoreOverrideCursor();
    ImageExportRunner(this).exportToFile(image, filePath);
}

void QuiltraCanvasForm::generateHQImage()
{
    if (viewDirty || documentDirty)
        return;
    if (hqCountdown > 0) {
        --hqCountdown;
        return;
    }
    if (hqTimer)
        hqTimer->stop();
    // A view rendered at its own size is already smooth.
    if (hqRequest || collageImage.isNull() || viewImage.isNull() ||
        collageImage.size() == viewImage.size()) {
        return;
    }
    auto *request = new CollageHQImageThread(collageImage, viewImage.size(), this);
    hqRequest = request;
    hqRequestGeneration = viewGeneration;
    connect(request, &CollageHQImageThread::hqImageReady, this, &QuiltraCanvasForm::onHQImageReady);
    connect(request, &QThread::finished, request, &QObject::deleteLater);
    request->start();
}

void QuiltraCanvasForm::onHQImageReady(QImage image)
{
    hqRequest = nullptr;
    const bool current = !viewDirty && !documentDirty && !panning && !draggingPhoto &&
                         hqRequestGeneration == viewGeneration && !image.isNull() &&
                         image.size() == viewImage.size();
    if (!current) {
        hqCountdown = kHQCountdownTicks;
        return;
    }
    viewImage = image;
    update();
}

void QuiltraCanvasForm::onDeleteAction()
{
    Q_EMIT deleteSelectedItem();
}

Qt::DropAction QuiltraCanvasForm::execPhotoDrag(QDrag *drag)
{
    return drag->exec(Qt::CopyAction | Qt::MoveAction);
}

void QuiltraCanvasForm::contextMenuRequested(QPoint widgetPos, QPointF docPos)
{
    const CollageDocument &document = state().document;
    currentFrame = frameAt(document, docPos);
    const QPoint globalPos = mapToGlobal(widgetPos);
    const int objectIndex = objectAt(document, wholeDocPoint(docPos));
    if (objectIndex >= 0)
        showObjectMenu(objectIndex, wholeDocPoint(docPos), globalPos);
    else if (currentFrame >= 0 && currentFrame < kPhotoSlotCount)
        showFrameMenu(globalPos);
}

void QuiltraCanvasForm::showObjectMenu(int objectIndex, QPoint docPoint, QPoint globalPos)
{
    CollageDocument &document = state().document;
    const OverlayObject &object = document.objects[objectIndex];
    const int id = object.id;
    heldObjectId = id;
    dragStart = QPointF(object.x, object.y);
    pressPos = docPoint;
    objectDragging = false;
    if (id != document.selectedObjectId) {
        document.selectedObjectId = id;
        Q_EMIT selectedItemChanged();
        markDocumentChanged();
    }
    Q_EMIT selectedItemChanged();

    QMenu *menu = clearedContextMenu();
    connect(menu->addAction(tr("Delete")), &QAction::triggered, this,
            &QuiltraCanvasForm::onDeleteAction);
    menu->exec(globalPos);
}

void QuiltraCanvasForm::showFrameMenu(QPoint globalPos)
{
    QMenu *menu = clearedContextMenu();
    const auto add = [this](QMenu *to, const QString &text, void (QuiltraCanvasForm::*slot)()) {
        connect(to->addAction(text), &QAction::triggered, this, slot);
    };
    if (!state().document.photos[size_t(currentFrame)].displayImage.isNull()) {
        QMenu *adjustments = menu->addMenu(tr("Adjustments"));
        add(adjustments, tr("Grayscale"), &QuiltraCanvasForm::onGrayscaleAction);
        add(adjustments, tr("Sepia"), &QuiltraCanvasForm::onSepiaAction);
        add(adjustments, tr("Contrast"), &QuiltraCanvasForm::onContrastAction);
        add(adjustments, tr("Brightness"), &QuiltraCanvasForm::onBrightnessAction);
        add(adjustments, tr("Gamma"), &QuiltraCanvasForm::onGammaAction);
        add(adjustments, tr("Invert Colors"), &QuiltraCanvasForm::onInvertColorsAction);
        adjustments->addSeparator();
        add(adjustments, tr("Reset Image"), &QuiltraCanvasForm::onResetImageAction);
        add(menu, tr("Clear Image"), &QuiltraCanvasForm::onClearImageAction);
    }
    add(menu, tr("Frame Background"), &QuiltraCanvasForm::onFrameBackgroundAction);
    add(menu, tr("Rotate Frame"), &QuiltraCanvasForm::onFrameRotateAction);
    menu->exec(globalPos);
}

QMenu *QuiltraCanvasForm::clearedContextMenu()
{
    if (!contextMenu) {
        contextMenu = new QMenu(this);
        contextMenu->setAccessibleName(tr("Frame and object commands"));
    }
    contextMenu->clear();
    // clear() leaves submenus alive as children of the menu; without this every right
    // click would add another one.
    qDeleteAll(contextMenu->findChildren<QMenu *>(Qt::FindDirectChildrenOnly));
    return contextMenu;
}

void QuiltraCanvasForm::on_setFilter(int filterIndex, int value)
{
    if (filterPhoto(currentFrame, filterIndex, value))
        markDocumentChanged();
}

void QuiltraCanvasForm::runFilterDialog(int filterIndex)
{
    if (currentFrame < 0 || currentFrame >= kPhotoSlotCount)
        return;
    auto *dialog = new QuiltraFilterDialog(this);
    connect(dialog, &QuiltraFilterDialog::setFilter, this, &QuiltraCanvasForm::on_setFilter);
    dialog->setImage(state().document.photos[size_t(currentFrame)].displayImage);
    dialog->setFilterIndex(filterIndex);
    dialog->exec(); // deletes itself on closing: nothing may be read from it here
}

void QuiltraCanvasForm::onGrayscaleAction()
{
    if (grayscalePhoto(currentFrame))
        markDocumentChanged();
}

void QuiltraCanvasForm::onSepiaAction()
{
    on_setFilter(ImageFilter::Sepia, 0);
}

void QuiltraCanvasForm::onContrastAction()
{
    runFilterDialog(ImageFilter::Contrast);
}

void QuiltraCanvasForm::onBrightnessAction()
{
    runFilterDialog(ImageFilter::Brightness);
}

void QuiltraCanvasForm::onGammaAction()
{
    runFilterDialog(ImageFilter::Gamma);
}

void QuiltraCanvasForm::onInvertColorsAction()
{
    runFilterDialog(ImageFilter::Invert);
}

void QuiltraCanvasForm::onResetImageAction()
{
    if (resetPhoto(currentFrame))
        markDocumentChanged();
}

void QuiltraCanvasForm::onClearImageAction()
{
    if (clearPhoto(currentFrame))
        markDocumentChanged();
}

void QuiltraCanvasForm::onFrameBackgroundAction()
{
    const LayoutCell *cell = frameCell(currentFrame);
    if (!cell)
        return;
    QColorDialog dialog(cell->backgroundColor);
    connect(&dialog, &QColorDialog::colorSelected, this, [this](const QColor &color) {
        if (setFrameBackground(currentFrame, color))
            markDocumentChanged();
    });
    dialog.exec();
}

void QuiltraCanvasForm::onFrameRotateAction()
{
    const LayoutCell *cell = frameCell(currentFrame);
    if (!cell)
        return;
    auto *dialog = new QuiltraRotateDialog(this);
    connect(dialog, &QuiltraRotateDialog::newRotateVal, this, &QuiltraCanvasForm::onNewRotateVal);
    dialog->setValue(cell->rotation);
    dialog->exec(); // deletes itself on closing
}

void QuiltraCanvasForm::onNewRotateVal(int val)
{
    if (setFrameRotation(currentFrame, val))
        markDocumentChanged();
}

std::optional<QPointF> QuiltraCanvasForm::toDocument(QPointF widgetPos) const
{
    return widgetToDocument(widgetPos, state().zoomPercent);
}

OverlayObject *QuiltraCanvasForm::heldObject()
{
    return heldObjectId < 0 ? nullptr : state().document.objectById(heldObjectId);
}

void QuiltraCanvasForm::markDocumentChanged()
{
    documentDirty = true;
    update();
}

void QuiltraCanvasForm::mousePressEvent(QMouseEvent *event)
{
    const std::optional<QPointF> docPos = toDocument(QPointF(event->pos()));
    if (!docPos)
        return;
    if (event->button() == Qt::RightButton) {
        contextMenuRequested(event->pos(), *docPos);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;

    CollageDocument &document = state().document;
    const int objectIndex = objectAt(document, wholeDocPoint(*docPos));
    if (objectIndex >= 0) {
        const OverlayObject &object = document.objects[objectIndex];
        heldObjectId = object.id;
        dragStart = QPointF(object.x, object.y);
        pressPos = wholeDocPoint(*docPos);
        objectDragging = true;
        if (object.id != document.selectedObjectId) {
            document.selectedObjectId = object.id;
            Q_EMIT selectedItemChanged();
            markDocumentChanged();
        }
        Q_EMIT selectedItemChanged();
        return;
    }

    heldObjectId = -1;
    document.selectedObjectId = -1;
    Q_EMIT selectedItemChanged();
    markDocumentChanged();

    const DividerHit hit = dividerAt(document, *docPos, state().settings.spacing);
    if (hit.orientation != DividerOrientation::None) {
        setCursor(hit.orientation == DividerOrientation::Horizontal ? Qt::SizeVerCursor
                                                                    : Qt::SizeHorCursor);
        dividerDrag = beginDividerDrag(document, hit);
        pressPos = wholeDocPoint(*docPos);
        const QList<QRectF> &dividers = hit.orientation == DividerOrientation::Horizontal
                                            ? document.horizontalDividers
                                            : document.verticalDividers;
        dragStart = dividers[hit.index].topLeft();
        return;
    }
    pressPhoto(*docPos, isShift(event->modifiers()));
}

void QuiltraCanvasForm::pressPhoto(QPointF docPos, bool shift)
{
    CollageState &collage = state();
    currentFrame = frameAt(collage.document, docPos);
    if (currentFrame < 0 || currentFrame >= kPhotoSlotCount)
        return;
    const PhotoFrame &photo = collage.document.photos[size_t(currentFrame)];
    if (!photoUnderProbe(photo, docProbe(docPos), collage.settings.topOffset))
        return;
    if (shift) {
        startPhotoDrag(currentFrame);
        return;
    }
    dragStart = photo.position;
    pressPos = wholeDocPoint(docPos);
    panning = true;
}

void QuiltraCanvasForm::startPhotoDrag(int slot)
{
    const QImage &display = state().document.photos[size_t(slot)].displayImage;
    auto *drag = new QDrag(this);
    auto *payload = new QMimeData;
    payload->setData(QString::fromLatin1(kPhotoSlotMimeType), QByteArray::number(slot));
    drag->setMimeData(payload);
    // A sliver of a photo would make a pixmap of absurd height.
    if (scaledPhotoSize(display.size(), qreal(kDragPixmapWidth) / display.width(),
                        qint64(kDragPixmapWidth) * kDragPixmapWidth * 8)) {
        drag->setPixmap(
            QPixmap::fromImage(display.scaledToWidth(kDragPixmapWidth, Qt::FastTransformation)));
    }

    draggingPhoto = true;
    photoDragSlot = slot;
    // The drag runs its own event loop, in which the window may be closed.
    const QPointer<QuiltraCanvasForm> alive(this);
    execPhotoDrag(drag);
    if (!alive)
        return;
    // The release that ends the drag may never reach the canvas (a drop elsewhere).
    draggingPhoto = false;
    photoDragSlot = -1;
    drag->deleteLater();
}

void QuiltraCanvasForm::mouseReleaseEvent(QMouseEvent *event)
{
    panning = false;
    draggingPhoto = false;
    objectDragging = false;
    dividerDrag = DividerDrag{};
    const std::optional<QPointF> docPos = toDocument(QPointF(event->pos()));
    if (docPos && dividerAt(state().document, *docPos, state().settings.spacing).orientation ==
                      DividerOrientation::None) {
        setCursor(Qt::ArrowCursor);
    }
}

void QuiltraCanvasForm::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const std::optional<QPointF> docPos = toDocument(QPointF(event->pos()));
    if (!docPos)
        return;
    CollageState &collage = state();
    CollageDocument &document = collage.document;
    heldObjectId = -1;
    const int objectIndex = objectAt(document, wholeDocPoint(*docPos));
    if (objectIndex >= 0) {
        const OverlayObject &object = document.objects[objectIndex];
        heldObjectId = object.id;
        dragStart = QPointF(object.x, object.y);
        document.selectedObjectId = object.id;
        return;
    }

    // The frame under this click, not whatever an earlier event left in currentFrame: a
    // double-click between frames places nothing.
    const int target = frameAt(document, *docPos);
    if (target < 0 || target >= kPhotoSlotCount)
        return;
    currentFrame = target;

    QString &folder = collage.lastPicturesDir;
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = KXGlobal().picturesPath();
    // The dialog would offer the name of a folder that does not exist as the file to open.
    const QString startFolder = !folder.isEmpty() && QDir(folder).exists() ? folder : QString();
    const QString file = QFileDialog::getOpenFileName(
        this, tr("Add Image Files"), startFolder,
        tr("Image Files ((*.gif *.heic *.heif *.jpg *.jpeg *.png *.tif *.tiff *.webp)"));
    if (file.isEmpty())
        return;
    collage.lastPicturesDir = QFileInfo(file).absolutePath();
    placePhoto(target, file, readPhotoFile(file));
    markDocumentChanged();
}

void QuiltraCanvasForm::mouseMoveEvent(QMouseEvent *event)
{
    const std::optional<QPointF> docPos = toDocument(event->position());
    if (!docPos)
        return;
    CollageState &collage = state();
    CollageDocument &document = collage.document;

    if (panning) {
        if (currentFrame >= 0 && currentFrame < kPhotoSlotCount) {
            PhotoFrame &photo = document.photos[size_t(currentFrame)];
            photo.position = QPointF(wholeDocPoint(dragStart - (pressPos - *docPos)));
            markDocumentChanged();
        }
        return;
    }
    if (objectDragging) {
        if (OverlayObject *object = heldObject()) {
            const QPoint moved = wholeDocPoint(dragStart - (pressPos - *docPos));
            object->x = moved.x();
            object->y = moved.y();
            object->rect.moveTopLeft(moved);
            Q_EMIT selectedItemPosChanged();
            markDocumentChanged();
        }
        return;
    }
    if (objectAt(document, wholeDocPoint(*docPos)) >= 0) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    if (dividerDrag.divider.orientation == DividerOrientation::None) {
        updateHoverCursor(*docPos);
        return;
    }
    dragDivider(*docPos);
}

void QuiltraCanvasForm::updateHoverCursor(QPointF docPos)
{
    switch (dividerAt(state().document, docPos, state().settings.spacing).orientation) {
    case DividerOrientation::Horizontal:
        setCursor(Qt::SizeVerCursor);
        break;
    case DividerOrientation::Vertical:
        setCursor(Qt::SizeHorCursor);
        break;
    case DividerOrientation::None:
        setCursor(Qt::ArrowCursor);
        break;
    }
}

void QuiltraCanvasForm::dragDivider(QPointF docPos)
{
    QPointF topLeft = dragStart;
    if (dividerDrag.divider.orientation == DividerOrientation::Vertical)
        topLeft.rx() -= pressPos.x() - docPos.x();
    else
        topLeft.ry() -= pressPos.y() - docPos.y();
    if (moveDivider(state().document, dividerDrag, topLeft, state().settings.spacing))
        markDocumentChanged();
}

void QuiltraCanvasForm::wheelEvent(QWheelEvent *event)
{
    const int step = wheelStep(event->angleDelta());
    const std::optional<QPointF> docPos = toDocument(event->position());
    if (step == 0 || !docPos) {
        event->ignore();
        return;
    }
    const bool shift = isShift(event->modifiers());
    CollageDocument &document = state().document;
    const int objectIndex = objectAt(document, wholeDocPoint(*docPos));
    if (objectIndex >= 0) {
        OverlayObject &object = document.objects[objectIndex];
        wheelObject(object, step, shift);
        heldObjectId = object.id;
        document.selectedObjectId = object.id;
        Q_EMIT selectedItemChanged();
        markDocumentChanged();
        event->accept();
        return;
    }
    // A wheel that changes nothing here may still scroll the view around the canvas.
    if (wheelPhoto(*docPos, step, shift))
        event->accept();
    else
        event->ignore();
}

bool QuiltraCanvasForm::wheelPhoto(QPointF docPos, int step, bool shift)
{
    CollageState &collage = state();
    currentFrame = frameAt(collage.document, docPos);
    if (currentFrame < 0 || currentFrame >= kPhotoSlotCount)
        return false;
    PhotoFrame &photo = collage.document.photos[size_t(currentFrame)];
    if (!photoUnderProbe(photo, docProbe(wholeDocPoint(docPos)), collage.settings.topOffset))
        return false;
    if (shift)
        photo.angle += float(step);
    else if (!zoomPhoto(photo, step, maxDisplayPixels(collage.canvasSize)))
        return false;
    markDocumentChanged();
    return true;
}

void QuiltraCanvasForm::leaveEvent(QEvent *event)
{
    if (dividerDrag.divider.orientation == DividerOrientation::None)
        setCursor(Qt::ArrowCursor);
    QWidget::leaveEvent(event);
}

QSize QuiltraCanvasForm::renderSize() const
{
    const QSize full = canvasTarget().size();
    const float zoom = state().zoomPercent;
    // Below full size the view is rendered at its own size: a fraction of the pixels, and
    // what a huge canvas can be edited at.
    return zoomUsable(zoom) && zoom < 100.0f ? viewSize(full, zoom) : full;
}

void QuiltraCanvasForm::renderForView()
{
    const QRect target = canvasTarget();
    const QSize size = renderSize();
    if (backgroundDirty) {
        renderer.markBackgroundDirty();
        backgroundDirty = false;
    }
    if (target.isEmpty() || size.isEmpty() || pixelCount(size) > kMaxViewRenderPixels) {
        // Nothing can be shown, but hit testing still needs the geometry.
        QPainter inactive;
        renderer.renderFrames(inactive, target, false);
        renderer.computeDividerGeometry(target);
        collageImage = QImage();
        return;
    }
    collageImage = renderer.renderView(target, size);
}

void QuiltraCanvasForm::paintEvent(QPaintEvent *event)
{
    const float zoom = state().zoomPercent;
    if (!zoomUsable(zoom)) {
        QWidget::paintEvent(event);
        return;
    }
    if (documentDirty) {
        renderForView();
        documentDirty = false;
        viewDirty = true;
    }
    if (viewDirty) {
        viewDirty = false;
        hqCountdown = kHQCountdownTicks;
        ++viewGeneration;
        const QSize size = viewSize(canvasTarget().size(), zoom);
        if (size.isEmpty() || pixelCount(size) > kMaxViewRenderPixels || collageImage.isNull())
            viewImage = QImage();
        else if (collageImage.size() == size)
            viewImage = collageImage;
        else
            viewImage = collageImage.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (!hqTimer) {
            hqTimer = new QTimer(this);
            connect(hqTimer, &QTimer::timeout, this, &QuiltraCanvasForm::generateHQImage);
        }
        hqTimer->start(kHQTickMs);
        // A zoom change shows the last rendering scaled at once; once the zoom has rested
        // a moment, the view is rendered again at its new size.
        if (!collageImage.isNull() && collageImage.size() != renderSize()) {
            if (!rerenderTimer) {
                rerenderTimer = new QTimer(this);
                rerenderTimer->setSingleShot(true);
                connect(rerenderTimer, &QTimer::timeout, this, [this] { requestRedraw(false); });
            }
            rerenderTimer->start(kRerenderDelayMs);
        }
    }

    QPainter painter(this);
    if (viewImage.isNull()) {
        painter.drawText(rect().adjusted(12, 12, -12, -12),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                         tr("The collage is too large to show at this size."));
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(0, 0, viewImage);
    }
    painter.end();
    QWidget::paintEvent(event);
}

void QuiltraCanvasForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (!zoomUsable(state().zoomPercent) || !carriesPhotos(event->mimeData())) {
        event->ignore();
        return;
    }
    acceptAsLink(event);
}

void QuiltraCanvasForm::dragMoveEvent(QDragMoveEvent *event)
{
    const std::optional<QPointF> docPos = toDocument(event->position());
    if (!docPos || !carriesPhotos(event->mimeData())) {
        event->ignore();
        return;
    }
    currentFrame = frameAt(state().document, *docPos);
    if (currentFrame < 0) {
        event->ignore();
        return;
    }
    acceptAsLink(event);
}

bool QuiltraCanvasForm::carriesPhotos(const QMimeData *payload) const
{
    return payload->hasUrls() ||
           (payload->hasFormat(QString::fromLatin1(kPhotoSlotMimeType)) && photoDragSlot >= 0);
}

void QuiltraCanvasForm::acceptAsLink(QDropEvent *event)
{
    // A link leaves a dragged file where it is in the program it came from.
    if (event->possibleActions().testFlag(Qt::LinkAction))
        event->setDropAction(Qt::LinkAction);
    event->accept();
}

void QuiltraCanvasForm::dropEvent(QDropEvent *event)
{
    const int draggedSlot = photoDragSlot;
    draggingPhoto = false;
    const std::optional<QPointF> docPos = toDocument(event->position());
    if (!docPos)
        return;
    const int target = frameAt(state().document, *docPos);
    currentFrame = target;
    const QMimeData *payload = event->mimeData();

    if (payload->hasUrls()) {
        // A URL list may be present and still name nothing.
        const QList<QUrl> urls = payload->urls();
        const QString path = urls.isEmpty() ? QString() : urls.constFirst().toLocalFile();
        if (target < 0 || target >= kPhotoSlotCount || path.isEmpty())
            return;
        dropFile(path, target);
        event->accept();
        return;
    }
    // Only a drag this canvas started may move a photo; text from another program that
    // happens to be a number is not one.
    const QString mimeType = QString::fromLatin1(kPhotoSlotMimeType);
    if (!payload->hasFormat(mimeType) || draggedSlot < 0)
        return;
    bool isNumber = false;
    const int sourceSlot = QString::fromLatin1(payload->data(mimeType)).toInt(&isNumber);
    if (!isNumber || sourceSlot != draggedSlot || target < 0 || target >= kPhotoSlotCount ||
        sourceSlot == target) {
        return;
    }
    dropPhotoFromSlot(sourceSlot, target);
    event->accept();
}

void QuiltraCanvasForm::dropFile(const QString &path, int targetSlot)
{
    placePhoto(targetSlot, path, readPhotoFile(path));
    markDocumentChanged();
}

void QuiltraCanvasForm::dropPhotoFromSlot(int sourceSlot, int targetSlot)
{
    if (sourceSlot < 0 || sourceSlot >= kPhotoSlotCount)
        return;
    std::array<PhotoFrame, kPhotoSlotCount> &photos = state().document.photos;
    const PhotoFrame source = photos[size_t(sourceSlot)];
    const PhotoFrame target = photos[size_t(targetSlot)];
    if (source.sourceImage.isNull())
        return;
    if (!placePhoto(targetSlot, source.filePath, source.sourceImage))
        return;
    if (target.sourceImage.isNull()) {
        photos[size_t(sourceSlot)].sourceImage = QImage();
        photos[size_t(sourceSlot)].displayImage = QImage();
    } else if (!placePhoto(sourceSlot, target.filePath, target.sourceImage)) {
        // Half a swap would show one photo twice and lose the other.
        photos[size_t(targetSlot)] = target;
        return;
    }
    markDocumentChanged();
}
