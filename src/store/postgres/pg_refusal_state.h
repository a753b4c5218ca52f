// Connecting so that a refusal keeps the server's SQLSTATE: libpq's
// synchronous connect gives a failed connection's text alone, in the
// server's language (lc_messages) and the workstation's, so the code is asked
// for in that text (libpq's verbose form) and taken out of it again.
#pragma once

#include <QByteArray>
#include <QString>

typedef struct pg_conn PGconn;

namespace store {

// PQconnectdbParams, with libpq's own waits, hosts and timeouts, whose
// failure text carries the SQLSTATE of the server's refusal (RefusalOf reads
// it). A connection made is back to libpq's usual texts for its statements.
PGconn* ConnectKeepingState(const char* const* keywords, const char* const* values, int expandDbname);
// PQreset in the same way, for a connection lost and made again.
void ResetKeepingState(PGconn* conn);

// A failed connection's text as ConnectKeepingState leaves it: the SQLSTATE
// of the server's refusal (the last one, of several hosts tried; empty when
// no server refused, as when none was reached), and the text as libpq
// usually gives it, without the code and the server's source position.
struct ConnectionRefusal {
    QByteArray sqlstate;
    QString text;
};
ConnectionRefusal RefusalOf(const QString& libpqText);

}  // namespace store
