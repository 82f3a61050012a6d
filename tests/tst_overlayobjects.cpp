#include "CollageState.h"
#include "OverlayObject.h"
#include "OverlayPainter.h"
#include "TestSupport.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTransform>
#include <cmath>
#include <limits>

namespace {

const QString kGrinningFace = QStringLiteral("\U0001F600");
const QColor kStickerRed(0xe0, 0x20, 0x10);

// Calls visit(x, y, pixel) for every pixel of image, seen as plain ARGB.
template <typename Visit> void forEachPixel(const QImage &image, Visit visit)
{
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x)
            visit(x, y, plain.pixel(x, y));
    }
}

OverlayObject &lastObject()
{
    return CollageState::instance().document.objects.last();
}

} // namespace

class TestOverlayObjects : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_stickerPath; // a 120 x 80 opaque red picture

    // l label, s sticker, m unreadable sticker, e emoji.
    void create(QChar what)
    {
        if (what == QLatin1Char('l'))
            createLabel();
        else if (what == QLatin1Char('e'))
            createEmoji(kGrinningFace);
        else
            createSticker(what == QLatin1Char('s') ? m_stickerPath : m_dir.filePath("absent.svg"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_stickerPath = m_dir.filePath(QStringLiteral("block.png"));
        QImage block(120, 80, QImage::Format_RGB32);
        block.fill(kStickerRed);
        QVERIFY(block.save(m_stickerPath));
    }

    void init() { CollageState::reset(); }

    void namesAndIdsAreNeverReused_data()
    {
        // Steps as for create(), x deleting the last object; then each object's name and id.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("objects");
        QTest::newRow("labels numbered apart")
            << QStringLiteral("lsle") << "Label0:0 Sticker0:1 Label1:2 Emoji1:3";
        QTest::newRow("label after a delete") << QStringLiteral("lxl") << "Label1:1";
        QTest::newRow("emoji after deleting all") << QStringLiteral("sexxe") << "Emoji2:2";
        QTest::newRow("unreadable sticker counts")
            << QStringLiteral("ms") << "Sticker0:0 Sticker1:1";
    }

    void namesAndIdsAreNeverReused()
    {
        QFETCH(QString, steps);
        QFETCH(QString, objects);
        CollageDocument &doc = CollageState::instance().document;
        for (const QChar step : steps) {
            if (step == QLatin1Char('x'))
                doc.objects.removeLast();
            else
                create(step);
        }
        QStringList actual;
        for (const OverlayObject &object : doc.objects)
            actual << QStringLiteral("%1:%2").arg(object.name).arg(object.id);
        QCOMPARE(actual.join(QLatin1Char(' ')), objects);
        QCOMPARE(doc.selectedObjectId, doc.objects.last().id);
    }

    void newObjectsAreCentred_data()
    {
        QTest::addColumn<QSizeF>("canvas");
        QTest::addColumn<QChar>("what");
        QTest::addColumn<QSizeF>("size");
        QFont labelFont = QGuiApplication::font();
        labelFont.setPointSize(36);
        labelFont.setWeight(QFont::Bold);
        const QFontMetrics metrics(labelFont);
        const QList<std::pair<char, QSizeF>> kinds{
            {'l', QSizeF(metrics.horizontalAdvance(QStringLiteral("Untitled")), metrics.height())},
            {'s', QSizeF(120, 80)},
            {'e', QSizeF(150, 150)},
            {'m', QSizeF(0, 0)}};
        for (const QSizeF canvas :
             {QSizeF(1920, 1080), QSizeF(841.8898, 1190.5511), QSizeF(101, 31)}) {
            for (const auto &[what, size] : kinds)
                QTest::addRow("%gx%g %c", canvas.width(), canvas.height(), what)
                    << canvas << QChar(what) << size;
        }
    }

    void newObjectsAreCentred()
    {
        QFETCH(QSizeF, canvas);
        QFETCH(QChar, what);
        QFETCH(QSizeF, size);
        CollageState::instance().canvasSize = canvas;
        create(what);
        const OverlayObject &object = lastObject();
        QCOMPARE(object.size, size);
        QCOMPARE(object.x * 2 + size.width(), canvas.width());
        QCOMPARE(object.y * 2 + size.height(), canvas.height());
        // The corner is truncated toward zero, also where the object sticks out of a small
        // canvas; a label's box is a quarter line taller than its text.
        const QSize box =
            size.toSize() + QSize(0, what == QLatin1Char('l') ? int(size.height()) / 4 : 0);
        QCOMPARE(object.rect,
                 QRect(QPoint(int(std::trunc(object.x)), int(std::trunc(object.y))), box));
        QCOMPARE(object.opacity, 100);
    }

    void labelBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("widest");
        QTest::newRow("one line") << "Hello" << 1 << "Hello";
        QTest::newRow("trailing line feed") << "abc\n" << 2 << "abc";
        QTest::newRow("widest in the middle") << "x\nwide line\ny" << 3 << "wide line";
        QTest::newRow("empty") << "" << 1 << "";
    }

    void labelBox()
    {
        QFETCH(QString, text);
        QFETCH(int, lines);
        QFETCH(QString, widest);
        OverlayObject label;
        label.font = QFont(QStringLiteral("Liberation Sans"), 23);
        label.text = text;
        label.x = 10.7;
        label.y = -3.2;

        updateLabelBox(&label);

        const QFontMetrics metrics(label.font);
        const int h = metrics.height();
        QCOMPARE(label.size, QSizeF(metrics.horizontalAdvance(text), h));
        QCOMPARE(label.rect, QRect(10, -3, metrics.horizontalAdvance(widest), lines * h + h / 4));

        // Stickers and emoji keep their box, whatever text they carry.
        OverlayObject sticker = label;
        sticker.kind = Sticker;
        sticker.x += 30;
        updateLabelBox(&sticker);
        QCOMPARE(sticker.rect, label.rect);
        QCOMPARE(sticker.size, label.size);
        updateLabelBox(nullptr);
    }

    void labelLinesFollowAlignment_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::newRow("left") << 0;
        QTest::newRow("centre") << 1;
        QTest::newRow("right") << 2;
    }

    // Lines of very different widths must share the edge, or the middle, they are aligned to.
    void labelLinesFollowAlignment()
    {
        QFETCH(int, alignment);
        OverlayObject label;
        label.font = QFont(QStringLiteral("Liberation Sans"), 30);
        label.color = Qt::black;
        label.text = QStringLiteral("i\nWWWWW\nmm");
        label.alignment = alignment;
        updateLabelBox(&label);
        QImage drawn(label.rect.size(), QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        {
            QPainter painter(&drawn);
            QVERIFY(drawLabel(painter, label));
        }
        QCOMPARE(label.bounds, QRectF(label.rect));

        const QFontMetrics metrics(label.font);
        const int h = metrics.height();
        const int box = drawn.width();
        const QStringList lines = label.text.split(QLatin1Char('\n'));
        for (int k = 0; k < 3; ++k) {
            // A line's ink lies between the descents of its own baseline and the one above,
            // and none of the neighbouring lines' ink spills in.
            int left = box;
            int right = -1;
            forEachPixel(drawn.copy(0, k * h + metrics.descent(), box, h), [&](int x, int, QRgb p) {
                if (qAlpha(p) > 64) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            });
            const int width = metrics.tightBoundingRect(lines[k]).width();
            QVERIFY2(std::abs(right + 1 - left - width) <= 2,
                     qPrintable(
                         QStringLiteral("line %1: ink from %2 to %3").arg(k).arg(left).arg(right)));
            const int misses[] = {left, left + right + 1 - box, box - 1 - right};
            QVERIFY2(
                std::abs(misses[alignment]) <= 4,
                qPrintable(QStringLiteral("line %1 misses by %2").arg(k).arg(misses[alignment])));
        }
    }

    void emojiPointSize_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("scale");
        QTest::addColumn<int>("points");
        QTest::newRow("double scale") << 150 << 200.0f << 210;
        QTest::newRow("ninety pixels") << 100 << 90.0f << 63;
        QTest::newRow("half up") << 150 << 1.0f << 1; // 1.5 pixels round to 2
        QTest::newRow("too small") << 150 << 0.5f << 0;
        QTest::newRow("negative scale") << 150 << -100.0f << 0;
        QTest::newRow("beyond any image") << 150 << 1.0e30f << 0;
        QTest::newRow("not a number") << 150 << std::numeric_limits<float>::quiet_NaN() << 0;
    }

    void emojiPointSize()
    {
        QFETCH(int, width);
        QFETCH(float, scale);
        QFETCH(int, points);
        OverlayObject emoji;
        emoji.kind = Emoji;
        emoji.rect = QRect(0, 0, width, width);
        emoji.scale = scale;
        QCOMPARE(::emojiPointSize(emoji), points);
    }

    void boundsFollowTheDrawing_data()
    {
        QTest::addColumn<QChar>("what");
        QTest::addColumn<float>("scale");
        QTest::addColumn<float>("rotation");
        QTest::addColumn<QSize>("drawn"); // before turning; empty for the object's own box
        const auto emojiSide = [](int points) {
            const int side = QFontMetrics(emojiFont(points)).horizontalAdvance(kGrinningFace);
            return QSize(side, side);
        };
        QTest::newRow("label turned") << QChar('l') << 100.0f << 45.0f << QSize();
        QTest::newRow("sticker at half scale") << QChar('s') << 50.0f << 0.0f << QSize(60, 40);
        QTest::newRow("sticker turned") << QChar('s') << 100.0f << 45.0f << QSize();
        QTest::newRow("emoji at double scale") << QChar('e') << 200.0f << 0.0f << emojiSide(210);
        QTest::newRow("emoji turned") << QChar('e') << 100.0f << 45.0f << emojiSide(105);
    }

    void boundsFollowTheDrawing()
    {
        QFETCH(QChar, what);
        QFETCH(float, scale);
        QFETCH(float, rotation);
        QFETCH(QSize, drawn);
        create(what);
        OverlayObject &object = lastObject();
        object.scale = scale;
        object.rotation = rotation;
        const QRect rect = object.rect;

        const QImage layer = drawOverlayLayer(QRect(QPoint(), QSize(1920, 1080)), true);

        // Scale and rotation change what is drawn, never the object's box.
        QCOMPARE(object.rect, rect);
        QCOMPARE(object.bounds.topLeft(), QPointF(rect.topLeft()));
        QTransform turn;
        turn.rotate(rotation);
        const QSizeF turned =
            turn.mapRect(QRectF(QPointF(), drawn.isEmpty() ? rect.size() : drawn)).size();
        const QSizeF error = object.bounds.size() - turned;
        QVERIFY2(std::abs(error.width()) <= 2.0 && std::abs(error.height()) <= 2.0,
                 qPrintable(QStringLiteral("%1 x %2").arg(error.width()).arg(error.height())));
        if (what != QLatin1Char('e'))
            return;
        // A monochrome fallback glyph would leave only greys.
        int coloured = 0;
        forEachPixel(layer.copy(object.bounds.toRect()), [&](int, int, QRgb p) {
            const auto [low, high] = std::minmax({qRed(p), qGreen(p), qBlue(p)});
            coloured += qAlpha(p) > 200 && high - low > 80;
        });
        QVERIFY2(coloured > 500, qPrintable(QString::number(coloured)));
    }

    void selectionMarker_data()
    {
        QTest::addColumn<bool>("forExport");
        QTest::addColumn<bool>("selected");
        QTest::newRow("canvas, selected") << false << true;
        QTest::newRow("canvas, not selected") << false << false;
        QTest::newRow("export, selected") << true << true;
    }

    void selectionMarker()
    {
        QFETCH(bool, forExport);
        QFETCH(bool, selected);
        CollageState &state = CollageState::instance();
        state.canvasSize = QSizeF(400, 300);
        createSticker(m_stickerPath);
        OverlayObject &sticker = lastObject();
        sticker.opacity = 0; // only the marker can leave ink
        if (!selected)
            state.document.selectedObjectId = -1;

        const QImage layer = drawOverlayLayer(QRect(0, 0, 400, 300), forExport);

        // Even invisible, the sticker keeps the area it can be hit in.
        QCOMPARE(sticker.bounds, QRectF(140, 110, 120, 80));
        const QRect outer(138, 108, 123, 83);
        const QRect inner(142, 112, 115, 75);
        int ink = 0;
        int blackOnBorder = 0;
        int onTopEdge = 0;
        forEachPixel(layer, [&](int x, int y, QRgb p) {
            ink += qAlpha(p) > 0;
            blackOnBorder +=
                qAlpha(p) > 128 && qGray(p) < 40 && outer.contains(x, y) && !inner.contains(x, y);
            onTopEdge += y == 110 && x >= 140 && x < 260 && qAlpha(p) > 128;
        });
        if (!selected || forExport) {
            QCOMPARE(ink, 0);
            return;
        }
        QVERIFY2(blackOnBorder > 200 && ink - blackOnBorder < ink / 10,
                 qPrintable(QStringLiteral("%1 of %2").arg(blackOnBorder).arg(ink)));
        QVERIFY2(onTopEdge > 30 && onTopEdge < 115, "a dash-dot line leaves gaps");
    }

    void undrawableObjectIsSkippedAlone_data()
    {
        // The middle one of three objects is spoilt through one field.
        QTest::addColumn<QChar>("what");
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("empty label") << QChar('l') << "text" << 0.0;
        QTest::newRow("label wider than any image") << QChar('l') << "text" << 60.0;
        QTest::newRow("unreadable sticker") << QChar('m') << "" << 0.0;
        QTest::newRow("negative scale emoji") << QChar('e') << "scale" << -100.0;
        QTest::newRow("sticker too wide") << QChar('s') << "scale" << 1.0e5;
        QTest::newRow("sticker beyond memory") << QChar('s') << "scale" << 2.0e4;
        QTest::newRow("emoji beyond memory") << QChar('e') << "scale" << 2.0e4;
        QTest::newRow("scale not a number") << QChar('s') << "scale" << nan;
        QTest::newRow("endless rotation") << QChar('e') << "rotation" << inf;
        QTest::newRow("far position") << QChar('s') << "x" << 1.0e300;
        QTest::newRow("unknown kind") << QChar('s') << "kind" << 7.0;
    }

    void undrawableObjectIsSkippedAlone()
    {
        QFETCH(QChar, what);
        QFETCH(QString, field);
        QFETCH(double, value);
        CollageState &state = CollageState::instance();
        state.canvasSize = QSizeF(600, 200);
        createSticker(m_stickerPath);
        create(what);
        OverlayObject &bad = lastObject();
        if (field == QLatin1String("text")) {
            bad.text = QString(int(value), QLatin1Char('W'));
            bad.font.setPointSize(999);
            updateLabelBox(&bad);
        } else if (field == QLatin1String("scale")) {
            bad.scale = float(value);
        } else if (field == QLatin1String("rotation")) {
            bad.rotation = float(value);
        } else if (field == QLatin1String("x")) {
            bad.x = value;
        } else if (field == QLatin1String("kind")) {
            bad.kind = int(value);
        }
        const QRectF staleBounds(5, 6, 7, 8);
        bad.bounds = staleBounds;
        createSticker(m_stickerPath);

        // A band of the canvas: the layer's origin is the band's top-left corner.
        const QImage layer = drawOverlayLayer(QRect(0, 50, 600, 100), true);

        const QList<OverlayObject> &objects = state.document.objects;
        QCOMPARE(objects[1].bounds, staleBounds);
        QCOMPARE(objects[0].bounds, QRectF(240, 60, 120, 80));
        QCOMPARE(objects[2].bounds, objects[0].bounds);
        QCOMPARE(layer.size(), QSize(600, 100));
        QCOMPARE(QColor(layer.pixel(300, 50)), kStickerRed);
        QCOMPARE(qAlpha(layer.pixel(150, 50)), 0);
        QVERIFY(drawOverlayLayer(QRect(0, 0, 0, 200), true).isNull());
    }
};

QUILTRA_TEST_MAIN(TestOverlayObjects)
#include "tst_overlayobjects.moc"
