// quenvol-admin upgrade: brings a company made by an earlier version up to
// date: the columns its shared tables lack, then the change history (table,
// columns, the server's triggers, the chain of existing rows).
#include "admin/admin_command.h"
#include "company/company_copy.h"
#include "company/company_file.h"
#include "company/company_location.h"
#include "company/starting_state.h"
#include "company/company_server.h"
#include "store/history/history_reader.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

int RunUpgrade(const QStringList& arguments);

const admin::Command Upgrade{
    "upgrade",
    "upgrade <cartella dati o server> <societa>",
    "Porta la societa' <cartella dati>{/}<societa>{/}quelda.mdb, o la societa' sul\n"
    "server PostgreSQL indicato da una stringa di connessione o da un URI\n"
    "postgresql://, alla forma attuale: aggiunge alle tre tabelle condivise le\n"
    "colonne che mancano (una societa' creata da una versione precedente), poi\n"
    "la tabella dello storico\n"
    "(StoricoSerieSemplificata) se manca, o le colonne che le mancano (StoRuolo,\n"
    "StoIndirizzo, StoImpronta), e calcola una volta l'impronta delle righe che\n"
    "non l'hanno, in ordine di numero. Sul server fa scrivere lo storico al server\n"
    "stesso (funzioni e trigger), toglie INSERT sullo storico ai ruoli che l'avevano\n"
    "e da' loro EXECUTE sulla funzione degli eventi; rimette al loro posto, e\n"
    "nomina, i trigger e le funzioni dello storico mancanti, disattivati o\n"
    "cambiati, toglie i trigger, le regole e la sicurezza per righe estranei allo\n"
    "storico e ridà al suo proprietario le funzioni passate a un altro ruolo\n"
    "(quello che quenvol-admin verify segnala). Tutto in una\n"
    "transazione; i dati restano come sono. Dice che cosa ha fatto; su una\n"
    "societa' gia' aggiornata non fa nulla.\n"
    "Esempio: quenvol-admin upgrade {dati} DEMO\n",
    RunUpgrade};
const admin::Registration registration(Upgrade);

void Say(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
}

// The server's triggers and functions put back; true when there were any.
bool SayRepairs(const QString& path, const QStringList& repaired)
{
    for (const QString& repair : repaired)
        Say(QStringLiteral("%1: %2").arg(path, repair));
    return !repaired.isEmpty();
}

int RunUpgrade(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Upgrade, arguments, {{}, {}, 2, 2}, given))
        return *status;
    const QStringList& operands = given.operands;
    if (const auto refused = admin::RefuseCompanyCode(operands[1]))
        return *refused;
    if (const auto refused = admin::RefusePath(operands[0]))
        return *refused;
    const QString path = company::location::PlaceName(operands[0], operands[1]);
    bool tableAdded = false, serverWrites = false;
    QStringList columns, roles, shared;
    qlonglong chained = 0;
    bool repaired = false, codeRule = false;
    QStringList breaking;
    if (company::server::IsServer(operands[0])) {
        company::server::HistoryUpgrade done;
        if (const QString error = company::server::UpgradeHistory(operands[0], operands[1], &done); !error.isEmpty())
            return admin::Fail(error);
        tableAdded = done.tableAdded;
        columns = done.columnsAdded;
        serverWrites = done.serverWrites;
        roles = done.rolesMoved;
        chained = done.rowsChained;
        shared = done.sharedColumnsAdded;
        repaired = SayRepairs(path, done.repaired);
        codeRule = done.codeRuleAdded;
        breaking = done.codesBreakingRule;
    } else {
        // A file that is there but cannot be read is damaged: told as
        // verify tells it, with the cure, not in the library's words.
        try {
            company::location::OpenCompany(operands[0], operands[1]);
        } catch (const store::EngineError& error) {
            if (error.number() == store::EngineErrorNumber::CannotOpenDatabase &&
                QFileInfo(company::copy::CompanyFilePath(operands[0], operands[1])).isFile())
                return admin::Fail(QStringLiteral("%1: %2").arg(path, error.description()));
        }
        company::file::HistoryUpgrade done;
        if (const QString error = company::file::UpgradeHistory(path, &done); !error.isEmpty())
            return admin::Fail(error);
        tableAdded = done.tableAdded;
        columns = done.columnsAdded;
        chained = done.rowsChained;
        shared = done.sharedColumnsAdded;
        repaired = SayRepairs(path, done.repaired);
        codeRule = done.codeRuleAdded;
        breaking = done.codesBreakingRule;
    }
    if (!shared.isEmpty())
        Say(QStringLiteral("aggiunte a %1 le colonne %2").arg(path, shared.join(QStringLiteral(", "))));
    if (tableAdded)
        Say(QStringLiteral("aggiunto lo storico delle modifiche a %1").arg(path));
    if (!columns.isEmpty())
        Say(QStringLiteral("aggiunte allo storico di %1 le colonne %2").arg(path, columns.join(QStringLiteral(", "))));
    if (serverWrites)
        Say(QStringLiteral("lo storico di %1 ora lo scrive il server").arg(path));
    if (!roles.isEmpty())
        Say(QStringLiteral("tolto INSERT sullo storico a %1 (ora SELECT e la funzione degli eventi)")
                .arg(roles.join(QStringLiteral(", "))));
    if (codeRule)
        Say(QStringLiteral("%1: i nuovi codici dei registri devono essere senza spazi all'inizio o alla fine, "
                           "senza caratteri invisibili o di controllo e in forma composta (NFC)")
                .arg(path));
    if (!breaking.isEmpty()) {
        QStringList shown;
        for (const QString& code : breaking)
            shown << store::ShownCode(code);
        Say(QStringLiteral("%1: codici già presenti che non rispettano la regola (lasciati come sono): %2")
                .arg(path, shown.join(QStringLiteral(", "))));
    }
    if (chained > 0)
        Say(QStringLiteral("calcolata l'impronta di %1 righe dello storico").arg(chained));
    // Rows from before the history: their state now is where the replay begins.
    QString started;
    if (const QString error = company::starting_state::Record(operands[0], operands[1], &started); !error.isEmpty())
        return admin::Fail(error);
    if (!started.isEmpty())
        Say(started);
    if (shared.isEmpty() && !tableAdded && columns.isEmpty() && !serverWrites && roles.isEmpty() && chained == 0 && !repaired && !codeRule &&
        started.isEmpty())
        Say(QStringLiteral("%1 ha gia' lo storico delle modifiche: nulla da fare").arg(path));
    return admin::ExitOk;
}

}  // namespace
