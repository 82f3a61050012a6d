#include "KXColorWidget.h"
#include "TestSupport.h"

#include <QColorDialog>
#include <QSignalSpy>
#include <QTimer>

class TestColorWidget : public QObject
{
    Q_OBJECT

private slots:
    void press_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QColor>("picked"); // invalid: the dialog is cancelled
        QTest::addColumn<QColor>("shown");
        QTest::newRow("left, pick blue") << Qt::LeftButton << QColor(Qt::blue) << QColor(Qt::blue);
        QTest::newRow("left, cancel") << Qt::LeftButton << QColor() << QColor(Qt::white);
        QTest::newRow("right opens nothing")
            << Qt::RightButton << QColor(Qt::blue) << QColor(Qt::white);
    }

    void press()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QColor, picked);
        QFETCH(QColor, shown);
        KXColorWidget swatch;
        swatch.setFixedSize(40, 20);
        swatch.show();
        QSignalSpy spy(&swatch, &KXColorWidget::colorUpdated);
        QTimer::singleShot(0, [picked] {
            if (auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget())) {
                dialog->setCurrentColor(picked.isValid() ? picked : QColor(Qt::red));
                picked.isValid() ? dialog->accept() : dialog->reject();
            }
        });
        QTest::mouseClick(&swatch, button, {}, QPoint(10, 10));
        QCoreApplication::processEvents();
        QCOMPARE(swatch.grab().toImage().pixelColor(20, 10), shown);
        QCOMPARE(spy.size(), shown == picked ? 1 : 0);
    }

    void ownerSetShowsWithoutSignal()
    {
        KXColorWidget swatch;
        swatch.setFixedSize(40, 20);
        QSignalSpy spy(&swatch, &KXColorWidget::colorUpdated);
        swatch.setColor(QColor(0, 128, 0));
        const QImage shot = swatch.grab().toImage();
        QCOMPARE(spy.size(), 0);
        QCOMPARE(shot.pixelColor(20, 10), QColor(0, 128, 0));
        QCOMPARE(shot.pixelColor(0, 10), QColor(Qt::red)); // the outline
    }
};

QUILTRA_TEST_MAIN(TestColorWidget)
#include "tst_colorwidget.moc"
