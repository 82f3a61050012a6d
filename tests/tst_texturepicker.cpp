#include "CollageSelectTextureDialog.h"
#include "TestSupport.h"

#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>

class TestTexturePicker : public QObject
{
    Q_OBJECT

private slots:
    void choose_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("row"); // -1: nothing selected
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("closes");
        const QString p140 = QStringLiteral(":/resources/images/Pattern/pattern_140.png");
        QTest::newRow("double-click") << "double" << 5 << p140 << true;
        QTest::newRow("select button") << "selectButton" << 5 << p140 << true;
        QTest::newRow("last") << "double" << 12 << ":/resources/images/Pattern/Pattern3.png"
                              << true;
        QTest::newRow("select with nothing selected") << "selectButton" << -1 << "" << false;
        QTest::newRow("select before loading") << "early" << -1 << "" << false;
        QTest::newRow("cancel") << "cancelButton" << 5 << "" << true;
        QTest::newRow("escape") << "escape" << 5 << "" << true;
    }

    void choose()
    {
        QFETCH(QString, action);
        QFETCH(int, row);
        QFETCH(QString, path);
        QFETCH(bool, closes);
        QPointer<CollageSelectTextureDialog> dialog = new CollageSelectTextureDialog;
        QSignalSpy spy(dialog.data(), &CollageSelectTextureDialog::textureSelected);
        dialog->show();
        auto *grid = dialog->findChild<QTableView *>(QStringLiteral("mainTableView"));
        auto *select = dialog->findChild<QPushButton *>(QStringLiteral("selectButton"));
        if (action == QLatin1String("early")) {
            QTest::mouseClick(select, Qt::LeftButton);
        } else {
            QVERIFY(QTest::qWaitFor([grid] { return grid->model() != nullptr; }, 10000));
            QCOMPARE(grid->model()->rowCount(), 13);
            // The last row holds the last pattern in its fourth column.
            const QModelIndex index = grid->model()->index(row, row == 12 ? 3 : 1);
            if (row >= 0)
                grid->setCurrentIndex(index);
            if (action == QLatin1String("double")) {
                grid->scrollTo(index);
                const QPoint centre = grid->visualRect(index).center();
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
                QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre);
            } else if (action == QLatin1String("escape")) {
                QTest::keyClick(dialog.data(), Qt::Key_Escape);
            } else {
                QTest::mouseClick(dialog->findChild<QPushButton *>(action), Qt::LeftButton);
            }
        }
        QCOMPARE(spy.size(), path.isEmpty() ? 0 : 1);
        if (!path.isEmpty())
            QCOMPARE(spy.first().at(0).toString(), path);
        if (closes) {
            QTRY_VERIFY(dialog.isNull());
        } else {
            QTest::qWait(20);
            QVERIFY(dialog && dialog->isVisible());
            dialog->close();
            QTRY_VERIFY(dialog.isNull());
        }
    }
};

QUILTRA_TEST_MAIN(TestTexturePicker)
#include "tst_texturepicker.moc"
