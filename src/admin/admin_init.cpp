// quenvol-admin init: a new company, as a database file in a data folder or as
// a schema on a PostgreSQL server, with or without demonstration data.
#include "admin/admin_command.h"
#include "admin/scratch_folder.h"
#include "company/company_copy.h"
#include "company/company_file.h"
#include "company/company_server.h"

#include <QDir>

#include <cstdio>

namespace {

int RunInit(const QStringList& arguments);

const admin::Command Init{
    "init",
    "init <cartella dati> <societa> [--demo] | init --server <connessione> <societa> [--demo]",
    "Crea <cartella dati>{/}<societa>{/}quelda.mdb con le tabelle\n"
    "TabellaSerieSemplificata, TestataRegistriPS, TabellaDocScorta e lo storico\n"
    "delle modifiche StoricoSerieSemplificata.\n"
    "Con --server crea invece lo schema <societa> con le stesse tabelle nel database\n"
    "del server PostgreSQL indicato (stringa di connessione libpq o URI\n"
    "postgresql://...; la password non va scritta qui: usare {pgpass}).\n"
    "Una societa' esistente non viene mai sovrascritta.\n"
    "--demo aggiunge alcuni tipi documento e alcuni registri di esempio.\n"
    "Esempi: quenvol-admin init {dati} DEMO --demo\n"
    "        quenvol-admin init --server {server} DEMO\n",
    RunInit};
const admin::Registration registration(Init);

// A new company on the server: the schema, then the demonstration data copied
// from a file made for the purpose.
int InitOnServer(const QString& conninfo, const QString& company, bool demo)
{
    if (!demo) {
        const QString error = company::server::CreateCompanySchema(conninfo, company);
        if (!error.isEmpty())
            return admin::Fail(error);
    } else {
        const admin::ScratchFolder scratch;
        if (scratch.path().isEmpty())
            return admin::Fail(QStringLiteral("impossibile creare una cartella di lavoro in %1")
                                   .arg(QDir::toNativeSeparators(QDir::tempPath())));
        const QString path = company::copy::CompanyFilePath(scratch.path(), company);
        QString error = company::file::CreateCompanyDatabase(path);
        if (error.isEmpty())
            error = company::file::AddDemonstrationData(path);
        if (error.isEmpty())
            error = company::copy::CopyCompany(scratch.path(), conninfo, company, nullptr);
        if (!error.isEmpty())
            return admin::Fail(error);
    }
    std::printf("creata la societa' %s sul server\n", company.toUtf8().constData());
    return admin::RecordStartingState(conninfo, company);
}

int RunInit(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Init, arguments, {{"--demo"}, {"--server"}, 1, 2}, given))
        return *status;
    const QStringList& rest = given.operands;
    const bool demo = given.has("--demo");
    // On a server the company alone; in a data folder the folder and the company.
    const QString server = given.value("--server");
    if (rest.size() != (server.isEmpty() ? 2 : 1))
        return admin::UsageError(Init);
    if (!server.isEmpty()) {
        if (const auto refused = admin::RefuseCompanyCode(rest[0]))
            return *refused;
        return InitOnServer(server, rest[0], demo);
    }
    if (const auto refused = admin::RefuseCompanyCode(rest[1]))
        return *refused;
    if (const auto refused = admin::RefusePath(rest[0]))
        return *refused;
    const QString path = QDir(rest[0]).filePath(rest[1] + QStringLiteral("/quelda.mdb"));
    const QString error = company::file::CreateCompany(path, demo);
    if (!error.isEmpty())
        return admin::Fail(error);
    std::printf("creato %s\n", QDir::toNativeSeparators(path).toUtf8().constData());
    return admin::RecordStartingState(rest[0], rest[1]);
}

}  // namespace
