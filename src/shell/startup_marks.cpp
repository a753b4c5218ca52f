// The start-up marks: one line per stage, appended to the file the
// environment names.
#include "shell/startup_marks.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace shell {

namespace {

const char* MarksFile()
{
    static const char* const file = [] {
        const char* name = std::getenv("QUENVOL_STARTUP_MARKS");
        return name && *name ? name : nullptr;
    }();
    return file;
}

}  // namespace

bool StartupMarksOn()
{
    return MarksFile() != nullptr;
}

void MarkStartup(const char* stage)
{
    const char* file = MarksFile();
    if (!file)
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (std::FILE* out = std::fopen(file, "a")) {
        std::fprintf(out, "%s %lld\n", stage, static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fclose(out);
    }
}

}  // namespace shell
