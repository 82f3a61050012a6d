#include "AboutDialog.h"
#include "QuiltraForm.h"
#include "QuiltraHelpDialog.h"
#include "TestSupport.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <functional>

namespace {

using DialogMaker = std::function<QDialog *(QWidget *)>;

QDialog *makeHelp(QWidget *parent)
{
    return new QuiltraHelpDialog(parent);
}

QDialog *makeAbout(QWidget *parent)
{
    return new AboutDialog(parent);
}

QString labelText(QDialog *dialog, const char *name)
{
    auto *label = dialog->findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<no label %1>").arg(QLatin1String(name));
}

} // namespace

Q_DECLARE_METATYPE(DialogMaker)

class TestDialogs : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void openUrl(const QUrl &url) { openedUrls.append(url); }

private:
    QList<QUrl> openedUrls;

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

    void init() { openedUrls.clear(); }

    void texts_data()
    {
        QTest::addColumn<DialogMaker>("make");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        QTest::newRow("help title") << DialogMaker(makeHelp) << "titleLabel"
                                    << "Keyboard and Mouse Shortcuts";
        QTest::newRow("help drag") << DialogMaker(makeHelp) << "label_8"
                                   << "move photo to another frame";
        QTest::newRow("about name") << DialogMaker(makeAbout) << "titleLabel"
                                    << "Maplestead Vantry";
        QTest::newRow("about version") << DialogMaker(makeAbout) << "versionLabel"
                                       << "Version: 1.0.0";
#if defined(Q_OS_LINUX)
        QTest::newRow("about platform") << DialogMaker(makeAbout) << "osLabel"
                                        << "for Linux";
#elif defined(Q_OS_WIN)
        QTest::newRow("about platform") << DialogMaker(makeAbout) << "osLabel"
                                        << "for Windows 11/10";
#endif
    }

    void texts()
    {
        QFETCH(DialogMaker, make);
        QFETCH(QString, label);
        QFETCH(QString, text);
        QWidget parent;
        for (int opening = 0; opening < 2; ++opening) {
            QPointer<QDialog> dialog = make(&parent);
            QCOMPARE(labelText(dialog, label.toLatin1().constData()), text);
            delete dialog;
        }
    }

    // Both the link in the About box and the website button open one address, and a
    // click on the link leaves the About box open.
    void websiteOpensInBrowser()
    {
        QuiltraForm form;
        form.findChild<QToolButton *>(QStringLiteral("websiteButton"))->click();
        QCOMPARE(openedUrls.size(), 1);

        auto *about = new AboutDialog(&form);
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        auto *web = about->findChild<QLabel *>(QStringLiteral("webLabel"));
        QTest::mouseClick(web, Qt::LeftButton, {}, web->rect().center());
        QCOMPARE(openedUrls.size(), 2);
        QCOMPARE(openedUrls.at(1), openedUrls.at(0));
        QCOMPARE(openedUrls.at(0).scheme(), QStringLiteral("https"));
        QVERIFY(about->isVisible());
        delete about;
    }

    void textsFitWithAnyFont_data()
    {
        QTest::addColumn<DialogMaker>("make");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pointSize");
        for (const auto &[name, make] : {std::pair{"help", DialogMaker(makeHelp)},
                                         std::pair{"about", DialogMaker(makeAbout)}}) {
            QTest::addRow("%s, default font", name) << make << QString() << 0;
            QTest::addRow("%s, 13 pt serif", name) << make << "Liberation Serif" << 13;
            QTest::addRow("%s, 18 pt sans", name) << make << "DejaVu Sans" << 18;
        }
    }

    void textsFitWithAnyFont()
    {
        QFETCH(DialogMaker, make);
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
        QDialog *dialog = make(&parent);
        QApplication::setFont(oldFont);

        const QRect inside = dialog->rect();
        const QList<QWidget *> children = dialog->findChildren<QWidget *>();
        for (QWidget *child : children) {
            QVERIFY2(inside.contains(child->geometry()), qPrintable(child->objectName()));
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

    // However a dialog is dismissed, exec() returns with the dialog gone, and the next
    // opening starts afresh: a hundred rounds leave no dialog behind.
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
        for (int round = 0; round < 100; ++round) {
            bool sawDialog = false;
            QTimer::singleShot(0, this, [&] {
                QWidget *modal = QApplication::activeModalWidget();
                if (!modal || modal->metaObject()->className() != dialogClass)
                    return;
                sawDialog = true;
                connect(modal, &QObject::destroyed, this, [&] { ++destroyed; });
                if (how == QLatin1String("own button"))
                    modal->findChild<QPushButton *>()->click();
                else if (how == QLatin1String("escape"))
                    QTest::keyClick(modal, Qt::Key_Escape);
                else
                    modal->close();
            });
            opener->click();
            QVERIFY2(sawDialog, "no modal dialog was shown");
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(destroyed, round + 1);
        }
        QVERIFY(form.findChildren<QDialog *>().isEmpty());
    }
};

QUILTRA_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
