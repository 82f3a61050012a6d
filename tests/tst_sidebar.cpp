#include "CollageLayoutContentForm.h"
#include "CollageRenderer.h"
#include "CollageState.h"
#include "LayoutCatalogue.h"
#include "QuiltraSideBarForm.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

CollageState &state()
{
    return CollageState::instance();
}

// The side bar with a spy on the redraw requests it sends to the editor.
struct Fixture
{
    QuiltraSideBarForm bar;
    QSignalSpy redraw{&bar, &QuiltraSideBarForm::needRedraw};
    QSignalSpy sizeHandled{&bar, &QuiltraSideBarForm::canvasSizeValChanged};

    Fixture() { bar.resize(380, 800); }

    template <typename T = QWidget> T *get(const QString &name)
    {
        T *found = bar.findChild<T *>(name);
        if (!found)
            qFatal("no child %s", qPrintable(name));
        return found;
    }
    void set(const QString &name, int value)
    {
        if (auto *box = bar.findChild<QComboBox *>(name))
            box->setCurrentIndex(value);
        else
            get<QSpinBox>(name)->setValue(value);
    }
    bool hidden(const QString &name) { return get(name)->isHidden(); }
    // How many redraw requests asked for the background (true) or only the frames (false).
    int redraws(bool background) const
    {
        return int(std::count_if(redraw.begin(), redraw.end(), [background](const auto &call) {
            return call.at(0).toBool() == background;
        }));
    }
};

// The frames the canvas would have after its next paint.
void renderAsCanvas()
{
    const QSizeF size = state().canvasSize;
    CollageRenderer().renderCollage(QRect(0, 0, int(size.width()), int(size.height())), false);
}

