// Entry point of the window tests: the runtime's application object.
#include "runtime/form_runtime.h"
#include "support/test_main.h"

int main(int argc, char** argv)
{
    return RunTests<runtime::RuntimeApplication>(argc, argv);
}
