// The database over PostgreSQL: the company is a schema of the office's server.
// Opens the connection, runs transactions, opens cursors and snapshots.
#include "store/engine/like_pattern.h"
#include "store/engine/workstation.h"
#include "store/postgres/libpq_on_demand.h"
#include "store/postgres/pg_connection.h"
#include "store/postgres/pg_conninfo.h"

#include <QFile>

#include <vector>

namespace store {

namespace {

using namespace pg;
using namespace EngineErrorNumber;

bool isText(Oid type)
{
    return type != TypeOid::Int2 && type != TypeOid::Int4 && type != TypeOid::Int8 &&
           type != TypeOid::Float4 && type != TypeOid::Float8 && type != TypeOid::Numeric &&
           type != TypeOid::Date && type != TypeOid::Bool;
}

class PgDatabase : public Database {
public:
    explicit PgDatabase(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}

    void beginTrans() override { connection_->beginTrans(); }
    void commitTrans() override { connection_->commitTrans(); }
    void rollback() override { connection_->rollback(); }

    std::unique_ptr<TableCursor> openTable(const QString& table) override
    {
        return makeTableCursor(connection_, connection_->shape(table));
    }

    std::unique_ptr<Snapshot> openSnapshot(const QString& table, const QString& likeColumn,
                                           const QString& pattern) override
    {
        const pg::TableShape& shape = connection_->shape(table);
        QString sql = QStringLiteral("SELECT * FROM %1").arg(shape.qualifiedName());
        if (likeColumn.isEmpty())
            return makeSnapshot(connection_->exec(sql));
        const int column = shape.columnIndex(likeColumn);
        if (column < 0)
            throw EngineError(ItemNotFound,
                              QStringLiteral("Elemento '%1' non trovato nell'insieme.").arg(likeColumn));
        // As in the file: LIKE ignores the case of ASCII letters only, and the
        // rows come in byte order of the column, the key's with ASCII folded.
        // COLLATE "C" makes lower() fold ASCII only and compare bytes, which
        // also lets the key's index serve the prefix.
        const QString name = quoted(shape.columns[column]);
        const QString folded = QStringLiteral("lower((%1)::text COLLATE \"C\")").arg(name);
        bool escaped = false;
        const QString like = LikePattern(pattern, &escaped);
        sql += QStringLiteral(" WHERE %1 LIKE lower($1::text COLLATE \"C\") ESCAPE '\\'").arg(folded);
        if (column == shape.keyColumn)
            sql += QStringLiteral(" ORDER BY %1").arg(folded);
        else if (isText(shape.types[size_t(column)]))
            sql += QStringLiteral(" ORDER BY (%1)::text COLLATE \"C\"").arg(name);
        else
            sql += QStringLiteral(" ORDER BY %1").arg(name);
        return makeSnapshot(connection_->exec(sql, {like.toUtf8()}));
    }

    void setConnectionLostHandler(ConnectionLostHandler handler) override
    {
        connection_->setLostHandler(std::move(handler));
    }

    std::unique_ptr<Snapshot> openLastRow(const QString& table) override
    {
        const pg::TableShape& shape = connection_->shape(table);
        return makeSnapshot(connection_->exec(QStringLiteral("SELECT * FROM %1 ORDER BY %2 DESC LIMIT 1")
                                                  .arg(shape.qualifiedName(), quoted(shape.columns[shape.keyColumn]))));
    }

    Value callFunction(const QString& function, const std::vector<Value>& arguments) override
    {
        QStringList placeholders;
        std::vector<QByteArray> params;
        for (const Value& argument : arguments) {
            params.push_back(argument.isNull() ? QByteArray() : argument.toString().toUtf8());
            placeholders << QStringLiteral("$%1::text").arg(params.size());
        }
        const Result result = connection_->exec(QStringLiteral("SELECT %1.%2(%3)")
                                                    .arg(quoted(connection_->schema()), quoted(function),
                                                         placeholders.join(QStringLiteral(", "))),
                                                params);
        return PQntuples(result.get()) > 0 ? valueOf(result.get(), 0, 0) : Value();
    }

private:
    std::shared_ptr<Connection> connection_;
};

// The session settings that declare this workstation's name and the
// program's version (quenvol.postazione, quenvol.versione), as libpq's
// "options": blanks and backslashes escaped with a backslash.
QByteArray DeclaredWorkstation()
{
    const auto escaped = [](QString text) {
        return text.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char(' '), QStringLiteral("\\ "));
    };
    const Workstation& here = ThisWorkstation();
    return QStringLiteral("-c quenvol.postazione=%1 -c quenvol.versione=%2")
        .arg(escaped(here.host), escaped(here.version))
        .toUtf8();
}

}  // namespace

std::unique_ptr<Database> openServerDatabase(const QString& conninfo, const QString& company,
                                             int lockTimeoutMs)
{
    if (const QString missing = LoadLibpq(); !missing.isEmpty())
        throw EngineError(ServerUnreachable, missing);
    // A string libpq cannot read is told without its values: libpq's own
    // text would quote them, a password among them.
    if (const QString problem = ConninfoProblem(conninfo); !problem.isEmpty())
        throw EngineError(ServerUnreachable, problem);
    const QByteArray info = conninfo.toUtf8();
    const QString secret = ConninfoPassword(conninfo);
    // A server that does not answer is given up after a while rather than
    // waited for without end; of several hosts named (a primary and its
    // standby) the one that accepts writes is taken. The string's own
    // connect_timeout or target_session_attrs wins. The workstation and the
    // version are declared to the server, which keeps them in the change
    // history as declared (the server itself says who).
    const QByteArray declared = DeclaredWorkstation();
    // A password file others may read is skipped by libpq with a warning on
    // the terminal; it is skipped here without one, and the failure says why.
    const QString openPasswordFile = OpenPasswordFile(conninfo);
    const QByteArray passfile =
        openPasswordFile.isEmpty() ? QByteArray() : QFile::encodeName(UnreadablePasswordFile(openPasswordFile));
    std::vector<const char*> keywords = {"connect_timeout", "target_session_attrs", "application_name", "options"};
    std::vector<const char*> values = {"10", "read-write", "quenvol", declared.constData()};
    if (!passfile.isEmpty()) {
        keywords.push_back("passfile");
        values.push_back(passfile.constData());
    }
    keywords.insert(keywords.end(), {"dbname", nullptr});
    values.insert(values.end(), {info.constData(), nullptr});
    PGconn* conn = PQconnectdbParams(keywords.data(), values.data(), 1);
    const QByteArray settings = QStringLiteral("SET lock_timeout = %1; SET DateStyle = ISO; "
                                               "SET client_encoding = 'UTF8'; "
                                               // the server's NOTICE lines ("... does not exist, skipping")
                                               // are for a console, not for an operator's terminal
                                               "SET client_min_messages = warning")
                                    .arg(lockTimeoutMs)
                                    .toUtf8();
    auto connection = std::make_shared<Connection>(conn, company, secret, settings);
    if (!conn || PQstatus(conn) != CONNECTION_OK)
        throw connection->error(nullptr);
    connection->applySettings();
    Result schema = connection->exec(QStringLiteral("SELECT 1 FROM pg_catalog.pg_namespace WHERE nspname = $1"),
                                     {company.toUtf8()});
    if (company.isEmpty() || PQntuples(schema.get()) == 0)
        throw EngineError(CannotOpenDatabase,
                          QStringLiteral("Impossibile trovare la società '%1' sul server.").arg(company));
    return std::make_unique<PgDatabase>(connection);
}

}  // namespace store
