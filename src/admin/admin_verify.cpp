// quenvol-admin verify: walks the fingerprint chain of a company's change
// history and, given a seal, checks that the history still holds it.
#include "admin/admin_command.h"
#include "company/company_location.h"
#include "company/company_server.h"
#include "company/history_seal.h"

#include <QFile>

#include <cstdio>

namespace {

int RunVerify(const QStringList& arguments);

const admin::Command Verify{
    "verify",
    "verify <cartella dati o server> <societa> [--seal FILE]",
    "Ripercorre la catena delle impronte dello storico delle modifiche della\n"
    "societa': ogni riga deve avere l'impronta SHA-256 calcolata dalla riga prima\n"
    "e dai propri valori. Esce con 0 e stampa il numero delle righe, l'ultima riga\n"
    "e la sua impronta; esce con 1 nominando la prima riga (il suo numero) trovata\n"
    "cambiata, tolta, spostata o aggiunta. Sul server esce con 1 anche quando un\n"
    "trigger o una funzione dello storico manca, e' disattivato o e' stato cambiato\n"
    "(quenvol-admin upgrade li rimette).\n"
    "--seal FILE  confronta anche con un sigillo (quenvol-admin seal): esce con 1\n"
    "             se lo storico non ha piu' quell'impronta a quella riga (storico\n"
    "             accorciato o rifatto dopo il sigillo)\n"
    "La societa' e' in <cartella dati>/<societa>/quelda.mdb, o sul server PostgreSQL\n"
    "indicato da una stringa di connessione o da un URI postgresql://.\n"
    "Esempio: quenvol-admin verify ~/quenvol DEMO --seal sigillo-2026-12.txt\n",
    RunVerify};
const admin::Registration registration(Verify);

// On a server, the triggers and functions that record and guard the history:
// each one missing, disabled or changed is a failure. 0 when all are in place.
int CheckServerGuards(const QString& location, const QString& company, const QString& path)
{
    if (!company::server::IsServer(location))
        return admin::ExitOk;
    QStringList problems;
    if (const QString error = company::server::HistoryGuardProblems(location, company, &problems); !error.isEmpty())
        return admin::Fail(QStringLiteral("%1: %2").arg(path, error));
    for (const QString& problem : problems)
        admin::Fail(QStringLiteral("%1: storico non protetto: %2").arg(path, problem));
    if (!problems.isEmpty())
        return admin::Fail(QStringLiteral("%1: quenvol-admin upgrade rimette trigger e funzioni al loro posto").arg(path));
    return admin::ExitOk;
}

int RunVerify(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Verify, arguments, {{}, {"--seal"}, 2, 2}, given))
        return *status;
    const QStringList& operands = given.operands;
    if (operands[1].contains(QLatin1Char('/')))
        return admin::UsageError(Verify);
    company::seal::Seal seal;
    const bool sealed = given.values.contains("--seal");
    if (sealed) {
        QFile file(given.value("--seal"));
        if (!file.open(QIODevice::ReadOnly))
            return admin::Fail(QStringLiteral("impossibile leggere il sigillo %1: %2")
                                   .arg(file.fileName(), file.errorString()));
        QString reason;
        if (!company::seal::Read(QString::fromUtf8(file.readAll()), &seal, &reason))
            return admin::Fail(QStringLiteral("%1: %2").arg(file.fileName(), reason));
    }
    const QString path = company::location::PlaceName(operands[0], operands[1]);
    try {
        auto database = company::location::OpenCompany(operands[0], operands[1]);
        const company::seal::Verdict verdict =
            company::seal::Verify(*database, operands[1], sealed ? &seal : nullptr);
        if (!verdict.whole)
            return admin::Fail(QStringLiteral("%1: %2").arg(path, verdict.message));
        if (const int status = CheckServerGuards(operands[0], operands[1], path))
            return status;
        std::printf("%s\n", verdict.message.toLocal8Bit().constData());
    } catch (const store::EngineError& error) {
        return admin::Fail(QStringLiteral("%1: %2").arg(path, error.description()));
    }
    return admin::ExitOk;
}

}  // namespace
