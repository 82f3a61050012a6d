#pragma once

#include "QuiltraCanvasForm.h"

#include <QCoreApplication>
#include <QElapsedTimer>

// A canvas that counts its finished paints, so a caller can time an event to the end of
// the paint it causes.
class TimedCanvas : public QuiltraCanvasForm
{
public:
    // Milliseconds from now until the next paint has ended, after deliver() has handed
    // the canvas its event; -1 when no paint follows within a few seconds.
    template <typename Deliver> double timePaintAfter(Deliver deliver)
    {
        const int before = m_paints;
        QElapsedTimer timer;
        timer.start();
        deliver();
        while (m_paints == before && timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return m_paints == before ? -1.0 : double(timer.nsecsElapsed()) / 1e6;
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QuiltraCanvasForm::paintEvent(event);
        ++m_paints;
    }

private:
    int m_paints = 0;
};
