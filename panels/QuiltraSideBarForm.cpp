#include "QuiltraSideBarForm.h"

#include "Appearance.h"
#include "CanvasSizePresets.h"
#include "CatalogueSync.h"
#include "CollageLayoutContentForm.h"
#include "CollageSelectStickerForm.h"
#include "CollageSelectTextureDialog.h"
#include "CollageState.h"
#include "IntConversion.h"
#include "KXGlobal.h"
#include "PhotoPlacement.h"
#include "ui_QuiltraSideBarForm.h"

#include <QColorDialog>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QPalette>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kNoObjectHeight = 100;
constexpr int kLabelHeight = 600;
constexpr int kStickerHeight = 200;
constexpr int kBoldFrom = 501;

CollageState &state()
{
    return CollageState::instance();
}

// Clears panelReady for its lifetime and restores the previous value: the widget writes
// made meanwhile cause no handling.
class Suspend
{
public:
    explicit Suspend(bool &flag) : m_flag(flag), m_previous(flag) { m_flag = false; }
    ~Suspend() { m_flag = m_previous; }
    Suspend(const Suspend &) = delete;
    Suspend &operator=(const Suspend &) = delete;

private:
    bool &m_flag;
    bool m_previous;
};

} // namespace

QuiltraSideBarForm::QuiltraSideBarForm(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::QuiltraSideBarForm>())
{
    ui->setupUi(this);
    m_stickerPicker = new CollageSelectStickerForm(this);
    ui->sideBarLayout->addWidget(m_stickerPicker);
    connect(m_stickerPicker, &CollageSelectStickerForm::stickerSelected, this,
            &QuiltraSideBarForm::onStickerSelected);
    m_stickerPicker->show();
    ui->tabWidget->setCurrentIndex(0);

    connect(ui->backColor1Widget, &KXColorWidget::colorUpdated, this,
            &QuiltraSideBarForm::on_BackColorUpdated1);
    connect(ui->backColor2Widget, &KXColorWidget::colorUpdated, this,
            &QuiltraSideBarForm::on_BackColorUpdated2);
    connect(ui->frameBackColor1Widget, &KXColorWidget::colorUpdated, this,
            &QuiltraSideBarForm::on_FrameColorUpdated1);
    connect(ui->frameBackColor2Widget, &KXColorWidget::colorUpdated, this,
            &QuiltraSideBarForm::on_FrameColorUpdated2);
    connect(ui->objFontColorWidget, &KXColorWidget::colorUpdated, this,
            &QuiltraSideBarForm::on_ObjFontColorUpdated);

    m_layoutPicker = new CollageLayoutContentForm(ui->scrollAreaWidgetContents);
    ui->layoutPickerLayout->addWidget(m_layoutPicker);
    m_layoutPicker->setPhotoCount(ui->layoutComboBox->currentIndex());
    ui->scrollAreaWidgetContents->setFixedHeight(m_layoutPicker->computeContentHeight());
    connect(m_layoutPicker, &CollageLayoutContentForm::frameSelected, this,
            &QuiltraSideBarForm::onFrameSelected);

    // Whatever count the document held, the editor opens on the ten-photo layouts.
    ui->layoutComboBox->setCurrentIndex(state().photoCountIndex);
    ui->layoutComboBox->setCurrentIndex(kPhotoCountChoices - 1);

    loadSettings();
    ui->scrollAreaWidgetContents_2->installEventFilter(this);
    setObjectPanelState(ObjectPanelState::NoObject);
    updateDeleteButtonIcon();
    panelReady = true;
}

QuiltraSideBarForm::~QuiltraSideBarForm() = default;

