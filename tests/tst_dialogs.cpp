#include "AboutDialog.h"
#include "QuiltraForm.h"
#include "QuiltraHelpDialog.h"
#include "TestSupport.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

class TestDialogs : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void openUrl(const QUrl &url) { openedUrls.append(url); }

private:
    QList<QUrl> openedUrls;

    static QDialog *make(bool about, QWidget *parent)
    {
        return about ? static_cast<QDialog *>(new AboutDialog(parent))
                     : new QuiltraHelpDialog(parent);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openUrl");
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }

    // The About box names the platform the build runs on; the link in it and the website
    // button open one address, and a click on the link leaves the box open.
    void aboutBox()
    {
        QuiltraForm form;
        form.findChild<QToolButton *>(QStringLiteral("websiteButton"))->click();
        QCOMPARE(openedUrls.size(), 1);
        QCOMPARE(openedUrls.at(0).scheme(), QStringLiteral("https"));

        auto *about = new AboutDialog(&form);
#if defined(Q_OS_LINUX)
        QCOMPARE(about->findChild<QLabel *>(QStringLiteral("osLabel"))->text(),
                 QStringLiteral("for Linux"));
#endif
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        auto *web = about->findChild<QLabel *>(QStringLiteral("webLabel"));
        QTest::mouseClick(web, Qt::LeftButton, {}, web->rect().center());
        QCOMPARE(openedUrls.size(), 2);
        QCOMPARE(openedUrls.at(1), openedUrls.at(0));
        QVERIFY(about->isVisible());
        delete about;
    }

    void textsFitWithAnyFont_data()
    {
        QTest::addColumn<bool>("about");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pointSize");
        for (const bool about : {false, true}) {
            const char *name = about ? "about" : "help";
            QTest::addRow("%s, default font", name) << about << QString() << 0;
            QTest::addRow("%s, 13 pt serif", name) << about << "Liberation Serif" << 13;
            QTest::addRow("%s, 18 pt sans", name) << about << "DejaVu Sans" << 18;
        }
    }

    void textsFitWithAnyFont()
    {
        QFETCH(bool, about);
        QFETCH(QString, family);
        QFETCH(int, pointSize);
        const QFont oldFont = QApplication::font();
        QFont font = oldFont;
        if (!family.isEmpty())
            font.setFamily(family);
        if (pointSize > 0)
            font.setPointSize(pointSize);
        QApplication::setFont(font);
        QWidget parent;
        QDialog *dialog = make(about, &parent);
        QApplication::setFont(oldFont);

        const QList<QWidget *> children = dialog->findChildren<QWidget *>();
        for (QWidget *child : children) {
            QVERIFY2(dialog->rect().contains(child->geometry()), qPrintable(child->objectName()));
            auto *label = qobject_cast<QLabel *>(child);
            if (!label || label->text().isEmpty())
                continue;
            QVERIFY2(label->width() >= label->sizeHint().width() &&
                         label->height() >= label->sizeHint().height(),
                     qPrintable(label->objectName() + " clips " + label->text()));
            for (QWidget *other : children) {
                if (other != label && qobject_cast<QLabel *>(other))
                    QVERIFY2(!label->geometry().intersects(other->geometry()),
                             qPrintable(label->objectName() + " overlaps " + other->objectName()));
            }
        }
        delete dialog;
    }

    // However a dialog is dismissed, exec() returns with the dialog gone exactly once,
    // and the next opening starts afresh.
    void dialogsDeleteThemselves_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("dialogClass");
        QTest::addColumn<QString>("how");
        for (const char *how : {"own button", "escape", "window close"}) {
            QTest::addRow("help, %s", how) << "helpButton"
                                           << "QuiltraHelpDialog" << how;
            QTest::addRow("about, %s", how) << "aboutButton"
                                            << "AboutDialog" << how;
        }
    }

    void dialogsDeleteThemselves()
    {
        QFETCH(QString, button);
        QFETCH(QString, dialogClass);
        QFETCH(QString, how);
        QuiltraForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *opener = form.findChild<QToolButton *>(button);
        QVERIFY(opener);
        int destroyed = 0;
        for (int round = 1; round <= 3; ++round) {
            QTimer::singleShot(0, this, [&] {
                QWidget *modal = QApplication::activeModalWidget();
                QVERIFY(modal && modal->metaObject()->className() == dialogClass);
                connect(modal, &QObject::destroyed, this, [&] { ++destroyed; });
                if (how == QLatin1String("own button"))
                    modal->findChild<QPushButton *>()->click();
                else if (how == QLatin1String("escape"))
                    QTest::keyClick(modal, Qt::Key_Escape);
                else
                    modal->close();
            });
            opener->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(destroyed, round);
        }
        QVERIFY(form.findChildren<QDialog *>().isEmpty());
    }
};

QUILTRA_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
