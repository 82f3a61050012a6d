#include "CollageState.h"
#include "OverlayObject.h"
#include "OverlayPainter.h"
#include "TestSupport.h"

#include <QPainter>
#include <QTemporaryDir>

namespace {

const QColor kStickerRed(0xe0, 0x20, 0x10);

CollageDocument &document()
{
    return CollageState::instance().document;
}

} // namespace

class TestOverlayObjects : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString stickerPath; // a 120 x 80 opaque red picture

    // l label, s sticker, m unreadable sticker, e emoji; the new object.
    OverlayObject &create(QChar what)
    {
        if (what == 'l')
            createLabel();
        else if (what == 'e')
            createEmoji(QString::fromUcs4(U"\U0001F600"));
        else
            createSticker(what == 's' ? stickerPath : dir.filePath("absent.svg"));
        return document().objects.last();
    }

private Q_SLOTS:
    void initTestCase()
    {
        stickerPath = dir.filePath("block.png");
        QImage block(120, 80, QImage::Format_RGB32);
        block.fill(kStickerRed);
        QVERIFY(block.save(stickerPath));
    }

    void init()
    {
        CollageState::reset();
        CollageState::instance().canvasSize = QSizeF(400, 300);
    }

    void namesAndIdsAreNeverReused_data()
    {
        // Steps as for create(), x deleting the last object; then each object's name and id.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("objects");
        QTest::newRow("labels numbered apart")
            << QString("lsle") << "Label0:0 Sticker0:1 Label1:2 Emoji1:3";
        QTest::newRow("emoji after deleting all") << QString("sexxe") << "Emoji2:2";
        QTest::newRow("unreadable sticker counts") << QString("ms") << "Sticker0:0 Sticker1:1";
    }

    void namesAndIdsAreNeverReused()
    {
        QFETCH(QString, steps);
        QFETCH(QString, objects);
        QStringList seen;
        for (const QChar step : steps)
            step == 'x' ? document().objects.removeLast() : void(create(step));
        for (const OverlayObject &object : document().objects)
            seen << QStringLiteral("%1:%2").arg(object.name).arg(object.id);
        QCOMPARE(seen.join(' '), objects);
        QCOMPARE(document().selectedObjectId, document().objects.last().id);
    }

    void rotatedPixelsStayInBounds_data()
    {
        QTest::addColumn<float>("scale");
        QTest::addColumn<float>("rotation");
        QTest::addColumn<QSize>("size");   // of the bounds, worked out from the turned corners
        QTest::addColumn<QPoint>("red");   // from the bounds' top-left: inside the picture
        QTest::addColumn<QPoint>("clear"); // inside the bounds, outside the turned picture
        // The 120 x 80 sticker centred on 400 x 300 has its box at (140, 110).
        QTest::newRow("half scale") << 50.0f << 0.0f << QSize(60, 40) << QPoint(30, 20) << QPoint();
        QTest::newRow("quarter turn")
            << 100.0f << 90.0f << QSize(80, 120) << QPoint(40, 60) << QPoint();
        // Turned clockwise the top-left corner lands on the top edge 80 sin 30 = 40 from the
        // left, the top-right one on the right edge: 120 cos 30 + 40 across, 120 sin 30 + 80
        // cos 30 down.
        QTest::newRow("thirty degrees")
            << 100.0f << 30.0f << QSize(144, 129) << QPoint(43, 6) << QPoint(104, 6);
        QTest::newRow("forty-five degrees")
            << 100.0f << 45.0f << QSize(141, 141) << QPoint(70, 70) << QPoint(4, 4);
    }

    void rotatedPixelsStayInBounds()
    {
        QFETCH(float, scale);
        QFETCH(float, rotation);
        QFETCH(QSize, size);
        QFETCH(QPoint, red);
        QFETCH(QPoint, clear);
        OverlayObject &sticker = create('s');
        sticker.scale = scale;
        sticker.rotation = rotation;
        const QImage layer = drawOverlayLayer(QRect(0, 0, 400, 300), true);
        const QRectF bounds = sticker.bounds;
        QCOMPARE(sticker.rect, QRect(140, 110, 120, 80));
        QVERIFY2(bounds.topLeft() == QPointF(140, 110) &&
                     std::abs(bounds.width() - size.width()) <= 2 &&
                     std::abs(bounds.height() - size.height()) <= 2,
                 qPrintable(QStringLiteral("%1 x %2").arg(bounds.width()).arg(bounds.height())));
        const QPoint origin(140, 110);
        QUILTRA_COMPARE_PIXEL(layer, origin + red, kStickerRed, 0);
        if (!clear.isNull())
            QCOMPARE(qAlpha(layer.pixel(origin + clear)), 0);
        // Nothing outside the bounds, and the bounds no larger than what is drawn.
        QImage outside = layer;
        QPainter painter(&outside);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillRect(bounds, Qt::transparent);
        painter.end();
        QCOMPARE(TestSupport::maxAlpha(outside), 0);
        QVERIFY(QRectF(TestSupport::inkBounds(layer, 128)).adjusted(-2, -2, 2, 2).contains(bounds));
    }
    void opacity_data()
    {
        QTest::addColumn<QChar>("what");
        QTest::addColumn<int>("opacity");
        QTest::addColumn<int>("alpha"); // of the most covered pixel: 255 times the opacity
        QTest::newRow("label at a quarter") << QChar('l') << 25 << 64;
        QTest::newRow("sticker at 40 %") << QChar('s') << 40 << 102;
        QTest::newRow("emoji at a fifth") << QChar('e') << 20 << 51;
    }

    void opacity()
    {
        QFETCH(QChar, what);
        QFETCH(int, opacity);
        QFETCH(int, alpha);
        create(what).opacity = opacity;
        const QImage layer = drawOverlayLayer(QRect(0, 0, 400, 300), true);
        QVERIFY2(std::abs(TestSupport::maxAlpha(layer) - alpha) <= 1,
                 qPrintable(QString::number(TestSupport::maxAlpha(layer))));
    }

    // An object that cannot be drawn (an empty label has no box) is left out alone: the one
    // above it is still drawn and keeps following its edits.
    void undrawableObjectIsSkippedAlone()
    {
        create('s');
        OverlayObject &empty = create('l');
        empty.text.clear();
        updateLabelBox(&empty);
        create('s').x = 0;
        const QImage layer = drawOverlayLayer(QRect(0, 0, 400, 300), true);
        QCOMPARE(document().objects[2].bounds, QRectF(140, 110, 120, 80));
        QUILTRA_COMPARE_PIXEL(layer, QPoint(60, 150), kStickerRed, 0);
    }
};

QUILTRA_TEST_MAIN(TestOverlayObjects)
#include "tst_overlayobjects.moc"
