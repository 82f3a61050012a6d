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

namespace TestSupport {

// The largest difference of any channel between two images of the same size, or
// 256 when the sizes differ. Both are compared as premultiplied ARGB.
int maxChannelDifference(const QImage &a, const QImage &b);

// True when the images have the same size and at most maxBadFraction of their pixels
// differ by more than tolerance in any channel.
bool fuzzyEqual(const QImage &a, const QImage &b, int tolerance = 2, double maxBadFraction = 0.0);

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