void QuiltraSideBarForm::loadSettings()
{
    const CollageState &s = state();
    const CanvasSettings &settings = s.settings;

    ui->canvasTypeComboBox->setCurrentIndex(s.canvasType);
    for (int i = 0; i < ui->screenComboBox->count(); ++i) {
        if (CanvasSizePresets::screenSize(i) == QSizeF(s.screenSize))
            ui->screenComboBox->setCurrentIndex(i);
    }
    ui->paperComboBox->setCurrentIndex(s.paperIndex);
    ui->paperOrientationComboBox->setCurrentIndex(s.paperOrientation);
    ui->sizeWidthSpinBox->setValue(s.customSize.width());
    ui->sizeHeightSpinBox->setValue(s.customSize.height());
    updateCanvasRows();

    ui->backTypeComboBox->setCurrentIndex(settings.backgroundType);
    showBackgroundGroup(settings.backgroundType);
    ui->backgroundComboBox->setCurrentIndex(settings.backgroundColorMode);
    ui->backColor1Widget->setColor(settings.backgroundColor1);
    ui->backColor2Widget->setColor(settings.backgroundColor2);
    ui->backColorGoLabel->setVisible(settings.backgroundColorMode != 0);
    ui->backColor2Widget->setVisible(settings.backgroundColorMode != 0);
    if (!settings.backgroundTexture.isEmpty())
        showPreview(ui->backTexturePrevLabel, settings.backgroundTexture, false);
    if (!settings.backgroundImage.isEmpty())
        showPreview(ui->backImagePrevLabel, settings.backgroundImage, false);

    ui->topSpinBox->setValue(settings.topOffset);
    ui->marginSpinBox->setValue(settings.margin);
    ui->spacingSpinBox->setValue(settings.spacing);
    ui->roundCornersSpinBox->setValue(settings.roundCorners);
    ui->frameBackgroundComboBox->setCurrentIndex(settings.frameBackgroundMode);
    ui->frameBackColorGoLabel->setVisible(settings.frameBackgroundMode != 0);
    ui->frameBackColor2Widget->setVisible(settings.frameBackgroundMode != 0);
    ui->frameBackColor1Widget->setColor(settings.frameBackgroundColor1);
    ui->frameBackColor2Widget->setColor(settings.frameBackgroundColor2);
    ui->lineWidthSpinBox->setValue(settings.lineWidth);
    ui->dropShadowCheckBox->setChecked(settings.dropShadow == 1);

    ui->cornerImageLocationTopLeftCheckBox->setChecked(settings.cornerTopLeft);
    ui->cornerImageLocationTopRightCheckBox->setChecked(settings.cornerTopRight);
    ui->cornerImageLocationBottomLeftCheckBox->setChecked(settings.cornerBottomLeft);
    ui->cornerImageLocationBottomRightCheckBox->setChecked(settings.cornerBottomRight);
}

void QuiltraSideBarForm::showSettingsPanel()
{
    ui->tabWidget->show();
    ui->tabWidget2->hide();
    m_stickerPicker->hide();
}

void QuiltraSideBarForm::showObjectPanel()
{
    ui->tabWidget->hide();
    ui->tabWidget2->show();
    m_stickerPicker->hide();
    setObjectPanelState(ObjectPanelState::PanelShown);
}

void QuiltraSideBarForm::showStickerPanel()
{
    ui->tabWidget->hide();
    ui->tabWidget2->hide();
    m_stickerPicker->show();
}

// Layout tab

void QuiltraSideBarForm::on_layoutComboBox_currentIndexChanged(int index)
{
    m_layoutPicker->setPhotoCount(index);
    ui->scrollAreaWidgetContents->setFixedHeight(m_layoutPicker->computeContentHeight());
}

void QuiltraSideBarForm::onFrameSelected(int, int)
{
    state().document.clearGeometry();
    emit needRedraw(false);
}

// Canvas tab

