// quenvol-admin history: prints the change history of a company, of one
// register set or of all, newest first, as text or as CSV for a spreadsheet.
#include "admin/admin_command.h"
#include "company/company_location.h"
#include "company/company_server.h"

#include "store/history/history_reader.h"
#include "store/schema/table_description.h"

#include <QDate>
#include <QDir>
#include <QTimeZone>

#include <cstdio>

namespace {

int RunHistory(const QStringList& arguments);

const admin::Command History{
    "history",
    "history <cartella dati o server> <societa> [CODICE] [--since DATA] [--csv]",
    "Stampa lo storico delle modifiche confermate dei registri della societa',\n"
    "dal piu' recente: quando (ora locale), azione (un evento, come una stampa,\n"
    "segnato come tale), codice, sul server il ruolo e l'indirizzo registrati dal\n"
    "server, utente@postazione e versione dichiarati dalla postazione, e per ogni\n"
    "colonna cambiata il valore prima e dopo (i testi tra virgolette, Null per un\n"
    "valore nullo; a capo e caratteri di controllo scritti come \\n, \\x1b ...).\n"
    "CODICE      solo il registro con quel codice\n"
    "--since     solo le modifiche da DATA in poi (gg/mm/aaaa o aaaa-mm-gg, ora locale)\n"
    "--csv       in CSV (UTF-8, separatore virgola, ogni campo tra virgolette)\n"
    "La societa' e' in <cartella dati>{/}<societa>{/}quelda.mdb, o sul server PostgreSQL\n"
    "indicato da una stringa di connessione o da un URI postgresql://.\n"
    "Esempio: quenvol-admin history {dati} DEMO R1 --since 01/01/2026 --csv > r1.csv\n",
    RunHistory};
const admin::Registration registration(History);

QDate ParseDate(const QString& text)
{
    for (const char* format : {"dd/MM/yyyy", "d/M/yyyy", "yyyy-MM-dd"}) {
        const QDate date = QDate::fromString(text, QString::fromLatin1(format));
        if (date.isValid())
            return date;
    }
    return QDate();
}

int RunHistory(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(History, arguments, {{"--csv"}, {"--since"}, 2, 3}, given))
        return *status;
    const QStringList& rest = given.operands;
    if (const auto refused = admin::RefuseCompanyCode(rest[1]))
        return *refused;
    if (const auto refused = admin::RefusePath(rest[0]))
        return *refused;
    const bool csv = given.has("--csv");
    QDateTime since;
    if (given.values.contains("--since")) {
        const QDate date = ParseDate(given.value("--since"));
        if (!date.isValid())
            return admin::Fail(
                QStringLiteral("data non valida: %1 (gg/mm/aaaa o aaaa-mm-gg)").arg(given.value("--since")));
        since = date.startOfDay().toUTC();
    }
    const QString path = company::location::PlaceName(rest[0], rest[1]);
    const QString code = rest.size() == 3 ? rest[2].trimmed() : QString();
    std::vector<store::Change> changes;
    try {
        auto database = company::location::OpenCompany(rest[0], rest[1]);
        try {
            database->openTable(store::HistoryTable)->close();
        } catch (const store::EngineError& error) {
            if (error.number() != store::EngineErrorNumber::TableNotFound)
                throw;
            return admin::Fail(QStringLiteral("%1 non ha lo storico delle modifiche "
                                              "(lo aggiunge: quenvol-admin upgrade %2 %3)")
                                   .arg(path, company::server::IsServer(rest[0]) ? QStringLiteral("'<server>'") : rest[0], rest[1]));
        }
        changes = store::ReadHistory(*database, code, since);
    } catch (const store::EngineError& error) {
        return admin::Fail(QStringLiteral("%1: %2").arg(path, error.description()));
    }
    if (csv) {
        // The byte-order mark tells a spreadsheet that the text is UTF-8.
        const QByteArray out = "\xEF\xBB\xBF" + store::HistoryCsv(changes).toUtf8();
        std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
    } else {
        for (const QString& line : store::HistoryLines(changes))
            std::printf("%s\n", line.toUtf8().constData());
    }
    return admin::ExitOk;
}

}  // namespace
