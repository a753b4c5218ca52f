// Reading the server's connection string without letting its values into a message.
#include "store/postgres/pg_conninfo.h"

#include <libpq-fe.h>

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

QString WithoutPassword(QString text, const QString& password)
{
    if (!password.isEmpty())
        text.replace(password, QStringLiteral("********"));
    return text;
}

}  // namespace store
