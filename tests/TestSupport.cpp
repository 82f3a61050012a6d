#include "TestSupport.h"

#include <QColor>
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

QString pixelMismatch(const QImage &image, QPoint point, const QColor &wanted, int tolerance)
{
    if (!image.valid(point))
        return QStringLiteral("(%1, %2) lies outside the image").arg(point.x()).arg(point.y());
    const QColor seen = image.pixelColor(point);
    const int difference =
        std::max({std::abs(seen.red() - wanted.red()), std::abs(seen.green() - wanted.green()),
                  std::abs(seen.blue() - wanted.blue()), std::abs(seen.alpha() - wanted.alpha())});
    if (difference <= tolerance)
        return QString();
    return QStringLiteral("(%1, %2) shows %3, expected %4")
        .arg(point.x())
        .arg(point.y())
        .arg(seen.name(QColor::HexArgb), wanted.name(QColor::HexArgb));
}

QRect inkBounds(const QImage &image, int alphaAbove)
{
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    QRect bounds;
    for (int y = 0; y < plain.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(plain.constScanLine(y));
        for (int x = 0; x < plain.width(); ++x) {
            if (qAlpha(line[x]) > alphaAbove)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

int maxAlpha(const QImage &image)
{
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    int highest = 0;
    for (int y = 0; y < plain.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(plain.constScanLine(y));
        for (int x = 0; x < plain.width(); ++x)
            highest = std::max(highest, qAlpha(line[x]));
    }
    return highest;
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
