#include "QuiltraForm.h"

#include "AboutDialog.h"
#include "Appearance.h"
#include "CocoaCode.h"
#include "CollageState.h"
#include "ImageExportRunner.h"
#include "KXGlobal.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "QuiltraCanvasForm.h"
#include "QuiltraHelpDialog.h"
#include "QuiltraSideBarForm.h"
#include "ui_QuiltraForm.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kSideBarWidth = 380;
constexpr int kCanvasPadding = 20;

CollageState &state()
{
    return CollageState::instance();
}

std::unique_ptr<QSettings> openFormSettings()
{
    auto settings =
        std::make_unique<QSettings>(QStringLiteral("Maplestead"), QStringLiteral("Quiltra"));
    settings->beginGroup(QStringLiteral("General"));
    return settings;
}

// Only an absolute path can be a folder to start a dialog in: an empty or relative one
// would silently mean whatever the current folder happens to be.
bool isUsableFolder(const QString &path)
{
    return !path.isEmpty() && QDir::isAbsolutePath(path) && QFileInfo(path).isDir();
}

void setStartValues()
{
    CollageState &s = state();
    s.canvasType = 0;
    s.screenSize = QSize(1920, 1080);
    s.paperIndex = 0;
    s.paperOrientation = 1;
    s.customSize = QSize(1000, 500);
    s.canvasSize = QSizeF(1920.0, 1080.0);
    s.zoomPercent = 40.0f;

    CanvasSettings &c = s.settings;
    c.backgroundTexture = QStringLiteral(":/resources/images/Pattern/pattern_140.png");
    c.backgroundColor1 = Qt::white;
    c.backgroundColor2 = Qt::green;
    c.backgroundColorMode = 0;
    c.margin = 140;
    c.spacing = 40;
    c.roundCorners = 20;
    c.frameBackgroundMode = 0;
    c.frameBackgroundColor1 = Qt::white;
    c.frameBackgroundColor2 = Qt::white;
}

// The light or dark variant while the button can be used, the grey one while it cannot.
void setThemeIcon(QAbstractButton *button, const QString &stem, bool dark)
{
    const QString base = QStringLiteral(":/resources/images/_") + stem;
    QIcon icon;
    icon.addFile(base + (dark ? QStringLiteral("WhiteIcon24.png") : QStringLiteral("Icon24.png")),
                 QSize(), QIcon::Normal);
    icon.addFile(base + QStringLiteral("GrayIcon24.png"), QSize(), QIcon::Disabled);
    button->setIcon(icon);
}

} // namespace

QuiltraForm::QuiltraForm(QWidget *parent) : QWidget(parent), ui(new Ui::QuiltraForm)
{
    ui->setupUi(this);
    setStartValues();

    ui->horizontalSlider->setValue(int(state().zoomPercent));
    ui->zoomValueLabel->setText(QString::number(ui->horizontalSlider->value()) + QLatin1Char('%'));
    onCanvasSizeValChanged();

    state().photoCountIndex = 2;
    state().layoutIndex = 0;
    // The catalogue is process-wide and holds dragged divider positions: a second form
    // in the same run keeps it rather than appending a second copy.
    if (std::all_of(state().layoutCatalogue.begin(), state().layoutCatalogue.end(),
                    [](const QList<LayoutTemplate> &layouts) { return layouts.isEmpty(); }))
        buildLayoutCatalogue();

    canvas = new QuiltraCanvasForm(ui->scrollAreaWidgetContents);
    connect(canvas, &QuiltraCanvasForm::selectedItemChanged, this,
            &QuiltraForm::onSelectedItemChanged);
    connect(canvas, &QuiltraCanvasForm::selectedItemPosChanged, this,
            &QuiltraForm::updateObjWidgetPosData);
    connect(canvas, &QuiltraCanvasForm::deleteSelectedItem, this,
            &QuiltraForm::onDeleteSelectedItem);
    updateCanvasWidgetSize();

    sideBar = new QuiltraSideBarForm(this);
    connect(sideBar, &QuiltraSideBarForm::needRedraw, this, &QuiltraForm::onNeedRedraw);
    connect(sideBar, &QuiltraSideBarForm::selectedItemDataChanged, this,
            &QuiltraForm::updateObjOnCanvasData);
    connect(sideBar, &QuiltraSideBarForm::canvasSizeValChanged, this,
            &QuiltraForm::onCanvasSizeValChanged);
    connect(sideBar, &QuiltraSideBarForm::stickerSelected, this, &QuiltraForm::onStickerSelected);
    sideBar->setFixedWidth(kSideBarWidth);

    buildLayout();
    buildExportMenu();

    ui->printButton->hide();
    ui->optionButton->setChecked(false);
    sideBar->setVisible(ui->optionButton->isChecked());

    cocoaCode = new CocoaCode;
    loadSettings();
    updateThemeIcons();
}

