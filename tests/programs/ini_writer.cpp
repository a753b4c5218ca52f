// Test helper: writes many values to one INI file through the profile service,
// so a test can run several writers as separate processes at once.
// Usage: ini_writer FILE SECTION TAG COUNT [--pause-halfway]
// For i = 0..COUNT-1 it writes TAG_i=v and then TAG_count=i (three digits).
// With --pause-halfway it prints "half" after COUNT/2 values and waits for a
// line on its standard input before it goes on, so a test can look at the
// file while both writers are known to be midway.
#include "shell/profile.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const bool pauseHalfway = argc == 6 && std::string(argv[5]) == "--pause-halfway";
    if (argc != 5 && !pauseHalfway) {
        std::fprintf(stderr, "usage: ini_writer FILE SECTION TAG COUNT [--pause-halfway]\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const QByteArray section = argv[2];
    const QByteArray tag = argv[3];
    const int count = std::atoi(argv[4]);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        if (pauseHalfway && i == count / 2) {
            std::printf("half\n");
            std::fflush(stdout);
            char line[16];
            if (!std::fgets(line, sizeof line, stdin))
                return 1;  // the test went away
        }
        if (!shell::WriteProfileValue(file, section, tag + '_' + QByteArray::number(i), "v"))
            ++failures;
        if (!shell::WriteProfileValue(file, section, tag + "_count",
                                      QByteArray::number(i).rightJustified(3, '0')))
            ++failures;
    }
    if (failures)
        std::fprintf(stderr, "ini_writer: %d writes failed\n", failures);
    return failures ? 1 : 0;
}
