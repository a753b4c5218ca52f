// Reading the server's connection string without letting its values into a message.
#include "store/postgres/pg_conninfo.h"
#include "store/postgres/pg_tls_refusal.h"
#include "store/postgres/pg_refusal_state.h"

#include "store/engine/system_files.h"

#include <libpq-fe.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace store {

namespace {

// The parsed options of `conninfo`, or null when libpq cannot read it. Its
// own error text quotes the words around the fault (for an unquoted blank in
// a password, the password's second half), so it is dropped unread.
PQconninfoOption* Parse(const QString& conninfo)
{
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.toUtf8().constData(), &error);
    PQfreemem(error);
    return options;
}

}  // namespace

QString ConninfoProblem(const QString& conninfo)
{
    PQconninfoOption* options = Parse(conninfo);
    if (options) {
        PQconninfoFree(options);
        return {};
    }
    return QStringLiteral("La stringa di connessione al server non si può leggere (i suoi valori non vengono "
                          "mostrati): ogni impostazione va scritta come nome=valore, e un valore che contiene "
                          "spazi va racchiuso tra apici singoli.");
}

QString ConninfoPassword(const QString& conninfo)
{
    PQconninfoOption* options = Parse(conninfo);
    QString password;
    for (PQconninfoOption* o = options; o && o->keyword; ++o)
        if (qstrcmp(o->keyword, "password") == 0 && o->val)
            password = QString::fromUtf8(o->val);
    PQconninfoFree(options);
    return password;
}

namespace {

// The option `keyword` of `conninfo` as libpq reads it, or an empty text.
QString Option(const QString& conninfo, const char* keyword)
{
    PQconninfoOption* options = Parse(conninfo);
    QString value;
    for (PQconninfoOption* o = options; o && o->keyword; ++o)
        if (qstrcmp(o->keyword, keyword) == 0 && o->val)
            value = QString::fromUtf8(o->val);
    PQconninfoFree(options);
    return value;
}

// The password file libpq reads when the string names none.
QString DefaultPasswordFile()
{
    const QString fromEnvironment = qEnvironmentVariable("PGPASSFILE");
    return fromEnvironment.isEmpty() ? system::DefaultPasswordFile() : fromEnvironment;
}

// The file's permission bits when it is an ordinary file that the group or
// others may use (as libpq checks), else -1.
int OpenMode(const QString& path)
{
#ifdef _WIN32
    Q_UNUSED(path);
    return -1;  // libpq does not look at the file's permissions on Windows
#else
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    return (info.st_mode & (S_IRWXG | S_IRWXO)) != 0 ? int(info.st_mode & 07777) : -1;
#endif
}

QString OctalMode(int mode)
{
    return QStringLiteral("%1").arg(mode, 3, 8, QLatin1Char('0'));
}

}  // namespace

QString OpenPasswordFile(const QString& conninfo)
{
    if (!ConninfoPassword(conninfo).isEmpty())
        return {};
    QString file = Option(conninfo, "passfile");
    if (file.isEmpty())
        file = DefaultPasswordFile();
    return OpenMode(file) >= 0 ? file : QString();
}

QString UnreadablePasswordFile(const QString& passwordFile)
{
    // An ordinary file followed by "/" is no path at all (ENOTDIR).
    return passwordFile + QLatin1Char('/');
}

namespace {

ConninfoSource& Source()
{
    static ConninfoSource source = ConninfoSource::IniServerLine;
    return source;
}

// One refusal's texts, English and Italian, as alternatives of one pattern.
QRegularExpression Either(const QString& english, const QString& italian)
{
    return QRegularExpression(QStringLiteral("(?:%1)|(?:%2)").arg(english, italian));
}

// The system's text for `error` in the workstation's language, as libpq
// writes it after a failed connect(), for a pattern.
QString SystemText(int error)
{
    return QRegularExpression::escape(QString::fromLocal8Bit(std::strerror(error)));
}

// The first of the captures `from`, `from + shift`, ... that matched: a
// pattern of two alternatives captures in one of them.
QString Captured(const QRegularExpressionMatch& m, int from, int shift)
{
    const QString first = m.captured(from);
    return m.capturedStart(from) >= 0 ? first : m.captured(from + shift);
}

// Whether the password file has at least one line that is not a comment.
bool HasLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith('#'))
            return true;
    }
    return false;
}

