#include "CollageSelectStickerForm.h"
#include "TestSupport.h"

#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>

namespace {

QTableView *tableOf(CollageSelectStickerForm &picker, bool emoji)
{
    return picker.findChild<QTableView *>(emoji ? "emojiTableView" : "mainTableView");
}

QStandardItemModel *loadedModel(CollageSelectStickerForm &picker, bool emoji)
{
    QTableView *table = tableOf(picker, emoji);
    if (!QTest::qWaitFor([table] { return table->model() != nullptr; }, 10000))
        return nullptr;
    return qobject_cast<QStandardItemModel *>(table->model());
}

void showTab(CollageSelectStickerForm &picker, int index)
{
    picker.findChild<QTabWidget *>(QStringLiteral("tabWidget"))->setCurrentIndex(index);
}

} // namespace

class TestStickerPicker : public QObject
{
    Q_OBJECT

private slots:
    void doubleClick_data()
    {
        QTest::addColumn<bool>("emoji");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("key");
        const char32_t grin = 0x1F600, cat = 0x1F639;
        QTest::newRow("first sticker")
            << false << 0 << 0 << ":/resources/images/Sticker/Ballons.svg";
        QTest::newRow("row 1, column 2")
            << false << 1 << 2 << ":/resources/images/Sticker/CakeBirthday.svg";
        QTest::newRow("first emoji") << true << 0 << 0 << QString::fromUcs4(&grin, 1);
        QTest::newRow("last emoji") << true << 13 << 0 << QString::fromUcs4(&cat, 1);
        QTest::newRow("empty cell after the last") << true << 13 << 1 << QString();
    }

    void doubleClick()
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
            showTab(picker, emoji ? tab : 0);
        QStandardItemModel *model = loadedModel(picker, emoji);
        QVERIFY(model);
        QTest::qWait(150);
        QCOMPARE(model->rowCount(), emoji ? 14 : 4);

        QTableView *table = tableOf(picker, emoji);
        const QModelIndex index = model->index(row, column);
        table->scrollTo(index);
        const QPoint centre = table->visualRect(index).center();
        QSignalSpy spy(&picker, &CollageSelectStickerForm::stickerSelected);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(spy.size(), key.isEmpty() ? 0 : 1);
        if (!key.isEmpty()) {
            QCOMPARE(spy.first().at(0).toString(), key);
            QCOMPARE(spy.first().at(1).value<QuiltraGlobal::TStickerType>(),
                     emoji ? QuiltraGlobal::Emoji : QuiltraGlobal::Sticker);
        }
    }

    // Wide stickers are shown whole, and emoji come in colour rather than as grey outlines.
    void thumbnails()
    {
        CollageSelectStickerForm picker;
        showTab(picker, 1);
        QStandardItemModel *stickers = loadedModel(picker, false);
        QStandardItemModel *emoji = loadedModel(picker, true);
        QVERIFY(stickers && emoji);
        for (int k = 0; k < 12; ++k) {
            const QSize size = stickers->item(k / 3, k % 3)->icon().availableSizes().value(0);
            QVERIFY2(size.width() <= 120 && size.height() <= 120 &&
                         qMax(size.width(), size.height()) >= 119,
                     qPrintable(QString::number(k)));
        }
        for (int k : {0, 17, 39}) {
            const QImage image = emoji->item(k / 3, k % 3)->icon().pixmap(120).toImage();
            int coloured = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    coloured += image.pixelColor(x, y).alpha() > 200 &&
                                image.pixelColor(x, y).hsvSaturation() > 100;
            QVERIFY2(coloured > 500, qPrintable(QString::number(k)));
        }
    }

    // Pickers may go while their loaders still run; run under the sanitizers too.
    void destroyedWhileLoading()
    {
        for (int round = 0; round < 5; ++round) {
            auto picker = std::make_unique<CollageSelectStickerForm>();
            if (round % 2) {
                showTab(*picker, 1);
                QTest::qWait(105);
            }
        }
        CollageSelectStickerForm picker;
        QVERIFY(loadedModel(picker, false));
    }
};

QUILTRA_TEST_MAIN(TestStickerPicker)
#include "tst_stickerpicker.moc"
