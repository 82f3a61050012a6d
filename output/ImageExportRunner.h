#pragma once

#include <QImage>
#include <QObject>
#include <QString>

class QWidget;

// Runs one export for a window: the image is encoded and written on a worker thread
// while the window keeps painting. Meanwhile the cursor shows that the program is busy,
// user input is held off, and after dialogDelay() a modal "Exporting…" dialog appears.
// A failure ends in a warning that names the file and the reason.
class ImageExportRunner : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultDialogDelayMs = 500;

    explicit ImageExportRunner(QWidget *window);

    void setDialogDelay(int milliseconds) { m_dialogDelayMs = milliseconds; }
    int dialogDelay() const { return m_dialogDelayMs; }

    // Writes image, the collage at full size, to filePath and returns once that has
    // ended. A null image stands for a render that could not be made. True when the
    // file was written; otherwise the warning has been shown and errorString() says why.
    bool exportToFile(const QImage &image, const QString &filePath);
    // Puts image on the system clipboard. A null image leaves the clipboard as it was
    // and shows a warning.
    bool copyToClipboard(const QImage &image);

    QString errorString() const { return m_errorString; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString renderFailure() const;

    QWidget *m_window;
    int m_dialogDelayMs = kDefaultDialogDelayMs;
    QString m_errorString;
};
