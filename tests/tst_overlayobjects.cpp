#include "CollageState.h"
#include "OverlayObject.h"
#include "OverlayPainter.h"
#include "TestSupport.h"

#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <limits>

namespace {

const QString kGrinningFace = QStringLiteral("\U0001F600");

// Leftmost and rightmost columns holding visible pixels within rows [top, bottom).
struct InkSpan
{
    int left = -1;
    int right = -1;
};

InkSpan inkColumns(const QImage &image, int top, int bottom)
{
    InkSpan span;
    for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 64) {
                span.left = span.left < 0 ? x : std::min(span.left, x);
                span.right = std::max(span.right, x);
            }
        }
    }
    return span;
}

int countPixels(const QImage &image, const std::function<bool(QPoint, QRgb)> &wanted)
{
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x)
            count += wanted(QPoint(x, y), plain.pixel(x, y)) ? 1 : 0;
    }
    return count;
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
    QString m_missingPath;

    void create(QChar what)
    {
        switch (what.toLatin1()) {
        case 'l':
            createLabel();
            break;
        case 's':
            createSticker(m_stickerPath);
            break;
        case 'm':
            createSticker(m_missingPath);
            break;
        default:
            createEmoji(kGrinningFace);
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_stickerPath = m_dir.filePath(QStringLiteral("block.svg"));
        m_missingPath = m_dir.filePath(QStringLiteral("absent.svg"));
        QFile svg(m_stickerPath);
        QVERIFY(svg.open(QIODevice::WriteOnly));
        svg.write("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 120 80\">"
                  "<rect width=\"120\" height=\"80\" fill=\"#e02010\"/></svg>");
        svg.close();
        QCOMPARE(QImage(m_stickerPath).size(), QSize(120, 80));
    }

    void init() { CollageState::reset(); }

    void namesAndIdsAreNeverReused_data()
    {
        // Steps: l label, s sticker, e emoji, m unreadable sticker, x delete the last object.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("ids");
        QTest::newRow("first label") << "l"
                                     << "Label0"
                                     << "0";
        QTest::newRow("emoji after a sticker") << "se"
                                               << "Sticker0 Emoji1"
                                               << "0 1";
        QTest::newRow("labels numbered apart") << "lsle"
                                               << "Label0 Sticker0 Label1 Emoji1"
                                               << "0 1 2 3";
        QTest::newRow("label after a delete") << "lxl"
                                              << "Label1"
                                              << "1";
        QTest::newRow("emoji after deleting all") << "sexxe"
                                                  << "Emoji2"
                                                  << "2";
        QTest::newRow("unreadable sticker counts") << "ms"
                                                   << "Sticker0 Sticker1"
                                                   << "0 1";
    }

    void namesAndIdsAreNeverReused()
    {
        QFETCH(QString, steps);
        QFETCH(QString, names);
        QFETCH(QString, ids);
        CollageDocument &doc = CollageState::instance().document;
        for (const QChar step : steps) {
            if (step == QLatin1Char('x'))
                doc.objects.removeLast();
            else
                create(step);
        }
        QStringList actualNames;
        QStringList actualIds;
        for (const OverlayObject &object : doc.objects) {
            actualNames << object.name;
            actualIds << QString::number(object.id);
        }
        QCOMPARE(actualNames.join(QLatin1Char(' ')), names);
        QCOMPARE(actualIds.join(QLatin1Char(' ')), ids);
        QCOMPARE(doc.selectedObjectId, doc.objects.last().id);
    }

    void newObjectsAreCentred_data()
    {
        QTest::addColumn<QSizeF>("canvas");
        QTest::addColumn<QChar>("what");
        const QList<QPair<const char *, QSizeF>> canvases{
            {"1920x1080", QSizeF(1920, 1080)},
            {"A3 portrait", QSizeF(841.8898, 1190.5511)},
            {"smaller than a label", QSizeF(101, 31)},
        };
        for (const auto &[canvasName, canvas] : canvases) {
            for (const char what : {'l', 's', 'e', 'm'})
                QTest::addRow("%s %c", canvasName, what) << canvas << QChar(what);
        }
    }

    void newObjectsAreCentred()
    {
        QFETCH(QSizeF, canvas);
        QFETCH(QChar, what);
        CollageState &state = CollageState::instance();
        state.canvasSize = canvas;
        QFont labelFont = QGuiApplication::font();
        labelFont.setPointSize(36);
        labelFont.setWeight(QFont::Bold);
        const QFontMetrics metrics(labelFont);
        const int h = metrics.height();
        const QMap<QChar, QSizeF> natural{
            {QLatin1Char('l'), QSizeF(metrics.horizontalAdvance(QStringLiteral("Untitled")), h)},
            {QLatin1Char('s'), QSizeF(120, 80)},
            {QLatin1Char('e'), QSizeF(150, 150)},
            {QLatin1Char('m'), QSizeF(0, 0)}};
        QSize box = natural[what].toSize();
        if (what == QLatin1Char('l'))
            box.rheight() += h / 4;

        create(what);

        const OverlayObject &object = lastObject();
        const double x = (canvas.width() - natural[what].width()) * 0.5;
        const double y = (canvas.height() - natural[what].height()) * 0.5;
        QCOMPARE(object.x, x);
        QCOMPARE(object.y, y);
        QCOMPARE(object.size, natural[what]);
        QCOMPARE(object.rect, QRect(QPoint(int(std::trunc(x)), int(std::trunc(y))), box));
        QCOMPARE(object.opacity, 100);
        QCOMPARE(state.document.selectedObjectId, object.id);
        if (object.kind == Label)
            QCOMPARE(object.font, labelFont);
    }

    void labelBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("widest");
        QTest::addColumn<int>("lines");
        QTest::newRow("one line") << "Hello"
                                  << "Hello" << 1;
        QTest::newRow("two lines") << "a\nbbb"
                                   << "bbb" << 2;
        QTest::newRow("trailing line feed") << "abc\n"
                                            << "abc" << 2;
        QTest::newRow("widest in the middle") << "x\nwide line\ny"
                                              << "wide line" << 3;
        QTest::newRow("line feeds only") << "\n\n"
                                         << "" << 3;
        QTest::newRow("empty") << ""
                               << "" << 1;
    }

    void labelBox()
    {
        QFETCH(QString, text);
        QFETCH(QString, widest);
        QFETCH(int, lines);
        OverlayObject label;
        label.kind = Label;
        label.font = QFont(QStringLiteral("Liberation Sans"), 23);
        label.text = text;
        label.x = 10.7;
        label.y = -3.2;

        updateLabelBox(&label);

        const QFontMetrics metrics(label.font);
        const int h = metrics.height();
        QCOMPARE(label.size, QSizeF(metrics.horizontalAdvance(text), h));
        QCOMPARE(label.rect, QRect(10, -3, metrics.horizontalAdvance(widest), lines * h + h / 4));
    }

    void labelBoxLeavesOtherKindsAlone()
    {
        updateLabelBox(nullptr);
        createSticker(m_stickerPath);
        OverlayObject &sticker = lastObject();
        const QRect before = sticker.rect;
        sticker.x += 30;
        updateLabelBox(&sticker);
        QCOMPARE(sticker.rect, before);
        QCOMPARE(sticker.size, QSizeF(120, 80));
    }

    void labelLinesFollowAlignment_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::newRow("left") << 0;
        QTest::newRow("centre") << 1;
        QTest::newRow("right") << 2;
    }

    void labelLinesFollowAlignment()
    {
        QFETCH(int, alignment);
        OverlayObject label;
        label.kind = Label;
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
        const int boxWidth = label.rect.width();
        const QStringList lines = label.text.split(QLatin1Char('\n'));
        for (int k = 0; k < lines.size(); ++k) {
            const int advance = metrics.horizontalAdvance(lines[k]);
            const int left = alignment == 0   ? 0
                             : alignment == 1 ? (boxWidth - advance) / 2
                                              : boxWidth - advance;
            QImage reference(drawn.size(), QImage::Format_ARGB32_Premultiplied);
            reference.fill(Qt::transparent);
            {
                QPainter painter(&reference);
                painter.setFont(label.font);
                painter.drawText(QPoint(left, (k + 1) * h), lines[k]);
            }
            // Each line's ink lies between the descents of its own baseline and the one above.
            const int top = k * h + metrics.descent();
            const int bottom = (k + 1) * h + metrics.descent();
            const InkSpan expected = inkColumns(reference, top, bottom);
            const InkSpan actual = inkColumns(drawn, top, bottom);
            QVERIFY(expected.left >= 0);
            QVERIFY2(std::abs(actual.left - expected.left) <= 1, qPrintable(lines[k]));
            QVERIFY2(std::abs(actual.right - expected.right) <= 1, qPrintable(lines[k]));
        }
    }

    void emojiPointSize_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("scale");
        QTest::addColumn<int>("points");
        QTest::newRow("new emoji") << 150 << 100.0f << 105;
        QTest::newRow("double scale") << 150 << 200.0f << 210;
        QTest::newRow("ninety pixels") << 100 << 90.0f << 63;
        QTest::newRow("half up") << 150 << 1.0f << 1; // 1.5 pixels round to 2
        QTest::newRow("too small") << 150 << 0.5f << 0;
        QTest::newRow("zero scale") << 150 << 0.0f << 0;
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

    void emojiScaleKeepsItsBox()
    {
        createEmoji(kGrinningFace);
        OverlayObject &emoji = lastObject();
        emoji.scale = 200.0f;
        drawOverlayLayer(QRect(QPoint(), QSize(1920, 1080)), true);
        QCOMPARE(emoji.rect.size(), QSize(150, 150));
        const int advance = QFontMetrics(emojiFont(210)).horizontalAdvance(kGrinningFace);
        QCOMPARE(emoji.bounds, QRectF(emoji.rect.topLeft(), QSizeF(advance, advance)));
    }

    void rotationGrowsBounds_data()
    {
        QTest::addColumn<QChar>("what");
        QTest::newRow("label") << QChar('l');
        QTest::newRow("sticker") << QChar('s');
        QTest::newRow("emoji") << QChar('e');
    }

    void rotationGrowsBounds()
    {
        QFETCH(QChar, what);
        create(what);
        OverlayObject &object = lastObject();
        const QRect area(QPoint(), QSize(1920, 1080));
        drawOverlayLayer(area, true);
        const QSizeF upright = object.bounds.size();
        const QRect rect = object.rect;
        QVERIFY(!upright.isEmpty());

        object.rotation = 45.0f;
        drawOverlayLayer(area, true);

        const double diagonal = (upright.width() + upright.height()) / std::sqrt(2.0);
        QCOMPARE(object.rect, rect);
        QCOMPARE(object.bounds.topLeft(), QPointF(rect.topLeft()));
        QVERIFY2(std::abs(object.bounds.width() - diagonal) <= 2.0,
                 qPrintable(QString::number(object.bounds.width())));
        QVERIFY2(std::abs(object.bounds.height() - diagonal) <= 2.0,
                 qPrintable(QString::number(object.bounds.height())));
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

        QCOMPARE(sticker.bounds, QRectF(140, 110, 120, 80));
        const QRect outer = sticker.bounds.toRect().adjusted(-2, -2, 1, 1);
        const QRect inner = sticker.bounds.toRect().adjusted(2, 2, -3, -3);
        const int ink = countPixels(layer, [](QPoint, QRgb p) { return qAlpha(p) > 0; });
        const int blackOnBorder = countPixels(layer, [&](QPoint at, QRgb p) {
            return qAlpha(p) > 128 && qGray(p) < 40 && outer.contains(at) && !inner.contains(at);
        });
        const int onTopEdge = countPixels(layer, [](QPoint at, QRgb p) {
            return at.y() == 110 && at.x() >= 140 && at.x() < 260 && qAlpha(p) > 128;
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
        // The object in the middle of five is spoilt through one field; l label, s sticker,
        // e emoji, m unreadable sticker.
        QTest::addColumn<QChar>("what");
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("empty label") << QChar('l') << "text" << 0.0;
        QTest::newRow("label wider than any image") << QChar('l') << "text" << 60.0;
        QTest::newRow("unreadable sticker") << QChar('m') << "" << 0.0;
        QTest::newRow("zero scale sticker") << QChar('s') << "scale" << 0.0;
        QTest::newRow("negative scale emoji") << QChar('e') << "scale" << -100.0;
        QTest::newRow("emoji below a point") << QChar('e') << "scale" << 0.5;
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
        lastObject().x = 10;
        lastObject().rect.moveLeft(10);
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
        lastObject().x = 470;
        lastObject().rect.moveLeft(470);
        createEmoji(kGrinningFace);

        const QImage layer = drawOverlayLayer(QRect(0, 0, 600, 200), true);

        const QList<OverlayObject> &objects = state.document.objects;
        QCOMPARE(objects[1].bounds, staleBounds);
        QCOMPARE(objects[0].bounds, QRectF(10, 60, 120, 80));
        QCOMPARE(objects[2].bounds, QRectF(470, 60, 120, 80));
        QVERIFY(!objects[3].bounds.isEmpty());
        QCOMPARE(QColor(layer.pixel(70, 100)), QColor(0xe0, 0x20, 0x10));
        QCOMPARE(QColor(layer.pixel(530, 100)), QColor(0xe0, 0x20, 0x10));
    }

    void layerCoversItsArea_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::newRow("whole canvas") << QRect(0, 0, 400, 300);
        QTest::newRow("inner part") << QRect(100, 50, 250, 200);
        QTest::newRow("empty") << QRect(0, 0, 0, 300);
    }

    void layerCoversItsArea()
    {
        QFETCH(QRect, area);
        CollageState::instance().canvasSize = QSizeF(400, 300);
        createSticker(m_stickerPath); // covers (140, 110) to (260, 190)

        const QImage layer = drawOverlayLayer(area, true);

        QCOMPARE(layer.isNull(), area.isEmpty());
        if (layer.isNull())
            return;
        QCOMPARE(layer.size(), area.size());
        const QPoint inside = QPoint(200, 150) - area.topLeft();
        QCOMPARE(QColor(layer.pixel(inside)), QColor(0xe0, 0x20, 0x10));
        const QPoint outside = QPoint(120, 150) - area.topLeft();
        QCOMPARE(qAlpha(layer.pixel(outside)), 0);
    }

    void emojiIsDrawnInColour()
    {
        CollageState::instance().canvasSize = QSizeF(400, 300);
        createEmoji(kGrinningFace);

        const QImage layer = drawOverlayLayer(QRect(0, 0, 400, 300), true);

        const int coloured = countPixels(layer, [](QPoint, QRgb p) {
            const int spread =
                std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)});
            return qAlpha(p) > 200 && spread > 80;
        });
        QVERIFY2(coloured > 500, qPrintable(QString::number(coloured)));
    }
};

QUILTRA_TEST_MAIN(TestOverlayObjects)
#include "tst_overlayobjects.moc"
