#include "CollageRenderer.h"
#include "CollageState.h"
#include "KXColorWidget.h"
#include "LayoutCatalogue.h"
#include "OverlayObject.h"
#include "QuiltraSideBarForm.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

namespace {

template <typename T> T *child(QWidget *parent, const QString &name)
{
    T *found = parent->findChild<T *>(name);
    if (!found)
        qFatal("no child %s", qPrintable(name));
    return found;
}

CollageState &state()
{
    return CollageState::instance();
}

OverlayObject &selected()
{
    return *state().document.objectById(state().document.selectedObjectId);
}

// A side bar showing the object panel for the object just created, as the editor does
// after a new object.
struct Panel
{
    QuiltraSideBarForm bar;
    QSignalSpy dataChanged{&bar, &QuiltraSideBarForm::selectedItemDataChanged};
    QSignalSpy redraw{&bar, &QuiltraSideBarForm::needRedraw};

    Panel()
    {
        bar.resize(380, 800);
        bar.show();
        select();
    }

    void select()
    {
        bar.refreshObjectList();
        bar.showObjectPanel();
        bar.loadSelectedObject();
        dataChanged.clear();
        redraw.clear();
    }

    QSpinBox *spin(const QString &name) { return child<QSpinBox>(&bar, name); }
    QComboBox *names() { return child<QComboBox>(&bar, QStringLiteral("objNameComboBox")); }
    int contentHeight()
    {
        return child<QWidget>(&bar, QStringLiteral("scrollAreaWidgetContents_2"))->height();
    }
};

// The smallest rectangle holding every pixel where the two renders differ.
QRect changedArea(const QImage &before, const QImage &after)
{
    QRect area;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (before.pixel(x, y) != after.pixel(x, y))
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

QImage exportRender()
{
    const QSizeF size = state().canvasSize;
    return CollageRenderer().renderCollage(QRect(0, 0, int(size.width()), int(size.height())),
                                           true);
}

// A plain white canvas, so that only the objects make a difference.
void plainCanvas()
{
    state().settings.margin = 0;
    state().settings.dropShadow = 0;
    state().settings.lineWidth = 0;
    state().settings.cornerTopLeft = false;
    state().settings.cornerBottomRight = false;
}

} // namespace

class TestObjectPanel : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    void loads_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QuiltraSideBarForm::ObjectPanelState>("panelState");
        QTest::addColumn<int>("height");
        QTest::newRow("label") << int(Label) << QuiltraSideBarForm::ObjectPanelState::LabelLoaded
                               << 600;
        QTest::newRow("sticker") << int(Sticker)
                                 << QuiltraSideBarForm::ObjectPanelState::StickerLoaded << 200;
        QTest::newRow("emoji") << int(Emoji) << QuiltraSideBarForm::ObjectPanelState::StickerLoaded
                               << 200;
    }

    void loads()
    {
        QFETCH(int, kind);
        QFETCH(QuiltraSideBarForm::ObjectPanelState, panelState);
        QFETCH(int, height);
        if (kind == Label)
            createLabel();
        else if (kind == Sticker)
            createSticker(QStringLiteral(":/resources/images/Sticker/Heart.svg"));
        else
            createEmoji(QStringLiteral("x"));
        OverlayObject &object = selected();
        object.x = -250.7;
        object.y = 40.2;
        object.scale = 150.0f;
        object.rotation = -30.5f;
        object.opacity = 70;
        Panel p;
        QCOMPARE(p.bar.objectPanelState(), panelState);
        QCOMPARE(p.contentHeight(), height);
        QCOMPARE(p.names()->currentText(), object.name);
        const QString prefix = kind == Label ? QStringLiteral("obj") : QStringLiteral("objSticker");
        // Positions left of the canvas show as they are, not clamped to 0.
        QCOMPARE(p.spin(prefix + QStringLiteral("PosXSpinBox"))->value(), -250);
        QCOMPARE(p.spin(prefix + QStringLiteral("PosYSpinBox"))->value(), 40);
        QCOMPARE(p.spin(prefix + QStringLiteral("OpacitySpinBox"))->value(), 70);
        QCOMPARE(p.spin(prefix + QStringLiteral("RotateSpinBox"))->value(), -30);
        if (kind == Label) {
            QCOMPARE(child<QPlainTextEdit>(&p.bar, QStringLiteral("objContentPlainTextEdit"))
                         ->toPlainText(),
                     QStringLiteral("Untitled"));
            QVERIFY(child<QCheckBox>(&p.bar, QStringLiteral("objFontBoldCheckBox"))->isChecked());
            QCOMPARE(p.spin(QStringLiteral("objSizeSpinBox"))->value(), 36);
            QVERIFY(child<QToolButton>(&p.bar, QStringLiteral("objAlignmentCenterToolButton"))
                        ->isChecked());
        } else {
            QCOMPARE(p.spin(QStringLiteral("objStickerScaleSpinBox"))->value(), 150);
        }
        QCOMPARE(p.dataChanged.size(), 0);
    }

    // The next arrow click moves a label that sits left of the canvas by one pixel.
    void negativePositionSteps()
    {
        createLabel();
        selected().x = -250.0;
        Panel p;
        p.spin(QStringLiteral("objPosXSpinBox"))->stepUp();
        QCOMPARE(selected().x, -249.0);
        QCOMPARE(selected().rect.x(), -249);
        QCOMPARE(p.dataChanged.size(), 1);
    }

    void labelEdits_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("value");
        QTest::newRow("x") << "objPosXSpinBox" << 300;
        QTest::newRow("y") << "objPosYSpinBox" << 120;
        QTest::newRow("size") << "objSizeSpinBox" << 12;
        QTest::newRow("opacity") << "objOpacitySpinBox" << 40;
        QTest::newRow("rotation") << "objRotateSpinBox" << -90;
        QTest::newRow("bold off") << "objFontBoldCheckBox" << 0;
        QTest::newRow("italic") << "objFontItalicCheckBox" << 1;
        QTest::newRow("strike out") << "objFontStrikeOutCheckBox" << 1;
        QTest::newRow("underline") << "objFontUnderlineCheckBox" << 1;
    }

    void labelEdits()
    {
        QFETCH(QString, control);
        QFETCH(int, value);
        createLabel();
        Panel p;
        const QRect box = selected().rect;
        if (auto *check = p.bar.findChild<QCheckBox *>(control))
            check->setChecked(value != 0);
        else
            p.spin(control)->setValue(value);
        const OverlayObject &label = selected();
        if (control == QLatin1String("objPosXSpinBox")) {
            QCOMPARE(label.x, 300.0);
            QCOMPARE(label.rect.topLeft(), QPoint(300, box.y()));
        } else if (control == QLatin1String("objPosYSpinBox")) {
            QCOMPARE(label.rect.topLeft(), QPoint(box.x(), 120));
        } else if (control == QLatin1String("objSizeSpinBox")) {
            QCOMPARE(label.font.pointSize(), 12);
            QVERIFY(label.rect.height() < box.height() / 2);
        } else if (control == QLatin1String("objOpacitySpinBox")) {
            QCOMPARE(label.opacity, 40);
        } else if (control == QLatin1String("objRotateSpinBox")) {
            QCOMPARE(label.rotation, -90.0f);
        } else if (control == QLatin1String("objFontBoldCheckBox")) {
            QCOMPARE(label.font.weight(), QFont::Normal);
            QVERIFY(label.rect.width() < box.width());
        } else if (control == QLatin1String("objFontItalicCheckBox")) {
            QCOMPARE(label.font.style(), QFont::StyleItalic);
        } else if (control == QLatin1String("objFontStrikeOutCheckBox")) {
            QVERIFY(label.font.strikeOut());
        } else {
            QVERIFY(label.font.underline());
        }
        QCOMPARE(p.dataChanged.size(), 1);
        QCOMPARE(p.redraw.size(), 0);
    }

    void alignment_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QString>("checked");
        QTest::newRow("left") << QStringList{"Left"} << 0 << "Left";
        QTest::newRow("right") << QStringList{"Right"} << 2 << "Right";
        QTest::newRow("left, then right") << QStringList{"Left", "Right"} << 2 << "Right";
        QTest::newRow("right, then centre") << QStringList{"Right", "Center"} << 1 << "Center";
        QTest::newRow("centre again unchecks it") << QStringList{"Center"} << 1 << "";
    }

    void alignment()
    {
        QFETCH(QStringList, clicks);
        QFETCH(int, alignment);
        QFETCH(QString, checked);
        createLabel();
        Panel p;
        for (const QString &which : clicks) {
            QTest::mouseClick(
                child<QToolButton>(&p.bar, QStringLiteral("objAlignment%1ToolButton").arg(which)),
                Qt::LeftButton);
        }
        QCOMPARE(selected().alignment, alignment);
        for (const QString &which :
             {QStringLiteral("Left"), QStringLiteral("Center"), QStringLiteral("Right")}) {
            QCOMPARE(
                child<QToolButton>(&p.bar, QStringLiteral("objAlignment%1ToolButton").arg(which))
                    ->isChecked(),
                which == checked);
        }
        QCOMPARE(p.redraw.size(), clicks.size());
        QVERIFY(p.redraw.first().at(0).toBool());
    }

    void centreOfCanvas()
    {
        createLabel();
        Panel p;
        p.spin(QStringLiteral("objPosYSpinBox"))->setValue(77);
        p.spin(QStringLiteral("objPosXSpinBox"))->setValue(5);
        const int width = selected().rect.width();
        QTest::mouseClick(child<QPushButton>(&p.bar, QStringLiteral("objCenterCanvasButton")),
                          Qt::LeftButton);
        QCOMPARE(selected().x, (1920 - width) / 2.0);
        QCOMPARE(selected().y, 77.0);
        QCOMPARE(p.spin(QStringLiteral("objPosXSpinBox"))->value(), (1920 - width) / 2);
        QCOMPARE(p.spin(QStringLiteral("objPosYSpinBox"))->value(), 77);
    }

    void textAndFont()
    {
        createLabel();
        Panel p;
        const int oneLine = selected().rect.height();
        const int lineHeight = QFontMetrics(selected().font).height();
        child<QPlainTextEdit>(&p.bar, QStringLiteral("objContentPlainTextEdit"))
            ->setPlainText(QStringLiteral("Two\nlines"));
        QCOMPARE(selected().text, QStringLiteral("Two\nlines"));
        QCOMPARE(selected().rect.height(), oneLine + lineHeight);

        child<QCheckBox>(&p.bar, QStringLiteral("objFontItalicCheckBox"))->setChecked(true);
        p.spin(QStringLiteral("objSizeSpinBox"))->setValue(48);
        QFont other(QStringLiteral("Liberation Serif"));
        child<QFontComboBox>(&p.bar, QStringLiteral("objFontComboBox"))->setCurrentFont(other);
        const QFont font = selected().font;
        QCOMPARE(font.family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(font.pointSize(), 48);
        QCOMPARE(font.weight(), QFont::Bold);
        QCOMPARE(font.style(), QFont::StyleItalic);
    }

    void colour_data()
    {
        QTest::addColumn<bool>("bySwatch");
        QTest::addColumn<QColor>("picked");
        QTest::addColumn<QColor>("stored");
        QTest::newRow("swatch") << true << QColor(Qt::red) << QColor(Qt::red);
        QTest::newRow("change button") << false << QColor(Qt::blue) << QColor(Qt::blue);
        QTest::newRow("change button, cancelled") << false << QColor() << QColor(Qt::black);
    }

    void colour()
    {
        QFETCH(bool, bySwatch);
        QFETCH(QColor, picked);
        QFETCH(QColor, stored);
        createLabel();
        Panel p;
        QTimer::singleShot(0, [picked] {
            auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (picked.isValid()) {
                dialog->setCurrentColor(picked);
                dialog->accept();
            } else {
                dialog->reject();
            }
        });
        auto *swatch = child<KXColorWidget>(&p.bar, QStringLiteral("objFontColorWidget"));
        if (bySwatch)
            QTest::mouseClick(swatch, Qt::LeftButton, {}, QPoint(5, 5));
        else
            QTest::mouseClick(child<QPushButton>(&p.bar, QStringLiteral("objFontColorButton")),
                              Qt::LeftButton);
        QCOMPARE(selected().color, stored);
        QCOMPARE(swatch->color, stored);
        QCOMPARE(p.dataChanged.size(), 1);
    }

    void deleting_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<QString>("next");
        QTest::newRow("third of five") << 5 << 2 << "Label3";
        QTest::newRow("last of five") << 5 << 4 << "Label3";
        QTest::newRow("first of two") << 2 << 0 << "Label1";
        QTest::newRow("the only one") << 1 << 0 << "";
    }

    void deleting()
    {
        QFETCH(int, count);
        QFETCH(int, deleted);
        QFETCH(QString, next);
        for (int i = 0; i < count; ++i)
            createLabel();
        state().document.selectedObjectId = state().document.objects[deleted].id;
        Panel p;
        QTest::mouseClick(child<QToolButton>(&p.bar, QStringLiteral("objDelButton")),
                          Qt::LeftButton);
        QCOMPARE(state().document.objects.size(), count - 1);
        for (const OverlayObject &object : state().document.objects)
            QVERIFY(object.name != QStringLiteral("Label%1").arg(deleted));
        QCOMPARE(p.names()->count(), count - 1);
        if (next.isEmpty()) {
            QCOMPARE(state().document.selectedObjectId, -1);
            QCOMPARE(p.bar.objectPanelState(), QuiltraSideBarForm::ObjectPanelState::NoObject);
            QVERIFY(p.bar.isHidden());
            QCOMPARE(p.redraw.size(), 1);
            QVERIFY(p.redraw.first().at(0).toBool());
        } else {
            QCOMPARE(selected().name, next);
            QCOMPARE(p.names()->currentText(), next);
            QVERIFY(!p.bar.isHidden());
        }
    }

    // With no object selected, delete removes nothing, whatever the list shows.
    void deleteWithoutSelection_data()
    {
        QTest::addColumn<int>("selection");
        QTest::newRow("nothing selected") << -1;
        QTest::newRow("selection already gone") << 99;
    }

    void deleteWithoutSelection()
    {
        QFETCH(int, selection);
        createLabel();
        createLabel();
        Panel p;
        state().document.selectedObjectId = selection;
        p.bar.deleteSelectedObject();
        QCOMPARE(state().document.objects.size(), 2);
        QCOMPARE(state().document.selectedObjectId, selection);
        QCOMPARE(p.redraw.size(), 0);
    }

    void deleteIconFollowsPalette_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("icon");
        QTest::newRow("light") << false << ":/resources/images/_DeleteIcon24.png";
        QTest::newRow("dark") << true << ":/resources/images/_DeleteWhiteIcon24.png";
    }

    void deleteIconFollowsPalette()
    {
        QFETCH(bool, dark);
        QFETCH(QString, icon);
        QuiltraSideBarForm bar;
        QPalette palette = bar.palette();
        palette.setColor(QPalette::Window, dark ? QColor(30, 30, 30) : QColor(240, 240, 240));
        palette.setColor(QPalette::WindowText, dark ? QColor(230, 230, 230) : QColor(10, 10, 10));
        bar.setPalette(palette);
        auto *button = child<QToolButton>(&bar, QStringLiteral("objDelButton"));
        const QImage shown = button->icon().pixmap(24).toImage();
        const QImage expected = QIcon(icon).pixmap(24).toImage();
        QCOMPARE(TestSupport::maxChannelDifference(shown, expected), 0);
        const QImage disabled = button->icon().pixmap(24, QIcon::Disabled).toImage();
        QCOMPARE(TestSupport::maxChannelDifference(
                     disabled, QIcon(QStringLiteral(":/resources/images/_DeleteGrayIcon24.png"))
                                   .pixmap(24)
                                   .toImage()),
                 0);
    }

    // The edits reach the exported image: the label is red where the panel put it, the
    // glasses twice as large as at their natural size.
    void editsShowInExport()
    {
        plainCanvas();
        const QImage empty = exportRender();

        createLabel();
        Panel p;
        child<QPlainTextEdit>(&p.bar, QStringLiteral("objContentPlainTextEdit"))
            ->setPlainText(QStringLiteral("HI"));
        p.spin(QStringLiteral("objPosXSpinBox"))->setValue(300);
        p.spin(QStringLiteral("objPosYSpinBox"))->setValue(200);
        emit child<KXColorWidget>(&p.bar, QStringLiteral("objFontColorWidget"))
            ->colorUpdated(QColor(Qt::red));
        const QImage withLabel = exportRender();
        const QRect labelArea = changedArea(empty, withLabel);
        QVERIFY(!labelArea.isEmpty());
        QVERIFY(labelArea.left() >= 300 && labelArea.left() < 320);
        QVERIFY(labelArea.top() >= 200 && labelArea.bottom() < 200 + selected().rect.height());
        const QColor centre = withLabel.pixelColor(labelArea.left() + 3, labelArea.center().y());
        QVERIFY2(centre.red() > 200 && centre.green() < 60 && centre.blue() < 60,
                 qPrintable(centre.name()));

        createSticker(QStringLiteral(":/resources/images/Sticker/Glasses.svg"));
        p.select();
        p.spin(QStringLiteral("objStickerPosXSpinBox"))->setValue(800);
        p.spin(QStringLiteral("objStickerPosYSpinBox"))->setValue(600);
        const QRect natural = changedArea(withLabel, exportRender());
        QVERIFY(natural.width() > 140 && natural.height() > 30);
        p.spin(QStringLiteral("objStickerScaleSpinBox"))->setValue(200);
        const QRect doubled = changedArea(withLabel, exportRender());
        // Twice the size, growing right and down from the same top-left corner.
        QVERIFY2(std::abs(doubled.width() - 2 * natural.width()) <= 3 &&
                     std::abs(doubled.height() - 2 * natural.height()) <= 3,
                 qPrintable(QStringLiteral("%1 x %2 from %3 x %4")
                                .arg(doubled.width())
                                .arg(doubled.height())
                                .arg(natural.width())
                                .arg(natural.height())));
        QVERIFY(std::abs((doubled.left() - 800) - 2 * (natural.left() - 800)) <= 2);
        QVERIFY(std::abs((doubled.top() - 600) - 2 * (natural.top() - 600)) <= 2);
    }
};

QUILTRA_TEST_MAIN(TestObjectPanel)
#include "tst_objectpanel.moc"
