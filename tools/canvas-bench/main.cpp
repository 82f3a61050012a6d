#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "TimedCanvas.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextStream>
#include <QThread>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr QSize kSyntheticPhotoSize(4000, 3000);
constexpr int kPhotoCount = 10;
constexpr int kMaxSide = 32000;

// The one-minute load average, or "?" where the system does not tell.
QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 0);
}

// The most resident memory the process has had, or -1 where the system does not tell.
qint64 peakMemoryMB()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    // Files under /proc report no size, so they are read whole rather than to atEnd().
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    }
    return -1;
}

CollageState &state()
{
    return CollageState::instance();
}

// A photo-like picture: a diagonal gradient with noise, different for every slot.
QImage syntheticPhoto(int slot)
{
    QImage image(kSyntheticPhotoSize, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, image.width(), image.height());
    gradient.setColorAt(0, QColor::fromHsv((slot * 36) % 360, 160, 230));
    gradient.setColorAt(1, QColor::fromHsv((slot * 36 + 120) % 360, 200, 90));
    painter.fillRect(image.rect(), gradient);
    painter.end();
    QRandomGenerator noise(quint32(slot + 1));
    for (int y = 0; y < image.height(); y += 3) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); x += 3)
            line[x] ^= noise.generate() & 0x1f1f1f;
    }
    return image;
}

struct Figures
{
    QString gesture;
    QList<double> times;
};

double percentile(QList<double> sorted, double fraction)
{
    if (sorted.isEmpty())
        return 0.0;
    std::sort(sorted.begin(), sorted.end());
    const qsizetype index = qsizetype(std::ceil(fraction * double(sorted.size()))) - 1;
    return sorted[std::clamp<qsizetype>(index, 0, sorted.size() - 1)];
}

class Bench
{
public:
    explicit Bench(TimedCanvas &canvas) : m_canvas(canvas) {}

    QPoint toWidget(QPointF docPos) const
    {
        const qreal zoom = state().zoomPercent / 100.0;
        return QPoint(qRound(docPos.x() * zoom), qRound(docPos.y() * zoom));
    }

