#include "ImageExportRunner.h"

#include "CollageState.h"
#include "ImageExportJob.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTimer>

ImageExportRunner::ImageExportRunner(QWidget *window) : QObject(window), m_window(window) {}

QString ImageExportRunner::renderFailure() const
{
    const QSizeF size = CollageState::instance().canvasSize;
    return tr("There is not enough memory to render the collage at %1 x %2 pixels.")
        .arg(int(size.width()))
        .arg(int(size.height()));
}

bool ImageExportRunner::exportToFile(const QImage &image, const QString &filePath)
{
    m_errorString.clear();
    bool written = false;
    if (image.isNull()) {
        m_errorString = renderFailure();
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        qApp->installEventFilter(this);
        QProgressDialog *dialog = nullptr;
        const auto cleanUp = qScopeGuard([&] {
            delete dialog;
            qApp->removeEventFilter(this);
            QApplication::restoreOverrideCursor();
        });

        ImageExportJob job;
        QEventLoop loop;
        connect(&job, &ImageExportJob::finished, &loop, &QEventLoop::quit);
        QTimer dialogTimer;
        dialogTimer.setSingleShot(true);
        connect(&dialogTimer, &QTimer::timeout, this, [&] {
            dialog = new QProgressDialog(tr("Exporting…"), QString(), 0, 0, m_window);
            dialog->setWindowTitle(tr("Export to Image File"));
            dialog->setWindowModality(Qt::ApplicationModal);
            dialog->setCancelButton(nullptr);
            dialog->setMinimumDuration(0);
            dialog->setAccessibleName(tr("Export progress"));
            dialog->show();
        });
        if (job.start(image, filePath)) {
            dialogTimer.start(m_dialogDelayMs);
            if (job.isRunning())
                loop.exec();
        }
        // The loop also ends when the application is asked to quit; the file is still
        // finished or abandoned whole before anything goes on.
        job.wait();
        written = job.succeeded();
        m_errorString = job.errorString();
    }
    if (!written) {
        QMessageBox::warning(m_window, tr("Export to Image File"),
                             tr("The collage could not be exported to %1.\n\n%2")
                                 .arg(QDir::toNativeSeparators(filePath), m_errorString));
    }
    return written;
}

bool ImageExportRunner::copyToClipboard(const QImage &image)
{
    m_errorString.clear();
    if (image.isNull()) {
        m_errorString = renderFailure();
        QMessageBox::warning(m_window, tr("Copy to Clipboard"),
                             tr("The collage could not be copied to the clipboard, which was "
                                "left as it was.\n\n%1")
                                 .arg(m_errorString));
        return false;
    }
    QGuiApplication::clipboard()->setImage(image, QClipboard::Clipboard);
    return true;
}

bool ImageExportRunner::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Accepted, so no shortcut fires; the key press that follows is dropped below.
        event->accept();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    case QEvent::Close:
        // Closing the window would pull the document from under the export.
        if (event->spontaneous()) {
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
