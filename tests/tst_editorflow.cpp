#include "CollageRenderer.h"
#include "CollageState.h"
#include "QuiltraCanvasForm.h"
#include "QuiltraForm.h"
#include "QuiltraSideBarForm.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QMimeData>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>

namespace {

CollageState &state()
{
    return CollageState::instance();
}

template <typename T> T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

bool dropFile(QWidget *canvas, QPoint pos, const QString &path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(pos, actions, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(canvas, &enter);
    QDragMoveEvent move(pos, actions, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(canvas, &move);
    QDropEvent drop(QPointF(pos), actions, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(canvas, &drop);
    return enter.isAccepted() && drop.isAccepted();
}

bool near(QRgb pixel, QColor expected, int tolerance)
{
    return qAbs(qRed(pixel) - expected.red()) <= tolerance &&
           qAbs(qGreen(pixel) - expected.green()) <= tolerance &&
           qAbs(qBlue(pixel) - expected.blue()) <= tolerance;
}

} // namespace

// A whole collage made through the editor's own widgets, as a user makes it, must come
// out exactly as a render of the same document made without the editor.
class TestEditorFlow : public QObject
{
    Q_OBJECT

    QTemporaryDir home;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("config"));
    }

    void collageMadeWithTheWidgets()
    {
        CollageState::reset();
        QuiltraForm form;
        form.resize(1400, 900);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QuiltraCanvasForm *canvas = form.canvasForm();
        auto *sideBar = child<QuiltraSideBarForm>(&form, "QuiltraSideBarForm");

        child<QSlider>(&form, "horizontalSlider")->setValue(50);
        const auto toWidget = [](QPointF docPos) { return (docPos * 0.5).toPoint(); };

        child<QToolButton>(&form, "optionButton")->click();
        QVERIFY(sideBar->isVisible());
        child<QSpinBox>(sideBar, "marginSpinBox")->setValue(60);
        child<QComboBox>(sideBar, "backgroundComboBox")->setCurrentIndex(1); // top to bottom
        QTRY_COMPARE(state().document.frameRects.size(), 10);
        QCOMPARE(state().document.frameRects[0].left(), 60.0);

        const QList<QColor> colours{QColor(200, 30, 40), QColor(20, 60, 210), QColor(240, 200, 0)};
        for (int slot = 0; slot < colours.size(); ++slot) {
            QImage photo(640, 480, QImage::Format_RGB32);
            photo.fill(colours[slot]);
            const QString path = home.filePath(QStringLiteral("photo%1.png").arg(slot));
            QVERIFY(photo.save(path));
            const QPointF centre = state().document.frameRects[slot].center();
            QVERIFY(dropFile(canvas, toWidget(centre), path));
            QVERIFY(!state().document.photos[size_t(slot)].sourceImage.isNull());
        }

        child<QToolButton>(&form, "textButton")->click();
        child<QToolButton>(&form, "stickerButton")->click();
        auto *stickers = child<QTableView>(sideBar, "mainTableView");
        QTRY_VERIFY(stickers->model() && stickers->model()->index(0, 0).data().isValid());
        const QRect cell = stickers->visualRect(stickers->model()->index(0, 0));
        // A double-click is a click and a second press that arrives as a double-click.
        QTest::mouseClick(stickers->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(stickers->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(state().document.objects.size(), 2);
        QCOMPARE(state().document.objects[1].kind, int(Sticker));

        // Drag the first vertical divider 30 widget pixels, 60 document pixels, right.
        QTRY_VERIFY(!state().document.verticalDividers.isEmpty());
        const QRectF divider = state().document.verticalDividers[0];
        // Away from the middle of the canvas, where the new label and sticker sit.
        const QPoint from = toWidget(QPointF(divider.center().x(), divider.top() + 30));
        QTest::mousePress(canvas, Qt::LeftButton, {}, from);
        QTest::mouseMove(canvas, from + QPoint(15, 0));
        QTest::mouseMove(canvas, from + QPoint(30, 0));
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, from + QPoint(30, 0));
        // The layout keeps the move in percent, so a rebuild may land a pixel short.
        QTRY_VERIFY(qAbs(state().document.verticalDividers[0].center().x() -
                         (divider.center().x() + 60)) <= 1.0);

        // A user sees the drag drawn before reaching the export menu; the paint is also
        // what writes the live frames back into the layout that export rebuilds from.
        canvas->repaint();
        const QImage edited = canvas->renderCollageImage();
        CollageRenderer independent;
        const QImage reference = independent.renderCollage(QRect(0, 0, 1920, 1080), true);
        QCOMPARE(edited.size(), QSize(1920, 1080));
        QVERIFY2(TestSupport::fuzzyEqual(edited, reference, 1),
                 qPrintable(QStringLiteral("largest difference %1")
                                .arg(TestSupport::maxChannelDifference(edited, reference))));

        // The view on screen is the same collage, scaled to the zoom.
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(5, 5)); // no selection marker
        canvas->repaint();
        const QImage view = canvas->grab(QRect(0, 0, 960, 540)).toImage();
        const QImage scaledReference =
            reference.scaled(960, 540, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        QVERIFY2(TestSupport::fuzzyEqual(view, scaledReference, 2),
                 qPrintable(QStringLiteral("largest difference %1")
                                .arg(TestSupport::maxChannelDifference(view, scaledReference))));

        // What the user chose is what the picture shows.
        QVERIFY(near(edited.pixel(1910, 5), Qt::white, 8));   // gradient starts white
        QVERIFY(near(edited.pixel(30, 1075), Qt::green, 12)); // and ends green
        for (int slot = 0; slot < colours.size(); ++slot) {
            const QPoint centre = state().document.frameRects[slot].center().toPoint();
            QVERIFY2(near(edited.pixel(centre), colours[slot], 2),
                     qPrintable(QString::number(slot)));
        }
    }
};

QUILTRA_TEST_MAIN(TestEditorFlow)
#include "tst_editorflow.moc"
