// TLS refusals of the office server, read from libpq's text.
#include "store/postgres/pg_tls_refusal.h"

#include "store/postgres/pg_conninfo.h"

#include <QRegularExpression>

namespace store {

QString TlsRefusal(const QString& libpqText)
{
    // libpq's texts in English and, from its Italian catalogue, in Italian:
    // each pattern captures the same things in the same order.
    static const QRegularExpression otherName(QStringLiteral(
        "(?:server certificate for|il certificato per il server) \"([^\"]*)\"(?: \\((?:and|e) (\\d+) [^)]*\\))? "
        "(?:does not match host name|non combacia col nome host) \"([^\"]*)\""));
    static const QRegularExpression noRootFile(
        QStringLiteral("(?:root certificate file \"([^\"]*)\" does not exist|"
                       "could not read root certificate file \"([^\"]*)\"|"
                       "il file \"([^\"]*)\" del certificato radice non esiste|"
                       "lettura del file di certificato radice \"([^\"]*)\")"));
    static const QRegularExpression noTls(QStringLiteral(
        "server does not support SSL, but SSL was required|il server non supporta SSL, ma SSL è stato richiesto"));
    static const QRegularExpression notBuilt(
        QStringLiteral("(?:sslmode value|valore sslmode) \"([^\"]*)\" (?:invalid when SSL support is not compiled in|"
                       "non valido quando il supporto SSL non è compilato)"));

    const QString where = WhereConninfoIsWritten();
    QRegularExpressionMatch m;
    if ((m = otherName.match(libpqText)).hasMatch()) {
        const QString others = m.captured(2).isEmpty() ? QString() : QStringLiteral(" (e ad altri nomi)");
        return QStringLiteral("Il certificato del server è intestato a \"%1\"%2, non a \"%3\" scritto in host= %4: "
                              "scrivere in host= il nome del certificato (se quel nome non "
                              "si trova in rete, aggiungere hostaddr= con l'indirizzo del server), oppure "
                              "l'amministratore rifaccia il certificato del server con \"%3\" fra i suoi nomi "
                              "(subjectAltName).")
            .arg(m.captured(1), others, m.captured(3), where);
    }
    if (libpqText.contains(QLatin1String("certificate verify failed")))
        return QStringLiteral("Il certificato del server non è firmato dall'autorità che questo computer conosce "
                              "(il file indicato con sslrootcert= %1), oppure è scaduto: copiare su questo computer "
                              "il certificato dell'autorità che ha firmato quello del "
                              "server (root.crt dell'ufficio) e indicarlo con sslrootcert=; se il certificato del "
                              "server è scaduto, l'amministratore lo rinnovi. Non abbassare sslmode: il server "
                              "non sarebbe più riconosciuto.")
            .arg(where);
    if ((m = noRootFile.match(libpqText)).hasMatch())
        return QStringLiteral("Il certificato dell'autorità dell'ufficio \"%1\" non c'è o non si può leggere su "
                              "questo computer: copiarvi il certificato dell'autorità (root.crt dell'ufficio) e "
                              "indicarlo con sslrootcert= %2.")
            .arg(m.captured(1) + m.captured(2) + m.captured(3) + m.captured(4), where);  // the one that matched
    if (noTls.match(libpqText).hasMatch())
        return QStringLiteral("Il server non accetta collegamenti cifrati (TLS) e sslmode= %1 li richiede: "
                              "l'amministratore attivi TLS sul server (ssl = on in "
                              "postgresql.conf, con il certificato del server in ssl_cert_file e la sua chiave in "
                              "ssl_key_file) e riavvii PostgreSQL. Non togliere sslmode: dati e password "
                              "passerebbero in chiaro.")
            .arg(where);
    if ((m = notBuilt.match(libpqText)).hasMatch())
        return QStringLiteral("La libreria libpq in uso non sa cifrare i collegamenti (è costruita senza TLS) e "
                              "sslmode=%1 %2 chiede di cifrarli: usare la libpq che accompagna il "
                              "programma, costruita con OpenSSL.")
            .arg(m.captured(1), where);
    return {};
}

}  // namespace store
