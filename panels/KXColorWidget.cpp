#include "KXColorWidget.h"

#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>

KXColorWidget::KXColorWidget(QWidget *parent) : QWidget(parent)
{
    setAccessibleName(tr("Colour"));
}

void KXColorWidget::setColor(const QColor &newColor)
{
    color = newColor;
    repaint();
}

void KXColorWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    QColorDialog dialog;
    dialog.setCurrentColor(color);
    connect(&dialog, &QColorDialog::colorSelected, this, &KXColorWidget::acceptPickedColor);
    dialog.exec();
}

void KXColorWidget::acceptPickedColor(const QColor &picked)
{
    color = picked;
    emit colorUpdated(color);
    repaint();
}

void KXColorWidget::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), color);
    painter.setPen(Qt::red);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, width() - 1, height() - 1);
    painter.end();
    QWidget::paintEvent(event);
}
