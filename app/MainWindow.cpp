#include "MainWindow.h"

#include "KXGlobal.h"
#include "QuiltraCanvasForm.h"
#include "QuiltraForm.h"
#include "WindowGeometry.h"
#include "ui_MainWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStackedLayout>
#include <QVBoxLayout>

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    restoreWindowGeometry();

    pages = new QStackedLayout;
    editorForm = new QuiltraForm(this);
    editorForm->show();
    pages->addWidget(editorForm);

    auto *column = new QVBoxLayout;
    column->addLayout(pages);
    column->setContentsMargins(0, 0, 0, 0);
    ui->centralwidget->setLayout(column);

    setWindowTitle(KXGlobal().displayName());
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::restoreWindowGeometry()
{
    QSize screen;
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        screen = primary->size();

    const std::unique_ptr<QSettings> settings = openWindowSettings();
    const QRect stored(settings->value(QStringLiteral("posX"), 0).toInt(),
                       settings->value(QStringLiteral("posY"), 0).toInt(),
                       settings->value(QStringLiteral("width"), 0).toInt(),
                       settings->value(QStringLiteral("height"), 0).toInt());
    setGeometry(restoredWindowGeometry(stored, screen));
}

void MainWindow::saveWindowGeometry() const
{
    const std::unique_ptr<QSettings> settings = openWindowSettings();
    const QRect current = geometry();
    settings->setValue(QStringLiteral("posX"), current.x());
    settings->setValue(QStringLiteral("posY"), current.y());
    settings->setValue(QStringLiteral("width"), current.width());
    settings->setValue(QStringLiteral("height"), current.height());
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    // No other key is handled here, and none is passed on.
    if (event->key() == Qt::Key_Shift && editorForm && editorForm->canvasForm())
        editorForm->canvasForm()->setShiftPressed(true);
    event->ignore();
}

void MainWindow::keyReleaseEvent(QKeyEvent *event)
{
    // Any release ends the Shift state the canvas was told of; its gestures read the
    // modifiers of their own events, so a stale state here changes nothing they do.
    if (editorForm && editorForm->canvasForm())
        editorForm->canvasForm()->setShiftPressed(false);
    event->ignore();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    saveWindowGeometry();
    event->accept();
}

void MainWindow::changeEvent(QEvent *event)
{
    // Before the toolkit reports a colour scheme, a theme switch shows up only as a new
    // palette, so each of these may change which icon variant is right.
    switch (event->type()) {
    case QEvent::ThemeChange:
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        if (editorForm)
            editorForm->updateThemeIcons();
        break;
    default:
        break;
    }
    QMainWindow::changeEvent(event);
}
