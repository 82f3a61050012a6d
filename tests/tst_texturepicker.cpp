#include "CollageSelectTextureDialog.h"
#include "TestSupport.h"

#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>

namespace {

QTableView *grid(CollageSelectTextureDialog *dialog)
{
    return dialog->findChild<QTableView *>(QStringLiteral("mainTableView"));
}

bool waitForModel(CollageSelectTextureDialog *dialog)
{
    return QTest::qWaitFor([dialog] { return grid(dialog)->model() != nullptr; }, 10000);
}

void clickButton(CollageSelectTextureDialog *dialog, const char *name)
{
    QTest::mouseClick(dialog->findChild<QPushButton *>(QString::fromLatin1(name)), Qt::LeftButton);
}

} // namespace

class TestTexturePicker : public QObject
{
    Q_OBJECT

private slots:
    void choose_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("closes");
        const QString p140 = QStringLiteral(":/resources/images/Pattern/pattern_140.png");
        QTest::newRow("double-click pattern 140") << "double" << 5 << 1 << p140 << true;
        QTest::newRow("select pattern 140") << "select" << 5 << 1 << p140 << true;
        QTest::newRow("first") << "double" << 0 << 0 << ":/resources/images/Pattern/pattern_036.png"
                               << true;
        QTest::newRow("last") << "double" << 12 << 3 << ":/resources/images/Pattern/Pattern3.png"
                              << true;
        QTest::newRow("select with nothing selected") << "select" << -1 << -1 << QString() << false;
        QTest::newRow("cancel") << "cancel" << 5 << 1 << QString() << true;
        QTest::newRow("escape") << "escape" << 5 << 1 << QString() << true;
        QTest::newRow("window closed") << "close" << 5 << 1 << QString() << true;
    }

    void choose()
    {
        QFETCH(QString, action);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, path);
        QFETCH(bool, closes);
        QPointer<CollageSelectTextureDialog> dialog = new CollageSelectTextureDialog;
        QSignalSpy spy(dialog.data(), &CollageSelectTextureDialog::textureSelected);
        dialog->show();
        QVERIFY(waitForModel(dialog));
        auto *model = qobject_cast<QStandardItemModel *>(grid(dialog)->model());
        QCOMPARE(model->rowCount(), 13);
        QCOMPARE(model->columnCount(), 4);
        if (row >= 0)
            grid(dialog)->setCurrentIndex(model->index(row, column));

        if (action == QLatin1String("double")) {
            const QModelIndex index = model->index(row, column);
            grid(dialog)->scrollTo(index);
            const QPoint centre = grid(dialog)->visualRect(index).center();
            QTest::mouseClick(grid(dialog)->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseDClick(grid(dialog)->viewport(), Qt::LeftButton, {}, centre);
        } else if (action == QLatin1String("select")) {
            clickButton(dialog, "selectButton");
        } else if (action == QLatin1String("cancel")) {
            clickButton(dialog, "cancelButton");
        } else if (action == QLatin1String("escape")) {
            QTest::keyClick(dialog.data(), Qt::Key_Escape);
        } else {
            dialog->close();
        }

        QCOMPARE(spy.size(), path.isEmpty() ? 0 : 1);
        if (!path.isEmpty())
            QCOMPARE(spy.first().at(0).toString(), path);
        if (closes) {
            QTRY_VERIFY(dialog.isNull());
        } else {
            QTest::qWait(20);
            QVERIFY(!dialog.isNull());
            QVERIFY(dialog->isVisible());
            delete dialog.data();
        }
    }

    // Before the thumbnails arrive no grid is attached; Select and closing must cope.
    void beforeLoading()
    {
        QPointer<CollageSelectTextureDialog> dialog = new CollageSelectTextureDialog;
        QSignalSpy spy(dialog.data(), &CollageSelectTextureDialog::textureSelected);
        dialog->show();
        clickButton(dialog, "selectButton");
        QCOMPARE(spy.size(), 0);
        QVERIFY(dialog->isVisible());
        dialog->close();
        QTRY_VERIFY(dialog.isNull());
    }
};

QUILTRA_TEST_MAIN(TestTexturePicker)
#include "tst_texturepicker.moc"
