#include "KXColorWidget.h"
#include "TestSupport.h"

#include <QColorDialog>
#include <QSignalSpy>
#include <QTimer>

namespace {

// Answers the next colour dialog: picks colour when it is valid, cancels otherwise.
// Counts the dialogs it saw.
struct DialogAnswer
{
    QColor colour;
    int seen = 0;

    void arm()
    {
        QTimer::singleShot(0, [this] {
            auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            ++seen;
            if (colour.isValid()) {
                dialog->setCurrentColor(colour);
                dialog->accept();
            } else {
                dialog->reject();
            }
        });
    }
};

} // namespace

class TestColorWidget : public QObject
{
    Q_OBJECT

private slots:
    void press_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QColor>("picked");
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<QColor>("shown");
        QTest::newRow("left, pick blue")
            << Qt::LeftButton << QColor(0, 0, 255) << 1 << QColor(0, 0, 255);
        QTest::newRow("left, same white")
            << Qt::LeftButton << QColor(Qt::white) << 1 << QColor(Qt::white);
        QTest::newRow("left, cancel") << Qt::LeftButton << QColor() << 1 << QColor(Qt::white);
        QTest::newRow("right opens nothing")
            << Qt::RightButton << QColor(Qt::blue) << 0 << QColor(Qt::white);
    }

    void press()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QColor, picked);
        QFETCH(int, dialogs);
        QFETCH(QColor, shown);
        KXColorWidget swatch;
        swatch.setFixedSize(40, 20);
        swatch.show();
        QSignalSpy spy(&swatch, &KXColorWidget::colorUpdated);
        DialogAnswer answer{picked};
        answer.arm();
        QTest::mouseClick(&swatch, button, {}, QPoint(10, 10));
        // Let a timer that found no dialog run out before the next row arms its own.
        QCoreApplication::processEvents();

        QCOMPARE(answer.seen, dialogs);
        QCOMPARE(swatch.color, shown);
        const bool picks = dialogs > 0 && picked.isValid();
        QCOMPARE(spy.size(), picks ? 1 : 0);
        if (picks)
            QCOMPARE(spy.first().at(0).value<QColor>(), picked);
        QCOMPARE(swatch.grab().toImage().pixelColor(20, 10), shown);
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
        // The red outline lies just inside the widget on all four sides.
        for (const QPoint &edge : {QPoint(0, 10), QPoint(39, 10), QPoint(20, 0), QPoint(20, 19)})
            QCOMPARE(shot.pixelColor(edge), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(1, 10), QColor(0, 128, 0));
    }
};

QUILTRA_TEST_MAIN(TestColorWidget)
#include "tst_colorwidget.moc"