QString MakePrivate(const QString& path)
{
    const QString command = system::MakePrivateCommand(path);
    return command.isEmpty() ? QString() : QStringLiteral(" e renderlo privato con \"%1\"").arg(command);
}

}  // namespace

bool ConnectionLostText(const QString& text)
{
    static const char* const lost[] = {
        "server closed the connection unexpectedly", "il server ha chiuso la connessione inaspettatamente",
        "terminating connection due to administrator command",
        "interruzione della connessione su comando dell'amministratore", "no connection to the server",
        "nessuna connessione al server", "could not receive data from server", "ricezione dati dal server fallita",
        "could not send data to server", "invio dati al server fallito"};
    return std::any_of(std::begin(lost), std::end(lost),
                       [&](const char* words) { return text.contains(QString::fromUtf8(words)); });
}

QString LostConnectionSentence()
{
    return QStringLiteral("La connessione al server si è interrotta (il server è stato fermato o riavviato, o la "
                          "rete è caduta): controllare che il server risponda e ripetere l'operazione.");
}

QString ExplainedStatementFailure(const QByteArray& sqlstate, const QString& text, bool connectionGone)
{
    if (sqlstate == "22001")
        return QStringLiteral("Un valore è più lungo di quanto la colonna del server può contenere: accorciarlo "
                              "(la lunghezza massima è quella tra parentesi qui sotto).\n") +
               text;
    if (connectionGone || sqlstate.startsWith("08") || sqlstate == "57P01" || sqlstate == "57P02" ||
        sqlstate == "57P03" || (sqlstate.isEmpty() && ConnectionLostText(text)))
        return LostConnectionSentence() + QLatin1Char('\n') + text;
    // Another session in the way: the server's text (in its own language)
    // beneath a sentence that says nothing was done and to try again.
    if (sqlstate == "55P03")
        return QStringLiteral("Un'altra sessione del server tiene bloccati questi dati e non li ha lasciati in tempo: "
                              "l'operazione non è stata eseguita; riprovare tra poco.\n") +
               text;
    if (sqlstate == "40P01")
        return QStringLiteral("Il server ha interrotto l'operazione, che attendeva dati bloccati da un'altra sessione "
                              "in attesa a sua volta di questa (stallo): non è stata eseguita; riprovarla.\n") +
               text;
    // The history's own refusal (SQLSTATE 40001 too) already says it in Italian.
    if (sqlstate == "40001" && !text.startsWith(QLatin1String("storico:")))
        return QStringLiteral("Un'altra modifica è stata registrata sul server mentre questa era in corso (errore di "
                              "serializzazione): l'operazione non è stata eseguita; riprovarla.\n") +
               text;
    return text;
}

void SetConninfoSource(ConninfoSource source)
{
    Source() = source;
}

QString WhereConninfoIsWritten()
{
    return Source() == ConninfoSource::CommandLine ? QStringLiteral("nella stringa di connessione sulla riga di comando")
                                                   : QStringLiteral("nella riga SERVER del file INI");
}

QString PasswordInConninfoRefusal()
{
    const QString file = DefaultPasswordFile();
    return QStringLiteral("la stringa di connessione contiene una password, che negli argomenti di un comando "
                          "resterebbe visibile a ogni utente di questo computer per tutta la durata: toglierla e "
                          "scriverla nel file delle password %1 (riga server:porta:database:utente:password)%2, "
                          "o in un altro file indicato dalla variabile d'ambiente PGPASSFILE")
        .arg(file, MakePrivate(file));
}

