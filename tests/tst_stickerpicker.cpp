#include "CollageSelectStickerForm.h"
#include "TestSupport.h"

#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>

namespace {

QTableView *view(CollageSelectStickerForm &picker, const char *name)
{
    return picker.findChild<QTableView *>(QString::fromLatin1(name));
}

QStandardItemModel *waitForModel(QTableView *table)
{
    if (!QTest::qWaitFor([table] { return table->model() != nullptr; }, 10000))
        return nullptr;
    return qobject_cast<QStandardItemModel *>(table->model());
}

void doubleClickCell(QTableView *table, int row, int column)
{
    const QModelIndex index = table->model()->index(row, column);
    table->scrollTo(index);
    const QPoint centre = table->visualRect(index).center();
    // A double-click is a press, a release and a second press that arrives as a double-click.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, centre);
}

QString emoji(char32_t codePoint)
{
    return QString::fromUcs4(&codePoint, 1);
}

// Pixels of the thumbnail that are opaque and clearly coloured (not grey).
int colouredPixels(const QImage &thumbnail)
{
    int count = 0;
    const QImage image = thumbnail.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 200 && c.hsvSaturation() > 100)
                ++count;
        }
    }
    return count;
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
        QTest::newRow("first sticker")
            << false << 0 << 0 << ":/resources/images/Sticker/Ballons.svg";
        QTest::newRow("row 1, column 2")
            << false << 1 << 2 << ":/resources/images/Sticker/CakeBirthday.svg";
        QTest::newRow("lower-case prize")
            << false << 3 << 1 << ":/resources/images/Sticker/prize.svg";
        QTest::newRow("first emoji") << true << 0 << 0 << emoji(0x1F600);
        QTest::newRow("second run starts") << true << 3 << 1 << emoji(0x1F610);
        QTest::newRow("last emoji") << true << 13 << 0 << emoji(0x1F639);
        QTest::newRow("empty cell after the last") << true << 13 << 1 << QString();
        QTest::newRow("last empty cell") << true << 13 << 2 << QString();
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
        auto *tabs = picker.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(!picker.emojiLoadStarted());
        if (emoji) {
            tabs->setCurrentIndex(1);
            tabs->setCurrentIndex(0);
            tabs->setCurrentIndex(1);
        }
        QTableView *table = view(picker, emoji ? "emojiTableView" : "mainTableView");
        QStandardItemModel *model = waitForModel(table);
        QVERIFY(model);
        // A second visit to the emoji tab loads nothing more.
        QTest::qWait(150);
        QCOMPARE(model->rowCount(), emoji ? 14 : 4);
        QCOMPARE(model->columnCount(), 3);

        QSignalSpy spy(&picker, &CollageSelectStickerForm::stickerSelected);
        doubleClickCell(table, row, column);
        QCOMPARE(spy.size(), key.isEmpty() ? 0 : 1);
        if (!key.isEmpty()) {
            QCOMPARE(spy.first().at(0).toString(), key);
            QCOMPARE(spy.first().at(1).value<QuiltraGlobal::TStickerType>(),
                     emoji ? QuiltraGlobal::Emoji : QuiltraGlobal::Sticker);
        }
    }

    // Wide stickers are shown whole: their thumbnails fit the cell instead of being cut.
    void thumbnailsFitTheCell()
    {
        CollageSelectStickerForm picker;
        QStandardItemModel *model = waitForModel(view(picker, "mainTableView"));
        QVERIFY(model);
        for (int k = 0; k < 12; ++k) {
            const QIcon icon = model->item(k / 3, k % 3)->icon();
            QVERIFY(!icon.isNull());
            const QSize size = icon.availableSizes().value(0);
            QVERIFY2(
                size.width() <= 120 && size.height() <= 120 &&
                    qMax(size.width(), size.height()) >= 119,
                qPrintable(
                    QStringLiteral("%1: %2 x %3").arg(k).arg(size.width()).arg(size.height())));
        }
    }

    void emojiInColour()
    {
        CollageSelectStickerForm picker;
        picker.findChild<QTabWidget *>(QStringLiteral("tabWidget"))->setCurrentIndex(1);
        QStandardItemModel *model = waitForModel(view(picker, "emojiTableView"));
        QVERIFY(model);
        for (int k : {0, 17, 39}) {
            const QImage thumbnail = model->item(k / 3, k % 3)->icon().pixmap(120).toImage();
            QVERIFY2(colouredPixels(thumbnail) > 500, qPrintable(QString::number(k)));
        }
    }

    // Pickers may go while their loaders still run; run under the sanitizers too.
    void destroyedWhileLoading()
    {
        for (int round = 0; round < 5; ++round) {
            auto picker = std::make_unique<CollageSelectStickerForm>();
            if (round % 2) {
                picker->findChild<QTabWidget *>(QStringLiteral("tabWidget"))->setCurrentIndex(1);
                QTest::qWait(105);
            }
        }
        auto picker = std::make_unique<CollageSelectStickerForm>();
        QVERIFY(waitForModel(view(*picker, "mainTableView")));
    }
};

QUILTRA_TEST_MAIN(TestStickerPicker)
#include "tst_stickerpicker.moc"
