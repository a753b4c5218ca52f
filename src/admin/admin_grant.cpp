// quenvol-admin grant: gives the operators' group role what the workstations
// need on one company of a server, and the operators' default time limits.
#include "admin/admin_command.h"
#include "company/company_server.h"

#include <cstdio>

namespace {

int RunGrant(const QStringList& arguments);

const admin::Command Grant{
    "grant",
    "grant <server> <societa> <ruolo di gruppo>",
    "Da' al ruolo di gruppo degli operatori, sulla societa' del server PostgreSQL\n"
    "indicato da una stringa di connessione o da un URI postgresql://, quello che\n"
    "serve alle postazioni e niente altro: USAGE sullo schema; SELECT, INSERT,\n"
    "UPDATE e DELETE su TabellaSerieSemplificata, TestataRegistriPS e\n"
    "TabellaDocScorta; SELECT sullo storico delle modifiche; EXECUTE sulla sua\n"
    "funzione degli eventi. Imposta poi in quel database, per il ruolo di gruppo e\n"
    "per ogni ruolo che ne fa parte (le impostazioni di un gruppo non passano ai\n"
    "suoi membri), idle_in_transaction_session_timeout = 30s e lock_timeout = 10s,\n"
    "i valori predefiniti degli operatori, che ciascuno puo' cambiare per se': una\n"
    "sessione che tiene fermi gli altri la termina quenvol-admin guard. Dopo aver\n"
    "aggiunto un operatore al gruppo, ripetere il comando. Va eseguito dal\n"
    "proprietario della societa' (di solito postgres): un superutente, o un ruolo\n"
    "con CREATEROLE, che solo puo' impostare i tempi dei ruoli; tutto o niente.\n"
    "Esempio: {grant-esempio} DEMO operatori\n",
    RunGrant};
const admin::Registration registration(Grant);

int RunGrant(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Grant, arguments, {{}, {}, 3, 3}, given))
        return *status;
    const QStringList& operands = given.operands;
    if (const auto refused = admin::RefuseCompanyCode(operands[1]))
        return *refused;
    if (!company::server::IsServer(operands[0]))
        return admin::Fail(QStringLiteral("%1 non e' un server: grant vale solo per una societa' su PostgreSQL")
                               .arg(operands[0]));
    QStringList roles;
    if (const QString error = company::server::GrantOperators(operands[0], operands[1], operands[2], &roles);
        !error.isEmpty())
        return admin::Fail(error);
    std::printf("%s\n", QStringLiteral("dati a %1 i permessi sulla societa' %2")
                            .arg(operands[2], operands[1])
                            .toUtf8()
                            .constData());
    std::printf("%s\n", QStringLiteral("tempi massimi (transazione inattiva %1, attesa di un blocco %2) per: %3")
                            .arg(QLatin1String(company::server::OperatorIdleTimeout),
                                 QLatin1String(company::server::OperatorLockTimeout), roles.join(QStringLiteral(", ")))
                            .toUtf8()
                            .constData());
    return admin::ExitOk;
}

}  // namespace
