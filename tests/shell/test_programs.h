// Where the helper programs of the tests are: QUENVOL_BIN_DIR/tests, set by
// ctest; beside the test executable when it is run by hand.
#pragma once

#include <QCoreApplication>
#include <QString>

namespace shell_tests {

inline QString TestProgram(const QString& name)
{
    const QString bin = qEnvironmentVariable("QUENVOL_BIN_DIR");
    const QString folder = bin.isEmpty() ? QCoreApplication::applicationDirPath() : bin + "/tests";
#ifdef _WIN32
    return folder + '/' + name + ".exe";
#else
    return folder + '/' + name;
#endif
}

}  // namespace shell_tests