QString writePicture(const QTemporaryDir &dir, const QString &name, QColor colour)
{
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(colour);
    image.save(dir.filePath(name));
    return dir.filePath(name);
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
        QCOMPARE(state().photoCountIndex, 9);
        QCOMPARE(state().layoutIndex, 0);
        QCOMPARE(f.get<QComboBox>("layoutComboBox")->currentText(), QStringLiteral("10 Photos"));
        QCOMPARE(f.get<QComboBox>("screenComboBox")->currentText(), QStringLiteral("1920x1080"));
        QCOMPARE(f.get<QSpinBox>("marginSpinBox")->value(), 140);
        QCOMPARE(f.bar.objectPanelState(), QuiltraSideBarForm::ObjectPanelState::NoObject);
        QCOMPARE(f.get("scrollAreaWidgetContents")->height(), 345);
    }

    // Loading unusual document values into the controls writes nothing back.
    void constructionChangesNothing()
    {
        CollageState &s = state();
        s.canvasType = 1;
        s.paperIndex = 2;
        s.paperOrientation = 0;
        s.canvasSize = QSizeF(777, 555);
        s.settings.margin = 33;
        s.settings.backgroundType = 2;
        s.settings.backgroundColorMode = 1;
        s.settings.frameBackgroundMode = 2;
        s.settings.dropShadow = 0;
        Fixture f;
        QCOMPARE(s.canvasSize, QSizeF(777, 555));
        QCOMPARE(s.settings.margin, 33);
        QCOMPARE(s.settings.backgroundType, 2);
        QCOMPARE(s.settings.backgroundColorMode, 1);
        QCOMPARE(s.settings.frameBackgroundMode, 2);
        QCOMPARE(s.settings.dropShadow, 0);
        QCOMPARE(f.get<QComboBox>("paperOrientationComboBox")->currentText(), "Landscape");
        QVERIFY(f.hidden("screenComboBox") && !f.hidden("paperComboBox"));
        QVERIFY(f.hidden("colorWidget") && !f.hidden("imageWidget"));
        QVERIFY(!f.hidden("frameBackColor2Widget"));
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
        QTest::newRow("one photo has one") << 0 << 0 << 127;
    }

    void photoCountSwitch()
    {
        QFETCH(int, toCount);
        Fixture f;
        f.set("layoutComboBox", 2);
        CollageLayoutContentForm *picker = f.bar.layoutPicker();
        QTest::mouseClick(picker, Qt::LeftButton, {},
                          picker->grid().thumbnailRect(5).center().toPoint());
        state().document.frameRects = {QRectF(0, 0, 10, 10)};
        f.redraw.clear();
        f.set("layoutComboBox", toCount);
        QCOMPARE(state().photoCountIndex, toCount);
        QTEST(state().layoutIndex, "layout");
        QVERIFY(state().document.frameRects.isEmpty());
        QCOMPARE(f.redraw.size(), 1);
        QCOMPARE(f.redraws(false), 1);
        QTEST(f.get("scrollAreaWidgetContents")->height(), "height");
    }

    // Each step is control=value; redraws count the background redraws asked for.
    void canvasSize_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<int>("redraws");
        QTest::newRow("preset equal to the canvas")
            << QStringList{"screenComboBox=2"} << QSizeF(2560, 1440) << 0;
        QTest::newRow("another preset")
            << QStringList{"screenComboBox=4"} << QSizeF(5120, 2880) << 1;
        QTest::newRow("A4 landscape")
            << QStringList{"canvasTypeComboBox=1", "paperComboBox=2", "paperOrientationComboBox=0"}
            << QSizeF(841.8898, 595.2756) << 3;
        QTest::newRow("custom width at once")
            << QStringList{"canvasTypeComboBox=2", "sizeWidthSpinBox=1200"} << QSizeF(1200, 500)
            << 2;
        // The size stays allowed; the side bar only stores it, the canvas copes.
        QTest::newRow("huge, then back to a preset")
            << QStringList{"canvasTypeComboBox=2", "sizeWidthSpinBox=32000",
                           "sizeHeightSpinBox=32000", "canvasTypeComboBox=0", "screenComboBox=0"}
            << QSizeF(1680, 1050) << 5;
    }

    void canvasSize()
    {
        QFETCH(QStringList, steps);
        QFETCH(QSizeF, size);
        QFETCH(int, redraws);
        state().canvasSize = QSizeF(2560, 1440);
        Fixture f;
        state().document.frameRects = {QRectF(0, 0, 10, 10)};
        for (const QString &step : steps) {
            f.set(step.section(QLatin1Char('='), 0, 0), step.section(QLatin1Char('='), 1).toInt());
            if (step == QLatin1String("sizeHeightSpinBox=32000"))
                QCOMPARE(state().canvasSize, QSizeF(32000, 32000));
        }
        QCOMPARE(state().canvasSize.width(), size.width());
        QCOMPARE(state().canvasSize.height(), size.height());
        QCOMPARE(f.redraws(true), redraws);
        QCOMPARE(f.redraws(false), 0);
        QCOMPARE(f.sizeHandled.size(), qMax(redraws, 1));
        QCOMPARE(state().document.frameRects.isEmpty(), redraws > 0);
    }

    // A divider dragged on the canvas stays where it was put when a frame spacing is set
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
        f.set("layoutComboBox", 1);
        renderAsCanvas();
        QList<QRectF> &frames = state().document.frameRects;
        QCOMPARE(frames.value(0).right(), 940.0);
        frames[0].setRight(740);
        frames[1].setLeft(780);
        const int original = f.get<QSpinBox>(control)->value();
        f.set(control, away);
        QVERIFY(state().document.frameRects.isEmpty());
        renderAsCanvas();
        f.set(control, original);
        renderAsCanvas();
        QVERIFY(std::abs(state().document.frameRects[0].right() - 740) < 0.01);
        QVERIFY(std::abs(state().document.frameRects[1].left() - 780) < 0.01);
    }

    // A paper canvas has a fractional size; rebuilding its frames again and again must not
    // shrink the layout.
    void paperLayoutDoesNotDrift()
    {
        Fixture f;
        f.set("layoutComboBox", 1);
        f.set("canvasTypeComboBox", 1);
        renderAsCanvas();
        const QRectF first = state().document.frameRects.value(1);
        for (int round = 0; round < 20; ++round) {
            state().document.clearGeometry();
            renderAsCanvas();
        }
        QVERIFY(std::abs(state().layoutCatalogue[1][0].cells[1].bottomRight.x() - 100) < 1e-3);
        QVERIFY(std::abs(state().document.frameRects.value(1).right() - first.right()) < 0.01);
    }

    void backgroundGroups_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("group");
        QTest::newRow("single colour") << 0 << 0 << "colorWidget";
        QTest::newRow("gradient") << 0 << 2 << "colorWidget";
        QTest::newRow("texture") << 1 << 0 << "textureWidget";
        QTest::newRow("image") << 2 << 0 << "imageWidget";
    }

    void backgroundGroups()
    {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(QString, group);
        Fixture f;
        // Through a gradient and back, so the single colour case really hides the arrow.
        f.set("backgroundComboBox", 1);
        f.set("backgroundComboBox", mode);
        f.set("backTypeComboBox", type);
        for (const char *name : {"colorWidget", "textureWidget", "imageWidget"})
            QCOMPARE(f.hidden(name), group != QLatin1String(name));
        QCOMPARE(f.hidden("backColor2Widget"), mode == 0);
        QCOMPARE(f.hidden("backColorGoLabel"), mode == 0);
        QCOMPARE(state().settings.backgroundType, type);
        QCOMPARE(state().settings.backgroundColorMode, mode);
    }

    // Pictures that cannot be read are refused with a word, keeping the old one.
    void backgroundPictures_data()
    {
        QTest::addColumn<bool>("texture");
        QTest::addColumn<QString>("file");
        QTest::newRow("texture file") << true << "red.png";
        QTest::newRow("text named as a texture") << true << "text.png";
        QTest::newRow("missing texture") << true << "missing.png";
        QTest::newRow("image file") << false << "red.png";
        QTest::newRow("text named as an image") << false << "text.png";
    }

    void backgroundPictures()
    {
        QFETCH(bool, texture);
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString blue = writePicture(dir, QStringLiteral("blue.png"), Qt::blue);
        writePicture(dir, QStringLiteral("red.png"), Qt::red);
        QFile text(dir.filePath(QStringLiteral("text.png")));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture\n") > 0);
        text.close();
        const QString path = dir.filePath(file);
        const bool accepted = file == QLatin1String("red.png");

        Fixture f;
        f.bar.show();
        // A readable picture first, so there is something to keep.
        for (const QString &picture : {blue, path})
            texture ? f.bar.onTextureSelected(picture) : f.bar.setBackgroundImage(picture);
        const QString stored =
            texture ? state().settings.backgroundTexture : state().settings.backgroundImage;
        QCOMPARE(stored, accepted ? path : blue);
        auto *preview = f.get<QLabel>(texture ? "backTexturePrevLabel" : "backImagePrevLabel");
        QCOMPARE(preview->pixmap().toImage().pixelColor(5, 5),
                 QColor(accepted ? Qt::red : Qt::blue));
        auto *warning = f.bar.findChild<QMessageBox *>();
        QCOMPARE(warning != nullptr, !accepted);
        if (warning)
            QVERIFY(warning->text().contains(file));
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
        state().settings.backgroundImage = writePicture(dir, QStringLiteral("p.png"), Qt::blue);
        state().settings.backgroundType = type;
        Fixture f;
        f.bar.show();
        auto *preview = f.get<QLabel>(texture ? "backTexturePrevLabel" : "backImagePrevLabel");
        QTest::mouseClick(
            f.get<QToolButton>(texture ? "backTextureDeleteButton" : "backImageDeleteButton"),
            Qt::LeftButton);
        const CanvasSettings &s = state().settings;
        QCOMPARE(s.backgroundTexture.isEmpty(), texture);
        QCOMPARE(s.backgroundImage.isEmpty(), !texture);
        QCOMPARE(preview->text(), QStringLiteral("Preview"));
        QVERIFY(preview->pixmap().isNull());
        QCOMPARE(s.backgroundType, typeAfter);
        QCOMPARE(f.get<QComboBox>("backTypeComboBox")->currentIndex(), typeAfter);
        QCOMPARE(f.redraws(true), 1);
    }
};

QUILTRA_TEST_MAIN(TestSideBar)
#include "tst_sidebar.moc"