void QuiltraSideBarForm::updateCanvasRows()
{
    const int type = ui->canvasTypeComboBox->currentIndex();
    ui->screenLabel->setVisible(type == 0);
    ui->screenComboBox->setVisible(type == 0);
    ui->paperLabel->setVisible(type == 1);
    ui->paperComboBox->setVisible(type == 1);
    ui->paperOrientationLabel->setVisible(type == 1);
    ui->paperOrientationComboBox->setVisible(type == 1);
    ui->sizeWidthLabel->setVisible(type == 2);
    ui->sizeWidthSpinBox->setVisible(type == 2);
    ui->sizeHeightLabel->setVisible(type == 2);
    ui->sizeHeightSpinBox->setVisible(type == 2);
}

void QuiltraSideBarForm::applyCanvasSize()
{
    CollageState &s = state();
    s.canvasType = ui->canvasTypeComboBox->currentIndex();
    QSizeF size;
    switch (s.canvasType) {
    case 0:
        size = CanvasSizePresets::screenSize(ui->screenComboBox->currentIndex());
        break;
    case 1: {
        const int paper = ui->paperComboBox->currentIndex();
        const int orientation = ui->paperOrientationComboBox->currentIndex();
        if (paper >= 0 && paper <= 4)
            s.paperIndex = paper;
        if (orientation == 0 || orientation == 1)
            s.paperOrientation = orientation;
        size = CanvasSizePresets::paperSize(s.paperIndex, s.paperOrientation);
        break;
    }
    case 2:
        size = QSizeF(ui->sizeWidthSpinBox->value(), ui->sizeHeightSpinBox->value());
        break;
    default:
        break;
    }
    if (size.isValid() && (!qFuzzyCompare(size.width(), s.canvasSize.width()) ||
                           !qFuzzyCompare(size.height(), s.canvasSize.height()))) {
        s.document.clearGeometry();
        s.canvasSize = size;
        emit needRedraw(true);
    }
    emit canvasSizeValChanged();
}

void QuiltraSideBarForm::on_canvasTypeComboBox_currentIndexChanged(int)
{
    if (!panelReady)
        return;
    updateCanvasRows();
    applyCanvasSize();
}

void QuiltraSideBarForm::on_screenComboBox_currentIndexChanged(int)
{
    if (panelReady)
        applyCanvasSize();
}

void QuiltraSideBarForm::on_paperComboBox_currentIndexChanged(int)
{
    if (panelReady)
        applyCanvasSize();
}

void QuiltraSideBarForm::on_paperOrientationComboBox_currentIndexChanged(int)
{
    if (panelReady)
        applyCanvasSize();
}

void QuiltraSideBarForm::on_sizeWidthSpinBox_valueChanged(int)
{
    if (panelReady)
        applyCanvasSize();
}

void QuiltraSideBarForm::on_sizeHeightSpinBox_valueChanged(int)
{
    if (panelReady)
        applyCanvasSize();
}

// Background tab

void QuiltraSideBarForm::showBackgroundGroup(int type)
{
    ui->colorWidget->setVisible(type == 0);
    ui->textureWidget->setVisible(type == 1);
    ui->imageWidget->setVisible(type == 2);
}

void QuiltraSideBarForm::applyBackground()
{
    CanvasSettings &settings = state().settings;
    const int type = ui->backTypeComboBox->currentIndex();
    settings.backgroundType = type >= 0 && type <= 2 ? type : 0;
    settings.backgroundColorMode = ui->backgroundComboBox->currentIndex();
    emit needRedraw(true);
}

void QuiltraSideBarForm::on_backTypeComboBox_currentIndexChanged(int index)
{
    if (!panelReady)
        return;
    const Suspend suspend(panelReady);
    showBackgroundGroup(index);
    applyBackground();
}

void QuiltraSideBarForm::on_backgroundComboBox_currentIndexChanged(int index)
{
    if (!panelReady)
        return;
    ui->backColorGoLabel->setVisible(index != 0);
    ui->backColor2Widget->setVisible(index != 0);
    applyBackground();
}

void QuiltraSideBarForm::on_BackColorUpdated1(const QColor &color)
{
    state().settings.backgroundColor1 = color;
    applyBackground();
}