QuiltraForm::~QuiltraForm()
{
    saveSettings();
    delete cocoaCode;
    delete ui;
}

void QuiltraForm::buildLayout()
{
    auto *toolRow = new QHBoxLayout;
    toolRow->setContentsMargins(10, 0, 0, 0);
    for (QWidget *widget :
         std::initializer_list<QWidget *>{ui->exportButton, ui->printButton, ui->vline,
                                          ui->websiteButton, ui->helpButton, ui->aboutButton})
        toolRow->addWidget(widget);
    toolRow->addStretch();

    auto *toggleColumn = new QVBoxLayout;
    toggleColumn->setContentsMargins(0, 0, 0, 0);
    toggleColumn->setAlignment(Qt::AlignTop);
    toggleColumn->addWidget(ui->optionButton);
    toggleColumn->addWidget(ui->textButton);
    toggleColumn->addWidget(ui->stickerButton);

    auto *workRow = new QHBoxLayout;
    workRow->setContentsMargins(0, 0, 0, 0);
    workRow->addWidget(ui->scrollArea, 1);
    workRow->addWidget(sideBar);
    workRow->addLayout(toggleColumn);

    auto *zoomRow = new QHBoxLayout;
    zoomRow->setContentsMargins(10, 0, 0, 0);
    for (QWidget *widget : std::initializer_list<QWidget *>{
             ui->zoomLabel, ui->horizontalSlider, ui->zoomValueLabel, ui->vline3, ui->canvasLabel})
        zoomRow->addWidget(widget);
    zoomRow->addStretch();

    auto *rows = new QVBoxLayout;
    rows->addLayout(toolRow);
    rows->addWidget(ui->line);
    rows->addLayout(workRow, 1);
    rows->addLayout(zoomRow);
    setLayout(rows);
}

void QuiltraForm::buildExportMenu()
{
    auto *menu = new QMenu(this);
    auto *fileAction = new QAction(tr("Export to Image File"), this);
    auto *clipboardAction = new QAction(tr("Copy to Clipboard"), this);
    connect(fileAction, &QAction::triggered, this, &QuiltraForm::imageFileActionClicked);
    connect(clipboardAction, &QAction::triggered, this, &QuiltraForm::pasteboardActionMenuClicked);
    menu->addAction(fileAction);
    menu->addAction(clipboardAction);
    ui->exportButton->setMenu(menu);
    ui->exportButton->setPopupMode(QToolButton::InstantPopup);
}

void QuiltraForm::updateThemeIcons()
{
    const bool dark = isDarkAppearance();
    setThemeIcon(ui->optionButton, QStringLiteral("Settings"), dark);
    setThemeIcon(ui->textButton, QStringLiteral("Text"), dark);
    setThemeIcon(ui->stickerButton, QStringLiteral("Sticker"), dark);
    if (sideBar)
        sideBar->updateDeleteButtonIcon();
}

void QuiltraForm::updateCanvasWidgetSize()
{
    const QSizeF collage = state().canvasSize;
    const QSize padded(int(collage.width() + kCanvasPadding),
                       int(collage.height() + kCanvasPadding));
    ui->scrollAreaWidgetContents->setFixedSize(padded);
    if (canvas)
        canvas->setFixedSize(padded);
}

void QuiltraForm::loadSettings()
{
    const std::unique_ptr<QSettings> settings = openFormSettings();
    QString exportPath = settings->value(QStringLiteral("exportImagePath")).toString();
    state().lastPicturesDir = settings->value(QStringLiteral("lastPicturesDir")).toString();
    if (!isUsableFolder(exportPath))
        exportPath = KXGlobal().documentsPath();
    state().exportImagePath = exportPath;
}

void QuiltraForm::saveSettings()
{
    const std::unique_ptr<QSettings> settings = openFormSettings();
    // The path may name the last exported file; the store keeps only its folder.
    QString folder = state().exportImagePath;
    if (!isUsableFolder(folder))
        folder = QFileInfo(folder).dir().path();
    if (!isUsableFolder(folder))
        folder = KXGlobal().documentsPath();
    settings->setValue(QStringLiteral("exportImagePath"), folder);
    settings->setValue(QStringLiteral("lastPicturesDir"), state().lastPicturesDir);
}

