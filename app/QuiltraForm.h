#pragma once

#include "QuiltraGlobal.h"

#include <QWidget>

class CocoaCode;
class QuiltraCanvasForm;
class QuiltraSideBarForm;
class QMenu;

namespace Ui {
class QuiltraForm;
}

// The editor's working surface: the tool rows, the canvas in its scroll area, the side
// bar and the zoom row. It sets the canvas settings' start values, routes the canvas's
// and the side bar's signals to each other and keeps the two folder settings.
class QuiltraForm : public QWidget
{
    Q_OBJECT

public:
    explicit QuiltraForm(QWidget *parent = nullptr);
    ~QuiltraForm() override;

    // The canvas the window passes the Shift state to.
    QuiltraCanvasForm *canvasForm() const { return canvas; }

    void updateThemeIcons();
    void updateCanvasWidgetSize();
    void loadSettings();
    void saveSettings();

public Q_SLOTS:
    void onCanvasSizeValChanged();
    void imageFileActionClicked(bool checked);
    void pasteboardActionMenuClicked(bool checked);
    void shareActionMenuClicked(bool checked);
    void onStickerSelected(const QString &resourcePath, QuiltraGlobal::TStickerType stickerType);
    void onNeedRedraw(bool redrawBackground);
    void onSelectedItemChanged();
    void updateObjWidgetData();
    void updateObjWidgetPosData();
    void updateObjOnCanvasData();
    void onDeleteSelectedItem();

private Q_SLOTS:
    void on_websiteButton_clicked();
    void on_aboutButton_clicked();
    void on_textButton_clicked();
    void on_printButton_clicked();
    void on_helpButton_clicked();
    void on_stickerButton_clicked();
    void on_optionButton_clicked();
    void on_horizontalSlider_valueChanged(int value);

private:
    void buildLayout();
    void buildExportMenu();
    void showNewObject();

    Ui::QuiltraForm *ui;
    CocoaCode *cocoaCode = nullptr;
    QuiltraSideBarForm *sideBar = nullptr;
    QuiltraCanvasForm *canvas = nullptr;
};
