// quenvol-admin import: a new company made from the three tables of a Jet
// database (company_import.h), with the notes, the rows left out, the
// progress of large tables and the counts for the operator.
#include "admin/admin_command.h"
#include "admin/scratch_folder.h"
#include "company/company_copy.h"
#include "jet/company_import.h"
#include "company/company_server.h"
#include "jet/jet_bounded.h"
#include "company/pending_file.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

int RunImport(const QStringList& arguments);
int ImportFile(const QString& jetPath, const QString& destination, const QString& folder, const QString& company,
               const jet::company_import::Options& options, bool toServer);

const admin::Command Import{
    "import",
    "import <file Jet> <cartella dati o server> <societa> [--skip-bad-rows] [--replace]",
    "Crea la società <societa> in <cartella dati>{/}<societa>{/}quelda.mdb, o sul server\n"
    "PostgreSQL indicato da una stringa di connessione o da un URI postgresql://, con le tabelle\n"
    "TabellaSerieSemplificata, TestataRegistriPS e TabellaDocScorta lette dal file Jet\n"
    "(quelda.mdb delle postazioni Windows, Jet 3 o Jet 4). Le colonne sono abbinate per\n"
    "nome; una colonna del file che Quenvol non ha viene segnalata e tralasciata, una\n"
    "colonna che il file non ha resta vuota (Null). Le date diventano numeri di giorno.\n"
    "Le righe che non possono essere registrate (codice troppo lungo, due codici che\n"
    "differiscono solo per maiuscole e minuscole, numero fuori intervallo, data fuori\n"
    "dall'intervallo 01/01/2000 - 31/12/2099, ...) sono elencate con tabella, codice e\n"
    "motivo, e l'importazione si ferma senza scrivere nulla.\n"
    "--skip-bad-rows importa le altre righe e tralascia quelle elencate.\n"
    "--replace sostituisce una società esistente, dopo averne copiato il file in\n"
    "          quelda.mdb.bak-AAAAMMGG-HHMMSS accanto ad esso (solo in una cartella dati).\n"
    "Tutto avviene in una transazione: si importano tutte le righe o nessuna.\n"
    "Il file Jet viene solo letto.\n"
    "Esempio: quenvol-admin import {jet} {dati} ROSSI\n",
    RunImport};
const admin::Registration registration(Import);

// In the reading's child process the tool writes through jet::Out() and
// jet::Err(): standard output and error belong to the Jet library there.
int Fail(const QString& message)
{
    std::fprintf(jet::Err(), "quenvol-admin: %s\n", message.toUtf8().constData());
    return admin::ExitFailed;
}

void PrintProgress(const QString& table, const QString& phase, qint64 done, qint64 total)
{
    std::fprintf(jet::Err(), "%s: %s %lld di %lld righe\n", table.toUtf8().constData(),
                 phase.toUtf8().constData(), qlonglong(done), qlonglong(total));
}

int RunImport(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Import, arguments, {{"--skip-bad-rows", "--replace"}, {}, 3, 3}, given))
        return *status;
    const QStringList& rest = given.operands;
    if (const auto refused = admin::RefuseCompanyCode(rest[2]))
        return *refused;
    if (const auto refused = admin::RefusePath(rest[0]))
        return *refused;
    if (const auto refused = admin::RefusePath(rest[1]))
        return *refused;
    jet::company_import::Options options;
    options.skipBadRows = given.has("--skip-bad-rows");
    options.replace = given.has("--replace");
    const QString& jetPath = rest[0];
    const QString& destination = rest[1];
    const QString& company = rest[2];
    // On a server the rows are first imported into a scratch folder, then
    // copied to the server all or nothing.
    const bool toServer = company::server::IsServer(destination);
    // Only a server's import needs a scratch folder; one a killed run left
    // is removed by the next.
    std::optional<admin::ScratchFolder> scratch;
    if (toServer) {
        scratch.emplace();
        if (scratch->path().isEmpty())
            return admin::Fail(QStringLiteral("impossibile creare una cartella di lavoro in %1")
                                   .arg(QDir::toNativeSeparators(QDir::tempPath())));
    }
    const QString folder = toServer ? scratch->path() : destination;
    // Refused before the file is read, which may take a while.
    if (toServer) {
        if (options.replace)
            return admin::Fail(QStringLiteral("--replace vale solo per una cartella dati: sul server una societa' "
                                              "esistente non viene sostituita"));
        QString error;
        if (company::server::SchemaExists(destination, company, &error))
            return admin::Fail(QStringLiteral("la società %1 esiste già sul server: non viene sovrascritta").arg(company));
        if (!error.isEmpty())
            return admin::Fail(error);
    }
    if (const QString error = jet::company_import::CheckTarget(folder, company, options); !error.isEmpty())
        return admin::Fail(error);

    // A damaged file can send the Jet library into a loop that allocates
    // without end: the reading and the writing run bounded in a child
    // process. One stopped leaves its unfinished file, removed here.
    const QString companyFolder = QFileInfo(company::copy::CompanyFilePath(folder, company)).absolutePath();
    const bool folderExisted = QFileInfo::exists(companyFolder);
    const int status = jet::RunBounded(jetPath, jet::LimitsFromEnvironment(),
                                       QStringLiteral("nessuna società creata"), [&] {
                                           return ImportFile(jetPath, destination, folder, company, options, toServer);
                                       });
    company::pending::RemoveStale(companyFolder);
    if (!folderExisted)
        QDir().rmdir(companyFolder);
    return status;
}

int ImportFile(const QString& jetPath, const QString& destination, const QString& folder, const QString& company,
           const jet::company_import::Options& options, bool toServer)
{
    jet::company_import::Outcome outcome;
    try {
        std::unique_ptr<jet::Database> source = jet::OpenJetFile(jetPath);
        outcome = jet::company_import::ImportIntoFolder(*source, folder, company, options, PrintProgress);
    } catch (const jet::Error& error) {
        return Fail(error.message() + QStringLiteral(": nessuna società creata"));
    }
    // The Jet file is read: a server's notices from here on are no library's complaint.
    jet::EndReading();
    for (const QString& note : outcome.notes)
        std::fprintf(jet::Out(), "nota: %s\n", note.toUtf8().constData());
    for (const jet::import::BadRow& row : outcome.badRows)
        std::fprintf(jet::Err(), "%s: %s\n", options.skipBadRows ? "riga tralasciata" : "riga non importabile",
                     jet::import::Describe(row).toUtf8().constData());
    if (outcome.error.isEmpty() && toServer)
        outcome.error = company::copy::CopyCompany(folder, destination, company, nullptr);
    if (!outcome.error.isEmpty())
        return Fail(outcome.error);
    for (const jet::import::TableCount& count : outcome.counts)
        std::fprintf(jet::Out(), "%s: %lld righe lette, %lld scritte\n", count.table.toUtf8().constData(),
                    qlonglong(count.read), qlonglong(count.written));
    if (!outcome.backup.isEmpty())
        std::fprintf(jet::Out(), "copia della società sostituita: %s\n", outcome.backup.toUtf8().constData());
    if (toServer)
        std::fprintf(jet::Out(), "creata la societa' %s sul server\n", company.toUtf8().constData());
    else
        std::fprintf(jet::Out(), "creato %s\n", outcome.target.toUtf8().constData());
    return admin::RecordStartingState(toServer ? destination : folder, company);
}

}  // namespace
