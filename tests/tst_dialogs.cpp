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

    QList<QUrl> openedUrls;

public Q_SLOTS:
    void openUrl(const QUrl &url) { openedUrls.append(url); }

private Q_SLOTS:
    void initTestCase()
    {
        for (const char *scheme : {"https", "http"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "openUrl");
    }

    // The About box names the platform the build runs on; the link in it and the website
    // button open one address, and a click on the link leaves the box open.
    void aboutBox()
    {
        QuiltraForm form;
        form.findChild<QToolButton *>(QStringLiteral("websiteButton"))->click();
        QCOMPARE(openedUrls.size(), 1);
        QCOMPARE(openedUrls.at(0).scheme(), QStringLiteral("https"));
        AboutDialog about(&form);
        about.setAttribute(Qt::WA_DeleteOnClose, false);
#if defined(Q_OS_LINUX)
        QCOMPARE(about.findChild<QLabel *>(QStringLiteral("osLabel"))->text(),
                 QStringLiteral("for Linux"));
#endif
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto *web = about.findChild<QLabel *>(QStringLiteral("webLabel"));
        QTest::mouseClick(web, Qt::LeftButton, {}, web->rect().center());
        QCOMPARE(openedUrls, (QList<QUrl>{openedUrls.at(0), openedUrls.at(0)}));
        QVERIFY(about.isVisible());
    }

    void textsFitWithAnyFont_data()
    {
        QTest::addColumn<bool>("about");
        QTest::addColumn<QFont>("font");
        for (const bool about : {false, true}) {
            const char *name = about ? "about" : "help";
            QTest::addRow("%s, default", name) << about << QApplication::font();
            QTest::addRow("%s, 13 pt serif", name) << about << QFont("Liberation Serif", 13);
            QTest::addRow("%s, 18 pt sans", name) << about << QFont("DejaVu Sans", 18);
        }
    }

    void textsFitWithAnyFont()
    {
        QFETCH(bool, about);
        QFETCH(QFont, font);
        const QFont oldFont = QApplication::font();
        QApplication::setFont(font);
        QWidget parent;
        QDialog *dialog = about ? static_cast<QDialog *>(new AboutDialog(&parent))
                                : new QuiltraHelpDialog(&parent);
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
                QVERIFY2(other == label || !qobject_cast<QLabel *>(other) ||
                             !label->geometry().intersects(other->geometry()),
                         qPrintable(label->objectName() + " overlaps " + other->objectName()));
            }
        }
    }

    // However a dialog is dismissed, exec() returns with the dialog deleted exactly once,
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
            form.findChild<QToolButton *>(button)->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(destroyed, round);
        }
        QVERIFY(form.findChildren<QDialog *>().isEmpty());
    }
};

QUILTRA_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
