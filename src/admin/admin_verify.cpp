// quenvol-admin verify: walks the fingerprint chain of a company's change
// history, replays it against the stored data and, given a seal, checks
// that the history still holds it and the seal's time stamp.
#include "admin/admin_command.h"
#include "company/cades_signature.h"
#include "company/company_file.h"
#include "company/company_location.h"
#include "company/company_server.h"
#include "company/history_seal.h"

#include <QFile>

#include <cstdio>

namespace {

int RunVerify(const QStringList& arguments);

const admin::Command Verify{
    "verify",
    "verify <cartella dati o server> <societa> [--seal FILE [--tsa-ca FILE] [--ca FILE]]",
    "Ripercorre la catena delle impronte dello storico delle modifiche della\n"
    "societa': ogni riga deve avere l'impronta SHA-256 calcolata dalla riga prima\n"
    "e dai propri valori, e i numeri delle righe devono seguirsi senza salti. Poi\n"
    "rifa' lo storico da una societa' vuota: deve dare esattamente i registri, le\n"
    "testate e i tipi di documento memorizzati. Esce con 0 e stampa il numero\n"
    "delle righe, l'ultima riga e la sua impronta; esce con 1 nominando la prima\n"
    "riga (il suo numero) trovata cambiata, tolta, spostata o aggiunta, oppure\n"
    "elencando ogni differenza dei dati (tabella, codice, campo, valore\n"
    "memorizzato, valore dato dallo storico) e ogni altro problema trovato. Esce\n"
    "con 1 anche quando un trigger o una funzione dello storico manca, e'\n"
    "disattivato o non e' com'e' creato da questa versione (sul server: corpo,\n"
    "linguaggio, SECURITY DEFINER, impostazioni, proprietario; eventi, colonne,\n"
    "WHEN, rinvio al commit; nessun altro trigger, regola o sicurezza per righe\n"
    "sullo storico; sul file: il testo SQL dei trigger, nessun altro trigger sullo\n"
    "storico), nominando che cosa e' diverso\n"
    "(quenvol-admin upgrade li rimette), e lo dice anche quando lo storico o i\n"
    "dati hanno altri problemi.\n"
    "--seal FILE    confronta anche con un sigillo (quenvol-admin seal): esce con 1\n"
    "               se lo storico non ha piu' quell'impronta o quel numero di righe\n"
    "               a quella riga (storico accorciato o rifatto dopo il sigillo).\n"
    "               Un sigillo senza marca temporale ha la data dichiarata dal\n"
    "               sigillo; con la marca, la data e' quella dell'autorita'\n"
    "--tsa-ca FILE  il certificato (PEM) dell'autorita' di marca temporale: la\n"
    "               firma della marca deve risalire ad esso, altrimenti esce con 1\n"
    "--ca FILE      i certificati (PEM) delle autorita' di certificazione: un\n"
    "               sigillo firmato (FILE.p7s accanto al sigillo) si verifica con\n"
    "               essi e verify dice chi l'ha firmato; senza --ca esce con 1\n"
    "La societa' e' in <cartella dati>{/}<societa>{/}quelda.mdb, o sul server PostgreSQL\n"
    "indicato da una stringa di connessione o da un URI postgresql://.\n"
    "Esempio: quenvol-admin verify {dati} DEMO --seal sigillo-2026-12.txt --tsa-ca tsa-ca.pem\n",
    RunVerify};
const admin::Registration registration(Verify);

// The triggers and functions that record and guard the history (on a file,
// the triggers that refuse to change its rows), each compared with what this
// version creates: each one missing, disabled or changed is a failure. 0 when
// all are in place.
int CheckServerGuards(const QString& location, const QString& company, const QString& path)
{
    QStringList problems;
    const QString error = company::server::IsServer(location)
        ? company::server::HistoryGuardProblems(location, company, &problems)
        : company::file::HistoryGuardProblems(path, &problems);
    if (!error.isEmpty())
        return admin::Fail(QStringLiteral("%1: %2").arg(path, error));
    for (const QString& problem : problems)
        admin::Fail(QStringLiteral("%1: storico non protetto: %2").arg(path, problem));
    if (!problems.isEmpty())
        return admin::Fail(QStringLiteral("%1: quenvol-admin upgrade li rimette come questa versione li crea").arg(path));
    return admin::ExitOk;
}

int RunVerify(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Verify, arguments, {{}, {"--seal", "--tsa-ca", "--ca"}, 2, 2}, given))
        return *status;
    const QStringList& operands = given.operands;
    if (const auto refused = admin::RefuseCompanyCode(operands[1]))
        return *refused;
    if (const auto refused = admin::RefusePath(operands[0]))
        return *refused;
    if ((given.values.contains("--tsa-ca") || given.values.contains("--ca")) && !given.values.contains("--seal"))
        return admin::UsageError(Verify);
    company::seal::Seal seal;
    QString signedBy;
    const bool sealed = given.values.contains("--seal");
    if (sealed) {
        QFile file(given.value("--seal"));
        if (!file.open(QIODevice::ReadOnly))
            return admin::Fail(QStringLiteral("impossibile leggere il sigillo %1: %2")
                                   .arg(file.fileName(), file.errorString()));
        const QByteArray text = file.readAll();
        QString reason;
        if (!company::seal::Read(QString::fromUtf8(text), &seal, &reason))
            return admin::Fail(QStringLiteral("%1: %2").arg(file.fileName(), reason));
        QFile signature(company::seal::SignatureFile(file.fileName()));
        if (signature.exists()) {
            if (!given.values.contains("--ca"))
                return admin::Fail(QStringLiteral("%1: il sigillo è firmato (%2): la firma si verifica con --ca FILE")
                                       .arg(file.fileName(), signature.fileName()));
            if (!signature.open(QIODevice::ReadOnly))
                return admin::Fail(QStringLiteral("%1: %2").arg(signature.fileName(), signature.errorString()));
            const company::signature::Checked checked =
                company::signature::Verify(signature.read(1 << 20), text, given.value("--ca"));
            if (!checked.valid)
                return admin::Fail(QStringLiteral("%1: firma del sigillo non valida: %2")
                                       .arg(signature.fileName(), checked.problem));
            signedBy = QStringLiteral("sigillo firmato da %1 (certificato n. %2, rilasciato da %3)")
                           .arg(checked.signer.subject, checked.signer.serial, checked.signer.issuer);
        }
    }
    const QString path = company::location::PlaceName(operands[0], operands[1]);
    try {
        auto database = company::location::OpenCompany(operands[0], operands[1]);
        const company::seal::Verdict verdict =
            company::seal::Verify(*database, operands[1], sealed ? &seal : nullptr, given.value("--tsa-ca"));
        // Every problem found is told, the triggers' and guards' too, whatever came before.
        if (!verdict.whole) {
            QString message = QStringLiteral("%1: %2").arg(path, verdict.message);
            for (const QString& line : verdict.details)
                message += QStringLiteral("\n  ") + line;
            admin::Fail(message);
            for (const QString& problem : verdict.further)
                admin::Fail(QStringLiteral("%1: %2").arg(path, problem));
        }
        const int guards = CheckServerGuards(operands[0], operands[1], path);
        if (!verdict.whole)
            return admin::ExitFailed;
        if (guards)
            return guards;
        std::printf("%s\n", verdict.message.toUtf8().constData());
        if (!signedBy.isEmpty())
            std::printf("%s\n", signedBy.toUtf8().constData());
    } catch (const store::EngineError& error) {
        return admin::Fail(QStringLiteral("%1: %2").arg(path, error.description()));
    }
    return admin::ExitOk;
}

}  // namespace
