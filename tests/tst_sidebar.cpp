#include "CollageLayoutContentForm.h"
#include "CollageRenderer.h"
#include "CollageSelectStickerForm.h"
#include "CollageSelectTextureDialog.h"
#include "CollageState.h"
#include "KXColorWidget.h"
#include "LayoutCatalogue.h"
#include "LayoutPreview.h"
#include "OverlayObject.h"
#include "QuiltraSideBarForm.h"
#include "TestSupport.h"

#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// The side bar with spies on what it asks of the editor, made after the document is set.
struct Bar
{
    QuiltraSideBarForm bar;
    QSignalSpy redraw{&bar, &QuiltraSideBarForm::needRedraw};
    QSignalSpy sizeHandled{&bar, &QuiltraSideBarForm::canvasSizeValChanged};
    QSignalSpy dataChanged{&bar, &QuiltraSideBarForm::selectedItemDataChanged};

    template <class T = QSpinBox> T *get(const QString &name) { return bar.findChild<T *>(name); }
    void set(const QString &name, int value)
    {
        if (auto *box = bar.findChild<QComboBox *>(name))
            box->setCurrentIndex(value);
        else
            get(name)->setValue(value);
    }
    void click(const char *name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
    bool hidden(const char *name) { return get<QWidget>(name)->isHidden(); }
    // The object panel for the selected object, as the editor opens it.
    void showSelected()
    {
        bar.show();
        bar.refreshObjectList();
        bar.showObjectPanel();
        bar.loadSelectedObject();
        dataChanged.clear();
        redraw.clear();
    }
};

void doubleClickCell(QTableView *table, const QModelIndex &index)
{
    table->scrollTo(index);
    const QPoint centre = table->visualRect(index).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, centre);
}

} // namespace

// The side bar as the editor uses it: the canvas settings tabs, the object panel and the
// pickers (the colour swatch, the layouts, the sticker and emoji lists, the textures).
class TestSideBar : public QObject
{
    Q_OBJECT

    static CollageState &state() { return CollageState::instance(); }
    static OverlayObject &selected()
    {
        return *state().document.objectById(state().document.selectedObjectId);
    }
    // The frames the canvas would have after its next paint.
    static void render()
    {
        CollageRenderer().renderCollage(QRect(QPoint(), state().canvasSize.toSize()), false);
    }

private slots:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    // Unusual document values are shown as they are and nothing is written back.
    void constructionChangesNothing()
    {
        CollageState &s = state();
        s.canvasType = 1;
        s.paperIndex = 2;
        s.paperOrientation = 0;
        s.photoCountIndex = 2;
        s.layoutIndex = 4;
        s.canvasSize = QSizeF(777, 555);
        s.settings.backgroundType = 2;
        Bar f;
        QCOMPARE(s.canvasSize, QSizeF(777, 555));
        QCOMPARE(s.photoCountIndex, 9); // the editor opens on the first ten-photo layout
        QCOMPARE(s.layoutIndex, 0);
        QCOMPARE(s.settings.backgroundType, 2);
        QCOMPARE(f.get<QComboBox>("paperOrientationComboBox")->currentText(), "Landscape");
        QVERIFY(f.hidden("screenComboBox") && !f.hidden("paperComboBox"));
        QVERIFY(f.hidden("colorWidget") && !f.hidden("imageWidget"));
    }

