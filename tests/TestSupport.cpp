#include "TestSupport.h"

#include <algorithm>
#include <cstdlib>

namespace TestSupport {

namespace {

int pixelDifference(QRgb p, QRgb q)
{
    return std::max({std::abs(qAlpha(p) - qAlpha(q)), std::abs(qRed(p) - qRed(q)),
                     std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
}

} // namespace

int maxChannelDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int worst = 0;
    for (int y = 0; y < pa.height(); ++y) {
        const auto *la = reinterpret_cast<const QRgb *>(pa.constScanLine(y));
        const auto *lb = reinterpret_cast<const QRgb *>(pb.constScanLine(y));
        for (int x = 0; x < pa.width(); ++x)
            worst = std::max(worst, pixelDifference(la[x], lb[x]));
    }
    return worst;
}

bool fuzzyEqual(const QImage &a, const QImage &b, int tolerance, double maxBadFraction)
{
    if (a.size() != b.size())
        return false;
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    qint64 bad = 0;
    for (int y = 0; y < pa.height(); ++y) {
        const auto *la = reinterpret_cast<const QRgb *>(pa.constScanLine(y));
        const auto *lb = reinterpret_cast<const QRgb *>(pb.constScanLine(y));
        for (int x = 0; x < pa.width(); ++x) {
            if (pixelDifference(la[x], lb[x]) > tolerance)
                ++bad;
        }
    }
    const qint64 total = qint64(pa.width()) * pa.height();
    return total == 0 || double(bad) / double(total) <= maxBadFraction;
}

QString dataPath(const QString &name)
{
    return QStringLiteral(QUILTRA_TEST_DATA "/") + name;
}

} // namespace TestSupport
