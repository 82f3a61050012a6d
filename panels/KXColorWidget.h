#pragma once

#include <QColor>
#include <QWidget>

// A clickable colour patch. A left press opens the colour dialog; a confirmed pick is
// shown and announced with colorUpdated. Owners set color directly (and repaint) to show
// a stored value without an announcement.
class KXColorWidget : public QWidget
{
    Q_OBJECT

public:
    explicit KXColorWidget(QWidget *parent = nullptr);

    QColor color = Qt::white;

    // Shows color without announcing it.
    void setColor(const QColor &newColor);

signals:
    void colorUpdated(QColor color);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void acceptPickedColor(const QColor &picked);
};
