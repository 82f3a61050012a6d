#pragma once

#include "ThumbnailEntry.h"

#include <QImage>
#include <QList>
#include <QStringList>

class QModelIndex;
class QStandardItemModel;
class QTableView;

namespace ThumbnailGrid {

// The longest side of a thumbnail made by the loaders.
inline constexpr int kThumbnailSide = 120;

// The resource paths of the built-in stickers and textures, in the order the pickers show.
QStringList stickerPaths();
QStringList texturePaths();
// The offered emoji, one code point each.
QStringList emojiTexts();

// The whole picture scaled (fast) to fit a square of kThumbnailSide, so wide and tall
// pictures keep their ends; null for a null picture.
QImage fitThumbnail(const QImage &picture);
// An emoji drawn in colour on a transparent square of kThumbnailSide.
QImage emojiThumbnail(const QString &emoji);

// A table view as a grid of square cells of side cellSize, without headers or editing.
void setUpView(QTableView *view, int cellSize);
// Rows of columns cells, filled row by row with the entries' thumbnails; cells past the
// last entry stay empty.
void fillModel(QStandardItemModel *model, const QList<ThumbnailEntry> &entries, int columns);
// The entry a grid cell shows, or -1 for an invalid index or a cell without an entry.
int entryAt(const QModelIndex &index, int columns, qsizetype entryCount);

} // namespace ThumbnailGrid
