#pragma once

#include <QSize>
#include <QStringList>

class QTextStream;

// The collage-render command line: sets up the collage as the editor does at start,
// applies the options, places the photos, renders as export does and writes the file.
class CollageRenderCommand
{
public:
    static constexpr int kSuccess = 0;
    static constexpr int kFailure = 1;
    static constexpr int kUsageError = 2;

    CollageRenderCommand(QTextStream &out, QTextStream &err);

    // arguments without the program name; returns the process exit status.
    int run(const QStringList &arguments);

private:
    int usageError(const QString &message);
    // Says "collage-render: " and message on the error stream; kFailure.
    int failure(const QString &message);
    // The line naming the written file and, with timings, the line of phase times.
    void reportWritten(const QString &path, const QSize &size, qint64 readTime, qint64 renderTime,
                       qint64 writeTime, bool timings);
    void printUsage(QTextStream &stream) const;

    QTextStream &m_out;
    QTextStream &m_err;
};
