// The database over PostgreSQL: the company is a schema of the office's server.
// Opens the connection, runs transactions, opens cursors and snapshots.
#include "store/engine/like_pattern.h"
#include "store/engine/workstation.h"
#include "store/postgres/libpq_on_demand.h"
#include "store/postgres/pg_connection.h"
#include "store/postgres/pg_conninfo.h"
#include "store/postgres/pg_refusal_state.h"

#include <QFile>

#include <algorithm>
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

// A value in COPY's text form: Null as \\N; a backslash, tab, newline and
// carriage return escaped.
void appendCopyText(QByteArray& out, const QByteArray& text)
{
    if (text.isNull()) {
        out += "\\N";
        return;
    }
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

class PgDatabase : public Database {
public:
    explicit PgDatabase(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}

    void beginTrans() override { connection_->beginTrans(); }
    void commitTrans() override { connection_->commitTrans(); }
    void rollback() override { connection_->rollback(); }
    void execute(const QString& statement) override { connection_->exec(statement); }

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

    qlonglong appendRows(const QString& table, const QStringList& columns, const RowSource& next) override
    {
        const pg::TableShape& shape = connection_->shape(table);
        QStringList names;
        std::vector<Oid> types;
        for (const QString& column : columns) {
            const int index = shape.columnIndex(column);
            if (index < 0)
                throw EngineError(ItemNotFound, QStringLiteral("Elemento '%1' non trovato nell'insieme.").arg(column));
            names << quoted(shape.columns[index]);
            types.push_back(shape.types[size_t(index)]);
        }
        std::vector<Value> values(size_t(columns.size()));
        qlonglong rows = 0;
        bool more = true;
        connection_->copyIn(QStringLiteral("COPY %1 (%2) FROM STDIN").arg(shape.qualifiedName(), names.join(QLatin1Char(','))),
                            [&](QByteArray& data) {
                                data.clear();
                                while (more && data.size() < 256 * 1024) {
                                    more = next(values);
                                    if (!more)
                                        break;
                                    for (size_t i = 0; i < values.size(); ++i) {
                                        if (i > 0)
                                            data += '\t';
                                        appendCopyText(data, parameterText(values[i], types[i]));
                                    }
                                    data += '\n';
                                    ++rows;
                                }
                                return !data.isEmpty();
                            });
        return rows;
    }

    void readAhead(const std::vector<SeekAhead>& seeks) override { pg::readAhead(*connection_, seeks); }

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

    std::unique_ptr<Snapshot> openNewestRows(const QString& table, const QString& column, const QString& value,
                                             const Value& belowKey, int limit) override
    {
        const pg::TableShape& shape = connection_->shape(table);
        const int index = shape.columnIndex(column);
        if (index < 0)
            throw EngineError(ItemNotFound, QStringLiteral("Elemento '%1' non trovato nell'insieme.").arg(column));
        // The column folded as its index folds it, so the index serves it.
        const QString key = quoted(shape.columns[shape.keyColumn]);
        QString sql = QStringLiteral("SELECT * FROM %1 WHERE lower((%2)::text COLLATE \"C\") = lower($1::text COLLATE \"C\")")
                          .arg(shape.qualifiedName(), quoted(shape.columns[index]));
        std::vector<QByteArray> params{value.toUtf8()};
        if (!belowKey.isNull()) {
            sql += QStringLiteral(" AND %1 < $2").arg(key);
            params.push_back(belowKey.toString().toUtf8());
        }
        params.push_back(QByteArray::number(std::max(0, limit)));
        sql += QStringLiteral(" ORDER BY %1 DESC LIMIT $%2::bigint").arg(key).arg(params.size());
        return makeSnapshot(connection_->exec(sql, params));
    }

    qlonglong countRows(const QString& table) override
    {
        const pg::TableShape& shape = connection_->shape(table);
        const std::unique_ptr<Snapshot> count =
            makeSnapshot(connection_->exec(QStringLiteral("SELECT count(*) FROM %1").arg(shape.qualifiedName())));
        return count->field(0).toLongLong();
    }

    std::unique_ptr<Snapshot> openKeyOrderWalk(const QString& table) override
    {
        return makeKeyOrderWalk(connection_, connection_->shape(table));
    }

    Value callFunction(const QString& function, const std::vector<Value>& arguments) override
    {
        QStringList placeholders;
        std::vector<QByteArray> params;
        for (const Value& argument : arguments) {
            if (argument.typeId() == QMetaType::QStringList) {
                // A list is a text array; a null text in it is Null.
                QStringList items;
                for (QString item : argument.toStringList())
                    items << (item.isNull() ? QStringLiteral("NULL")
                                            : QLatin1Char('"') +
                                                  item.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                                                      .replace(QLatin1Char('"'), QStringLiteral("\\\"")) +
                                                  QLatin1Char('"'));
                params.push_back((QLatin1Char('{') + items.join(QLatin1Char(',')) + QLatin1Char('}')).toUtf8());
                placeholders << QStringLiteral("$%1::text[]").arg(params.size());
                continue;
            }
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

// The connection to the server for company `company`, as every opening makes it.
std::shared_ptr<Connection> ConnectFor(const QString& conninfo, const QString& company, int lockTimeoutMs)
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
    PGconn* conn = ConnectKeepingState(keywords.data(), values.data(), 1);
    // Read committed whatever the server's or the role's default: each
    // statement, and the history's trigger at the commit, sees the last
    // change committed before it. Numbers written whole whatever the role's
    // or the database's default (extra_float_digits of 0 or less rounds them
    // to 15 digits): a value read is the value stored.
    const QByteArray settings = QStringLiteral("SET lock_timeout = %1; SET DateStyle = ISO; "
                                               "SET extra_float_digits = 3; "
                                               "SET default_transaction_isolation = 'read committed'; "
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
    return connection;
}

bool SchemaExists(Connection& connection, const QString& company)
{
    Result schema = connection.exec(QStringLiteral("SELECT 1 FROM pg_catalog.pg_namespace WHERE nspname = $1"),
                                    {company.toUtf8()});
    return PQntuples(schema.get()) > 0;
}

}  // namespace

std::unique_ptr<Database> openServerDatabase(const QString& conninfo, const QString& company, int lockTimeoutMs)
{
    std::shared_ptr<Connection> connection = ConnectFor(conninfo, company, lockTimeoutMs);
    if (company.isEmpty() || !SchemaExists(*connection, company))
        throw EngineError(CannotOpenDatabase,
                          QStringLiteral("Impossibile trovare la società '%1' sul server.").arg(company));
    return std::make_unique<PgDatabase>(connection);
}

std::unique_ptr<Database> openServerDatabaseToCreate(const QString& conninfo, const QString& company)
{
    std::shared_ptr<Connection> connection = ConnectFor(conninfo, company, 3000);
    if (SchemaExists(*connection, company))
        throw EngineError(WriteFailed,
                          QStringLiteral("la società %1 esiste già sul server: non viene sovrascritta").arg(company));
    return std::make_unique<PgDatabase>(connection);
}

}  // namespace store
