#include "CatalogueSync.h"
#include "CollageLayoutContentForm.h"
#include "CollageRenderer.h"
#include "CollageSelectStickerForm.h"
#include "CollageState.h"
#include "KXColorWidget.h"
#include "LayoutCatalogue.h"
#include "QuiltraSideBarForm.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cmath>

namespace {

template <typename T> T *child(QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

CollageState &state()
{
    return CollageState::instance();
}

// The side bar with spies on every signal it sends to the editor.
struct Fixture
{
    QuiltraSideBarForm bar;
    QSignalSpy redraw{&bar, &QuiltraSideBarForm::needRedraw};
    QSignalSpy sizeHandled{&bar, &QuiltraSideBarForm::canvasSizeValChanged};

    Fixture() { bar.resize(380, 800); }

    QComboBox *combo(const char *name) { return child<QComboBox>(&bar, name); }
    QSpinBox *spin(const char *name) { return child<QSpinBox>(&bar, name); }
    QWidget *widget(const char *name) { return child<QWidget>(&bar, name); }
    QLabel *label(const char *name) { return child<QLabel>(&bar, name); }

    void clearSpies()
    {
        redraw.clear();
        sizeHandled.clear();
    }
    // How many needRedraw signals carried the given flag.
    int redraws(bool background) const
    {
        int count = 0;
        for (const QList<QVariant> &call : redraw)
            count += call.at(0).toBool() == background ? 1 : 0;
        return count;
    }
};

// The geometry the canvas would have after its next paint.
void renderAsCanvas(CollageRenderer &renderer)
{
    const QSizeF size = state().canvasSize;
    renderer.renderCollage(QRect(0, 0, int(size.width()), int(size.height())), false);
}

QString writePicture(const QTemporaryDir &dir, const QString &name, QColor colour)
{
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

QString writeText(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("not a picture\n");
    return path;
}

// Answers the next modal dialog by rejecting it.
void rejectNextDialog()
{
    QTimer::singleShot(0, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
    });
}

} // namespace

class TestSideBar : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        CollageState::reset();
        buildLayoutCatalogue();
    }

    void startState()
    {
        state().photoCountIndex = 2;
        state().layoutIndex = 4;
        Fixture f;
        QVERIFY(f.bar.isPanelReady());
        QCOMPARE(state().photoCountIndex, 9);
        QCOMPARE(state().layoutIndex, 0);
        QCOMPARE(f.combo("layoutComboBox")->currentText(), QStringLiteral("10 Photos"));
        QCOMPARE(f.combo("canvasTypeComboBox")->currentText(), QStringLiteral("Screen"));
        QCOMPARE(f.combo("screenComboBox")->currentText(), QStringLiteral("1920x1080"));
        QCOMPARE(f.combo("paperComboBox")->currentText(), QStringLiteral("Letter"));
        QCOMPARE(f.combo("paperOrientationComboBox")->currentText(), QStringLiteral("Portrait"));
        QCOMPARE(f.spin("sizeWidthSpinBox")->value(), 1000);
        QCOMPARE(f.spin("sizeHeightSpinBox")->value(), 500);
        QCOMPARE(f.combo("backTypeComboBox")->currentText(), QStringLiteral("Color"));
        QCOMPARE(f.combo("backgroundComboBox")->currentText(), QStringLiteral("Single Color"));
        QCOMPARE(child<KXColorWidget>(&f.bar, "backColor1Widget")->color, QColor(Qt::white));
        QCOMPARE(child<KXColorWidget>(&f.bar, "backColor2Widget")->color, QColor(Qt::green));
        QVERIFY(!f.label("backTexturePrevLabel")->pixmap().isNull());
        QCOMPARE(f.label("backImagePrevLabel")->text(), QStringLiteral("Preview"));
        QCOMPARE(f.spin("topSpinBox")->value(), 0);
        QCOMPARE(f.spin("marginSpinBox")->value(), 140);
        QCOMPARE(f.spin("spacingSpinBox")->value(), 40);
        QCOMPARE(f.spin("roundCornersSpinBox")->value(), 20);
        QCOMPARE(f.spin("lineWidthSpinBox")->value(), 3);
        QVERIFY(child<QCheckBox>(&f.bar, "dropShadowCheckBox")->isChecked());
        QVERIFY(child<QCheckBox>(&f.bar, "cornerImageLocationTopLeftCheckBox")->isChecked());
        QVERIFY(!child<QCheckBox>(&f.bar, "cornerImageLocationTopRightCheckBox")->isChecked());
        QVERIFY(!child<QCheckBox>(&f.bar, "cornerImageLocationBottomLeftCheckBox")->isChecked());
        QVERIFY(child<QCheckBox>(&f.bar, "cornerImageLocationBottomRightCheckBox")->isChecked());
        QCOMPARE(f.bar.objectPanelState(), QuiltraSideBarForm::ObjectPanelState::NoObject);
        QCOMPARE(f.widget("scrollAreaWidgetContents")->height(), 345);
    }

    // Loading unusual document values into the controls writes nothing back.
    void constructionChangesNothing()
    {
        CollageState &s = state();
        s.canvasType = 1;
        s.paperIndex = 2;
        s.paperOrientation = 0;
        s.canvasSize = QSizeF(777, 555);
        s.customSize = QSize(640, 480);
        s.settings.margin = 33;
        s.settings.spacing = 7;
        s.settings.backgroundType = 2;
        s.settings.backgroundColorMode = 1;
        s.settings.frameBackgroundMode = 2;
        s.settings.dropShadow = 0;
        s.settings.cornerTopRight = true;
        const CanvasSettings before = s.settings;

        Fixture f;
        QCOMPARE(s.canvasSize, QSizeF(777, 555));
        QCOMPARE(s.settings.margin, before.margin);
        QCOMPARE(s.settings.spacing, before.spacing);
        QCOMPARE(s.settings.backgroundType, before.backgroundType);
        QCOMPARE(s.settings.backgroundColorMode, before.backgroundColorMode);
        QCOMPARE(s.settings.frameBackgroundMode, before.frameBackgroundMode);
        QCOMPARE(s.settings.dropShadow, 0);
        QVERIFY(s.settings.cornerTopRight);
        QCOMPARE(f.combo("paperComboBox")->currentText(), QStringLiteral("A4"));
        QCOMPARE(f.combo("paperOrientationComboBox")->currentText(), QStringLiteral("Landscape"));
        QCOMPARE(f.spin("sizeWidthSpinBox")->value(), 640);
        QCOMPARE(f.spin("marginSpinBox")->value(), 33);
        QVERIFY(f.widget("screenComboBox")->isHidden());
        QVERIFY(!f.widget("paperComboBox")->isHidden());
        QVERIFY(f.widget("colorWidget")->isHidden());
        QVERIFY(!f.widget("imageWidget")->isHidden());
        QVERIFY(!f.widget("backColor2Widget")->isHidden());
        QVERIFY(!f.widget("frameBackColor2Widget")->isHidden());
        QVERIFY(!child<QCheckBox>(&f.bar, "dropShadowCheckBox")->isChecked());
    }

    void photoCountSwitch_data()
    {
        QTest::addColumn<int>("toCount");
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("height");
        // From three photos (ten layouts) with the sixth layout chosen.
        QTest::newRow("four photos keep the sixth") << 3 << 5 << 454;
        QTest::newRow("two photos have four") << 1 << 0 << 236;
        QTest::newRow("ten photos keep the sixth") << 9 << 5 << 345;
    }

    void photoCountSwitch()
    {
        QFETCH(int, toCount);
        QFETCH(int, layout);
        QFETCH(int, height);
        Fixture f;
        f.combo("layoutComboBox")->setCurrentIndex(2);
        CollageLayoutContentForm *picker = f.bar.layoutPicker();
        QTest::mouseClick(picker, Qt::LeftButton, {},
                          picker->grid().thumbnailRect(5).center().toPoint());
        QCOMPARE(state().layoutIndex, 5);
        state().document.frameRects = {QRectF(0, 0, 10, 10)};
        f.clearSpies();

        f.combo("layoutComboBox")->setCurrentIndex(toCount);
        QCOMPARE(state().photoCountIndex, toCount);
        QCOMPARE(state().layoutIndex, layout);
        QVERIFY(state().document.frameRects.isEmpty());
        QCOMPARE(f.redraws(false), 1);
        QCOMPARE(f.redraws(true), 0);
        QCOMPARE(f.widget("scrollAreaWidgetContents")->height(), height);
    }

    void canvasSize_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<int>("redraws");
        QTest::addColumn<int>("handled");
        QTest::newRow("preset equal to the canvas")
            << QStringList{"screenComboBox=2"} << QSizeF(2560, 1440) << 0 << 1;
        QTest::newRow("another preset")
            << QStringList{"screenComboBox=4"} << QSizeF(5120, 2880) << 1 << 1;
        QTest::newRow("A4 landscape")
            << QStringList{"canvasTypeComboBox=1", "paperComboBox=2", "paperOrientationComboBox=0"}
            << QSizeF(841.8898, 595.2756) << 3 << 3;
        QTest::newRow("A3 portrait") << QStringList{"canvasTypeComboBox=1", "paperComboBox=1"}
                                     << QSizeF(841.8898, 1190.5511) << 2 << 2;
        QTest::newRow("custom width at once")
            << QStringList{"canvasTypeComboBox=2", "sizeWidthSpinBox=1200"} << QSizeF(1200, 500)
            << 2 << 2;
        QTest::newRow("custom height")
            << QStringList{"canvasTypeComboBox=2", "sizeHeightSpinBox=77"} << QSizeF(1000, 77) << 2
            << 2;
        // The size stays allowed; the side bar only stores it, the canvas copes.
        QTest::newRow("huge custom size")
            << QStringList{"canvasTypeComboBox=2", "sizeWidthSpinBox=32000",
                           "sizeHeightSpinBox=32000"}
            << QSizeF(32000, 32000) << 3 << 3;
        QTest::newRow("huge, then back to a preset")
            << QStringList{"canvasTypeComboBox=2", "sizeWidthSpinBox=32000",
                           "sizeHeightSpinBox=32000", "canvasTypeComboBox=0", "screenComboBox=0"}
            << QSizeF(1680, 1050) << 5 << 5;
    }

    void canvasSize()
    {
        QFETCH(QStringList, steps);
        QFETCH(QSizeF, size);
        QFETCH(int, redraws);
        QFETCH(int, handled);
        state().canvasSize = QSizeF(2560, 1440);
        Fixture f;
        state().document.frameRects = {QRectF(0, 0, 10, 10)};
        for (const QString &step : steps) {
            const QStringList parts = step.split(QLatin1Char('='));
            QWidget *control = f.widget(parts[0].toLatin1().constData());
            if (auto *box = qobject_cast<QComboBox *>(control))
                box->setCurrentIndex(parts[1].toInt());
            else
                qobject_cast<QSpinBox *>(control)->setValue(parts[1].toInt());
        }
        QCOMPARE(state().canvasSize.width(), size.width());
        QCOMPARE(state().canvasSize.height(), size.height());
        QCOMPARE(f.redraws(true), redraws);
        QCOMPARE(f.redraws(false), 0);
        QCOMPARE(f.sizeHandled.size(), handled);
        QCOMPARE(state().document.frameRects.isEmpty(), redraws > 0);
        QVERIFY(f.widget("tabWidget")->isEnabled());
    }

    // A divider dragged on the canvas stays where it was put when the frame spacing is set
    // away and back again. Two photos side by side on 1920 x 1080 with margin 140 and
    // spacing 40: the area is 1640 wide, the left frame ends at 140 + 820 - 20 = 940.
    void draggedDividerSurvives_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("away");
        QTest::newRow("margin") << "marginSpinBox" << 60;
        QTest::newRow("spacing") << "spacingSpinBox" << 10;
        QTest::newRow("top") << "topSpinBox" << 100;
    }

    void draggedDividerSurvives()
    {
        QFETCH(QString, control);
        QFETCH(int, away);
        Fixture f;
        f.combo("layoutComboBox")->setCurrentIndex(1);
        CollageRenderer renderer;
        renderAsCanvas(renderer);
        QList<QRectF> &frames = state().document.frameRects;
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[0].right(), 940.0);
        f.clearSpies();
        // The divider dragged 200 pixels to the left.
        frames[0].setRight(740);
        frames[1].setLeft(780);

        QSpinBox *box = f.spin(control.toLatin1().constData());
        const int original = box->value();
        box->setValue(away);
        QVERIFY(state().document.frameRects.isEmpty());
        QCOMPARE(f.redraws(false), 1);
        renderAsCanvas(renderer);
        box->setValue(original);
        renderAsCanvas(renderer);
        QVERIFY(std::abs(state().document.frameRects[0].right() - 740) < 0.01);
        QVERIFY(std::abs(state().document.frameRects[1].left() - 780) < 0.01);
    }

    // A paper canvas has a fractional size; rebuilding its frames again and again must not
    // shrink the layout.
    void paperLayoutDoesNotDrift()
    {
        Fixture f;
        f.combo("layoutComboBox")->setCurrentIndex(1);
        f.combo("canvasTypeComboBox")->setCurrentIndex(1);
        f.combo("paperComboBox")->setCurrentIndex(2);
        CollageRenderer renderer;
        renderAsCanvas(renderer);
        const QRectF first = state().document.frameRects.value(1);
        for (int round = 0; round < 20; ++round) {
            state().document.clearGeometry();
            renderAsCanvas(renderer);
        }
        const LayoutCell &cell = state().layoutCatalogue[1][0].cells[1];
        QVERIFY2(std::abs(cell.bottomRight.x() - 100.0) < 1e-3,
                 qPrintable(QString::number(cell.bottomRight.x(), 'f', 6)));
        QVERIFY(std::abs(cell.bottomRight.y() - 100.0) < 1e-3);
        QVERIFY(std::abs(state().document.frameRects.value(1).right() - first.right()) < 0.01);
    }

    void dropShadowAndCorners()
    {
        Fixture f;
        f.bar.show();
        auto *tabs = child<QTabWidget>(&f.bar, "tabWidget");
        tabs->setCurrentIndex(3);
        child<QCheckBox>(&f.bar, "dropShadowCheckBox")->click();
        QCOMPARE(state().settings.dropShadow, 0);
        tabs->setCurrentIndex(4);
        child<QCheckBox>(&f.bar, "cornerImageLocationTopRightCheckBox")->click();
        child<QCheckBox>(&f.bar, "cornerImageLocationTopLeftCheckBox")->click();
        const CanvasSettings &settings = state().settings;
        QVERIFY(!settings.cornerTopLeft);
        QVERIFY(settings.cornerTopRight);
        QVERIFY(!settings.cornerBottomLeft);
        QVERIFY(settings.cornerBottomRight);
        QCOMPARE(f.redraws(false), 3);
        QCOMPARE(f.redraws(true), 0);
    }

    void backgroundGroups_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("secondColour");
        QTest::newRow("single colour") << 0 << 0 << "colorWidget" << false;
        QTest::newRow("gradient down") << 0 << 1 << "colorWidget" << true;
        QTest::newRow("gradient across") << 0 << 2 << "colorWidget" << true;
        QTest::newRow("texture") << 1 << 0 << "textureWidget" << false;
        QTest::newRow("image") << 2 << 0 << "imageWidget" << false;
    }

    void backgroundGroups()
    {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(QString, group);
        QFETCH(bool, secondColour);
        state().settings.backgroundColor2 = QColor(1, 2, 3);
        Fixture f;
        // Through a gradient and back, so the single colour case really hides the arrow.
        f.combo("backgroundComboBox")->setCurrentIndex(1);
        f.combo("backgroundComboBox")->setCurrentIndex(mode);
        f.combo("backTypeComboBox")->setCurrentIndex(type);
        for (const char *name : {"colorWidget", "textureWidget", "imageWidget"})
            QCOMPARE(f.widget(name)->isHidden(), group != QLatin1String(name));
        QCOMPARE(f.widget("backColor2Widget")->isHidden(), !secondColour);
        QCOMPARE(f.widget("backColorGoLabel")->isHidden(), !secondColour);
        QCOMPARE(state().settings.backgroundType, type);
        QCOMPARE(state().settings.backgroundColorMode, mode);
        QCOMPARE(state().settings.backgroundColor2, QColor(1, 2, 3));
        QCOMPARE(f.redraws(true), mode == 1 ? 1 + (type ? 1 : 0) : 2 + (type ? 1 : 0));
    }

    // Pictures that cannot be read are refused with a word, keeping the old one.
    void backgroundPictures_data()
    {
        QTest::addColumn<bool>("texture");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("texture resource")
            << true << ":/resources/images/Pattern/Pattern2.png" << true;
        QTest::newRow("texture file") << true << "red.png" << true;
        QTest::newRow("text named as a picture") << true << "text.png" << false;
        QTest::newRow("missing texture") << true << "missing.png" << false;
        QTest::newRow("image file") << false << "red.png" << true;
        QTest::newRow("text image") << false << "text.png" << false;
        QTest::newRow("missing image") << false << "missing.png" << false;
    }

    void backgroundPictures()
    {
        QFETCH(bool, texture);
        QFETCH(QString, file);
        QFETCH(bool, accepted);
        QTemporaryDir dir;
        const QString red = writePicture(dir, QStringLiteral("red.png"), Qt::red);
        QString path = file;
        if (file == QLatin1String("red.png"))
            path = red;
        else if (file == QLatin1String("text.png"))
            path = writeText(dir, file);
        else if (file == QLatin1String("missing.png"))
            path = dir.filePath(file);
        const QString blue = writePicture(dir, QStringLiteral("blue.png"), Qt::blue);

        Fixture f;
        f.bar.show();
        QLabel *preview = f.label(texture ? "backTexturePrevLabel" : "backImagePrevLabel");
        // A readable picture first, so there is something to keep.
        if (texture)
            f.bar.onTextureSelected(blue);
        else
            f.bar.setBackgroundImage(blue);
        f.clearSpies();

        if (texture)
            f.bar.onTextureSelected(path);
        else
            f.bar.setBackgroundImage(path);
        const QString stored =
            texture ? state().settings.backgroundTexture : state().settings.backgroundImage;
        QCOMPARE(stored, accepted ? path : blue);
        const QColor shown = preview->pixmap().toImage().pixelColor(5, 5);
        QCOMPARE(shown, accepted ? (file.startsWith(QLatin1String(":")) ? shown : QColor(Qt::red))
                                 : QColor(Qt::blue));
        if (texture)
            QCOMPARE(f.redraws(true), accepted ? 1 : 0);
        auto *warning = f.bar.findChild<QMessageBox *>();
        QCOMPARE(warning != nullptr, !accepted);
        if (warning) {
            QVERIFY(warning->text().contains(QFileInfo(path).fileName()));
            warning->close();
        }
    }

    void imageDialogCancelled()
    {
        Fixture f;
        f.bar.show();
        rejectNextDialog();
        QTest::mouseClick(child<QToolButton>(&f.bar, "backImageAddButton"), Qt::LeftButton);
        QCOMPARE(f.redraws(true), 1);
        QVERIFY(state().settings.backgroundImage.isEmpty());
    }

    void deletePicture_data()
    {
        QTest::addColumn<bool>("texture");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("typeAfter");
        QTest::newRow("texture in use") << true << 1 << 0;
        QTest::newRow("texture unused") << true << 2 << 2;
        QTest::newRow("image in use") << false << 2 << 0;
        QTest::newRow("image unused") << false << 1 << 1;
    }

    void deletePicture()
    {
        QFETCH(bool, texture);
        QFETCH(int, type);
        QFETCH(int, typeAfter);
        QTemporaryDir dir;
        const QString picture = writePicture(dir, QStringLiteral("p.png"), Qt::blue);
        state().settings.backgroundImage = picture;
        state().settings.backgroundType = type;
        Fixture f;
        f.bar.show();
        QLabel *preview = f.label(texture ? "backTexturePrevLabel" : "backImagePrevLabel");
        QVERIFY(!preview->pixmap().isNull());
        QTest::mouseClick(child<QToolButton>(&f.bar, texture ? "backTextureDeleteButton"
                                                             : "backImageDeleteButton"),
                          Qt::LeftButton);
        QVERIFY((texture ? state().settings.backgroundTexture : state().settings.backgroundImage)
                    .isEmpty());
        QVERIFY(!(texture ? state().settings.backgroundImage : state().settings.backgroundTexture)
                     .isEmpty());
        QVERIFY(preview->pixmap().isNull());
        QCOMPARE(preview->text(), QStringLiteral("Preview"));
        QCOMPARE(state().settings.backgroundType, typeAfter);
        QCOMPARE(f.combo("backTypeComboBox")->currentIndex(), typeAfter);
        QCOMPARE(f.widget("colorWidget")->isHidden(), typeAfter != 0);
        QCOMPARE(f.redraws(true), 1);
    }
};

QUILTRA_TEST_MAIN(TestSideBar)
#include "tst_sidebar.moc"
