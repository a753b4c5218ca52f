// quenvol-admin guard: watches a server's operator sessions and ends any that
// holds the office up, until it is stopped.
#include "admin/admin_command.h"
#include "company/company_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

int RunGuard(const QStringList& arguments);

const admin::Command Guard{
    "guard",
    "guard <server> [--limit SECONDI]",
    "Sorveglia le sessioni degli operatori sul server PostgreSQL indicato da una\n"
    "stringa di connessione o da un URI postgresql:// e resta in esecuzione finche'\n"
    "non viene fermato. Termina (pg_terminate_backend) ogni sessione di un ruolo di\n"
    "un gruppo di operatori (un ruolo a cui quenvol-admin grant ha dato la funzione\n"
    "degli eventi di una societa', e chi ne fa parte; mai un superutente) che e'\n"
    "rimasta inattiva in una transazione aperta per piu' del limite, o che ha fatto\n"
    "attendere un'altra sessione su un blocco in una transazione aperta da piu' del\n"
    "limite (chi attende si arrende dopo il suo tempo massimo e riprova: conta da\n"
    "quanto dura la transazione di chi lo blocca). Annulla (ROLLBACK PREPARED) una\n"
    "transazione preparata da un operatore da piu' del limite. Vale qualunque\n"
    "impostazione l'operatore abbia dato a se stesso. Scrive una riga per ogni\n"
    "sessione terminata (ruolo, indirizzo, tabelle che teneva bloccate, da quanto)\n"
    "e per ogni transazione preparata annullata. Se il server si ferma o si\n"
    "riavvia, lo dice e riprova finche' risponde di nuovo.\n"
    "Va eseguito da un superutente (di solito postgres); {guard-servizio}\n"
    "--limit SECONDI  il limite (predefinito 30)\n"
    "Esempio: {guard-esempio} --limit 30\n",
    RunGuard};
const admin::Registration registration(Guard);

void Say(FILE* to, const QString& line)
{
    std::fprintf(to, "%s\n", line.toUtf8().constData());
    std::fflush(to);
}

int RunGuard(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Guard, arguments, {{}, {"--limit"}, 1, 1}, given))
        return *status;
    const QString server = given.operands[0];
    if (!company::server::IsServer(server))
        return admin::Fail(QStringLiteral("%1 non e' un server: guard vale solo per PostgreSQL").arg(server));
    int limit = 30;
    if (given.values.contains("--limit")) {
        bool ok = false;
        limit = given.value("--limit").toInt(&ok);
        if (!ok || limit < 1 || limit > 86400)
            return admin::Fail(QStringLiteral("--limit vuole un numero di secondi da 1 a 86400, non '%1'")
                                   .arg(given.value("--limit")));
    }
    // Looked at a few times within the limit, so that a session is ended
    // soon after it passes it.
    const auto pause = std::chrono::seconds(std::max(1, std::min(5, limit / 2)));
    Say(stdout, QStringLiteral("sorveglianza delle sessioni degli operatori avviata (limite %1 s)").arg(limit));
    QString lastError;
    company::server::GuardMemory memory;
    for (;;) {
        std::vector<company::server::EndedSession> ended;
        const QString error = company::server::EndHoldingSessions(server, limit, &ended, &memory);
        if (!error.isEmpty() && error != lastError)
            Say(stderr, QStringLiteral("quenvol-admin: server non raggiungibile, riprovo: %1").arg(error));
        else if (error.isEmpty() && !lastError.isEmpty())
            Say(stdout, QStringLiteral("server di nuovo raggiungibile: sorveglianza ripresa"));
        lastError = error;
        for (const company::server::EndedSession& session : ended) {
            const QString held = session.held.isEmpty() ? QStringLiteral("nessuna tabella") : session.held;
            if (!session.prepared.isEmpty())
                Say(stdout, QStringLiteral("annullata la transazione preparata '%1' di %2: teneva %3; preparata da %4 s")
                                .arg(session.prepared, session.role, held)
                                .arg(session.seconds));
            else
                Say(stdout, QStringLiteral("terminata la sessione di %1 da %2: teneva %3; %4 da %5 s")
                                .arg(session.role, session.address, held, session.reason)
                                .arg(session.seconds));
        }
        std::this_thread::sleep_for(pause);
    }
}

}  // namespace
