#include "DialogFit.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <map>

namespace {

constexpr int kColumnGap = 6;
constexpr int kEdgeMargin = 12;

bool sharesRow(const QRect &a, const QRect &b)
{
    return a.top() <= b.bottom() && b.top() <= a.bottom();
}

// Labels that show a picture keep the size the picture was scaled to.
bool showsText(const QLabel *label)
{
    return !label->text().isEmpty();
}

} // namespace

void fitDialogToText(QDialog *dialog, QPushButton *cornerButton)
{
    const QSize oldSize = dialog->size();
    const QRect oldButton = cornerButton->geometry();

    std::map<int, QList<QLabel *>> columns; // by the x the form placed them at
    for (QLabel *label : dialog->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        if (showsText(label))
            label->adjustSize();
        columns[label->x()].append(label);
    }

    QList<QLabel *> placed;
    for (auto &[x, members] : columns) {
        int newX = x;
        for (const QLabel *member : members) {
            for (const QLabel *before : placed) {
                if (sharesRow(before->geometry(), member->geometry()))
                    newX = std::max(newX, before->geometry().right() + 1 + kColumnGap);
            }
        }
        for (QLabel *member : members)
            member->move(newX, member->y());
        placed += members;
    }

    cornerButton->resize(std::max(oldButton.width(), cornerButton->sizeHint().width()),
                         std::max(oldButton.height(), cornerButton->sizeHint().height()));

    QRect content;
    for (const QWidget *child : dialog->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child != cornerButton)
            content |= child->geometry();
    }
    const int rightGap = oldSize.width() - oldButton.right() - 1;
    const int bottomGap = oldSize.height() - oldButton.bottom() - 1;
    const int width = std::max({oldSize.width(), content.right() + 1 + kEdgeMargin,
                                cornerButton->width() + rightGap + kEdgeMargin});
    const int height = std::max(oldSize.height(), content.bottom() + 1 + kEdgeMargin +
                                                      cornerButton->height() + bottomGap);
    cornerButton->move(width - rightGap - cornerButton->width(),
                       height - bottomGap - cornerButton->height());
    dialog->setFixedSize(width, height);
}