    // Each step is control=value; redraws count the background redraws asked for.
    void canvasSize_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<int>("redraws");
        QTest::newRow("preset equal to the canvas")
            << QStringList{"screenComboBox=2"} << QSizeF(2560, 1440) << 0;
        // 297 x 210 mm in points.
        QTest::newRow("A4 landscape")
            << QStringList{"canvasTypeComboBox=1", "paperComboBox=2", "paperOrientationComboBox=0"}
            << QSizeF(841.8898, 595.2756) << 3;
        QTest::newRow("custom width at once")
            << QStringList{"canvasTypeComboBox=2", "sizeWidthSpinBox=1200"} << QSizeF(1200, 500)
            << 2;
        QTest::newRow("huge, then back to a preset")
            << QStringList{"canvasTypeComboBox=2", "sizeWidthSpinBox=32000",
                           "sizeHeightSpinBox=32000", "canvasTypeComboBox=0", "screenComboBox=0"}
            << QSizeF(1680, 1050) << 5;
    }

    void canvasSize()
    {
        QFETCH(QStringList, steps);
        QFETCH(QSizeF, size);
        QFETCH(int, redraws);
        state().canvasSize = QSizeF(2560, 1440);
        Bar f;
        state().document.frameRects = {QRectF(0, 0, 10, 10)};
        for (const QString &step : steps)
            f.set(step.section('=', 0, 0), step.section('=', 1).toInt());
        QCOMPARE((state().canvasSize * 1000).toSize(), (size * 1000).toSize());
        QList<bool> background; // each redraw's wish for the background, not just the frames
        for (const QVariantList &call : f.redraw)
            background << call.at(0).toBool();
        QCOMPARE(background, QList<bool>(redraws, true));
        QCOMPARE(f.sizeHandled.size(), qMax(redraws, 1));
        QCOMPARE(state().document.frameRects.isEmpty(), redraws > 0);
    }

    // Two photos side by side on 1920 x 1080, margin 140, spacing 40: the area is 1640
    // wide, the left frame ends at 140 + 820 - 20 = 940. A divider dragged from there
    // stays put when the margin is set away and back; a paper canvas, with its fractional
    // size, keeps its frames however often they are rebuilt.
    void framesKeepTheirPlaces()
    {
        Bar f;
        f.set("layoutComboBox", 1);
        render();
        QList<QRectF> &frames = state().document.frameRects;
        QCOMPARE(frames.value(0).right(), 940.0);
        frames[0].setRight(740);
        frames[1].setLeft(780);
        f.set("marginSpinBox", 60);
        QVERIFY(frames.isEmpty());
        render();
        f.set("marginSpinBox", 140);
        render();
        QVERIFY(std::abs(frames[0].right() - 740) < 0.01 &&
                std::abs(frames[1].left() - 780) < 0.01);

        f.set("canvasTypeComboBox", 1);
        render();
        const QRectF first = frames.value(1);
        for (int round = 0; round < 20; ++round) {
            state().document.clearGeometry();
            render();
        }
        QVERIFY(std::abs(frames.value(1).right() - first.right()) < 0.01);
    }

    // Pictures that cannot be read are refused with a word, keeping the old one.
    void backgroundPictures_data()
    {
        QTest::addColumn<bool>("texture");
        QTest::addColumn<QString>("file");
        QTest::newRow("texture file") << true << "red.png";
        QTest::newRow("text named as a texture") << true << "text.png";
        QTest::newRow("image file") << false << "red.png";
        QTest::newRow("missing image") << false << "missing.png";
    }

    void backgroundPictures()
    {
        QFETCH(bool, texture);
        QFETCH(QString, file);
        QTemporaryDir dir;
        for (const auto &[name, colour] : {std::pair("blue.png", Qt::blue), {"red.png", Qt::red}}) {
            QImage picture(60, 40, QImage::Format_RGB32);
            picture.fill(colour);
            picture.save(dir.filePath(name));
        }
        const QString blue = dir.filePath("blue.png");
        QVERIFY(QFile::copy(TestSupport::dataPath("README.md"), dir.filePath("text.png")));
        const QString path = dir.filePath(file);
        const bool accepted = file == QLatin1String("red.png");
        Bar f;
        f.bar.show();
        for (const QString &picture : {blue, path})
            texture ? f.bar.onTextureSelected(picture) : f.bar.setBackgroundImage(picture);
        QCOMPARE(texture ? state().settings.backgroundTexture : state().settings.backgroundImage,
                 accepted ? path : blue);
        auto *preview = f.get<QLabel>(texture ? "backTexturePrevLabel" : "backImagePrevLabel");
        QCOMPARE(preview->pixmap().toImage().pixelColor(5, 5),
                 QColor(accepted ? Qt::red : Qt::blue));
        auto *warning = f.bar.findChild<QMessageBox *>();
        QCOMPARE(warning != nullptr, !accepted);
        if (warning)
            QVERIFY(warning->text().contains(file));
    }

    // Positions left of the canvas show as they are and step on from there; loading says
    // nothing to the editor.
    void objectPosition_data()
    {
        QTest::addColumn<QString>("prefix"); // of the label's or the sticker's controls
        QTest::newRow("label") << "obj";
        QTest::newRow("sticker") << "objSticker";
    }

    void objectPosition()
    {
        QFETCH(QString, prefix);
        prefix == "obj" ? createLabel() : createSticker(":/resources/images/Sticker/Heart.svg");
        selected().x = -250.7;
        selected().y = 33;
        selected().rotation = -30.5f;
        Bar f;
        f.showSelected();
        QCOMPARE(f.get<QComboBox>("objNameComboBox")->currentText(), selected().name);
        QCOMPARE(f.get(prefix + "RotateSpinBox")->value(), -30);
        QCOMPARE(f.get(prefix + "PosXSpinBox")->value(), -250);
        QCOMPARE(f.dataChanged.size(), 0);
        f.get(prefix + "PosXSpinBox")->stepUp();
        f.get(prefix + "PosYSpinBox")->stepDown();
        QCOMPARE(selected().x, -249.0);
        QCOMPARE(selected().rect.topLeft(), QPoint(-249, 32));
        QCOMPARE(f.dataChanged.size(), 2);
        if (prefix != "obj")
            return;
        f.click("objCenterCanvasButton"); // to the middle of the 1920 pixel wide canvas
        QCOMPARE(selected().x, (1920 - selected().rect.width()) / 2.0);
        QCOMPARE(selected().y, 32.0);
    }

    // Deleting selects the next object, or the one before when the last went.
    void deleting_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("selection"); // an index, or an id nothing has
        QTest::addColumn<int>("left");
        QTest::addColumn<QString>("next");
        QTest::newRow("third of five") << 5 << 2 << 4 << "Label3";
        QTest::newRow("last of five") << 5 << 4 << 4 << "Label3";
        QTest::newRow("the only one") << 1 << 0 << 0 << "";
        QTest::newRow("nothing selected") << 2 << -1 << 2 << "";
    }

    void deleting()
    {
        QFETCH(int, count);
        QFETCH(int, selection);
        QFETCH(int, left);
        QFETCH(QString, next);
        for (int i = 0; i < count; ++i)
            createLabel();
        const int id = selection >= 0 ? state().document.objects[selection].id : -1;
        state().document.selectedObjectId = id;
        Bar f;
        f.showSelected();
        state().document.selectedObjectId = id;
        f.click("objDelButton");
        QCOMPARE(state().document.objects.size(), left);
        QCOMPARE(f.get<QComboBox>("objNameComboBox")->count(), left);
        const OverlayObject *now = state().document.objectById(state().document.selectedObjectId);
        QCOMPARE(now ? now->name : QString(), next);
        QCOMPARE(f.redraw.size(), left == 0 ? 1 : 0);
    }

    // The owner's colour shows without a signal; only the user's pick is announced. A right
    // click opens nothing, a cancelled dialog keeps the colour.
    void colourSwatch()
    {
        KXColorWidget swatch;
        swatch.setFixedSize(40, 20);
        swatch.show();
        QSignalSpy spy(&swatch, &KXColorWidget::colorUpdated);
        swatch.setColor(Qt::white);
        QCOMPARE(swatch.grab().toImage().pixelColor(0, 10), QColor(Qt::red)); // the outline
        const auto click = [&](Qt::MouseButton button, QColor picked) {
            QObject scope; // no answer outlives its click
            QTimer::singleShot(0, &scope, [picked] {
                if (auto *dialog =
                        qobject_cast<QColorDialog *>(QApplication::activeModalWidget())) {
                    dialog->setCurrentColor(picked.isValid() ? picked : QColor(Qt::red));
                    picked.isValid() ? dialog->accept() : dialog->reject();
                }
            });
            QTest::mouseClick(&swatch, button, {}, QPoint(10, 10));
            return swatch.grab().toImage().pixelColor(20, 10);
        };
        QCOMPARE((QList{click(Qt::RightButton, Qt::blue), click(Qt::LeftButton, QColor()),
                        click(Qt::LeftButton, Qt::blue)}),
                 (QList<QColor>{Qt::white, Qt::white, Qt::blue}));
        QCOMPARE(spy.size(), 1);
    }

    void stickerDoubleClick_data()
    {
        QTest::addColumn<bool>("emoji");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("key");
        const char32_t grin = 0x1F600, cat = 0x1F639;
        QTest::newRow("row 1, column 2")
            << false << 1 << 2 << ":/resources/images/Sticker/CakeBirthday.svg";
        QTest::newRow("first emoji") << true << 0 << 0 << QString::fromUcs4(&grin, 1);
        QTest::newRow("last emoji") << true << 13 << 0 << QString::fromUcs4(&cat, 1);
        QTest::newRow("empty cell after the last") << true << 13 << 1 << QString();
    }

    void stickerDoubleClick()
    {
        QFETCH(bool, emoji);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, key);
        CollageSelectStickerForm picker;
        picker.resize(550, 600);
        picker.show();
        QVERIFY(!picker.emojiLoadStarted());
        // Back and forth: the second visit to the emoji tab must not load them twice.
        for (int tab : {1, 0, 1})
            picker.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(emoji ? tab : 0);
        auto *table = picker.findChild<QTableView *>(emoji ? "emojiTableView" : "mainTableView");
        QTRY_VERIFY_WITH_TIMEOUT(table->model(), 10000); // filled by its loader
        QAbstractItemModel *model = table->model();
        QTest::qWait(150);
        QSignalSpy spy(&picker, &CollageSelectStickerForm::stickerSelected);
        doubleClickCell(table, model->index(row, column));
        QCOMPARE(spy.size(), key.isEmpty() ? 0 : 1);
        if (key.isEmpty())
            return;
        QCOMPARE(spy.first(),
                 (QVariantList{key, QVariant::fromValue(emoji ? QuiltraGlobal::Emoji
                                                              : QuiltraGlobal::Sticker)}));
        // Emoji come in colour rather than as grey outlines.
        const QIcon icon = model->index(row, column).data(Qt::DecorationRole).value<QIcon>();
        const QImage image = icon.pixmap(120).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage grey =
            image.convertToFormat(QImage::Format_Grayscale8).convertToFormat(image.format());
        QVERIFY(!emoji || TestSupport::maxChannelDifference(image, grey) > 100);
    }

    // Pickers may go while their loaders still run; run under the sanitizers too.
    void destroyedWhileLoading()
    {
        for (int round = 0; round < 4; ++round) {
            CollageSelectStickerForm picker;
            picker.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(round % 2);
            QTest::qWait(105 * (round % 2));
        }
    }

    void texture_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("row"); // -1: nothing selected, and the dialog stays open
        QTest::addColumn<QString>("pattern");
        QTest::newRow("double-click") << "double" << 5 << "pattern_140";
        QTest::newRow("select button, last") << "selectButton" << 12 << "Pattern3";
        QTest::newRow("select with nothing selected") << "selectButton" << -1 << "";
        QTest::newRow("select before loading") << "early" << -1 << "";
        QTest::newRow("cancel") << "cancelButton" << 5 << "";
        QTest::newRow("escape") << "escape" << 5 << "";
    }

    // The dialog frees itself however it ends.
    void texture()
    {
        QFETCH(QString, action);
        QFETCH(int, row);
        QFETCH(QString, pattern);
        QPointer<CollageSelectTextureDialog> dialog = new CollageSelectTextureDialog;
        QSignalSpy spy(dialog.data(), &CollageSelectTextureDialog::textureSelected);
        dialog->show();
        auto *grid = dialog->findChild<QTableView *>("mainTableView");
        if (action != QLatin1String("early")) {
            QTRY_VERIFY_WITH_TIMEOUT(grid->model(), 10000);
            // The last row holds the last pattern in its fourth column.
            const QModelIndex index = grid->model()->index(row, row == 12 ? 3 : 1);
            if (row >= 0)
                grid->setCurrentIndex(index);
            if (action == QLatin1String("double"))
                doubleClickCell(grid, index);
            else if (action == QLatin1String("escape"))
                QTest::keyClick(dialog.data(), Qt::Key_Escape);
        }
        if (auto *button =
                dialog->findChild<QPushButton *>(action == "early" ? "selectButton" : action))
            QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(QList<QVariantList>(spy),
                 pattern.isEmpty()
                     ? QList<QVariantList>()
                     : QList<QVariantList>{{":/resources/images/Pattern/" + pattern + ".png"}});
        if (row < 0) {
            QTest::qWait(20);
            QVERIFY(dialog && dialog->isVisible());
            dialog->close();
        }
        QTRY_VERIFY(dialog.isNull());
    }

    // Seven layouts in picker pixels: the grid starts at (1, 1); thumbnails are 100 wide with a
    // gap of 9, three to a row. Probed: the first pixel, left of and above the grid, the gap
    // right of the first, the second column's start, the bottom edge, the gap below, the second
    // row's start, past the third column, the last layout and past it.
    void indexAt()
    {
        LayoutGrid grid;
        grid.left = 1;
        QList<int> found;
        for (QPoint pos : {QPoint(1, 1), QPoint(0, 50), QPoint(50, 0), QPoint(109, 50),
                           QPoint(110, 50), QPoint(50, 101), QPoint(50, 102), QPoint(50, 110),
                           QPoint(328, 50), QPoint(50, 250), QPoint(150, 250)})
            found << grid.indexAt(pos, 7);
        QCOMPARE(found, (QList<int>{0, -1, -1, 0, 1, 0, -1, 3, -1, 6, -1}));
    }

    // Three photos: ten layouts in four rows, as the side bar shows them. A press in the gap
    // below a thumbnail picks nothing, a right press shows the selection without changing it;
    // a stale hover elsewhere must not decide what a press picks.
    void clicks()
    {
        CollageLayoutContentForm picker;
        picker.setPhotoCount(2);
        picker.resize(340, picker.computeContentHeight());
        picker.show();
        QSignalSpy spy(&picker, &CollageLayoutContentForm::frameSelected);
        QTest::mouseMove(&picker, QPoint(160, 270));
        QList<int> selected;
        for (auto [button, pos] : {std::pair(Qt::LeftButton, QPoint(160, 105)),
                                   std::pair(Qt::RightButton, QPoint(160, 160)),
                                   std::pair(Qt::LeftButton, QPoint(160, 160))}) {
            QTest::mouseClick(&picker, button, {}, pos);
            selected << CollageState::instance().layoutIndex;
        }
        QCOMPARE(selected, (QList<int>{0, 0, 4}));
        QCOMPARE(QList<QVariantList>(spy), (QList<QVariantList>{{2, 0}, {2, 4}}));
    }
};

QUILTRA_TEST_MAIN(TestSideBar)
#include "tst_sidebar.moc"
