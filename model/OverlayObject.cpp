#include "OverlayObject.h"

#include "CollageState.h"
#include "IntConversion.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kEmojiSide = 150;
constexpr int kLabelPointSize = 36;

void centreOnCanvas(OverlayObject &object, double width, double height)
{
    const QSizeF canvas = CollageState::instance().canvasSize;
    object.x = (canvas.width() - width) * 0.5;
    object.y = (canvas.height() - height) * 0.5;
}

void appendAndSelect(OverlayObject &object)
{
    CollageState &state = CollageState::instance();
    object.opacity = 100;
    object.id = state.nextObjectId++;
    state.document.selectedObjectId = object.id;
    state.document.objects.append(object);
}

} // namespace

void createLabel()
{
    OverlayObject label;
    label.text = QStringLiteral("Untitled");
    label.color = Qt::black;
    label.rotation = 0.0f;
    label.alignment = 1;
    label.font = QGuiApplication::font();
    label.font.setPointSize(kLabelPointSize);
    label.font.setWeight(QFont::Bold);

    const QFontMetrics metrics(label.font);
    centreOnCanvas(label, metrics.horizontalAdvance(label.text), metrics.height());
    label.kind = Label;
    updateLabelBox(&label);

    CollageState &state = CollageState::instance();
    label.name = QStringLiteral("Label%1").arg(state.labelCounter++);
    appendAndSelect(label);
}

namespace {

// Stickers and emoji share one number series for their names.
void appendPicture(const QString &source, QSize size, OverlayKind kind, const QString &prefix)
{
    OverlayObject picture;
    picture.size = size;
    centreOnCanvas(picture, size.width(), size.height());
    picture.rect =
        QRect(truncatedToInt(picture.x), truncatedToInt(picture.y), size.width(), size.height());
    picture.source = source;
    picture.name = prefix + QString::number(CollageState::instance().stickerCounter++);
    picture.alignment = 1;
    picture.rotation = 0.0f;
    picture.scale = 100.0f;
    picture.kind = kind;
    appendAndSelect(picture);
}

} // namespace

void createSticker(const QString &resourcePath)
{
    appendPicture(resourcePath, QImage(resourcePath).size(), Sticker, QStringLiteral("Sticker"));
}

void createEmoji(const QString &emojiText)
{
    appendPicture(emojiText, QSize(kEmojiSide, kEmojiSide), Emoji, QStringLiteral("Emoji"));
}

void updateLabelBox(OverlayObject *object)
{
    // A sticker's or emoji's box is its picture's size; a label's empty text would
    // shrink it to nothing and hide the object for good.
    if (!object || object->kind != Label)
        return;

    const QFontMetrics metrics(object->font);
    const int lineHeight = metrics.height();
    object->size = QSizeF(metrics.horizontalAdvance(object->text), lineHeight);

    int boxWidth = metrics.horizontalAdvance(object->text);
    int lineCount = 1;
    if (object->text.contains(QLatin1Char('\n'))) {
        const QStringList lines = object->text.split(QLatin1Char('\n'));
        lineCount = int(lines.size());
        boxWidth = 0;
        for (const QString &line : lines)
            boxWidth = std::max(boxWidth, metrics.horizontalAdvance(line));
    }
    object->rect = QRect(truncatedToInt(object->x), truncatedToInt(object->y), boxWidth,
                         lineCount * lineHeight + lineHeight / 4);
}