void QuiltraSideBarForm::on_BackColorUpdated2(const QColor &color)
{
    state().settings.backgroundColor2 = color;
    applyBackground();
}

bool QuiltraSideBarForm::showPreview(QLabel *preview, const QString &path, bool warn)
{
    const QImage picture = readPhotoFile(path);
    if (picture.isNull()) {
        if (warn) {
            auto *box = new QMessageBox(
                QMessageBox::Warning, tr("Background"),
                tr("\"%1\" cannot be read as a picture.").arg(QDir::toNativeSeparators(path)),
                QMessageBox::Ok, this);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
        }
        return false;
    }
    preview->setPixmap(QPixmap::fromImage(picture));
    return true;
}

void QuiltraSideBarForm::on_backTextureAddButton_clicked()
{
    auto *dialog = new CollageSelectTextureDialog(this);
    connect(dialog, &CollageSelectTextureDialog::textureSelected, this,
            &QuiltraSideBarForm::onTextureSelected);
    dialog->exec();
}

void QuiltraSideBarForm::onTextureSelected(const QString &resourcePath)
{
    // A texture that cannot be read would leave the background transparent without a
    // word; the old one stays instead.
    if (!showPreview(ui->backTexturePrevLabel, resourcePath, true))
        return;
    state().settings.backgroundTexture = resourcePath;
    emit needRedraw(true);
}

void QuiltraSideBarForm::on_backImageAddButton_clicked()
{
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Add Image Files"), KXGlobal().picturesPath(),
        tr("Image Files ((*.gif *.heic *.heif *.jpg *.jpeg *.png *.tif *.tiff *.webp)"));
    if (!path.isEmpty())
        setBackgroundImage(path);
    emit needRedraw(true);
}

void QuiltraSideBarForm::setBackgroundImage(const QString &path)
{
    const Suspend suspend(panelReady);
    if (showPreview(ui->backImagePrevLabel, path, true))
        state().settings.backgroundImage = path;
}

void QuiltraSideBarForm::clearBackgroundPicture(bool texture)
{
    const Suspend suspend(panelReady);
    CanvasSettings &settings = state().settings;
    QLabel *preview = texture ? ui->backTexturePrevLabel : ui->backImagePrevLabel;
    (texture ? settings.backgroundTexture : settings.backgroundImage).clear();
    preview->clear();
    preview->setText(tr("Preview"));
    // A background of a cleared picture would turn transparent; fall back to the colour.
    if (settings.backgroundType == (texture ? 1 : 2)) {
        settings.backgroundType = 0;
        ui->backTypeComboBox->setCurrentIndex(0);
        showBackgroundGroup(0);
    }
    emit needRedraw(true);
}

void QuiltraSideBarForm::on_backTextureDeleteButton_clicked()
{
    clearBackgroundPicture(true);
}

void QuiltraSideBarForm::on_backImageDeleteButton_clicked()
{
    clearBackgroundPicture(false);
}

// Frame and corner tabs

void QuiltraSideBarForm::applyFrame()
{
    CanvasSettings &settings = state().settings;
    settings.topOffset = ui->topSpinBox->value();
    settings.margin = ui->marginSpinBox->value();
    settings.spacing = ui->spacingSpinBox->value();
    settings.roundCorners = ui->roundCornersSpinBox->value();
    settings.frameBackgroundMode = ui->frameBackgroundComboBox->currentIndex();
    settings.lineWidth = ui->lineWidthSpinBox->value();
    settings.dropShadow = ui->dropShadowCheckBox->isChecked() ? 1 : 0;
    emit needRedraw(false);
}

void QuiltraSideBarForm::storeSpacingChange()
{
    // Written back while the old margin, spacing and top offset still hold, so frames
    // resized on the canvas keep their places in the rebuilt geometry.
    syncCellsToCatalogue();
    state().document.clearGeometry();
    applyFrame();
}

