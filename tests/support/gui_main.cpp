// Test entry point for the window areas: every test process runs on Qt's offscreen platform with its
// own temporary HOME and XDG_CONFIG_HOME, so no test touches the user's files.
#include "screen/runtime/form_runtime.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    screen::RuntimeApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
