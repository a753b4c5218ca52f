// The program's command line: --version, --help, and the refusal of anything
// else with a short usage line on standard error.
#include "shell/command_line.h"

#include "version.h"

#include <cstdio>
#include <cstring>

namespace shell {

namespace {

constexpr const char* kUsage = "uso: quenvol [--version | --help]\n";

}  // namespace

std::optional<int> HandleCommandLine(int argc, char** argv)
{
    if (argc <= 1)
        return std::nullopt;
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("quenvol %d.%d.%d\n", QUENVOL_VERSION_MAJOR, QUENVOL_VERSION_MINOR,
                    QUENVOL_VERSION_PATCH);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%s\nGestione tabelle per procedure semplificate import: apre la finestra\n"
                    "sulla società indicata dal file INI (vedere quenvol(1)).\n"
                    "  --version  mostra la versione ed esce\n"
                    "  --help     mostra questo aiuto ed esce\n",
                    kUsage);
        return 0;
    }
    std::fprintf(stderr, "quenvol: argomento non riconosciuto: %s\n%s", argv[1], kUsage);
    return 2;
}

}  // namespace shell