void QuiltraSideBarForm::on_marginSpinBox_valueChanged(int)
{
    if (panelReady)
        storeSpacingChange();
}

void QuiltraSideBarForm::on_spacingSpinBox_valueChanged(int)
{
    if (panelReady)
        storeSpacingChange();
}

void QuiltraSideBarForm::on_topSpinBox_valueChanged(int)
{
    if (panelReady)
        storeSpacingChange();
}

void QuiltraSideBarForm::on_roundCornersSpinBox_valueChanged(int)
{
    if (panelReady)
        applyFrame();
}

void QuiltraSideBarForm::on_lineWidthSpinBox_valueChanged(int)
{
    if (panelReady)
        applyFrame();
}

void QuiltraSideBarForm::on_dropShadowCheckBox_clicked()
{
    if (panelReady)
        applyFrame();
}

void QuiltraSideBarForm::on_frameBackgroundComboBox_currentIndexChanged(int index)
{
    if (!panelReady)
        return;
    ui->frameBackColorGoLabel->setVisible(index != 0);
    ui->frameBackColor2Widget->setVisible(index != 0);
    applyFrame();
}

void QuiltraSideBarForm::on_FrameColorUpdated1(const QColor &color)
{
    state().settings.frameBackgroundColor1 = color;
    applyFrame();
}

void QuiltraSideBarForm::on_FrameColorUpdated2(const QColor &color)
{
    state().settings.frameBackgroundColor2 = color;
    applyFrame();
}

void QuiltraSideBarForm::storeCornerFlags()
{
    if (!panelReady)
        return;
    const Suspend suspend(panelReady);
    CanvasSettings &settings = state().settings;
    settings.cornerTopLeft = ui->cornerImageLocationTopLeftCheckBox->isChecked();
    settings.cornerTopRight = ui->cornerImageLocationTopRightCheckBox->isChecked();
    settings.cornerBottomLeft = ui->cornerImageLocationBottomLeftCheckBox->isChecked();
    settings.cornerBottomRight = ui->cornerImageLocationBottomRightCheckBox->isChecked();
    emit needRedraw(false);
}

void QuiltraSideBarForm::on_cornerImageLocationTopLeftCheckBox_clicked()
{
    storeCornerFlags();
}

void QuiltraSideBarForm::on_cornerImageLocationTopRightCheckBox_clicked()
{
    storeCornerFlags();
}

void QuiltraSideBarForm::on_cornerImageLocationBottomLeftCheckBox_clicked()
{
    storeCornerFlags();
}

void QuiltraSideBarForm::on_cornerImageLocationBottomRightCheckBox_clicked()
{
    storeCornerFlags();
}

void QuiltraSideBarForm::onStickerSelected(const QString &resourcePath,
                                           QuiltraGlobal::TStickerType stickerType)
{
    emit stickerSelected(resourcePath, stickerType);
}

// Object panel

void QuiltraSideBarForm::setObjectPanelState(ObjectPanelState panelState)
{
    m_objectPanelState = panelState;
    const bool noObject = panelState == ObjectPanelState::NoObject;
    ui->noObjectLabel->setVisible(noObject);
    ui->objWidget->setVisible(!noObject);
    int height = kNoObjectHeight;
    if (panelState == ObjectPanelState::LabelLoaded) {
        ui->labelWidget->show();
        ui->stickerWidget->hide();
        height = kLabelHeight;
    } else if (panelState == ObjectPanelState::StickerLoaded) {
        ui->labelWidget->hide();
        ui->stickerWidget->show();
        height = kStickerHeight;
    }
    ui->scrollAreaWidgetContents_2->setFixedHeight(height);
}

OverlayObject *QuiltraSideBarForm::selectedObject() const
{
    CollageDocument &document = state().document;
    return document.objectById(document.selectedObjectId);
}

