// quenvol-admin: creates a company database for the program, with or without
// demonstration data.
#include "company_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace {

const char* const Usage =
    "uso: quenvol-admin COMANDO ...\n"
    "\n"
    "Comandi:\n"
    "  init <cartella dati> <societa> [--demo]\n"
    "      Crea <cartella dati>/<societa>/quelda.mdb con le tabelle\n"
    "      TabellaSerieSemplificata, TestataRegistriPS e TabellaDocScorta.\n"
    "      Un file esistente non viene mai sovrascritto.\n"
    "      --demo aggiunge alcuni tipi documento e alcuni registri di esempio.\n"
    "  --help\n"
    "      Mostra questo aiuto.\n";

int fail(const QString& message)
{
    std::fprintf(stderr, "quenvol-admin: %s\n", message.toLocal8Bit().constData());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        std::fputs(Usage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QLatin1String("init")) {
        QStringList rest = args.mid(1);
        const bool demo = rest.removeAll(QStringLiteral("--demo")) > 0;
        if (rest.size() != 2 || rest[1].isEmpty() || rest[1].contains(QLatin1Char('/'))) {
            std::fputs(Usage, stderr);
            return 2;
        }
        const QString path = QDir(rest[0]).filePath(rest[1] + QStringLiteral("/quelda.mdb"));
        QString error = company_file::CreateCompanyDatabase(path);
        if (error.isEmpty() && demo)
            error = company_file::AddDemonstrationData(path);
        if (!error.isEmpty())
            return fail(error);
        std::printf("creato %s\n", path.toLocal8Bit().constData());
        return 0;
    }
    std::fputs(Usage, stderr);
    return 2;
}
