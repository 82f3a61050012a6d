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
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

namespace {

CollageState &state()
{
    return CollageState::instance();
}

OverlayObject &selected()
{
    return *state().document.objectById(state().document.selectedObjectId);
}

// A side bar showing the object panel for the object just created, as the editor does.
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
    template <typename T = QSpinBox> T *get(const QString &name)
    {
        T *found = bar.findChild<T *>(name);
        if (!found)
            qFatal("no child %s", qPrintable(name));
        return found;
    }
    void click(const QString &name)
    {
        QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton);
    }
};

// The smallest rectangle holding every pixel where the two images differ.
QRect changedArea(const QImage &before, const QImage &after)
{
    QRect area;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y))
                area |= QRect(x, y, 1, 1);
    return area;
}

QImage exportRender()
{
    const QSizeF size = state().canvasSize;
    return CollageRenderer().renderCollage(QRect(0, 0, int(size.width()), int(size.height())),
                                           true);
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

    // Positions left of the canvas show as they are and step on from there.
    void loads_data()
    {
        QTest::addColumn<bool>("label");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("height");
        QTest::newRow("label") << true << "obj" << 600;
        QTest::newRow("sticker") << false << "objSticker" << 200;
    }

    void loads()
    {
        QFETCH(bool, label);
        QFETCH(QString, prefix);
        label ? createLabel()
              : createSticker(QStringLiteral(":/resources/images/Sticker/Heart.svg"));
        selected().x = -250.7;
        selected().rotation = -30.5f;
        Panel p;
        QCOMPARE(p.bar.objectPanelState(),
                 label ? QuiltraSideBarForm::ObjectPanelState::LabelLoaded
                       : QuiltraSideBarForm::ObjectPanelState::StickerLoaded);
        QTEST(p.get<QWidget>("scrollAreaWidgetContents_2")->height(), "height");
        QCOMPARE(p.get<QComboBox>("objNameComboBox")->currentText(), selected().name);
        QCOMPARE(p.get(prefix + "RotateSpinBox")->value(), -30);
        QCOMPARE(p.get(prefix + "PosXSpinBox")->value(), -250);
        QCOMPARE(p.dataChanged.size(), 0);
        p.get(prefix + "PosXSpinBox")->stepUp();
        QCOMPARE(selected().x, -249.0);
        QCOMPARE(selected().rect.x(), -249);
        QCOMPARE(p.dataChanged.size(), 1);
    }

    void labelEdits_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("value");
        QTest::newRow("y") << "objPosYSpinBox" << 120;
        QTest::newRow("size") << "objSizeSpinBox" << 12;
        QTest::newRow("opacity") << "objOpacitySpinBox" << 40;
        QTest::newRow("bold off") << "objFontBoldCheckBox" << 0;
        QTest::newRow("italic") << "objFontItalicCheckBox" << 1;
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
            p.get(control)->setValue(value);
        const OverlayObject &label = selected();
        const QMap<QString, bool> applied{
            {"objPosYSpinBox", label.rect.topLeft() == QPoint(box.x(), 120)},
            {"objSizeSpinBox",
             label.font.pointSize() == 12 && label.rect.height() < box.height() / 2},
            {"objOpacitySpinBox", label.opacity == 40},
            {"objFontBoldCheckBox",
             label.font.weight() == QFont::Normal && label.rect.width() < box.width()},
            {"objFontItalicCheckBox", label.font.style() == QFont::StyleItalic}};
        QVERIFY(applied.value(control));
        QCOMPARE(p.dataChanged.size(), 1);
        QCOMPARE(p.redraw.size(), 0);
    }

    void alignment_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QString>("checked");
        QTest::newRow("left") << QStringList{"Left"} << 0 << "Left";
        QTest::newRow("right, then centre") << QStringList{"Right", "Center"} << 1 << "Center";
        QTest::newRow("centre again unchecks it") << QStringList{"Center"} << 1 << "";
    }

    void alignment()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QString, checked);
        createLabel();
        Panel p;
        for (const QString &which : clicks)
            p.click(QStringLiteral("objAlignment%1ToolButton").arg(which));
        QTEST(selected().alignment, "alignment");
        for (const char *which : {"Left", "Center", "Right"})
            QCOMPARE(p.get<QToolButton>(QStringLiteral("objAlignment%1ToolButton").arg(which))
                         ->isChecked(),
                     checked == QLatin1String(which));
        QCOMPARE(p.redraw.size(), clicks.size());
    }

    void centreOfCanvas()
    {
        createLabel();
        Panel p;
        p.get("objPosYSpinBox")->setValue(77);
        p.click("objCenterCanvasButton");
        QCOMPARE(selected().x, (1920 - selected().rect.width()) / 2.0);
        QCOMPARE(selected().y, 77.0);
        QCOMPARE(p.get("objPosXSpinBox")->value(), (1920 - selected().rect.width()) / 2);
    }

    void colour_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QColor>("picked"); // invalid: the dialog is cancelled
        QTest::addColumn<QColor>("stored");
        QTest::newRow("swatch") << "objFontColorWidget" << QColor(Qt::red) << QColor(Qt::red);
        QTest::newRow("change button")
            << "objFontColorButton" << QColor(Qt::blue) << QColor(Qt::blue);
        QTest::newRow("cancelled") << "objFontColorButton" << QColor() << QColor(Qt::black);
    }

    void colour()
    {
        QFETCH(QString, control);
        QFETCH(QColor, picked);
        QFETCH(QColor, stored);
        createLabel();
        Panel p;
        QTimer::singleShot(0, [picked] {
            if (auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget())) {
                dialog->setCurrentColor(picked.isValid() ? picked : QColor(Qt::green));
                picked.isValid() ? dialog->accept() : dialog->reject();
            }
        });
        QTest::mouseClick(p.get<QWidget>(control), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(selected().color, stored);
        QCOMPARE(p.get<KXColorWidget>("objFontColorWidget")->color, stored);
    }

    // Deleting selects the next object, or the one before when the last went.
    void deleting_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("selection"); // an index, or an id nothing has
        QTest::addColumn<int>("left");
        QTest::addColumn<QString>("next");
        QTest::newRow("third of five") << 5 << 2 << 4 << "Label3";
        QTest::newRow("last of five") << 5 << 4 << 4 << "Label3";
        QTest::newRow("the only one") << 1 << 0 << 0 << "";
        QTest::newRow("nothing selected") << 2 << -1 << 2 << "";
        QTest::newRow("selection already gone") << 2 << 99 << 2 << "";
    }

    void deleting()
    {
        QFETCH(int, count);
        QFETCH(int, selection);
        QFETCH(int, left);
        QFETCH(QString, next);
        for (int i = 0; i < count; ++i)
            createLabel();
        const bool valid = selection >= 0 && selection < count;
        const int id = valid ? state().document.objects[selection].id : selection;
        state().document.selectedObjectId = id;
        Panel p;
        state().document.selectedObjectId = id;
        p.click("objDelButton");
        QCOMPARE(state().document.objects.size(), left);
        QCOMPARE(p.get<QComboBox>("objNameComboBox")->count(), left);
        if (!next.isEmpty())
            QCOMPARE(selected().name, next);
        else
            QCOMPARE(state().document.selectedObjectId, valid ? -1 : id);
        QCOMPARE(p.redraw.size(), left == 0 ? 1 : 0);
        QCOMPARE(p.bar.objectPanelState() == QuiltraSideBarForm::ObjectPanelState::NoObject,
                 left == 0);
    }

    // The edits reach the exported image: the label is red where the panel put it, the
    // glasses twice as large as at their natural size.
    void editsShowInExport()
    {
        CanvasSettings &plain = state().settings;
        plain.margin = plain.dropShadow = plain.lineWidth = 0;
        plain.cornerTopLeft = plain.cornerBottomRight = false;
        const QImage empty = exportRender();

        createLabel();
        Panel p;
        p.get<QPlainTextEdit>("objContentPlainTextEdit")->setPlainText(QStringLiteral("HI"));
        p.get("objPosXSpinBox")->setValue(300);
        p.get("objPosYSpinBox")->setValue(200);
        emit p.get<KXColorWidget>("objFontColorWidget")->colorUpdated(QColor(Qt::red));
        const QImage withLabel = exportRender();
        const QRect labelArea = changedArea(empty, withLabel);
        QVERIFY(labelArea.left() >= 300 && labelArea.left() < 320);
        QVERIFY(labelArea.top() >= 200 && labelArea.bottom() < 200 + selected().rect.height());
        const QColor ink = withLabel.pixelColor(labelArea.left() + 3, labelArea.center().y());
        QVERIFY2(ink.red() > 200 && ink.green() < 60 && ink.blue() < 60, qPrintable(ink.name()));

        createSticker(QStringLiteral(":/resources/images/Sticker/Glasses.svg"));
        p.select();
        p.get("objStickerPosXSpinBox")->setValue(800);
        p.get("objStickerPosYSpinBox")->setValue(600);
        const QRect natural = changedArea(withLabel, exportRender());
        QVERIFY(natural.width() > 140 && natural.height() > 30);
        p.get("objStickerScaleSpinBox")->setValue(200);
        const QRect doubled = changedArea(withLabel, exportRender());
        // Twice the size, growing right and down from the same top-left corner.
        QVERIFY(std::abs(doubled.width() - 2 * natural.width()) <= 3);
        QVERIFY(std::abs(doubled.height() - 2 * natural.height()) <= 3);
        QVERIFY(std::abs((doubled.left() - 800) - 2 * (natural.left() - 800)) <= 2);
        QVERIFY(std::abs((doubled.top() - 600) - 2 * (natural.top() - 600)) <= 2);
    }
};

QUILTRA_TEST_MAIN(TestObjectPanel)
#include "tst_objectpanel.moc"
