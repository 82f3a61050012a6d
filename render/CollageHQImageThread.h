#pragma once

#include <QImage>
#include <QSize>
#include <QThread>

// Delivers a smoothly scaled copy of the full-size collage rendering for the canvas view.
// The object is given the full-size image and the view size when it is created; run()
// scales it smoothly on the worker thread (so the user-interface thread does not wait
// for it), emits hqImageReady once and returns. The full-size image is an implicitly
// shared copy that no thread writes to, so no locking is needed. Receivers on the
// user-interface thread get the signal queued, with the default connection type.
class CollageHQImageThread : public QThread
{
    Q_OBJECT

public:
    CollageHQImageThread(const QImage &fullSize, const QSize &scaledSize,
                         QObject *parent = nullptr);

Q_SIGNALS:
    // Null when the full-size image is null or the size is empty.
    void hqImageReady(QImage scaledImage);

protected:
    void run() override;

private:
    const QImage m_fullSize;
    const QSize m_scaledSize;
};
