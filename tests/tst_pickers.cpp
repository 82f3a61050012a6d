#include "CollageLayoutContentForm.h"
#include "CollageSelectStickerForm.h"
#include "CollageSelectTextureDialog.h"
#include "CollageState.h"
#include "KXColorWidget.h"
#include "LayoutCatalogue.h"
#include "LayoutPreview.h"
#include "TestSupport.h"

#include <QColorDialog>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

// The side bar's pickers: the colour swatch, the layouts, the sticker and emoji lists, the
// textures.
namespace {

// The model of a picker's grid once its loader has filled it.
QAbstractItemModel *loaded(QTableView *table)
{
    return QTest::qWaitFor([table] { return table->model() != nullptr; }, 10000) ? table->model()
                                                                                 : nullptr;
}

void doubleClickCell(QTableView *table, const QModelIndex &index)
{
    table->scrollTo(index);
    const QPoint centre = table->visualRect(index).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, centre);
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

private slots:
    void colourSwatch_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QColor>("picked"); // invalid: the dialog is cancelled
        QTest::addColumn<QColor>("shown");
        QTest::newRow("left, pick blue") << Qt::LeftButton << QColor(Qt::blue) << QColor(Qt::blue);
        QTest::newRow("left, cancel") << Qt::LeftButton << QColor() << QColor(Qt::white);
        QTest::newRow("right opens nothing")
            << Qt::RightButton << QColor(Qt::blue) << QColor(Qt::white);
    }

    // The owner's colour shows without a signal; only the user's pick is announced.
    void colourSwatch()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QColor, picked);
        QFETCH(QColor, shown);
        KXColorWidget swatch;
        swatch.setFixedSize(40, 20);
        swatch.show();
        QSignalSpy spy(&swatch, &KXColorWidget::colorUpdated);
        swatch.setColor(Qt::white);
        QCOMPARE(swatch.grab().toImage().pixelColor(0, 10), QColor(Qt::red)); // the outline
        QTimer::singleShot(0, [picked] {
            if (auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget())) {
                dialog->setCurrentColor(picked.isValid() ? picked : QColor(Qt::red));
                picked.isValid() ? dialog->accept() : dialog->reject();
            }
        });
        QTest::mouseClick(&swatch, button, {}, QPoint(10, 10));
        QCOMPARE(swatch.grab().toImage().pixelColor(20, 10), shown);
        QCOMPARE(spy.size(), shown == picked ? 1 : 0);
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
        QAbstractItemModel *model = loaded(table);
        QVERIFY(model);
        QTest::qWait(150);
        QCOMPARE(model->rowCount(), emoji ? 14 : 4);
        QSignalSpy spy(&picker, &CollageSelectStickerForm::stickerSelected);
        doubleClickCell(table, model->index(row, column));
        QCOMPARE(spy.size(), key.isEmpty() ? 0 : 1);
        if (key.isEmpty())
            return;
        QCOMPARE(spy.first(),
                 (QVariantList{key, QVariant::fromValue(emoji ? QuiltraGlobal::Emoji
                                                              : QuiltraGlobal::Sticker)}));
        // Emoji come in colour rather than as grey outlines.
        const QImage image =
            model->index(row, column).data(Qt::DecorationRole).value<QIcon>().pixmap(120).toImage();
        int coloured = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                coloured += image.pixelColor(x, y).alpha() > 200 &&
                            image.pixelColor(x, y).hsvSaturation() > 100;
        QVERIFY(!emoji || coloured > 500);
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
            QVERIFY(loaded(grid));
            QCOMPARE(grid->model()->rowCount(), 13);
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
        QCOMPARE(spy.size(), pattern.isEmpty() ? 0 : 1);
        if (!pattern.isEmpty())
            QCOMPARE(spy.first().at(0).toString(),
                     ":/resources/images/Pattern/" + pattern + ".png");
        if (row < 0) {
            QTest::qWait(20);
            QVERIFY(dialog && dialog->isVisible());
            dialog->close();
        }
        QTRY_VERIFY(dialog.isNull());
    }
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    // Picker pixels: the grid starts at (1, 1); thumbnails are 100 wide with a gap of 9.
    void indexAt_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("layoutCount");
        QTest::addColumn<int>("index");
        QTest::newRow("first pixel") << QPoint(1, 1) << 6 << 0;
        QTest::newRow("left of the grid") << QPoint(0, 50) << 6 << -1;
        QTest::newRow("above the grid") << QPoint(50, 0) << 6 << -1;
        QTest::newRow("gap right of first") << QPoint(109, 50) << 6 << 0;
        QTest::newRow("second column starts") << QPoint(110, 50) << 6 << 1;
        QTest::newRow("bottom edge") << QPoint(50, 101) << 6 << 0;
        QTest::newRow("gap below") << QPoint(50, 102) << 6 << -1;
        QTest::newRow("second row starts") << QPoint(50, 110) << 6 << 3;
        QTest::newRow("past the third column") << QPoint(328, 50) << 6 << -1;
        QTest::newRow("last layout") << QPoint(50, 250) << 7 << 6;
        QTest::newRow("past the last layout") << QPoint(150, 250) << 7 << -1;
    }

    void indexAt()
    {
        QFETCH(QPoint, pos);
        QFETCH(int, layoutCount);
        LayoutGrid grid;
        grid.left = 1;
        QTEST(grid.indexAt(pos, layoutCount), "index");
    }

    // Three photos: ten layouts in four rows, as the side bar shows them.
    void clicks_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("emitted");
        QTest::newRow("left on the fifth") << Qt::LeftButton << QPoint(160, 160) << 4 << 1;
        QTest::newRow("right keeps selection") << Qt::RightButton << QPoint(160, 160) << 0 << 1;
        QTest::newRow("gap below a thumbnail") << Qt::LeftButton << QPoint(160, 105) << 0 << 0;
        QTest::newRow("past the last layout") << Qt::LeftButton << QPoint(160, 360) << 0 << 0;
    }

    void clicks()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, pos);
        QFETCH(int, selected);
        QFETCH(int, emitted);
        CollageLayoutContentForm picker;
        picker.setPhotoCount(2);
        picker.resize(340, picker.computeContentHeight());
        picker.show();
        QSignalSpy spy(&picker, &CollageLayoutContentForm::frameSelected);
        // A stale hover elsewhere must not decide what the press picks.
        QTest::mouseMove(&picker, QPoint(160, 270));
        QTest::mouseClick(&picker, button, {}, pos);
        QCOMPARE(CollageState::instance().layoutIndex, selected);
        QCOMPARE(spy.size(), emitted);
        if (emitted)
            QCOMPARE(spy.first(), (QVariantList{2, selected}));
    }
};

QUILTRA_TEST_MAIN(TestPickers)
#include "tst_pickers.moc"
