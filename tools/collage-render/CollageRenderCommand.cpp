#include "CollageRenderCommand.h"

#include "CollageRenderer.h"
#include "CollageState.h"
#include "ImageFileWriter.h"
#include "LayoutCatalogue.h"
#include "OpaqueImage.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"

#include <QBuffer>
#include <QColor>
#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// An overlay object option with the opacity and rotation in force where it was given.
struct ObjectOption
{
    QString kind;
    QString value;
    int opacity = 100;
    float rotation = 0.0f;
};

// Two colours and a direction: mode 1 runs top to bottom, 2 left to right; a single
// colour is mode 0.
struct ColourFill
{
    int mode = 0;
    QColor first;
    QColor second;
};

struct Options
{
    int count = 10;
    int layout = 0;
    QSize size{1920, 1080};
    int margin = 140;
    int spacing = 40;
    int top = 0;
    int radius = 20;
    int lineWidth = 3;
    bool shadow = true;
    bool corners[4] = {true, false, false, true}; // tl, tr, bl, br
    int backgroundType = 0;                       // 0 colour, 1 texture, 2 image
    ColourFill background{0, Qt::white, Qt::green};
    QString texture;
    QString backgroundImage;
    std::optional<ColourFill> frameFill;
    QList<QPair<int, int>> frameRotations; // cell index, degrees
    QStringList photos;
    QList<ObjectOption> objects;
    int objectOpacity = 100;
    float objectRotation = 0.0f;
    QString out = QStringLiteral("collage.png");
    int repeat = 0;
    bool timings = false;
};

std::optional<int> parseInt(const QString &text, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::optional<QSize> parseSize(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+)x(\\d+)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const std::optional<int> width = parseInt(match.captured(1), 1, 1 << 20);
    const std::optional<int> height = parseInt(match.captured(2), 1, 1 << 20);
    if (!width || !height)
        return std::nullopt;
    return QSize(*width, *height);
}

std::optional<std::array<bool, 4>> parseCorners(const QString &text)
{
    std::array<bool, 4> corners = {false, false, false, false};
    if (text == QLatin1String("none"))
        return corners;
    static const QStringList names = {QStringLiteral("tl"), QStringLiteral("tr"),
                                      QStringLiteral("bl"), QStringLiteral("br")};
    for (const QString &name : text.split(QLatin1Char(','))) {
        const qsizetype index = names.indexOf(name.trimmed());
        if (index < 0)
            return std::nullopt;
        corners[size_t(index)] = true;
    }
    return corners;
}

// "C1,C2,vertical" or "C1,C2,horizontal"; with allowSingle also a lone "C1".
std::optional<ColourFill> parseColourFill(const QString &text, bool allowSingle)
{
    const QStringList parts = text.split(QLatin1Char(','));
    ColourFill fill;
    fill.first = QColor::fromString(parts.value(0).trimmed());
    if (!fill.first.isValid())
        return std::nullopt;
    if (parts.size() == 1 && allowSingle) {
        fill.second = fill.first;
        return fill;
    }
    if (parts.size() != 3)
        return std::nullopt;
    fill.second = QColor::fromString(parts[1].trimmed());
    const QString direction = parts[2].trimmed();
    if (direction == QLatin1String("vertical"))
        fill.mode = 1;
    else if (direction == QLatin1String("horizontal"))
        fill.mode = 2;
    if (!fill.second.isValid() || fill.mode == 0)
        return std::nullopt;
    return fill;
}

// "I:DEG": a frame index and whole degrees.
std::optional<QPair<int, int>> parseFrameRotation(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+):(-?\\d+)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const std::optional<int> index = parseInt(match.captured(1), 0, kPhotoSlotCount - 1);
    const std::optional<int> degrees = parseInt(match.captured(2), -3600, 3600);
    if (!index || !degrees)
        return std::nullopt;
    return QPair<int, int>(*index, *degrees);
}

