#include "ThumbnailGrid.h"

#include "OverlayPainter.h"

#include <QHeaderView>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTableView>

namespace ThumbnailGrid {

namespace {

constexpr int kEmojiPointSize = 60;

} // namespace

QStringList stickerPaths()
{
    const char *names[] = {"Ballons",     "Gift",         "HatBlack", "FedoraRed",
                           "HatBirthday", "CakeBirthday", "Trumpet",  "Heart",
                           "Glasses",     "Moustache",    "prize",    "Star"};
    QStringList paths;
    for (const char *name : names)
        paths << QStringLiteral(":/resources/images/Sticker/%1.svg").arg(QLatin1String(name));
    return paths;
}

QStringList texturePaths()
{
    const int numbers[] = {36,  40,  61,  64,  94,  95,  104, 109, 114, 128, 129, 130, 131,
                           132, 133, 134, 135, 136, 137, 138, 139, 140, 148, 149, 170, 180,
                           185, 191, 213, 229, 230, 237, 248, 250, 251, 255, 257, 259, 272,
                           273, 274, 275, 276, 277, 280, 283, 294, 295, 296};
    QStringList paths;
    for (int number : numbers)
        paths << QStringLiteral(":/resources/images/Pattern/pattern_%1.png")
                     .arg(number, 3, 10, QLatin1Char('0'));
    for (int k = 1; k <= 3; ++k)
        paths << QStringLiteral(":/resources/images/Pattern/Pattern%1.png").arg(k);
    return paths;
}

QStringList emojiTexts()
{
    QStringList texts;
    // Four runs of ten; the code points between the runs are not offered.
    for (char32_t run = 0x1F600; run <= 0x1F630; run += 0x10) {
        for (char32_t offset = 0; offset < 10; ++offset) {
            const char32_t codePoint = run + offset;
            texts << QString::fromUcs4(&codePoint, 1);
        }
    }
    return texts;
}

QImage fitThumbnail(const QImage &picture)
{
    if (picture.isNull())
        return {};
    return picture.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio,
                          Qt::FastTransformation);
}

QImage emojiThumbnail(const QString &emoji)
{
    QImage image(kThumbnailSide, kThumbnailSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setFont(emojiFont(kEmojiPointSize));
    // Centred rather than on a fixed baseline: the colour glyphs are wider than the
    // baseline allows for and lost their left edge.
    painter.drawText(image.rect(), Qt::AlignCenter, emoji);
    painter.end();
    return image;
}

void setUpView(QTableView *view, int cellSize)
{
    view->setIconSize(QSize(cellSize, cellSize));
    for (QHeaderView *header : {view->horizontalHeader(), view->verticalHeader()}) {
        header->hide();
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setMinimumSectionSize(cellSize);
        header->setDefaultSectionSize(cellSize);
    }
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void fillModel(QStandardItemModel *model, const QList<ThumbnailEntry> &entries, int columns)
{
    model->clear();
    model->setColumnCount(columns);
    for (qsizetype k = 0; k < entries.size(); ++k) {
        const int row = int(k / columns);
        if (k % columns == 0) {
            QList<QStandardItem *> cells;
            for (int c = 0; c < columns; ++c) {
                auto *cell = new QStandardItem(QString());
                cell->setEditable(false);
                cells << cell;
            }
            model->appendRow(cells);
        }
        QStandardItem *cell = model->item(row, int(k % columns));
        cell->setIcon(QIcon(QPixmap::fromImage(entries[k].thumbnail)));
        cell->setData(entries[k].key, Qt::AccessibleTextRole);
    }
}

int entryAt(const QModelIndex &index, int columns, qsizetype entryCount)
{
    if (!index.isValid() || index.column() < 0 || index.column() >= columns || index.row() < 0)
        return -1;
    const qsizetype k = qsizetype(index.row()) * columns + index.column();
    return k < entryCount ? int(k) : -1;
}

} // namespace ThumbnailGrid