void QuiltraForm::onCanvasSizeValChanged()
{
    const QSizeF size = state().canvasSize;
    ui->canvasLabel->setText(QStringLiteral("Canvas Size: ") +
                             QString::number(size.width(), 'g', 6) + QLatin1Char('x') +
                             QString::number(size.height(), 'g', 6));
}

void QuiltraForm::imageFileActionClicked(bool checked)
{
    Q_UNUSED(checked);
    // Only the suffix of the chosen name decides the format, not the filter entry.
    const QString filePath = QDir::toNativeSeparators(QFileDialog::getSaveFileName(
        nullptr, tr("Save to Image File"), state().exportImagePath,
        QStringLiteral("PNG file (*.png);;JPG file (*.jpg);;TIFF file (*.tiff);;GIF file "
                       "(*.gif);;WebP file (*.webp)")));
    if (filePath.isEmpty())
        return;
    state().exportImagePath = filePath;
    saveSettings();
    if (canvas)
        canvas->exportImage(filePath);
}

void QuiltraForm::pasteboardActionMenuClicked(bool checked)
{
    Q_UNUSED(checked);
    if (!canvas)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QImage image = canvas->renderCollageImage();
    QApplication::restoreOverrideCursor();
    ImageExportRunner(this).copyToClipboard(image);
}

void QuiltraForm::shareActionMenuClicked(bool checked)
{
    Q_UNUSED(checked);
}

void QuiltraForm::onNeedRedraw(bool redrawBackground)
{
    if (!canvas)
        return;
    updateCanvasWidgetSize();
    canvas->requestRedraw(redrawBackground);
}

void QuiltraForm::onSelectedItemChanged()
{
    ui->optionButton->setChecked(false);
    ui->textButton->setChecked(false);
    ui->stickerButton->setChecked(false);
    if (!sideBar)
        return;
    if (state().document.selectedObjectId < 0) {
        sideBar->hide();
        return;
    }
    sideBar->show();
    sideBar->showObjectPanel();
    sideBar->loadSelectedObject();
}

void QuiltraForm::updateObjWidgetData()
{
    if (sideBar)
        sideBar->loadSelectedObject();
}

void QuiltraForm::updateObjWidgetPosData()
{
    if (sideBar)
        sideBar->loadSelectedObjectPosition();
}

void QuiltraForm::updateObjOnCanvasData()
{
    if (canvas)
        canvas->requestRedraw(false);
}

void QuiltraForm::onDeleteSelectedItem()
{
    if (sideBar)
        sideBar->deleteSelectedObject();
}

void QuiltraForm::onStickerSelected(const QString &resourcePath,
                                    QuiltraGlobal::TStickerType stickerType)
{
    if (!canvas)
        return;
    if (stickerType == QuiltraGlobal::Emoji)
        createEmoji(resourcePath);
    else
        createSticker(resourcePath);
    showNewObject();
}

void QuiltraForm::on_textButton_clicked()
{
    if (!canvas)
        return;
    createLabel();
    showNewObject();
}

void QuiltraForm::showNewObject()
{
    if (sideBar)
        sideBar->refreshObjectList();
    onSelectedItemChanged();
    canvas->requestRedraw(false);
}

void QuiltraForm::on_websiteButton_clicked()
{
    QDesktopServices::openUrl(AboutDialog::websiteUrl());
}

void QuiltraForm::on_aboutButton_clicked()
{
    auto *dialog = new AboutDialog(this);
    dialog->exec(); // deletes itself when closed: nothing to read afterwards
}

void QuiltraForm::on_printButton_clicked() {}

void QuiltraForm::on_helpButton_clicked()
{
    auto *dialog = new QuiltraHelpDialog(this);
    dialog->exec(); // deletes itself when closed: nothing to read afterwards
}

void QuiltraForm::on_stickerButton_clicked()
{
    ui->optionButton->setChecked(false);
    ui->textButton->setChecked(false);
    if (!sideBar)
        return;
    sideBar->setVisible(ui->stickerButton->isChecked());
    if (ui->stickerButton->isChecked())
        sideBar->showStickerPanel();
}

void QuiltraForm::on_optionButton_clicked()
{
    ui->stickerButton->setChecked(false);
    ui->textButton->setChecked(false);
    if (!sideBar)
        return;
    sideBar->setVisible(ui->optionButton->isChecked());
    if (ui->optionButton->isChecked())
        sideBar->showSettingsPanel();
}

void QuiltraForm::on_horizontalSlider_valueChanged(int value)
{
    if (!canvas)
        return;
    state().zoomPercent = float(value);
    ui->zoomValueLabel->setText(QString::number(value) + QLatin1Char('%'));
    updateCanvasWidgetSize();
    canvas->requestRescale();
}