void QuiltraSideBarForm::loadObject(int id, bool full)
{
    const OverlayObject *object = state().document.objectById(id);
    if (!object)
        return;
    if (object->kind == Label) {
        ui->objPosXSpinBox->setValue(truncatedToInt(object->x));
        ui->objPosYSpinBox->setValue(truncatedToInt(object->y));
        if (!full)
            return;
        setObjectPanelState(ObjectPanelState::LabelLoaded);
        ui->objContentPlainTextEdit->setPlainText(object->text);
        ui->objAlignmentLeftToolButton->setChecked(object->alignment == 0);
        ui->objAlignmentCenterToolButton->setChecked(object->alignment == 1);
        ui->objAlignmentRightToolButton->setChecked(object->alignment == 2);
        ui->objSizeSpinBox->setValue(object->font.pointSize());
        ui->objFontBoldCheckBox->setChecked(object->font.weight() >= kBoldFrom);
        ui->objFontItalicCheckBox->setChecked(object->font.style() != QFont::StyleNormal);
        ui->objFontStrikeOutCheckBox->setChecked(object->font.strikeOut());
        ui->objFontUnderlineCheckBox->setChecked(object->font.underline());
        ui->objFontComboBox->setCurrentFont(object->font);
        ui->objFontColorWidget->setColor(object->color);
        ui->objOpacitySpinBox->setValue(object->opacity);
        ui->objRotateSpinBox->setValue(truncatedToInt(object->rotation));
        return;
    }
    ui->objStickerPosXSpinBox->setValue(truncatedToInt(object->x));
    ui->objStickerPosYSpinBox->setValue(truncatedToInt(object->y));
    if (!full)
        return;
    setObjectPanelState(ObjectPanelState::StickerLoaded);
    ui->objStickerScaleSpinBox->setValue(truncatedToInt(object->scale));
    ui->objStickerOpacitySpinBox->setValue(object->opacity);
    ui->objStickerRotateSpinBox->setValue(truncatedToInt(object->rotation));
}

void QuiltraSideBarForm::selectObjectByName()
{
    const Suspend suspend(panelReady);
    CollageDocument &document = state().document;
    const QString name = ui->objNameComboBox->currentText();
    document.selectedObjectId = -1;
    for (const OverlayObject &object : document.objects) {
        if (object.name.compare(name, Qt::CaseInsensitive) == 0)
            document.selectedObjectId = object.id;
    }
    loadObject(document.selectedObjectId, true);
    emit selectedItemDataChanged();
    ui->scrollArea_2->verticalScrollBar()->setValue(0);
}

void QuiltraSideBarForm::fillObjectNames()
{
    const Suspend suspend(panelReady);
    ui->objNameComboBox->clear();
    for (const OverlayObject &object : state().document.objects)
        ui->objNameComboBox->addItem(object.name);
    ui->objNameComboBox->setCurrentIndex(-1);
}

void QuiltraSideBarForm::refreshObjectList()
{
    CollageDocument &document = state().document;
    const int remembered = document.selectedObjectId;
    fillObjectNames();
    int current = -1;
    for (qsizetype i = 0; i < document.objects.size(); ++i) {
        if (document.objects[i].id == remembered)
            current = int(i);
    }
    {
        const Suspend suspend(panelReady);
        ui->objNameComboBox->setCurrentIndex(current);
    }
    if (panelReady)
        selectObjectByName();
    else if (current < 0)
        document.selectedObjectId = -1;
}

void QuiltraSideBarForm::on_objNameComboBox_currentIndexChanged(int)
{
    if (panelReady)
        selectObjectByName();
}

void QuiltraSideBarForm::loadSelectedObject()
{
    const Suspend suspend(panelReady);
    const OverlayObject *object = selectedObject();
    if (state().document.selectedObjectId < 0)
        return;
    ui->objNameComboBox->setCurrentIndex(
        object ? ui->objNameComboBox->findText(object->name, Qt::MatchFixedString) : -1);
    if (object)
        loadObject(object->id, true);
}

