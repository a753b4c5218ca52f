// quenvol-admin init: a new company database, with or without demonstration data.
#include "admin_command.h"
#include "company_file.h"
#include "store/company_code.h"

#include <QDir>

#include <cstdio>

namespace {

int RunInit(const QStringList& arguments);

const admin::Command Init{
    "init",
    "init <cartella dati> <societa> [--demo]",
    "Crea <cartella dati>/<societa>/quelda.mdb con le tabelle\n"
    "TabellaSerieSemplificata, TestataRegistriPS, TabellaDocScorta e lo storico\n"
    "delle modifiche StoricoSerieSemplificata.\n"
    "Un file esistente non viene mai sovrascritto.\n"
    "--demo aggiunge alcuni tipi documento e alcuni registri di esempio.\n"
    "Esempio: quenvol-admin init ~/quenvol DEMO --demo\n",
    RunInit};
const admin::Registration registration(Init);

int RunInit(const QStringList& arguments)
{
    if (admin::PrintHelpIfAsked(Init, arguments))
        return admin::ExitOk;
    QStringList rest = arguments;
    const bool demo = rest.removeAll(QStringLiteral("--demo")) > 0;
    if (rest.size() != 2 || rest[1].isEmpty())
        return admin::UsageError(Init);
    if (const QString problem = store::CompanyCodeProblem(rest[1]); !problem.isEmpty())
        return admin::Fail(problem);
    const QString path = QDir(rest[0]).filePath(rest[1] + QStringLiteral("/quelda.mdb"));
    QString error = company_file::CreateCompanyDatabase(path);
    if (error.isEmpty() && demo)
        error = company_file::AddDemonstrationData(path);
    if (!error.isEmpty())
        return admin::Fail(error);
    std::printf("creato %s\n", path.toLocal8Bit().constData());
    return admin::ExitOk;
}

}  // namespace
