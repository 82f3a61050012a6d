#pragma once

#include "LayoutPreview.h"

#include <QWidget>
#include <memory>

namespace Ui {
class CollageLayoutContentForm;
}

// The layout picker: every layout of the current photo count as a drawn preview, three
// to a row. A left click chooses a layout for the document; any click reports the choice.
class CollageLayoutContentForm : public QWidget
{
    Q_OBJECT

public:
    explicit CollageLayoutContentForm(QWidget *parent = nullptr);
    ~CollageLayoutContentForm() override;

    // Shows the layouts of countIndex and makes that count and the picker's selection (kept
    // when still valid, else the first layout) the document's choice; emits frameSelected.
    void setPhotoCount(int countIndex);
    // The height the picker's container needs for the current photo count.
    int computeContentHeight();
    void renderLayoutPreview(QPainter &painter, int layoutIndex, const QRectF &rect) const;

    int selectedIndex() const { return m_selectedIndex; }
    int hoverIndex() const { return m_hoverIndex; }
    int contentHeight() const { return m_contentHeight; }
    const LayoutGrid &grid() const { return m_grid; }

signals:
    // The photo-count index and the layout index of the document's choice.
    void frameSelected(int layoutIndex, int frameIndex);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int layoutCount() const;

    std::unique_ptr<Ui::CollageLayoutContentForm> ui;
    LayoutGrid m_grid;
    int m_contentHeight = 0;
    int m_selectedIndex = 0;
    int m_hoverIndex = -1;
};
