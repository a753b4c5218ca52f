// Creating and dropping company schemas on a PostgreSQL server.
#include "company_server.h"

#include "store/table_description.h"

#include <libpq-fe.h>

#include <memory>
#include <vector>

namespace company_server {

namespace {

QString quoted(const QString& identifier)
{
    QString text = identifier;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The server's type of a column. Fixed-length texts are varchar as well, so a
// value comes back exactly as it was written, as from the file (char(n) would
// pad a shorter value with blanks, and the copies would differ).
QString serverType(const store::ColumnDescription& column)
{
    switch (column.kind) {
    case store::ColumnKind::Text:
    case store::ColumnKind::FixedText: return QStringLiteral("varchar(%1)").arg(column.length);
    case store::ColumnKind::Long: return QStringLiteral("integer");
    case store::ColumnKind::Integer: return QStringLiteral("smallint");
    case store::ColumnKind::Double: return QStringLiteral("double precision");
    case store::ColumnKind::Date: return QStringLiteral("date");
    }
    return QStringLiteral("text");
}

QString createTable(const QString& schema, const store::TableDescription& table)
{
    QStringList parts;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        QString part = quoted(table.columns[i].name) + QLatin1Char(' ') + serverType(table.columns[i]);
        if (int(i) == table.keyColumn)
            part += QStringLiteral(" NOT NULL PRIMARY KEY");
        parts << part;
    }
    return QStringLiteral("CREATE TABLE %1.%2 (%3)").arg(quoted(schema), quoted(table.name), parts.join(QStringLiteral(", ")));
}

// The index "primaria": the key with ASCII letters folded, unique. The engine
// seeks and filters on exactly this expression, so the server uses the index.
QString createIndex(const QString& schema, const store::TableDescription& table)
{
    return QStringLiteral("CREATE UNIQUE INDEX %1 ON %2.%3 (lower((%4)::text COLLATE \"C\"))")
        .arg(quoted(table.name + QStringLiteral("_primaria")), quoted(schema), quoted(table.name),
             quoted(table.key().name));
}

using Conn = std::unique_ptr<PGconn, decltype(&PQfinish)>;
using Res = std::unique_ptr<PGresult, decltype(&PQclear)>;

Conn connect(const QString& conninfo, QString* error)
{
    Conn conn(PQconnectdb(conninfo.toUtf8().constData()), &PQfinish);
    if (PQstatus(conn.get()) != CONNECTION_OK)
        *error = QString::fromUtf8(PQerrorMessage(conn.get())).trimmed();
    return conn;
}

bool run(PGconn* conn, const QString& sql, const QStringList& params, QString* error, Res* out = nullptr)
{
    std::vector<QByteArray> bytes;
    std::vector<const char*> values;
    for (const QString& p : params)
        bytes.push_back(p.toUtf8());
    for (const QByteArray& b : bytes)
        values.push_back(b.constData());
    Res result(PQexecParams(conn, sql.toUtf8().constData(), int(values.size()), nullptr, values.data(),
                            nullptr, nullptr, 0),
               &PQclear);
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        *error = QString::fromUtf8(PQresultErrorMessage(result.get())).trimmed();
        return false;
    }
    if (out)
        *out = std::move(result);
    return true;
}

}  // namespace

bool IsServer(const QString& location)
{
    return location.contains(QLatin1Char('=')) || location.startsWith(QLatin1String("postgresql://")) ||
           location.startsWith(QLatin1String("postgres://"));
}

QStringList CreateSchemaStatements(const QString& company)
{
    QStringList statements{QStringLiteral("CREATE SCHEMA %1").arg(quoted(company))};
    for (const store::TableDescription* table : store::CompanyTables())
        statements << createTable(company, *table) << createIndex(company, *table);
    return statements;
}

bool SchemaExists(const QString& conninfo, const QString& company, QString* error)
{
    Conn conn = connect(conninfo, error);
    if (!error->isEmpty())
        return false;
    Res result(nullptr, &PQclear);
    if (!run(conn.get(), QStringLiteral("SELECT 1 FROM pg_catalog.pg_namespace WHERE nspname = $1"), {company},
             error, &result))
        return false;
    return PQntuples(result.get()) > 0;
}

QString CreateCompanySchema(const QString& conninfo, const QString& company)
{
    if (company.trimmed().isEmpty())
        return QStringLiteral("il codice della società è vuoto");
    QString error;
    if (SchemaExists(conninfo, company, &error))
        return QStringLiteral("la società %1 esiste già sul server: non viene sovrascritta").arg(company);
    if (!error.isEmpty())
        return error;
    Conn conn = connect(conninfo, &error);
    if (!error.isEmpty())
        return error;
    if (!run(conn.get(), QStringLiteral("BEGIN"), {}, &error))
        return error;
    for (const QString& statement : CreateSchemaStatements(company))
        if (!run(conn.get(), statement, {}, &error))
            return error;  // the connection ends with the transaction rolled back
    run(conn.get(), QStringLiteral("COMMIT"), {}, &error);
    return error;
}

QString DropCompanySchema(const QString& conninfo, const QString& company)
{
    QString error;
    Conn conn = connect(conninfo, &error);
    if (error.isEmpty())
        run(conn.get(), QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(quoted(company)), {}, &error);
    return error;
}

}  // namespace company_server
