#include "CollageState.h"
#include "OverlayObject.h"
#include "OverlayPainter.h"
#include "TestSupport.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTemporaryDir>
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
        QTest::addColumn<QSizeF>("size"); // empty for a label, whose size depends on the font
        QTest::newRow("label") << QSizeF(1920, 1080) << QChar('l') << QSizeF();
        QTest::newRow("sticker, paper size")
            << QSizeF(841.8898, 1190.5511) << QChar('s') << QSizeF(120, 80);
        // Larger than the canvas: the corner is truncated toward zero, not rounded down.
        QTest::newRow("emoji on a small canvas")
            << QSizeF(101, 31) << QChar('e') << QSizeF(150, 150);
        QTest::newRow("unreadable sticker") << QSizeF(101, 31) << QChar('m') << QSizeF(0, 0);
    }

    void newObjectsAreCentred()
    {
        QFETCH(QSizeF, canvas);
        QFETCH(QChar, what);
        QFETCH(QSizeF, size);
        CollageState::instance().canvasSize = canvas;
        create(what);
        const OverlayObject &object = lastObject();
        if (size.isEmpty())
            size = object.size;
        QCOMPARE(object.size, size);
        QCOMPARE(object.x * 2 + size.width(), canvas.width());
        QCOMPARE(object.y * 2 + size.height(), canvas.height());
        QCOMPARE(object.rect.topLeft(), QPoint(int(object.x), int(object.y)));
        // A label's box is a quarter line taller than its text.
        const int h = int(size.height());
        QCOMPARE(object.rect.size(), QSize(int(size.width()), h + (what == 'l' ? h / 4 : 0)));
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
            const QRect ink =
                TestSupport::inkBounds(drawn.copy(0, k * h + metrics.descent(), box, h));
            const int width = metrics.tightBoundingRect(lines[k]).width();
            QVERIFY2(std::abs(ink.width() - width) <= 2, qPrintable(QString::number(k)));
            const int misses[] = {ink.left(), ink.left() + ink.right() + 1 - box,
                                  box - 1 - ink.right()};
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
        QTest::newRow("too small") << 150 << 0.5f << 0;
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

    void drawnWhereBoundsSay_data()
    {
        QTest::addColumn<float>("scale");
        QTest::addColumn<float>("rotation");
        QTest::addColumn<QSize>("ink");
        // The 120 x 80 sticker centred on 400 x 300 has its box at (140, 110); turned, its
        // picture grows and keeps its top-left corner there.
        QTest::newRow("as created") << 100.0f << 0.0f << QSize(120, 80);
        QTest::newRow("half scale") << 50.0f << 0.0f << QSize(60, 40);
        QTest::newRow("quarter turn") << 100.0f << 90.0f << QSize(80, 120);
        QTest::newRow("half turn") << 100.0f << 180.0f << QSize(120, 80);
        // 120 cos 30 + 80 sin 30 across, 120 sin 30 + 80 cos 30 down.
        QTest::newRow("thirty degrees") << 100.0f << 30.0f << QSize(144, 129);
        QTest::newRow("forty-five degrees") << 100.0f << 45.0f << QSize(141, 141);
    }

    void drawnWhereBoundsSay()
    {
        QFETCH(float, scale);
        QFETCH(float, rotation);
        QFETCH(QSize, ink);
        CollageState::instance().canvasSize = QSizeF(400, 300);
        createSticker(m_stickerPath);
        OverlayObject &sticker = lastObject();
        sticker.scale = scale;
        sticker.rotation = rotation;

        const QImage layer = drawOverlayLayer(QRect(0, 0, 400, 300), true);

        QCOMPARE(sticker.rect, QRect(140, 110, 120, 80));
        const QRect drawn = TestSupport::inkBounds(layer, 128);
        const QString seen = QStringLiteral("ink %1,%2 %3x%4, bounds %5,%6 %7x%8")
                                 .arg(drawn.x())
                                 .arg(drawn.y())
                                 .arg(drawn.width())
                                 .arg(drawn.height())
                                 .arg(sticker.bounds.x())
                                 .arg(sticker.bounds.y())
                                 .arg(sticker.bounds.width())
                                 .arg(sticker.bounds.height());
        auto near = [](qreal a, qreal b) { return std::abs(a - b) <= 2.0; };
        QVERIFY2(near(drawn.x(), 140) && near(drawn.y(), 110) && near(drawn.width(), ink.width()) &&
                     near(drawn.height(), ink.height()),
                 qPrintable(seen));
        QVERIFY2(sticker.bounds.toAlignedRect().contains(drawn) &&
                     near(sticker.bounds.width(), drawn.width()) &&
                     near(sticker.bounds.height(), drawn.height()),
                 qPrintable(seen));
    }

    void opacity_data()
    {
        QTest::addColumn<QChar>("what");
        QTest::addColumn<int>("opacity");
        QTest::newRow("opaque label") << QChar('l') << 100;
        QTest::newRow("label at a quarter") << QChar('l') << 25;
        QTest::newRow("sticker at half") << QChar('s') << 50;
        QTest::newRow("emoji at a fifth") << QChar('e') << 20;
    }

    // The most covered pixel of an object shows its opacity as alpha.
    void opacity()
    {
        QFETCH(QChar, what);
        QFETCH(int, opacity);
        create(what);
        lastObject().opacity = opacity;
        const QImage layer = drawOverlayLayer(QRect(0, 0, 1920, 1080), true);
        const int alpha = TestSupport::maxAlpha(layer);
        QVERIFY2(std::abs(alpha - opacity * 255 / 100) <= 2, qPrintable(QString::number(alpha)));
    }

    // A monochrome fallback glyph would leave only greys.
    void emojiInColour()
    {
        createEmoji(kGrinningFace);
        const QImage layer = drawOverlayLayer(QRect(0, 0, 1920, 1080), true);
        int coloured = 0;
        forEachPixel(layer.copy(lastObject().bounds.toRect()), [&](int, int, QRgb p) {
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
        const QRect ink = TestSupport::inkBounds(layer, 0);
        if (!selected || forExport) {
            QVERIFY(ink.isNull());
            return;
        }
        // A black dash-dot outline two pixels wide on the bounds, with gaps.
        QVERIFY(QRect(138, 108, 124, 84).contains(ink) && ink.contains(QRect(141, 111, 118, 78)));
        QVERIFY(qAlpha(layer.pixel(141, 110)) > 200 && qGray(layer.pixel(141, 110)) < 40);
        int onTopEdge = 0;
        for (int x = 140; x < 260; ++x)
            onTopEdge += qAlpha(layer.pixel(x, 110)) > 128;
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
        QTest::newRow("sticker too wide") << QChar('s') << "scale" << 1.0e5;
        QTest::newRow("sticker beyond memory") << QChar('s') << "scale" << 2.0e4;
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