QString ExplainedConnectionFailure(const QString& verboseText, const PGconn* conn)
{
    // The server's SQLSTATE, when it refused: the refusal is known by it
    // whatever the language of the server's text.
    const ConnectionRefusal refusal = RefusalOf(verboseText);
    const QString& libpqText = refusal.text;
    if (const QString tls = TlsRefusal(libpqText); !tls.isEmpty())
        return tls + QLatin1Char('\n') + libpqText;
    const QString q = QStringLiteral("\"([^\"]*)\"");
    const QRegularExpression role = Either(QStringLiteral("role %1 does not exist").arg(q),
                                           QStringLiteral("il ruolo %1 non esiste").arg(q));
    const QRegularExpression database = Either(QStringLiteral("database %1 does not exist").arg(q),
                                               QStringLiteral("il database %1 non esiste").arg(q));
    const QRegularExpression password =
        Either(QStringLiteral("password authentication failed for user %1").arg(q),
               QStringLiteral("autenticazione con password fallita per l'utente %1").arg(q));
    const QRegularExpression hba =
        Either(QStringLiteral("no pg_hba.conf entry for host %1, user %1, database %1").arg(q),
               QStringLiteral("nessuna voce in pg_hba.conf per l'host %1,\\s+utente %1,\\s+database\\s+%1").arg(q));
    // A refused or unanswered connect(): libpq's English or Italian wording,
    // or the system's text for the errno in this workstation's language.
    const QString unreachable = QStringLiteral("Connection refused|No route to host|timeout expired|Network is "
                                               "unreachable|Connessione rifiutata|Nessun instradamento per l'host|"
                                               "timeout scaduto|La rete non è raggiungibile|%1|%2|%3|%4")
                                    .arg(SystemText(ECONNREFUSED), SystemText(EHOSTUNREACH), SystemText(ENETUNREACH),
                                         SystemText(ETIMEDOUT));
    const QRegularExpression tcp = Either(
        QStringLiteral("connection to server at %1(?: \\(([^)]*)\\))?, port (\\d+) failed: (?:%2)").arg(q, unreachable),
        QStringLiteral("connessione al server su %1(?: \\(([^)]*)\\))?, porta (\\d+) non riuscita: (?:%2)")
            .arg(q, unreachable));
    const QString noSocket = QStringLiteral("No such file or directory|Connection refused|File o directory non "
                                            "esistente|Connessione rifiutata|%1|%2")
                                 .arg(SystemText(ENOENT), SystemText(ECONNREFUSED));
    const QRegularExpression socket =
        Either(QStringLiteral("connection to server on socket %1 failed: (?:%2)").arg(q, noSocket),
               QStringLiteral("connessione al server sul socket %1 non riuscita: (?:%2)").arg(q, noSocket));
    const QRegularExpression unknownHost =
        Either(QStringLiteral("could not translate host name %1 to address").arg(q),
               QStringLiteral("conversione del nome host %1 in indirizzo fallita").arg(q));

    const QRegularExpression badInteger =
        Either(QStringLiteral("invalid integer value %1 for connection option %1").arg(q),
               QStringLiteral("valore intero non valido %1 per l'opzione di connessione %1").arg(q));
    const QRegularExpression badPort = Either(QStringLiteral("invalid port number: %1").arg(q),
                                              QStringLiteral("numero di porta non valido: %1").arg(q));

    QString sentence;
    QRegularExpressionMatch m;
    const QString where = WhereConninfoIsWritten();
    if ((m = badInteger.match(libpqText)).hasMatch()) {
        const QString option = Captured(m, 2, 2);
        sentence = QStringLiteral("Il valore \"%1\" di %2= %3 non è un numero intero: correggerlo%4.")
                       .arg(Captured(m, 1, 2), option, where,
                            option == QLatin1String("port") ? QStringLiteral(" (la porta del server, di solito 5432)")
                                                            : QString());
        return sentence + QLatin1Char('\n') + libpqText;
    }
    if ((m = badPort.match(libpqText)).hasMatch())
        return QStringLiteral("La porta \"%1\" indicata con port= %2 non è valida: deve essere un numero da 1 a "
                              "65535 (di solito 5432).\n%3")
            .arg(Captured(m, 1, 1), where, libpqText);
    if (ConnectionLostText(libpqText))
        return LostConnectionSentence() + QLatin1Char('\n') + libpqText;
    const QString passwordFile = DefaultPasswordFile();
    // The role, database, host and port the connection asked for.
    const QString user = conn ? QString::fromUtf8(PQuser(conn)) : QString();
    const QString db = conn ? QString::fromUtf8(PQdb(conn)) : QString();
    const QString host = conn && PQhost(conn) ? QString::fromUtf8(PQhost(conn)) : QString();
    const QString port = conn && PQport(conn) ? QString::fromUtf8(PQport(conn)) : QString();
    const QRegularExpression noSocketHere(QStringLiteral("%1|%2").arg(SystemText(ENOENT), SystemText(ECONNREFUSED)));
    const QRegularExpression noAnswer(QStringLiteral("%1|%2|%3|%4")
                                          .arg(SystemText(ECONNREFUSED), SystemText(EHOSTUNREACH),
                                               SystemText(ENETUNREACH), SystemText(ETIMEDOUT)));
    if (libpqText.contains(QLatin1String("no password supplied"))) {
        const int mode = OpenMode(passwordFile);
        if (mode >= 0)
            sentence = QStringLiteral("Il file delle password %1 ha i permessi %2 (leggibile da altri utenti) e per "
                                      "questo non viene letto: renderlo privato con \"chmod 600 %1\".")
                           .arg(passwordFile, OctalMode(mode));
        else if (HasLines(passwordFile) && !user.isEmpty())
            // The file is there: a role or database spelt wrong finds no line
            // in it, so the names are what to check first.
            sentence = QStringLiteral("Il server chiede una password e il file delle password %1 non ha una riga "
                                      "per il ruolo \"%2\" e il database \"%3\": controllare user= e dbname= %4; "
                                      "se sono giusti, aggiungere al file la riga server:porta:%3:%2:password.")
                           .arg(passwordFile, user, db, where);
        else
            sentence = QStringLiteral("Il server chiede una password e non se ne è trovata nessuna: aggiungere al "
                                      "file %1 la riga server:porta:database:utente:password%2.")
                           .arg(passwordFile, MakePrivate(passwordFile));
    } else if ((m = password.match(libpqText)).hasMatch() || (refusal.sqlstate == "28P01" && !user.isEmpty())) {
        sentence = QStringLiteral("Il server ha rifiutato la password del ruolo \"%1\": controllare user= %2 (un "
                                  "ruolo che non esiste viene rifiutato allo stesso modo), poi la password nel file "
                                  "%3; o chiedere all'amministratore del server di impostarla (ALTER ROLE ... "
                                  "PASSWORD) o di creare il ruolo.")
                       .arg(m.hasMatch() ? Captured(m, 1, 1) : user, where, passwordFile);
    } else if ((m = role.match(libpqText)).hasMatch()) {
        sentence = QStringLiteral("Il ruolo \"%1\" non esiste sul server: l'amministratore lo crei "
                                  "(CREATE ROLE %1 LOGIN ... IN ROLE operatori), o si indichi il ruolo giusto "
                                  "con user= %2.")
                       .arg(Captured(m, 1, 1), where);
    } else if ((m = database.match(libpqText)).hasMatch() || (refusal.sqlstate == "3D000" && !db.isEmpty())) {
        sentence = QStringLiteral("Il database \"%1\" non esiste sul server: controllare dbname= %2, o crearlo sul "
                                  "server (sudo -u postgres createdb %1).")
                       .arg(m.hasMatch() ? Captured(m, 1, 1) : db, where);
    } else if ((m = hba.match(libpqText)).hasMatch()) {
        const QString host = Captured(m, 1, 3), user = Captured(m, 2, 3), db = Captured(m, 3, 3);
        const QString from = host == QLatin1String("[local]")
                                 ? QStringLiteral("local   %1 %2 scram-sha-256").arg(db, user)
                                 : QStringLiteral("host    %1 %2 %3/32 scram-sha-256").arg(db, user, host);
        sentence = QStringLiteral("Il server non accetta collegamenti del ruolo \"%1\" al database \"%2\" da "
                                  "%3: l'amministratore aggiunga a pg_hba.conf una riga come \"%4\" (o una per la "
                                  "rete dell'ufficio e il gruppo +operatori) e ricarichi il server "
                                  "(sudo systemctl reload postgresql).")
                       .arg(user, db, host == QLatin1String("[local]") ? QStringLiteral("questo computer") : host,
                            from);
    } else if ((m = tcp.match(libpqText)).hasMatch()) {
        const QString address = Captured(m, 1, 3), resolved = Captured(m, 2, 3), port = Captured(m, 3, 3);
        // A name comes with the address it stands for; an address alone, without.
        const QString at = resolved.isEmpty() || resolved == address
                               ? address
                               : QStringLiteral("%1 (%2)").arg(address, resolved);
        sentence = QStringLiteral("Nessun server del database risponde a %1, porta %2: controllare che il server "
                                  "sia acceso e PostgreSQL avviato (systemctl status postgresql), che ascolti "
                                  "sulla rete (listen_addresses in postgresql.conf) e che host= e port= %3 "
                                  "siano giusti.")
                       .arg(at, port, where);
    } else if ((m = socket.match(libpqText)).hasMatch()) {
        sentence = QStringLiteral("Nessun server del database risponde su questo computer (socket %1): controllare "
                                  "che PostgreSQL sia avviato (systemctl status postgresql), o indicare il server "
                                  "con host= %2.")
                       .arg(Captured(m, 1, 1), where);
    } else if ((m = unknownHost.match(libpqText)).hasMatch()) {
        sentence = QStringLiteral("Il nome del server \"%1\" non si trova in rete: controllare host= %2.")
                       .arg(Captured(m, 1, 1), where);
    } else if (refusal.sqlstate == "28000" && !user.isEmpty()) {
        // In a language not read here: no line of pg_hba.conf, a role that
        // does not exist, or one that may not log in all give this code.
        sentence = QStringLiteral("Il server non accetta collegamenti del ruolo \"%1\" al database \"%2\" da "
                                  "questo computer: controllare user= e dbname= %3; se sono giusti, l'amministratore "
                                  "del server controlli che il ruolo esista e possa collegarsi (CREATE ROLE %1 LOGIN) "
                                  "e che pg_hba.conf abbia una riga per questo computer, il ruolo e il database, e "
                                  "ricarichi il server (sudo systemctl reload postgresql).")
                       .arg(user, db, where);
    } else if (refusal.sqlstate == "57P03") {
        // Starting up, shutting down, recovering, or a standby that takes no
        // sessions: nothing in the string is wrong, the server is not ready.
        sentence = QStringLiteral("Il server in questo momento non accetta collegamenti (si sta avviando o fermando, "
                                  "o è un server di riserva che non li accetta): riprovare tra poco; se dura, "
                                  "controllare che host= %1 indichi il server principale e chiedere "
                                  "all'amministratore del server.")
                       .arg(where);
    } else if (!refusal.sqlstate.isEmpty()) {
        sentence = QStringLiteral("Il server ha rifiutato il collegamento (codice %1): il motivo è nel testo del "
                                  "server qui sotto; controllare host=, port=, user= e dbname= %2, poi chiedere "
                                  "all'amministratore del server.")
                       .arg(QString::fromLatin1(refusal.sqlstate), where);
    } else if (refusal.sqlstate.isEmpty() && !host.isEmpty()) {
        // libpq's own words in a language not read here: the system's text
        // for the failed connect() (in the same language) tells the failure,
        // and the connection the host and port it tried.
        if (host.startsWith(QLatin1Char('/')) && noSocketHere.match(libpqText).hasMatch())
            sentence = QStringLiteral("Nessun server del database risponde su questo computer (socket %1): controllare "
                                      "che PostgreSQL sia avviato (systemctl status postgresql), o indicare il server "
                                      "con host= %2.")
                           .arg(QDir(host).filePath(QStringLiteral(".s.PGSQL.") + port), where);
        else if (!host.startsWith(QLatin1Char('/')) && noAnswer.match(libpqText).hasMatch())
            sentence = QStringLiteral("Nessun server del database risponde a %1, porta %2: controllare che il server "
                                      "sia acceso e PostgreSQL avviato (systemctl status postgresql), che ascolti "
                                      "sulla rete (listen_addresses in postgresql.conf) e che host= e port= %3 "
                                      "siano giusti.")
                           .arg(host, port, where);
    }
    return sentence.isEmpty() ? libpqText : sentence + QLatin1Char('\n') + libpqText;
}

QString WithoutPassword(QString text, const QString& password)
{
    if (!password.isEmpty())
        text.replace(password, QStringLiteral("********"));
    return text;
}

}  // namespace store
