// Connecting so that a refusal keeps the server's SQLSTATE (pg_refusal_state.h).
#include "store/postgres/pg_refusal_state.h"

#include <libpq-fe.h>

#include <QRegularExpression>

namespace store {

PGconn* ConnectKeepingState(const char* const* keywords, const char* const* values, int expandDbname)
{
    // The verbosity is the connection's own and is read as the server's
    // refusal arrives; it can only be set on a connection already started,
    // so the start is made again, whole, by PQreset. A start that failed
    // already reached no server: its text is complete as it is.
    PGconn* conn = PQconnectStartParams(keywords, values, expandDbname);
    if (!conn || PQstatus(conn) == CONNECTION_BAD)
        return conn;
    ResetKeepingState(conn);
    return conn;
}

void ResetKeepingState(PGconn* conn)
{
    PQsetErrorVerbosity(conn, PQERRORS_VERBOSE);
    PQreset(conn);
    if (PQstatus(conn) == CONNECTION_OK)
        PQsetErrorVerbosity(conn, PQERRORS_DEFAULT);
}

ConnectionRefusal RefusalOf(const QString& libpqText)
{
    // The server's line reads "SEVERITY:  CODE: text" (the severity in the
    // server's language), and its source position follows on a line of its
    // own, "LOCATION:  function, file.c:line" (the label in libpq's language).
    static const QRegularExpression code(QStringLiteral(":  ([0-9A-Z]{5}): "));
    static const QRegularExpression location(QStringLiteral("\\n[^\\n]*:  [A-Za-z0-9_]+, [A-Za-z0-9_.]+:[0-9]+(?=\\n|$)"));
    ConnectionRefusal refusal;
    refusal.text = libpqText;
    QRegularExpressionMatchIterator found = code.globalMatch(libpqText);
    while (found.hasNext())
        refusal.sqlstate = found.next().captured(1).toLatin1();
    if (refusal.sqlstate.isEmpty())
        return refusal;
    refusal.text.replace(code, QStringLiteral(":  "));
    refusal.text.remove(location);
    return refusal;
}

}  // namespace store
