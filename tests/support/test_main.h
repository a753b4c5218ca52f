// The tests' entry point: every test process runs on Qt's offscreen platform
// with its own temporary HOME and XDG_CONFIG_HOME, so no test touches the
// user's files. `Application` is the application object the area needs.
#pragma once

#include <QTemporaryDir>

#include <gtest/gtest.h>

template <typename Application>
int RunTests(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef QUENVOL_TEST_BIN_DIR
    if (qEnvironmentVariableIsEmpty("QUENVOL_BIN_DIR"))
        qputenv("QUENVOL_BIN_DIR", QUENVOL_TEST_BIN_DIR);
#endif
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    Application app(argc, argv);
    return RUN_ALL_TESTS();
}
