// Reading the server's connection string without letting its values into a message.
#include "store/postgres/pg_conninfo.h"
#include "store/postgres/pg_tls_refusal.h"

#include <libpq-fe.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

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
    return fromEnvironment.isEmpty() ? QDir::homePath() + QStringLiteral("/.pgpass") : fromEnvironment;
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

QString ExplainedConnectionFailure(const QString& libpqText)
{
    if (const QString tls = TlsRefusal(libpqText); !tls.isEmpty())
        return tls + QLatin1Char('\n') + libpqText;
    static const QRegularExpression role(QStringLiteral("role \"([^\"]*)\" does not exist"));
    static const QRegularExpression database(QStringLiteral("database \"([^\"]*)\" does not exist"));
    static const QRegularExpression password(QStringLiteral("password authentication failed for user \"([^\"]*)\""));
    static const QRegularExpression hba(QStringLiteral(
        "no pg_hba.conf entry for host \"([^\"]*)\", user \"([^\"]*)\", database \"([^\"]*)\""));
    static const QRegularExpression tcp(
        QStringLiteral("connection to server at \"([^\"]*)\"(?: \\(([^)]*)\\))?, port (\\d+) failed: (Connection refused|"
                       "No route to host|timeout expired|Network is unreachable)"));
    static const QRegularExpression socket(
        QStringLiteral("connection to server on socket \"([^\"]*)\" failed: (No such file or directory|"
                       "Connection refused)"));
    static const QRegularExpression unknownHost(
        QStringLiteral("could not translate host name \"([^\"]*)\" to address"));

    QString sentence;
    QRegularExpressionMatch m;
    const QString passwordFile = DefaultPasswordFile();
    if (libpqText.contains(QLatin1String("no password supplied"))) {
        const int mode = OpenMode(passwordFile);
        if (mode >= 0)
            sentence = QStringLiteral("Il file delle password %1 ha i permessi %2 (leggibile da altri utenti) e per "
                                      "questo non viene letto: renderlo privato con \"chmod 600 %1\".")
                           .arg(passwordFile, OctalMode(mode));
        else
            sentence = QStringLiteral("Il server chiede una password e non se ne è trovata nessuna: aggiungere al "
                                      "file %1 la riga server:porta:database:utente:password e renderlo privato "
                                      "con \"chmod 600 %1\".")
                           .arg(passwordFile);
    } else if ((m = password.match(libpqText)).hasMatch()) {
        sentence = QStringLiteral("Il server ha rifiutato la password del ruolo \"%1\" (o il ruolo non esiste): "
                                  "correggere la password nel file %2, o chiedere all'amministratore del server "
                                  "di impostarla (ALTER ROLE ... PASSWORD) o di creare il ruolo.")
                       .arg(m.captured(1), passwordFile);
    } else if ((m = role.match(libpqText)).hasMatch()) {
        sentence = QStringLiteral("Il ruolo \"%1\" non esiste sul server: l'amministratore lo crei "
                                  "(CREATE ROLE %1 LOGIN ... IN ROLE operatori), o si indichi il ruolo giusto "
                                  "con user= nella riga SERVER del file INI.")
                       .arg(m.captured(1));
    } else if ((m = database.match(libpqText)).hasMatch()) {
        sentence = QStringLiteral("Il database \"%1\" non esiste sul server: controllare dbname= nella riga SERVER "
                                  "del file INI, o crearlo sul server (sudo -u postgres createdb %1).")
                       .arg(m.captured(1));
    } else if ((m = hba.match(libpqText)).hasMatch()) {
        const QString from = m.captured(1) == QLatin1String("[local]")
                                 ? QStringLiteral("local   %1 %2 scram-sha-256").arg(m.captured(3), m.captured(2))
                                 : QStringLiteral("host    %1 %2 %3/32 scram-sha-256")
                                       .arg(m.captured(3), m.captured(2), m.captured(1));
        sentence = QStringLiteral("Il server non accetta collegamenti del ruolo \"%1\" al database \"%2\" da "
                                  "%3: l'amministratore aggiunga a pg_hba.conf una riga come \"%4\" (o una per la "
                                  "rete dell'ufficio e il gruppo +operatori) e ricarichi il server "
                                  "(sudo systemctl reload postgresql).")
                       .arg(m.captured(2), m.captured(3),
                            m.captured(1) == QLatin1String("[local]") ? QStringLiteral("questo computer")
                                                                      : m.captured(1),
                            from);
    } else if ((m = tcp.match(libpqText)).hasMatch()) {
        // A name comes with the address it stands for; an address alone, without.
        const QString where = m.captured(2).isEmpty() || m.captured(2) == m.captured(1)
                                  ? m.captured(1)
                                  : QStringLiteral("%1 (%2)").arg(m.captured(1), m.captured(2));
        sentence = QStringLiteral("Nessun server del database risponde a %1, porta %2: controllare che il server "
                                  "sia acceso e PostgreSQL avviato (systemctl status postgresql), che ascolti "
                                  "sulla rete (listen_addresses in postgresql.conf) e che host= e port= nella "
                                  "riga SERVER del file INI siano giusti.")
                       .arg(where, m.captured(3));
    } else if ((m = socket.match(libpqText)).hasMatch()) {
        sentence = QStringLiteral("Nessun server del database risponde su questo computer (socket %1): controllare "
                                  "che PostgreSQL sia avviato (systemctl status postgresql), o indicare il server "
                                  "con host= nella riga SERVER del file INI.")
                       .arg(m.captured(1));
    } else if ((m = unknownHost.match(libpqText)).hasMatch()) {
        sentence = QStringLiteral("Il nome del server \"%1\" non si trova in rete: controllare host= nella riga "
                                  "SERVER del file INI.")
                       .arg(m.captured(1));
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