void addLabel(const QString &text)
{
    CollageState &state = CollageState::instance();
    createLabel();
    OverlayObject &label = state.document.objects.last();
    label.text = text;
    updateLabelBox(&label);
    // Centre the label's box for its own text, not for the placeholder it started with.
    label.x = (state.canvasSize.width() - label.rect.width()) * 0.5;
    label.y = (state.canvasSize.height() - label.rect.height()) * 0.5;
    updateLabelBox(&label);
}

// Frames, photos, objects and ornaments are drawn over the background and only ever add
// to its cover, so an opaque background makes an opaque collage. Any other is drawn and
// looked at slice by slice until a pixel shows through.
bool collageIsOpaque(CollageRenderer &renderer, const QRect &target)
{
    const auto opaque = [](const QImage &rows) { return isOpaque(rows); };
    return renderer.renderExportRows(target, opaque, true) ||
           renderer.renderExportRows(target, opaque);
}

} // namespace

CollageRenderCommand::CollageRenderCommand(QTextStream &out, QTextStream &err)
    : m_out(out), m_err(err)
{
}

int CollageRenderCommand::failure(const QString &message)
{
    m_err << "collage-render: " << message << "\n";
    m_err.flush();
    return kFailure;
}

void CollageRenderCommand::reportWritten(const QString &path, const QSize &size, qint64 readTime,
                                         qint64 renderTime, qint64 writeTime, bool timings)
{
    m_out << "wrote " << path << " (" << size.width() << "x" << size.height() << ")\n";
    if (timings) {
        m_out << QStringLiteral("timings: read %1 ms, render %2 ms, write %3 ms\n")
                     .arg(readTime)
                     .arg(renderTime)
                     .arg(writeTime);
    }
}

int CollageRenderCommand::usageError(const QString &message)
{
    m_err << "collage-render: " << message << "\n";
    printUsage(m_err);
    m_err.flush();
    return kUsageError;
}

void CollageRenderCommand::printUsage(QTextStream &stream) const
{
    stream << "usage: collage-render [options]\n"
              "  --count N           photo count 1 to 10 (10)\n"
              "  --layout I          layout index for that count (0)\n"
              "  --size WxH          canvas size in pixels (1920x1080)\n"
              "  --margin M --spacing S --top T --radius R --line-width L\n"
              "                      frame style in pixels (140, 40, 0, 20, 3)\n"
              "  --shadow on|off     drop shadow under the frames (on)\n"
              "  --corners LIST      comma list of tl,tr,bl,br, or none (tl,br)\n"
              "  --background COLOR  background colour (white)\n"
              "  --background-gradient C1,C2,vertical|horizontal\n"
              "                      background gradient\n"
              "  --texture PATH      background texture, an image or resource path\n"
              "  --background-image FILE\n"
              "                      background picture\n"
              "  --frame-color C1[,C2,vertical|horizontal]\n"
              "                      frame background colour or gradient (white)\n"
              "  --rotate-frame I:DEG\n"
              "                      repeatable: turn frame I about its centre\n"
              "  --photo FILE        repeatable: the k-th photo fills frame k\n"
              "  --label TEXT        repeatable: a text label, centred\n"
              "  --sticker PATH      repeatable: a sticker from an image or resource path\n"
              "  --emoji TEXT        repeatable: an emoji\n"
              "  --object-opacity P  opacity 0 to 100 of the objects given after it (100)\n"
              "  --object-rotation DEG\n"
              "                      rotation of the objects given after it (0)\n"
              "  --out FILE          output file: png, jpg, tiff, webp, gif or any other\n"
              "                      suffix the image writers know (collage.png)\n"
              "  --repeat N          render N more times and print timings of render,\n"
              "                      encoding and writing (0)\n"
              "  --timings           print the read, render and write times\n";
}