    void send(QEvent::Type type, QPoint pos, Qt::MouseButtons buttons)
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(pos), m_canvas.mapToGlobal(QPointF(pos)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&m_canvas, &event);
    }

    // Presses at from, moves back and forth along step, and releases; each move is timed.
    Figures drag(const QString &gesture, QPoint from, QPoint step, int moves)
    {
        Figures figures{gesture, {}};
        m_canvas.timePaintAfter([&] { send(QEvent::MouseButtonPress, from, Qt::LeftButton); });
        for (int i = 1; i <= moves; ++i) {
            const int phase = i % 20;
            const QPoint to = from + step * (phase < 10 ? phase : 20 - phase);
            figures.times.append(
                m_canvas.timePaintAfter([&] { send(QEvent::MouseMove, to, Qt::LeftButton); }));
        }
        send(QEvent::MouseButtonRelease, from, Qt::NoButton);
        settle();
        return figures;
    }

    Figures wheel(const QString &gesture, QPoint at, int steps)
    {
        Figures figures{gesture, {}};
        for (int i = 0; i < steps; ++i) {
            const int angle = i < steps / 2 ? 120 : -120;
            figures.times.append(m_canvas.timePaintAfter([&] {
                QWheelEvent event(QPointF(at), m_canvas.mapToGlobal(QPointF(at)), QPoint(),
                                  QPoint(0, angle), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                                  false);
                QApplication::sendEvent(&m_canvas, &event);
            }));
        }
        return figures;
    }

    // Each zoom change is timed to its first paint, which shows the last rendering
    // scaled, and then the rendering at the new size the canvas makes once the zoom rests.
    QList<Figures> zoom(const QList<float> &values)
    {
        Figures change{QStringLiteral("zoom change"), {}};
        Figures settled{QStringLiteral("zoom rerender"), {}};
        for (float value : values) {
            change.times.append(m_canvas.timePaintAfter([&] {
                state().zoomPercent = value;
                m_canvas.requestRescale();
            }));
            settled.times.append(
                m_canvas.timePaintAfter([this] { m_canvas.requestRedraw(false); }));
            // The canvas's own rerender is due a moment later; it must not land in the next
            // measurement.
            QElapsedTimer quiet;
            quiet.start();
            while (quiet.elapsed() < 300)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return {change, settled};
    }

    void settle()
    {
        m_canvas.timePaintAfter([this] { m_canvas.update(); });
    }

private:
    TimedCanvas &m_canvas;
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the canvas's gestures, from the event to the end of its paint."));
    parser.addHelpOption();
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("Canvas size, default 1920x1080."),
                                        QStringLiteral("WxH"), QStringLiteral("1920x1080"));
    const QCommandLineOption zoomOption(
        QStringLiteral("zoom"),
        QStringLiteral("Zoom in percent, 1 to 100; the editor's 40 otherwise."),
        QStringLiteral("PERCENT"), QStringLiteral("40"));
    const QCommandLineOption photoOption(
        QStringLiteral("photo"),
        QStringLiteral("A photo to place (repeatable); synthetic 4000x3000 photos otherwise."),
        QStringLiteral("FILE"));
    parser.addOption(sizeOption);
    parser.addOption(zoomOption);
    parser.addOption(photoOption);
    parser.process(app);

    static const QRegularExpression sizePattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match = sizePattern.match(parser.value(sizeOption));
    const QSize size =
        match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
    if (size.width() < 400 || size.height() < 400 || size.width() > kMaxSide ||
        size.height() > kMaxSide) {
        err << "canvas-bench: --size must be WxH, each side 400 to " << kMaxSide << "\n";
        return 2;
    }
    bool zoomIsNumber = false;
    const int zoom = parser.value(zoomOption).toInt(&zoomIsNumber);
    if (!zoomIsNumber || zoom < 1 || zoom > 100) {
        err << "canvas-bench: --zoom must be a whole percentage from 1 to 100\n";
        return 2;
    }
    QList<QImage> photos;
    for (const QString &path : parser.values(photoOption)) {
        const QImage photo = readPhotoFile(path);
        if (photo.isNull()) {
            err << "canvas-bench: cannot read " << path << '\n';
            return 2;
        }
        photos.append(photo);
    }
    if (photos.isEmpty()) {
        for (int slot = 0; slot < kPhotoCount; ++slot)
            photos.append(syntheticPhoto(slot));
    }

    CollageState &collage = state();
    buildLayoutCatalogue();
    collage.canvasSize = QSizeF(size);
    collage.photoCountIndex = kPhotoCount - 1;
    collage.layoutIndex = 0;
    collage.settings.dropShadow = 1;
    collage.zoomPercent = float(zoom);

    // The widget is the view's size: the editor's canvas widget keeps the canvas's size
    // inside a scroll area, and a top-level window of a poster's size would only measure
    // the window system.
    TimedCanvas canvas;
    canvas.setFixedSize(size * zoom / 100 + QSize(20, 20));
    canvas.show();
    Bench bench(canvas);
    bench.settle();
    for (int slot = 0; slot < kPhotoCount; ++slot)
        placePhoto(slot, QStringLiteral("photo%1").arg(slot), photos[slot % photos.size()]);
    createLabel();
    createSticker(QStringLiteral(":/resources/images/Sticker/Ballons.svg"));
    createEmoji(QString::fromUcs4(U"\U0001F600"));
    canvas.requestRedraw(true);
    bench.settle();

    // Layout 0 of ten photos: a vertical divider at half the width, the big frame 0 at the
    // top left, frame 2 in the top row on the right; the objects sit in the centre.
    const CollageDocument &document = collage.document;
    const QRectF divider = document.verticalDividers.value(0);
    const QPointF dividerGrip(divider.left(), divider.top() + divider.height() * 0.1);
    const QRectF objectBounds = document.objects.constLast().bounds;
    const QPointF panPoint = document.frameRects.value(0).center();
    const QPointF wheelPoint = document.frameRects.value(2).center();

    QList<Figures> results;
    results.append(
        bench.drag(QStringLiteral("divider drag"), bench.toWidget(dividerGrip), QPoint(3, 0), 60));
    results.append(bench.drag(QStringLiteral("object drag"), bench.toWidget(objectBounds.center()),
                              QPoint(2, 2), 60));
    results.append(
        bench.drag(QStringLiteral("photo pan"), bench.toWidget(panPoint), QPoint(2, 1), 60));
    results.append(bench.wheel(QStringLiteral("wheel zoom"), bench.toWidget(wheelPoint), 20));
    QList<float> zooms;
    for (const qreal factor : {0.75, 0.875, 1.125, 1.25, 1.5, 1.25, 1.125, 0.875, 0.75, 1.0})
        zooms.append(float(std::clamp(qRound(zoom * factor), 1, 100)));
    results.append(bench.zoom(zooms));

    out << "canvas " << size.width() << "x" << size.height() << " at " << zoom << " %, "
        << photos.size() << " photo(s) of " << photos.constFirst().width() << "x"
        << photos.constFirst().height() << ", shadow on, " << QThread::idealThreadCount()
        << " core(s), load " << loadAverage() << ", peak memory " << peakMemoryMB() << " MB\n";
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("gesture"), -14)
               .arg(QStringLiteral("events"), 7)
               .arg(QStringLiteral("median ms"), 10)
               .arg(QStringLiteral("p95 ms"), 9);
    bool missed = false;
    for (const Figures &figures : results) {
        missed = missed || figures.times.contains(-1.0);
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(figures.gesture, -14)
                   .arg(figures.times.size(), 7)
                   .arg(percentile(figures.times, 0.5), 10, 'f', 1)
                   .arg(percentile(figures.times, 0.95), 9, 'f', 1);
    }
    if (missed)
        err << "canvas-bench: some events caused no paint; their times are -1\n";
    return missed ? 1 : 0;
}
