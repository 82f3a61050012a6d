#include "QuiltraFilterDialog.h"
#include "QuiltraRotateDialog.h"
#include "TestSupport.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <functional>

namespace {

template <typename T> T *child(QWidget *dialog, const char *name)
{
    auto *widget = dialog->findChild<T *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

// Runs the dialog modally while act() plays the user's part from inside its event loop.
void runModally(QDialog *dialog, const std::function<void(QDialog *)> &act)
{
    QTimer::singleShot(0, dialog, [dialog, act] { act(dialog); });
    dialog->exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Replaces the spin box's text as a user would, key by key.
void typeInto(QSpinBox *spinBox, const QString &text)
{
    spinBox->setFocus();
    QTest::keyClick(spinBox, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spinBox, text);
}

QColor previewColor(QDialog *dialog)
{
    const QPixmap pixmap = child<QLabel>(dialog, "previewLabel")->pixmap();
    return pixmap.toImage().pixelColor(pixmap.width() / 2, pixmap.height() / 2);
}

} // namespace

class TestFrameDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterSetsLabelAndRanges_data()
    {
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::newRow("brightness") << 0 << "Brightness" << -255 << 255;
        QTest::newRow("contrast") << 1 << "Contrast" << -255 << 255;
        QTest::newRow("gamma") << 2 << "Gamma" << -100 << 699;
        QTest::newRow("invert") << 4 << "Invert Colours" << 0 << 255;
    }

    // The spin box shows exactly what the slider holds, at both ends of every range.
    void filterSetsLabelAndRanges()
    {
        QFETCH(int, filterIndex);
        QFETCH(QString, label);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QWidget parent;
        auto *dialog = new QuiltraFilterDialog(&parent);
        auto *slider = child<QSlider>(dialog, "contrastSlider");
        auto *spinBox = child<QSpinBox>(dialog, "contrastSpinBox");
        slider->setValue(-40);
        dialog->setFilterIndex(filterIndex);
        QCOMPARE(child<QLabel>(dialog, "contrastLabel")->text(), label);
        QCOMPARE(slider->value(), 0);
        QCOMPARE(spinBox->value(), 0);
        for (int end : {minimum, maximum}) {
            slider->setValue(end == minimum ? end - 1000 : end + 1000);
            QCOMPARE(slider->value(), end);
            QCOMPARE(spinBox->value(), end);
        }
        QVERIFY(!slider->accessibleName().isEmpty());
        QVERIFY(!spinBox->accessibleName().isEmpty());
    }

    void dialogsClose_data()
    {
        QTest::addColumn<bool>("rotate");
        QTest::addColumn<int>("start"); // filter index, or the rotation shown first
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QVariantList>("emitted");
        using L = QVariantList;
        // clang-format off
        QTest::newRow("apply untouched") << false << 0 << "" << "accept" << L{0, 0};
        QTest::newRow("apply typed gamma") << false << 2 << "600" << "accept" << L{2, 600};
        QTest::newRow("enter applies") << false << 4 << "200" << "enter" << L{4, 200};
        QTest::newRow("filter cancel") << false << 2 << "300" << "cancel" << L{};
        QTest::newRow("filter escape") << false << 0 << "20" << "escape" << L{};
        QTest::newRow("filter window close") << false << 1 << "20" << "close" << L{};
        QTest::newRow("ok keeps the start") << true << 45 << "" << "accept" << L{45};
        QTest::newRow("ok typed") << true << 0 << "-360" << "accept" << L{-360};
        QTest::newRow("no more than 99") << true << 0 << "120" << "accept" << L{12};
        QTest::newRow("rotate cancel") << true << 10 << "30" << "cancel" << L{};
        QTest::newRow("rotate escape") << true << 10 << "30" << "escape" << L{};
        QTest::newRow("rotate window close") << true << 10 << "30" << "close" << L{};
        // clang-format on
    }

    // Whatever closes a dialog deletes it; only its accepting button reports a value.
    void dialogsClose()
    {
        QFETCH(bool, rotate);
        QFETCH(int, start);
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(QVariantList, emitted);
        QWidget parent;
        QDialog *dialog = nullptr;
        std::unique_ptr<QSignalSpy> spy;
        if (rotate) {
            auto *rotation = new QuiltraRotateDialog(&parent);
            rotation->setValue(start);
            spy = std::make_unique<QSignalSpy>(rotation, &QuiltraRotateDialog::newRotateVal);
            dialog = rotation;
        } else {
            auto *filter = new QuiltraFilterDialog(&parent);
            filter->setImage(QImage(40, 40, QImage::Format_RGB32));
            filter->setFilterIndex(start);
            spy = std::make_unique<QSignalSpy>(filter, &QuiltraFilterDialog::setFilter);
            dialog = filter;
        }
        const QPointer<QDialog> guard(dialog);
        runModally(dialog, [&](QDialog *d) {
            if (!typed.isEmpty())
                typeInto(d->findChild<QSpinBox *>(), typed);
            close(d, how, rotate ? "okButton" : "applyButton");
        });
        QVERIFY(guard.isNull());
        QCOMPARE(spy->count(), emitted.isEmpty() ? 0 : 1);
        if (!emitted.isEmpty())
            QCOMPARE(spy->first(), emitted);
    }

    void previewFollowsSlider_data()
    {
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<int>("value");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("brightness") << 0 << 50 << QColor(150, 150, 150);
        QTest::newRow("contrast") << 1 << -255 << QColor(128, 128, 128);
        QTest::newRow("gamma") << 2 << -100 << QColor(0, 0, 0);
        QTest::newRow("invert") << 4 << 255 << QColor(155, 155, 155);
    }

    void previewFollowsSlider()
    {
        QFETCH(int, filterIndex);
        QFETCH(int, value);
        QFETCH(QColor, expected);
        QWidget parent;
        auto *dialog = new QuiltraFilterDialog(&parent);
        QImage photo(512, 256, QImage::Format_RGB32);
        photo.fill(QColor(100, 100, 100));
        dialog->setImage(photo);
        dialog->setFilterIndex(filterIndex);
        const QPixmap shown = child<QLabel>(dialog, "previewLabel")->pixmap();
        QCOMPARE(shown.size(), QSize(128, 64));
        QCOMPARE(previewColor(dialog), QColor(100, 100, 100));
        child<QSlider>(dialog, "contrastSlider")->setValue(value);
        QCOMPARE(previewColor(dialog), expected);
        dialog->setFilterIndex(filterIndex);
        QCOMPARE(previewColor(dialog), QColor(100, 100, 100));
    }

private:
    static void close(QDialog *dialog, const QString &how, const char *acceptButton)
    {
        QWidget *focus = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        if (how == QLatin1String("accept"))
            QTest::mouseClick(child<QPushButton>(dialog, acceptButton), Qt::LeftButton);
        else if (how == QLatin1String("cancel"))
            QTest::mouseClick(child<QPushButton>(dialog, "cancelButton"), Qt::LeftButton);
        else if (how == QLatin1String("enter"))
            QTest::keyClick(focus, Qt::Key_Return);
        else if (how == QLatin1String("escape"))
            QTest::keyClick(focus, Qt::Key_Escape);
        else
            dialog->close();
    }
};

QUILTRA_TEST_MAIN(TestFrameDialogs)
#include "tst_framedialogs.moc"
