#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "PhotoPlacement.h"
#include "TestSupport.h"

#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>

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
        QTest::addColumn<bool>("extras"); // corner ornaments, a sticker, a label, an emoji
        QTest::addColumn<int>("bandRows");
        QTest::addColumn<int>("topOffset");
        QTest::newRow("grid, shadow, small bands")
            << 4 << false << 0 << QSize(640, 480) << true << false << 64 << 0;
        QTest::newRow("triangles, shadow, extras")
            << 4 << true << 0 << QSize(600, 700) << true << true << 100 << 0;
        QTest::newRow("turned frame past the border")
            << 1 << false << 30 << QSize(500, 420) << true << true << 90 << 0;
        QTest::newRow("turned frames, objects across band edges")
            << 3 << false << 10 << QSize(700, 520) << true << true << 80 << 0;
        QTest::newRow("odd band height, no shadow")
            << 5 << false << 0 << QSize(480, 500) << false << true << 77 << 0;
        QTest::newRow("triangles, last band a few rows, offset")
            << 3 << true << 0 << QSize(520, 518) << true << true << 128 << 30;
    }

    // Drawn in bands, with layers only as tall as the band and the shadow's reach, the
    // collage must look as when drawn in one band. Seams, a band a row off, a shadow cut
    // at a band edge or an object drawn in one band only would all show as a difference.
    void bandsMatchOneWholeRender()
    {
        QFETCH(int, count);
        QFETCH(bool, triangles);
        QFETCH(int, rotation);
        QFETCH(QSize, canvas);
        QFETCH(bool, shadow);
        QFETCH(bool, extras);
        QFETCH(int, bandRows);
        QFETCH(int, topOffset);

        CollageState &state = CollageState::instance();
        state.photoCountIndex = count - 1;
        const auto &layouts = state.layoutCatalogue[size_t(count - 1)];
        const auto hasTriangle = [](const LayoutTemplate &layout) {
            return std::ranges::any_of(layout.cells, [](const LayoutCell &cell) {
                return cell.kind == LayoutCell::Triangle;
            });
        };
        const auto layout =
            triangles ? std::ranges::find_if(layouts, hasTriangle) : layouts.begin();
        QVERIFY(layout != layouts.end());
        state.layoutIndex = int(layout - layouts.begin());
        state.canvasSize = canvas;
        CanvasSettings &settings = state.settings;
        settings.margin = 30;
        settings.spacing = 14;
        settings.topOffset = topOffset;
        settings.roundCorners = 12;
        settings.lineWidth = 2;
        settings.dropShadow = shadow ? 1 : 0;
        settings.cornerTopLeft = settings.cornerBottomRight = extras;
        settings.cornerTopRight = settings.cornerBottomLeft = false;
        settings.backgroundColorMode = 1;
        settings.backgroundColor1 = QColor(250, 240, 200);
        settings.backgroundColor2 = QColor(40, 90, 160);
        for (LayoutCell &cell : state.currentLayout()->cells)
            cell.rotation = rotation ? rotation : cell.rotation;

        const QRect target(QPoint(0, 0), canvas);
        CollageRenderer renderer;
        renderer.buildGeometry(target);
        for (int slot = 0; slot < count; ++slot) {
            // Detail everywhere, so a band drawn a row off shows.
            const QColor tint = QColor::fromHsv(slot * 60, 200, 220);
            QImage photo(900, 700, QImage::Format_RGB32);
            photo.fill(tint);
            QPainter painter(&photo);
            for (int y = 0; y < photo.height(); y += 6)
                painter.fillRect(QRect(0, y, photo.width(), 2), tint.darker(250));
            painter.setPen(QPen(Qt::white, 3));
            painter.drawLine(QPoint(0, 0), QPoint(photo.width(), photo.height()));
            painter.end();
            QVERIFY(placePhoto(slot, QString(), photo));
        }
        // Stickers are read from their file whenever they are drawn.
        QTemporaryDir dir;
        if (extras) {
            const QString stickerPath = dir.filePath(QStringLiteral("sticker.png"));
            QImage sticker(120, 90, QImage::Format_ARGB32);
            sticker.fill(QColor(200, 30, 30, 160));
            QVERIFY(sticker.save(stickerPath));
            createSticker(stickerPath);
            createLabel();
            createEmoji(QStringLiteral("\U0001F600"));
            // Each straddles a band edge of the smaller band heights above.
            const qreal rows[] = {40.0, 130.0, 230.0};
            for (qsizetype i = 0; i < state.document.objects.size(); ++i) {
                OverlayObject &object = state.document.objects[i];
                object.x = 60.0 + 150.0 * i;
                object.y = rows[i];
                object.rotation = 20.0f * float(i);
                if (object.kind == Label)
                    updateLabelBox(&object);
            }
            state.document.selectedObjectId = -1;
        }

        renderer.setBandRows(1 << 20);
        const QImage whole = renderer.renderCollage(target, false).copy();
        renderer.setBandRows(bandRows);
        const QImage banded = renderer.renderCollage(target, true);
        QVERIFY2(TestSupport::fuzzyEqual(whole, banded, 2),
                 qPrintable(QString::number(TestSupport::maxChannelDifference(whole, banded))));
    }
};

QUILTRA_TEST_MAIN(TestBandedRender)
#include "tst_bandedrender.moc"
