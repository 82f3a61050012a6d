#include "TestSupport.h"

#include <QProcess>
#include <algorithm>
#include <cstdlib>

namespace TestSupport {

namespace {

int pixelDifference(QRgb p, QRgb q)
{
    return std::max({std::abs(qAlpha(p) - qAlpha(q)), std::abs(qRed(p) - qRed(q)),
                     std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
}

// Calls visit with the channel difference of every pixel pair; the sizes must match.
template <typename Visit> void forEachDifference(const QImage &a, const QImage &b, Visit visit)
{
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < pa.height(); ++y) {
        const auto *la = reinterpret_cast<const QRgb *>(pa.constScanLine(y));
        const auto *lb = reinterpret_cast<const QRgb *>(pb.constScanLine(y));
        for (int x = 0; x < pa.width(); ++x)
            visit(pixelDifference(la[x], lb[x]));
    }
}

} // namespace

int maxChannelDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    int worst = 0;
    forEachDifference(a, b, [&worst](int difference) { worst = std::max(worst, difference); });
    return worst;
}

bool fuzzyEqual(const QImage &a, const QImage &b, int tolerance, double maxBadFraction)
{
    if (a.size() != b.size())
        return false;
    qint64 bad = 0;
    forEachDifference(a, b, [&](int difference) { bad += difference > tolerance ? 1 : 0; });
    const qint64 total = qint64(a.width()) * a.height();
    return total == 0 || double(bad) / double(total) <= maxBadFraction;
}

QString dataPath(const QString &name)
{
    return QStringLiteral(QUILTRA_TEST_DATA "/") + name;
}

ProgramResult runProgram(const QString &program, const QStringList &arguments,
                         const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(240000))
        return {-1, QStringLiteral("%1 did not finish: %2").arg(program, process.errorString())};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
}

} // namespace TestSupport