void QuiltraSideBarForm::loadSelectedObjectPosition()
{
    const Suspend suspend(panelReady);
    loadObject(state().document.selectedObjectId, false);
}

void QuiltraSideBarForm::deleteSelectedObject()
{
    CollageDocument &document = state().document;
    // With nothing selected there is nothing to delete; the remembered name must not be
    // picked again instead.
    if (!selectedObject())
        return;
    const int remembered = ui->objNameComboBox->currentIndex();
    document.objects.removeIf(
        [id = document.selectedObjectId](const OverlayObject &o) { return o.id == id; });
    fillObjectNames();
    if (!document.objects.isEmpty()) {
        const int count = ui->objNameComboBox->count();
        {
            const Suspend suspend(panelReady);
            ui->objNameComboBox->setCurrentIndex(remembered >= 0 && remembered < count ? remembered
                                                                                       : count - 1);
        }
        selectObjectByName();
        return;
    }
    document.selectedObjectId = -1;
    setObjectPanelState(ObjectPanelState::NoObject);
    emit needRedraw(true);
    hide();
}

void QuiltraSideBarForm::on_objDelButton_clicked()
{
    deleteSelectedObject();
}

void QuiltraSideBarForm::updateDeleteButtonIcon()
{
    const bool dark = isDarkAppearance();
    QIcon icon;
    icon.addFile(dark ? QStringLiteral(":/resources/images/_DeleteWhiteIcon24.png")
                      : QStringLiteral(":/resources/images/_DeleteIcon24.png"),
                 QSize(), QIcon::Normal);
    icon.addFile(QStringLiteral(":/resources/images/_DeleteGrayIcon24.png"), QSize(),
                 QIcon::Disabled);
    ui->objDelButton->setIcon(icon);
}

void QuiltraSideBarForm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::ThemeChange)
        updateDeleteButtonIcon();
    QWidget::changeEvent(event);
}

bool QuiltraSideBarForm::eventFilter(QObject *watched, QEvent *event)
{
    // The object controls are placed without a layout; they follow the width of the
    // scrolling area so that nothing is cut off at its right edge.
    if (watched == ui->scrollAreaWidgetContents_2 && event->type() == QEvent::Resize) {
        ui->objWidget->resize(
            std::min(ui->scrollAreaWidgetContents_2->width(), ui->objWidget->maximumWidth()),
            ui->objWidget->height());
    }
    return QWidget::eventFilter(watched, event);
}

void QuiltraSideBarForm::labelChanged(OverlayObject *object)
{
    updateLabelBox(object);
    emit selectedItemDataChanged();
}

void QuiltraSideBarForm::on_objContentPlainTextEdit_textChanged()
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->text = ui->objContentPlainTextEdit->toPlainText();
    labelChanged(object);
}

void QuiltraSideBarForm::setAlignment(int alignment)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    const Suspend suspend(panelReady);
    // The clicked button keeps the state the click gave it.
    if (alignment != 0)
        ui->objAlignmentLeftToolButton->setChecked(false);
    if (alignment != 1)
        ui->objAlignmentCenterToolButton->setChecked(false);
    if (alignment != 2)
        ui->objAlignmentRightToolButton->setChecked(false);
    object->alignment = alignment;
    emit needRedraw(true);
}

void QuiltraSideBarForm::on_objAlignmentLeftToolButton_clicked()
{
    setAlignment(0);
}

void QuiltraSideBarForm::on_objAlignmentCenterToolButton_clicked()
{
    setAlignment(1);
}

void QuiltraSideBarForm::on_objAlignmentRightToolButton_clicked()
{
    setAlignment(2);
}

void QuiltraSideBarForm::on_objPosXSpinBox_valueChanged(int arg1)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->x = arg1;
    labelChanged(object);
}

void QuiltraSideBarForm::on_objPosYSpinBox_valueChanged(int arg1)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->y = arg1;
    labelChanged(object);
}

