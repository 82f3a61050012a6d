#pragma once

#include "QuiltraGlobal.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <memory>

namespace Ui {
class QuiltraSideBarForm;
}
class CollageLayoutContentForm;
class CollageSelectStickerForm;
class QLabel;
struct OverlayObject;

// The panel beside the canvas. Its settings tabs edit the layout choice, canvas size,
// background, frame style and corner ornaments; its object panel edits the selected text
// label, sticker or emoji; its third face is the sticker and emoji picker. Every edit goes
// straight into CollageState; the signals tell the editor what to draw again.
class QuiltraSideBarForm : public QWidget
{
    Q_OBJECT

public:
    explicit QuiltraSideBarForm(QWidget *parent = nullptr);
    ~QuiltraSideBarForm() override;

    // The object panel's look, chosen by the fixed height of its scrolling content.
    enum class ObjectPanelState
    {
        NoObject,
        PanelShown,
        LabelLoaded,
        StickerLoaded,
    };

    void showSettingsPanel();
    void showObjectPanel();
    void showStickerPanel();

    void refreshObjectList();
    void loadSelectedObject();
    // Only the position boxes, while the object is dragged on the canvas.
    void loadSelectedObjectPosition();
    void deleteSelectedObject();
    void updateDeleteButtonIcon();

    // Makes the picture at path the background image, when it can be read; otherwise keeps
    // the old one and warns. The image button's action after its file dialog.
    void setBackgroundImage(const QString &path);

    bool isPanelReady() const { return panelReady; }
    ObjectPanelState objectPanelState() const { return m_objectPanelState; }
    CollageLayoutContentForm *layoutPicker() const { return m_layoutPicker; }
    CollageSelectStickerForm *stickerPicker() const { return m_stickerPicker; }

signals:
    void needRedraw(bool redrawBackground);
    void canvasSizeValChanged();
    void selectedItemDataChanged();
    void stickerSelected(QString resourcePath, QuiltraGlobal::TStickerType stickerType);

public slots:
    void onStickerSelected(const QString &resourcePath, QuiltraGlobal::TStickerType stickerType);
    void onTextureSelected(const QString &resourcePath);
    void onFrameSelected(int layoutIndex, int frameIndex);
    void on_BackColorUpdated1(const QColor &color);
    void on_BackColorUpdated2(const QColor &color);
    void on_FrameColorUpdated1(const QColor &color);
    void on_FrameColorUpdated2(const QColor &color);
    void on_ObjFontColorUpdated(const QColor &color);

private slots:
    void on_layoutComboBox_currentIndexChanged(int index);
    void on_canvasTypeComboBox_currentIndexChanged(int index);
    void on_screenComboBox_currentIndexChanged(int index);
    void on_paperComboBox_currentIndexChanged(int index);
    void on_paperOrientationComboBox_currentIndexChanged(int index);
    void on_sizeWidthSpinBox_valueChanged(int value);
    void on_sizeHeightSpinBox_valueChanged(int value);
    void on_backTypeComboBox_currentIndexChanged(int index);
    void on_backgroundComboBox_currentIndexChanged(int index);
    void on_backTextureAddButton_clicked();
    void on_backTextureDeleteButton_clicked();
    void on_backImageAddButton_clicked();
    void on_backImageDeleteButton_clicked();
    void on_marginSpinBox_valueChanged(int value);
    void on_spacingSpinBox_valueChanged(int value);
    void on_topSpinBox_valueChanged(int value);
    void on_roundCornersSpinBox_valueChanged(int value);
    void on_lineWidthSpinBox_valueChanged(int value);
    void on_dropShadowCheckBox_clicked();
    void on_frameBackgroundComboBox_currentIndexChanged(int index);
    void on_cornerImageLocationTopLeftCheckBox_clicked();
    void on_cornerImageLocationTopRightCheckBox_clicked();
    void on_cornerImageLocationBottomLeftCheckBox_clicked();
    void on_cornerImageLocationBottomRightCheckBox_clicked();

    void on_objNameComboBox_currentIndexChanged(int index);
    void on_objDelButton_clicked();
    void on_objContentPlainTextEdit_textChanged();
    void on_objAlignmentLeftToolButton_clicked();
    void on_objAlignmentCenterToolButton_clicked();
    void on_objAlignmentRightToolButton_clicked();
    void on_objPosXSpinBox_valueChanged(int arg1);
    void on_objPosYSpinBox_valueChanged(int arg1);
    void on_objCenterCanvasButton_clicked();
    void on_objFontComboBox_currentFontChanged(const QFont &f);
    void on_objFontColorButton_clicked();
    void on_objSizeSpinBox_valueChanged(int arg1);
    void on_objFontBoldCheckBox_toggled(bool checked);
    void on_objFontItalicCheckBox_toggled(bool checked);
    void on_objFontStrikeOutCheckBox_toggled(bool checked);
    void on_objFontUnderlineCheckBox_toggled(bool checked);
    void on_objOpacitySpinBox_valueChanged(int arg1);
    void on_objRotateSpinBox_valueChanged(int arg1);
    void on_objStickerPosXSpinBox_valueChanged(int arg1);
    void on_objStickerPosYSpinBox_valueChanged(int arg1);
    void on_objStickerScaleSpinBox_valueChanged(int arg1);
    void on_objStickerOpacitySpinBox_valueChanged(int arg1);
    void on_objStickerRotateSpinBox_valueChanged(int arg1);

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadSettings();
    void updateCanvasRows();
    void applyCanvasSize();
    void showBackgroundGroup(int type);
    void applyBackground();
    void applyFrame();
    void storeCornerFlags();
    void storeSpacingChange();
    void clearBackgroundPicture(bool texture);
    // Reads path through the shared photo reader and shows it in preview; false, with a
    // warning naming the file, when it cannot be read.
    bool showPreview(QLabel *preview, const QString &path, bool warn);

    void setObjectPanelState(ObjectPanelState state);
    OverlayObject *selectedObject() const;
    void loadObject(int id, bool full);
    void selectObjectByName();
    void fillObjectNames();
    // For the label edits that change its box: resize it and announce the change.
    void labelChanged(OverlayObject *object);
    void setAlignment(int alignment);

    std::unique_ptr<Ui::QuiltraSideBarForm> ui;
    bool panelReady = false;
    CollageLayoutContentForm *m_layoutPicker = nullptr;
    CollageSelectStickerForm *m_stickerPicker = nullptr;
    ObjectPanelState m_objectPanelState = ObjectPanelState::NoObject;
};
