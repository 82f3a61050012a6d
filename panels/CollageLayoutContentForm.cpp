#include "CollageLayoutContentForm.h"

#include "CollageState.h"
#include "ui_CollageLayoutContentForm.h"

#include <QMouseEvent>
#include <QPainter>

CollageLayoutContentForm::CollageLayoutContentForm(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::CollageLayoutContentForm>())
{
    ui->setupUi(this);
    setAccessibleName(tr("Layouts"));
}

CollageLayoutContentForm::~CollageLayoutContentForm() = default;

int CollageLayoutContentForm::layoutCount() const
{
    const CollageState &state = CollageState::instance();
    const int count = state.photoCountIndex;
    if (count < 0 || count >= kPhotoCountChoices)
        return 0;
    return int(state.layoutCatalogue[size_t(count)].size());
}

void CollageLayoutContentForm::setPhotoCount(int countIndex)
{
    CollageState &state = CollageState::instance();
    const int n = countIndex >= 0 && countIndex < kPhotoCountChoices
                      ? int(state.layoutCatalogue[size_t(countIndex)].size())
                      : 0;
    if (m_selectedIndex > n - 1)
        m_selectedIndex = 0;
    if (m_hoverIndex > n - 1)
        m_hoverIndex = -1;
    state.photoCountIndex = countIndex;
    state.layoutIndex = m_selectedIndex;
    emit frameSelected(countIndex, m_selectedIndex);
    update();
}

int CollageLayoutContentForm::computeContentHeight()
{
    m_contentHeight = layoutContentHeight(layoutCount());
    if (m_contentHeight > LayoutGrid::kScrollingHeight)
        m_grid.left = 1;
    return m_contentHeight;
}

void CollageLayoutContentForm::renderLayoutPreview(QPainter &painter, int layoutIndex,
                                                   const QRectF &rect) const
{
    const CollageState &state = CollageState::instance();
    if (layoutIndex < 0 || layoutIndex >= layoutCount())
        return;
    ::renderLayoutPreview(painter,
                          state.layoutCatalogue[size_t(state.photoCountIndex)][layoutIndex], rect);
}

void CollageLayoutContentForm::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int n = layoutCount();
    for (int i = 0; i < n; ++i)
        renderLayoutPreview(painter, i, m_grid.thumbnailRect(i));
    if (m_selectedIndex >= 0 && m_selectedIndex < n) {
        painter.setPen(Qt::black);
        const QRectF selected = m_grid.thumbnailRect(m_selectedIndex);
        painter.fillRect(selected, QColor(255, 24, 0, 50));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(selected);
    }
    painter.end();
    QWidget::paintEvent(event);
}

void CollageLayoutContentForm::mouseMoveEvent(QMouseEvent *event)
{
    m_hoverIndex = m_grid.indexAt(event->position().toPoint(), layoutCount());
    update();
}

void CollageLayoutContentForm::mousePressEvent(QMouseEvent *event)
{
    // The press position, not the last hover: the picker may have scrolled under a
    // pointer that has not moved since.
    const int index = m_grid.indexAt(event->position().toPoint(), layoutCount());
    if (index < 0)
        return;
    if (event->button() == Qt::LeftButton) {
        m_selectedIndex = index;
        CollageState::instance().layoutIndex = index;
        update();
    }
    emit frameSelected(CollageState::instance().photoCountIndex, m_selectedIndex);
}

void CollageLayoutContentForm::enterEvent(QEnterEvent *event)
{
    setMouseTracking(true);
    QWidget::enterEvent(event);
}

void CollageLayoutContentForm::leaveEvent(QEvent *event)
{
    setMouseTracking(false);
    m_hoverIndex = -1;
    update();
    QWidget::leaveEvent(event);
}