void QuiltraSideBarForm::on_objCenterCanvasButton_clicked()
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    const Suspend suspend(panelReady);
    object->x = (state().canvasSize.width() - object->rect.width()) * 0.5;
    ui->objPosXSpinBox->setValue(truncatedToInt(object->x));
    ui->objPosYSpinBox->setValue(truncatedToInt(object->y));
    labelChanged(object);
}

void QuiltraSideBarForm::on_objFontComboBox_currentFontChanged(const QFont &f)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    const QFont old = object->font;
    QFont font = f;
    font.setPointSize(old.pointSize());
    font.setStrikeOut(old.strikeOut());
    font.setUnderline(old.underline());
    font.setWeight(old.weight() >= kBoldFrom ? QFont::Bold : QFont::Normal);
    font.setStyle(old.style() != QFont::StyleNormal ? QFont::StyleItalic : QFont::StyleNormal);
    object->font = font;
    labelChanged(object);
}

void QuiltraSideBarForm::on_objFontColorButton_clicked()
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    QColorDialog dialog;
    dialog.setCurrentColor(object->color);
    if (dialog.exec() == QDialog::Accepted) {
        object->color = dialog.selectedColor();
        ui->objFontColorWidget->setColor(object->color);
    }
    emit selectedItemDataChanged();
}

void QuiltraSideBarForm::on_ObjFontColorUpdated(const QColor &color)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->color = color;
    emit selectedItemDataChanged();
}

void QuiltraSideBarForm::on_objSizeSpinBox_valueChanged(int arg1)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->font.setPointSize(arg1);
    labelChanged(object);
}

void QuiltraSideBarForm::on_objFontBoldCheckBox_toggled(bool checked)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->font.setWeight(checked ? QFont::Bold : QFont::Normal);
    labelChanged(object);
}

void QuiltraSideBarForm::on_objFontItalicCheckBox_toggled(bool checked)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->font.setStyle(checked ? QFont::StyleItalic : QFont::StyleNormal);
    labelChanged(object);
}

void QuiltraSideBarForm::on_objFontStrikeOutCheckBox_toggled(bool checked)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->font.setStrikeOut(checked);
    labelChanged(object);
}

void QuiltraSideBarForm::on_objFontUnderlineCheckBox_toggled(bool checked)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->font.setUnderline(checked);
    labelChanged(object);
}

void QuiltraSideBarForm::on_objOpacitySpinBox_valueChanged(int arg1)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->opacity = arg1;
    emit selectedItemDataChanged();
}

void QuiltraSideBarForm::on_objRotateSpinBox_valueChanged(int arg1)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->rotation = float(arg1);
    emit selectedItemDataChanged();
}

void QuiltraSideBarForm::on_objStickerPosXSpinBox_valueChanged(int arg1)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->x = arg1;
    object->rect =
        QRect(truncatedToInt(object->x), truncatedToInt(object->y),
              truncatedToInt(object->size.width()), truncatedToInt(object->size.height()));
    emit selectedItemDataChanged();
}

void QuiltraSideBarForm::on_objStickerPosYSpinBox_valueChanged(int arg1)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->y = arg1;
    object->rect =
        QRect(truncatedToInt(object->x), truncatedToInt(object->y),
              truncatedToInt(object->size.width()), truncatedToInt(object->size.height()));
    emit selectedItemDataChanged();
}

void QuiltraSideBarForm::on_objStickerScaleSpinBox_valueChanged(int arg1)
{
    OverlayObject *object = panelReady ? selectedObject() : nullptr;
    if (!object)
        return;
    object->scale = float(arg1);
    emit selectedItemDataChanged();
}

void QuiltraSideBarForm::on_objStickerOpacitySpinBox_valueChanged(int arg1)
{
    on_objOpacitySpinBox_valueChanged(arg1);
}

void QuiltraSideBarForm::on_objStickerRotateSpinBox_valueChanged(int arg1)
{
    on_objRotateSpinBox_valueChanged(arg1);
}
