#pragma once

#include <QApplication>
#include <QImage>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QTest>

// Test entry point: the test-mode standard paths are switched on before anything
// can look up a folder or a settings file, so no test touches the user's own.
#define QUILTRA_TEST_MAIN(TestObject)                                                              \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QStandardPaths::setTestModeEnabled(true);                                                  \
        QApplication app(argc, argv);                                                              \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

// Fails the test unless the pixel of image at point is within tolerance of colour in
// every channel, alpha included.
#define QUILTRA_COMPARE_PIXEL(image, point, colour, tolerance)                                     \
    do {                                                                                           \
        const QString mismatch_ = TestSupport::pixelMismatch(image, point, colour, tolerance);     \
        QVERIFY2(mismatch_.isEmpty(), qPrintable(mismatch_));                                      \
    } while (false)

namespace TestSupport {

// The largest difference of any channel between two images of the same size, or
// 256 when the sizes differ. Both are compared as premultiplied ARGB.
int maxChannelDifference(const QImage &a, const QImage &b);

// True when the images have the same size and at most maxBadFraction of their pixels
// differ by more than tolerance in any channel.
bool fuzzyEqual(const QImage &a, const QImage &b, int tolerance = 2, double maxBadFraction = 0.0);

// Empty when the pixel matches (see QUILTRA_COMPARE_PIXEL), else what was seen where.
QString pixelMismatch(const QImage &image, QPoint point, const QColor &wanted, int tolerance);

// The smallest rectangle holding every pixel whose alpha exceeds alphaAbove.
QRect inkBounds(const QImage &image, int alphaAbove = 64);

// The largest alpha of any pixel.
int maxAlpha(const QImage &image);

// Path of a file stored under tests/data.
QString dataPath(const QString &name);

struct ProgramResult
{
    int exitCode = -1; // -1 also when the program did not start, crashed or hung
    QString output;    // standard output and error together
};

// Runs a program to its end (at most four minutes) in the given environment.
ProgramResult
runProgram(const QString &program, const QStringList &arguments,
           const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

} // namespace TestSupport
