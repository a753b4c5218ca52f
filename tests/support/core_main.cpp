// Entry point of the tests without a window: a plain GUI application object.
#include "support/test_main.h"

#include <QGuiApplication>

int main(int argc, char** argv)
{
    return RunTests<QGuiApplication>(argc, argv);
}
