#include "CollageRenderer.h"
#include "CollageState.h"
#include "QuiltraCanvasForm.h"
#include "QuiltraForm.h"
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

template <typename T> T *child(QObject &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1String(name));
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

int difference(QRgb pixel, QColor expected)
{
    return std::max({qAbs(qRed(pixel) - expected.red()), qAbs(qGreen(pixel) - expected.green()),
                     qAbs(qBlue(pixel) - expected.blue())});
}

} // namespace

// A whole collage made through the editor's own widgets, as a user makes it, must come
// out exactly as a render of the same document made without the editor.
class TestEditorFlow : public QObject
{
    Q_OBJECT

    QTemporaryDir home;

private Q_SLOTS:
    void collageMadeWithTheWidgets()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("config"));
        CollageState::reset();
        const CollageDocument &document = CollageState::instance().document;
        QuiltraForm form;
        form.resize(1400, 900);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QuiltraCanvasForm *canvas = form.canvasForm();
        child<QSlider>(form, "horizontalSlider")->setValue(50);
        const auto toWidget = [](QPointF docPos) { return (docPos * 0.5).toPoint(); };

        child<QToolButton>(form, "optionButton")->click();
        child<QSpinBox>(form, "marginSpinBox")->setValue(60);
        child<QComboBox>(form, "backgroundComboBox")->setCurrentIndex(1); // top to bottom
        QTRY_COMPARE(document.frameRects.size(), 10);
        QCOMPARE(document.frameRects[0].left(), 60.0);

        const QList<QColor> colours{QColor(200, 30, 40), QColor(20, 60, 210), QColor(240, 200, 0)};
        for (int slot = 0; slot < colours.size(); ++slot) {
            QImage photo(640, 480, QImage::Format_RGB32);
            photo.fill(colours[slot]);
            const QString path = home.filePath(QStringLiteral("photo%1.png").arg(slot));
            QVERIFY(photo.save(path));
            QVERIFY(dropFile(canvas, toWidget(document.frameRects[slot].center()), path));
        }

        child<QToolButton>(form, "textButton")->click();
        child<QToolButton>(form, "stickerButton")->click();
        auto *stickers = child<QTableView>(form, "mainTableView");
        QTRY_VERIFY(stickers->model() && stickers->model()->index(0, 0).data().isValid());
        const QPoint cell = stickers->visualRect(stickers->model()->index(0, 0)).center();
        // A double-click is a click and a second press that arrives as a double-click.
        QTest::mouseClick(stickers->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(stickers->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(document.objects.size(), 2);

        // Drag the first vertical divider 30 widget pixels, 60 document pixels, right,
        // away from the middle of the canvas, where the new label and sticker sit.
        QTRY_VERIFY(!document.verticalDividers.isEmpty());
        const QRectF divider = document.verticalDividers[0];
        const QPoint from = toWidget(QPointF(divider.center().x(), divider.top() + 30));
        QTest::mousePress(canvas, Qt::LeftButton, {}, from);
        QTest::mouseMove(canvas, from + QPoint(15, 0));
        QTest::mouseMove(canvas, from + QPoint(30, 0));
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, from + QPoint(30, 0));
        // The layout keeps the move in percent, so a rebuild may land a pixel short.
        QTRY_VERIFY(qAbs(document.verticalDividers[0].center().x() - divider.center().x() - 60) <=
                    1.0);

        // A user sees the drag drawn before reaching the export menu; the paint is also
        // what writes the live frames back into the layout that export rebuilds from.
        canvas->repaint();
        const QImage edited = canvas->renderCollageImage();
        const QImage reference = CollageRenderer().renderCollage(QRect(0, 0, 1920, 1080), true);
        QCOMPARE(edited.size(), QSize(1920, 1080));
        QVERIFY2(TestSupport::fuzzyEqual(edited, reference, 1),
                 qPrintable(QString::number(TestSupport::maxChannelDifference(edited, reference))));

        // What the user chose is what the picture shows.
        QVERIFY(difference(edited.pixel(1910, 5), Qt::white) <= 8);   // gradient starts white
        QVERIFY(difference(edited.pixel(30, 1075), Qt::green) <= 12); // and ends green
        for (int slot = 0; slot < colours.size(); ++slot) {
            const QPoint centre = document.frameRects[slot].center().toPoint();
            QVERIFY2(difference(edited.pixel(centre), colours[slot]) <= 2,
                     qPrintable(QString::number(slot)));
        }
    }
};

QUILTRA_TEST_MAIN(TestEditorFlow)
#include "tst_editorflow.moc"