int CollageRenderCommand::run(const QStringList &arguments)
{
    Options options;
    std::optional<int> requestedLayout;
    const QHash<QString, int *> frameLengths = {
        {QStringLiteral("--margin"), &options.margin},
        {QStringLiteral("--spacing"), &options.spacing},
        {QStringLiteral("--top"), &options.top},
        {QStringLiteral("--radius"), &options.radius},
        {QStringLiteral("--line-width"), &options.lineWidth},
    };

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &name = arguments[i];
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            printUsage(m_out);
            m_out.flush();
            return kSuccess;
        }
        if (name == QLatin1String("--timings")) {
            options.timings = true;
            continue;
        }
        if (i + 1 >= arguments.size())
            return usageError(name.startsWith(QLatin1String("--"))
                                  ? QStringLiteral("%1 needs a value").arg(name)
                                  : QStringLiteral("unexpected argument %1").arg(name));
        const QString value = arguments[++i];
        auto badValue = [&] {
            return usageError(QStringLiteral("bad value for %1: %2").arg(name, value));
        };
        auto intOption = [&](int &field, int minimum, int maximum) {
            const std::optional<int> parsed = parseInt(value, minimum, maximum);
            if (parsed)
                field = *parsed;
            return parsed.has_value();
        };

        constexpr int kLargestLength = 1 << 20;
        if (name == QLatin1String("--count")) {
            if (!intOption(options.count, 1, kPhotoCountChoices))
                return badValue();
        } else if (name == QLatin1String("--layout")) {
            requestedLayout = parseInt(value, 0, 1000);
            if (!requestedLayout)
                return badValue();
        } else if (name == QLatin1String("--size")) {
            const std::optional<QSize> size = parseSize(value);
            if (!size)
                return badValue();
            options.size = *size;
        } else if (int *length = frameLengths.value(name)) {
            if (!intOption(*length, 0, kLargestLength))
                return badValue();
        } else if (name == QLatin1String("--shadow")) {
            if (value != QLatin1String("on") && value != QLatin1String("off"))
                return badValue();
            options.shadow = value == QLatin1String("on");
        } else if (name == QLatin1String("--corners")) {
            const std::optional<std::array<bool, 4>> corners = parseCorners(value);
            if (!corners)
                return badValue();
            std::copy(corners->begin(), corners->end(), options.corners);
        } else if (name == QLatin1String("--background")) {
            const QColor colour = QColor::fromString(value);
            if (!colour.isValid())
                return badValue();
            options.backgroundType = 0;
            options.background = {0, colour, colour};
        } else if (name == QLatin1String("--background-gradient")) {
            const std::optional<ColourFill> fill = parseColourFill(value, false);
            if (!fill)
                return badValue();
            options.backgroundType = 0;
            options.background = *fill;
        } else if (name == QLatin1String("--texture")) {
            options.backgroundType = 1;
            options.texture = value;
        } else if (name == QLatin1String("--background-image")) {
            options.backgroundType = 2;
            options.backgroundImage = value;
        } else if (name == QLatin1String("--frame-color")) {
            options.frameFill = parseColourFill(value, true);
            if (!options.frameFill)
                return badValue();
        } else if (name == QLatin1String("--rotate-frame")) {
            const std::optional<QPair<int, int>> rotation = parseFrameRotation(value);
            if (!rotation)
                return badValue();
            options.frameRotations.append(*rotation);
        } else if (name == QLatin1String("--object-opacity")) {
            if (!intOption(options.objectOpacity, 0, 100))
                return badValue();
        } else if (name == QLatin1String("--object-rotation")) {
            bool ok = false;
            options.objectRotation = value.toFloat(&ok);
            if (!ok || !std::isfinite(options.objectRotation))
                return badValue();
        } else if (name == QLatin1String("--photo")) {
            options.photos.append(value);
        } else if (name == QLatin1String("--label") || name == QLatin1String("--sticker") ||
                   name == QLatin1String("--emoji")) {
            options.objects.append({name, value, options.objectOpacity, options.objectRotation});
        } else if (name == QLatin1String("--out")) {
            if (value.isEmpty())
                return badValue();
            options.out = value;
        } else if (name == QLatin1String("--repeat")) {
            if (!intOption(options.repeat, 0, 100000))
                return badValue();
        } else {
            return usageError(QStringLiteral("unknown option %1").arg(name));
        }
    }

    CollageState::reset();
    CollageState &state = CollageState::instance();
    buildLayoutCatalogue();

    const qsizetype layoutCount = state.layoutCatalogue[size_t(options.count - 1)].size();
    options.layout = requestedLayout.value_or(0);
    if (options.layout >= layoutCount)
        return usageError(QStringLiteral("--layout must be below %1 for %2 photos")
                              .arg(layoutCount)
                              .arg(options.count));
    for (const auto &[index, degrees] : options.frameRotations) {
        if (index >= options.count)
            return usageError(QStringLiteral("--rotate-frame %1 names no frame of %2")
                                  .arg(index)
                                  .arg(options.count));
    }
    if (options.photos.size() > options.count)
        return usageError(QStringLiteral("%1 photos given for %2 frames")
                              .arg(options.photos.size())
                              .arg(options.count));

    state.photoCountIndex = options.count - 1;
    state.layoutIndex = options.layout;
    state.canvasSize = QSizeF(options.size);
    CanvasSettings &settings = state.settings;
    settings.margin = options.margin;
    settings.spacing = options.spacing;
    settings.topOffset = options.top;
    settings.roundCorners = options.radius;
    settings.lineWidth = options.lineWidth;
    settings.dropShadow = options.shadow ? 1 : 0;
    settings.cornerTopLeft = options.corners[0];
    settings.cornerTopRight = options.corners[1];
    settings.cornerBottomLeft = options.corners[2];
    settings.cornerBottomRight = options.corners[3];
    settings.backgroundType = options.backgroundType;
    settings.backgroundColorMode = options.background.mode;
    settings.backgroundColor1 = options.background.first;
    settings.backgroundColor2 = options.background.second;
    // The renderer draws nothing for a picture it cannot read; the tool says so instead.
    const QString picture = options.backgroundType == 1 ? options.texture : options.backgroundImage;
    if (options.backgroundType != 0 && QImage(picture).isNull()) {
        return failure(QStringLiteral("cannot read background picture ") + picture);
    }
    settings.backgroundTexture =
        options.texture.isEmpty() ? settings.backgroundTexture : options.texture;
    settings.backgroundImage = options.backgroundImage;
    if (options.frameFill) {
        settings.frameBackgroundMode = options.frameFill->mode;
        settings.frameBackgroundColor1 = options.frameFill->first;
        settings.frameBackgroundColor2 = options.frameFill->second;
    }
    LayoutTemplate *layout = state.currentLayout();
    for (const auto &[index, degrees] : options.frameRotations) {
        if (layout && index < layout->cells.size())
            layout->cells[index].rotation = degrees;
    }

    // Whatever keeps the file from being written is found before the render.
    ImageFileWriter writer(options.out);
    const QString refusal = writer.checkBeforeWriting(options.size);
    if (!refusal.isEmpty()) {
        return failure(QStringLiteral("cannot write ") + options.out + QStringLiteral(": ") +
                       refusal);
    }

    const QRect target(QPoint(0, 0), options.size);
    CollageRenderer renderer;
    QElapsedTimer phase;
    phase.start();
    // The frames the photos are placed into, as the canvas's first render would build them.
    renderer.buildGeometry(target);

    // Nothing here zooms in, so each photo is decoded only as large as its frame needs.
    QList<QSize> decodeSizes;
    for (qsizetype slot = 0; slot < options.photos.size(); ++slot)
        decodeSizes.append(placementRect(int(slot)).toAlignedRect().size());
    QList<QImage> photos = readPhotoFiles(options.photos, decodeSizes);
    for (qsizetype slot = 0; slot < options.photos.size(); ++slot) {
        const QString &path = options.photos[slot];
        const QImage &photo = photos[slot];
        if (photo.isNull()) {
            return failure(QStringLiteral("cannot read photo ") + path);
        }
        if (!placePhoto(int(slot), path, photo)) {
            return failure(QStringLiteral("cannot place photo ") + path +
                           QStringLiteral(" into frame ") + QString::number(slot));
        }
        // Export draws every photo again from its source. The copy placing made is as
        // large as the frame, on a poster hundreds of megabytes: dropped at once, before
        // the next photo makes its own.
        state.document.photos[size_t(slot)].displayImage = QImage();
    }

    // From here on the document holds the only copy of each photo.
    photos.clear();

    for (const ObjectOption &object : options.objects) {
        if (object.kind == QLatin1String("--label"))
            addLabel(object.value);
        else if (object.kind == QLatin1String("--sticker"))
            createSticker(object.value);
        else
            createEmoji(object.value);
        state.document.objects.last().opacity = object.opacity;
        state.document.objects.last().rotation = object.rotation;
    }

    const qint64 readTime = phase.restart();

    // A PNG file takes the collage slice by slice as it is drawn, so no image of the whole
    // canvas is ever held; the other writers need it whole.
    if (writer.format() == "png" && options.repeat == 0) {
        const bool alpha = !collageIsOpaque(renderer, target);
        qint64 encodeTime = 0;
        bool rendered = true;
        const bool written =
            writer.writePngRows(options.size, alpha, [&](const ImageFileWriter::RowSink &sink) {
                rendered = renderer.renderExportRows(target, [&](const QImage &rows) {
                    QElapsedTimer encoding;
                    encoding.start();
                    const bool taken = sink(rows);
                    encodeTime += encoding.elapsed();
                    return taken;
                });
                return rendered;
            });
        const qint64 renderAndWriteTime = phase.elapsed();
        if (!written) {
            return failure(QStringLiteral("cannot write ") + options.out + QStringLiteral(": ") +
                           (rendered && !writer.errorString().isEmpty()
                                ? writer.errorString()
                                : QStringLiteral("not enough memory to render the collage")));
        }
        reportWritten(options.out, options.size, readTime, renderAndWriteTime - encodeTime,
                      encodeTime, options.timings);
        m_out.flush();
        return kSuccess;
    }

    QImage image = renderer.renderCollage(target, true);
    const qint64 renderTime = phase.restart();
    if (image.isNull()) {
        return failure(QStringLiteral("cannot render a %1x%2 collage (not enough memory)")
                           .arg(options.size.width())
                           .arg(options.size.height()));
    }
    // The writer may need as much again for its own buffers; the photos are drawn by now.
    if (options.repeat == 0) {
        for (PhotoFrame &photo : state.document.photos)
            photo.sourceImage = QImage();
    }

    if (options.repeat > 0) {
        std::vector<double> times;
        times.reserve(size_t(options.repeat));
        image = QImage();
        for (int run = 0; run < options.repeat; ++run) {
            QElapsedTimer timer;
            timer.start();
            image = renderer.renderCollage(target, true);
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::sort(times.begin(), times.end());
        const size_t n = times.size();
        const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2.0;
        m_out << QStringLiteral("render: median %1 ms, min %2 ms, max %3 ms over %4 runs\n")
                     .arg(median, 0, 'f', 1)
                     .arg(times.front(), 0, 'f', 1)
                     .arg(times.back(), 0, 'f', 1)
                     .arg(n);
    }

    phase.restart();
    if (!writer.write(image)) {
        return failure(QStringLiteral("cannot write ") + options.out + QStringLiteral(": ") +
                       writer.errorString());
    }
    const qint64 writeTime = phase.elapsed();
    reportWritten(options.out, image.size(), readTime, renderTime, writeTime, options.timings);
    if (options.repeat > 0) {
        // Encoding alone, into memory, so the file system's share shows as the difference.
        QBuffer memory;
        memory.open(QIODevice::WriteOnly);
        QElapsedTimer encodeTimer;
        encodeTimer.start();
        ImageFileWriter::encode(image, writer.format(), &memory);
        m_out << QStringLiteral("encode: %1 ms (%2 bytes), encode and write the file: %3 ms\n")
                     .arg(double(encodeTimer.nsecsElapsed()) / 1e6, 0, 'f', 1)
                     .arg(memory.size())
                     .arg(double(writeTime), 0, 'f', 1);
    }
    m_out.flush();
    return kSuccess;
}
