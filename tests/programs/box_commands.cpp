// Prints the commands the window's boxes give the operator for the session
// the INI file in use makes, one a line, so that a trial can type them into
// the system's shell: first the command that creates the company (the box of
// the first start, or of a missing company), then the one that checks it
// (the box of a damaged company file).
// Usage: box_commands PROGRAM_FOLDER   (the folder the program is installed in)
#include "shell/operator_commands.h"
#include "shell/platform.h"
#include "shell/session.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "uso: box_commands CARTELLA_DEL_PROGRAMMA\n");
        return 2;
    }
    const shell::Utf8Console console;
    shell::SetProgramFolderForTesting(QString::fromLocal8Bit(argv[1]));
    const shell::Session session = shell::StartSession();
    std::printf("%s\n%s\n", shell::CreateCompanyCommand(session).toUtf8().constData(),
                shell::VerifyCompanyCommand(session).toUtf8().constData());
    return 0;
}
