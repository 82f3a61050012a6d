#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QPainter>
#include <QTemporaryDir>

namespace {

CollageState &state()
{
    return CollageState::instance();
}

// A photo with detail everywhere, so a band drawn a row off shows.
QImage stripedPhoto(QSize size, QColor tint)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), tint);
    for (int y = 0; y < size.height(); y += 6)
        painter.fillRect(QRect(0, y, size.width(), 2), tint.darker(250));
    painter.setPen(QPen(Qt::white, 3));
    painter.drawLine(QPoint(0, 0), QPoint(size.width(), size.height()));
    return image;
}

// The first layout for count photos with a triangular frame, or -1.
int triangleLayout(int count)
{
    const QList<LayoutTemplate> &layouts = state().layoutCatalogue[size_t(count - 1)];
    for (qsizetype index = 0; index < layouts.size(); ++index) {
        for (const LayoutCell &cell : layouts[index].cells) {
            if (cell.kind == LayoutCell::Triangle)
                return int(index);
        }
    }
    return -1;
}

} // namespace

class TestBandedRender : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    void bandsMatchOneWholeRender_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("triangles");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<bool>("shadow");
        QTest::addColumn<bool>("corners");
        QTest::addColumn<bool>("objects");
        QTest::addColumn<int>("bandRows");
        QTest::addColumn<int>("topOffset");
        // clang-format off
        QTest::newRow("plain grid, shadow, small bands") << 4 << false << 0 << QSize(640, 480)
            << true << false << false << 64 << 0;
        QTest::newRow("triangles, shadow, corners") << 4 << true << 0 << QSize(600, 700)
            << true << true << false << 100 << 0;
        QTest::newRow("turned frame reaches past the border") << 1 << false << 30
            << QSize(500, 420) << true << true << false << 90 << 0;
        QTest::newRow("objects across band edges") << 3 << false << 10 << QSize(700, 520)
            << true << false << true << 80 << 0;
        QTest::newRow("odd band height, no shadow") << 5 << false << 0 << QSize(480, 500)
            << false << true << true << 77 << 0;
        QTest::newRow("last band a few rows") << 3 << true << 0 << QSize(520, 518)
            << true << true << true << 128 << 30;
        QTest::newRow("one band") << 2 << false << 8 << QSize(400, 300) << true << true << true
            << 0 << 0;
        // clang-format on
    }

    // Drawn in bands, with layers only as tall as the band and the shadow's reach, the
    // collage must look as when drawn with whole-size layers. Seams, a band a row off, a shadow cut
    // at a band edge or an object drawn in one band only would all show as a difference.
    void bandsMatchOneWholeRender()
    {
        QFETCH(int, count);
        QFETCH(bool, triangles);
        QFETCH(int, rotation);
        QFETCH(QSize, canvas);
        QFETCH(bool, shadow);
        QFETCH(bool, corners);
        QFETCH(bool, objects);
        QFETCH(int, bandRows);
        QFETCH(int, topOffset);

        state().photoCountIndex = count - 1;
        state().layoutIndex = triangles ? triangleLayout(count) : 0;
        QVERIFY(state().layoutIndex >= 0);
        state().canvasSize = canvas;
        CanvasSettings &settings = state().settings;
        settings.margin = 30;
        settings.spacing = 14;
        settings.topOffset = topOffset;
        settings.roundCorners = 12;
        settings.lineWidth = 2;
        settings.dropShadow = shadow ? 1 : 0;
        settings.cornerTopLeft = corners;
        settings.cornerBottomRight = corners;
        settings.cornerTopRight = false;
        settings.cornerBottomLeft = false;
        settings.backgroundColorMode = 1;
        settings.backgroundColor1 = QColor(250, 240, 200);
        settings.backgroundColor2 = QColor(40, 90, 160);
        if (rotation != 0) {
            for (LayoutCell &cell : state().currentLayout()->cells)
                cell.rotation = rotation;
        }

        const QRect target(QPoint(0, 0), canvas);
        CollageRenderer renderer;
        renderer.buildGeometry(target);
        for (int slot = 0; slot < count; ++slot) {
            const QColor tint = QColor::fromHsv(slot * 60, 200, 220);
            QVERIFY(placePhoto(slot, QString(), stripedPhoto(QSize(900, 700), tint)));
        }
        // Stickers are read from their file whenever they are drawn.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (objects) {
            QImage sticker(120, 90, QImage::Format_ARGB32);
            sticker.fill(QColor(200, 30, 30, 160));
            const QString stickerPath = dir.filePath(QStringLiteral("sticker.png"));
            QVERIFY(sticker.save(stickerPath));
            createSticker(stickerPath);
            createLabel();
            createEmoji(QStringLiteral("\U0001F600"));
            // Each straddles a band edge of the smaller band heights above.
            const qreal rows[] = {40.0, 130.0, 230.0};
            for (qsizetype i = 0; i < state().document.objects.size(); ++i) {
                OverlayObject &object = state().document.objects[i];
                object.x = 60.0 + 150.0 * i;
                object.y = rows[i];
                object.rotation = 20.0f * float(i);
                if (object.kind == Label)
                    updateLabelBox(&object);
            }
            state().document.selectedObjectId = -1;
        }

        // One band as tall as the canvas: layers of the whole image's size.
        renderer.setBandRows(1 << 20);
        const QImage whole = renderer.renderCollage(target, false).copy();
        renderer.setBandRows(bandRows);
        const QImage banded = renderer.renderCollage(target, true);
        QCOMPARE(banded.size(), canvas);
        QVERIFY2(TestSupport::fuzzyEqual(whole, banded, 2),
                 qPrintable(QStringLiteral("largest difference %1")
                                .arg(TestSupport::maxChannelDifference(whole, banded))));
    }
};

QUILTRA_TEST_MAIN(TestBandedRender)
#include "tst_bandedrender.moc"
