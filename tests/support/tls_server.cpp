// The TLS test server: the test's own, or the one named in the environment.
#include "support/tls_server.h"

#include "store/postgres/libpq_on_demand.h"

#include <libpq-fe.h>

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

namespace testing_support {

namespace {

// One statement on its own connection; the first column of its first row.
QString Scalar(const QString& conninfo, const char* sql)
{
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    QString value;
    if (PQstatus(conn) == CONNECTION_OK) {
        PGresult* result = PQexec(conn, sql);
        if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0)
            value = QString::fromUtf8(PQgetvalue(result, 0, 0));
        else if (PQresultStatus(result) != PGRES_COMMAND_OK)
            ADD_FAILURE() << sql << ": " << PQresultErrorMessage(result);
        PQclear(result);
    } else {
        ADD_FAILURE() << PQerrorMessage(conn);
    }
    PQfinish(conn);
    return value;
}

}  // namespace

TlsServer::TlsServer()
{
    if (!store::LoadLibpq().isEmpty())
        return;
    // On Linux the cases need the postgresql package, as the other server
    // cases do (ctest names the shared server in QUENVOL_TEST_PG).
    QString full = qEnvironmentVariable("QUENVOL_TEST_PG_TLS");
    certs_ = qEnvironmentVariable("QUENVOL_TEST_PG_TLS_CERTS");
#ifndef _WIN32
    if (full.isEmpty() && !qEnvironmentVariableIsEmpty("QUENVOL_TEST_PG")) {
        own_ = std::make_unique<PrivateServer>(PrivateServer::WithTls{});
        full = own_->conninfo();
        certs_ = own_->folder() + QStringLiteral("/tls");
    }
#endif
    static const QRegularExpression tlsSettings(QStringLiteral("\\s*\\b(sslmode|sslrootcert)=\\S*"));
    conninfo_ = full.remove(tlsSettings).trimmed();
}

QString TlsServer::conninfo(const QString& settings) const
{
    const QString tls = settings.isEmpty()
                            ? QStringLiteral("sslmode=verify-full sslrootcert='%1'").arg(rootCertificate())
                            : settings;
    return conninfo_ + QLatin1Char(' ') + tls;
}

bool TlsServer::setTls(bool on) const
{
    const QString plain = conninfo(QStringLiteral("sslmode=disable"));
    Scalar(plain, on ? "ALTER SYSTEM RESET ssl" : "ALTER SYSTEM SET ssl = off");
    Scalar(plain, "SELECT pg_reload_conf()");
    // The server reloads on its own time: each new connection reads the
    // setting until it has changed.
    const QString wanted = on ? QStringLiteral("on") : QStringLiteral("off");
    const QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        if (Scalar(plain, "SHOW ssl") == wanted)
            return true;
        QThread::msleep(20);
    }
    return false;
}

}  // namespace testing_support
