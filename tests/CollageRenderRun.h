#pragma once

#include "CollageRenderCommand.h"

#include <QStringList>
#include <QTextStream>

// What one in-process run of the collage-render command said and returned.
struct CollageRenderRun
{
    int status = -1;
    QString out;
    QString err;
};

inline CollageRenderRun runCollageRender(const QStringList &arguments)
{
    CollageRenderRun run;
    QTextStream out(&run.out), err(&run.err);
    run.status = CollageRenderCommand(out, err).run(arguments);
    return run;
}
