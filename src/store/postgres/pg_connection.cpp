// Statements, table shapes, values and error mapping for the PostgreSQL engine.
#include "store/postgres/pg_connection.h"

#include "store/postgres/pg_conninfo.h"
#include "store/postgres/pg_refusal_state.h"

#include <QDate>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace store::pg {

namespace {

using namespace EngineErrorNumber;

const QString LostWriteText = QStringLiteral(
    "La connessione al server si è interrotta durante la scrittura: la scrittura non è stata eseguita.");

// Day 0 of the day numbers the program writes for dates.
const QDate DayZero(1899, 12, 30);

// The file engine's number for a failure the server reports with `state`
// (its five-character SQLSTATE).
int numberForState(const QByteArray& state)
{
    if (state == "55P03" || state == "40P01" || state == "40001")
        return TableLocked;  // lock_timeout ran out, deadlock, serialization failure
    if (state == "42P01")
        return TableNotFound;
    if (state == "42703")
        return ItemNotFound;
    if (state == "22P02" || state == "22007" || state == "22008" || state == "42804")
        return TypeMismatch;
    if (state == "22003")
        return Overflow;
    if (state.startsWith("08") || state == "57P01" || state == "57P02" || state == "57P03" || state == "53300")
        return ServerUnreachable;  // connection failures, server shut-downs, no free connection
    return WriteFailed;
}

QString trimmedText(const char* text)
{
    return QString::fromUtf8(text ? text : "").trimmed();
}

// The server refused a connection because all of its connections (or those
// of the role) are taken (SQLSTATE 53300, which libpq gives only as the
// server's text when connecting). Told in the operator's words; the caller retries it as a
// lost connection.
const QString TooManyClientsText = QStringLiteral(
    "Il server ha già tutte le connessioni occupate (troppe postazioni collegate): si può riprovare tra poco; "
    "se succede spesso, l'amministratore del server deve aumentare max_connections.");

QString connectionText(const PGconn* conn)
{
    const QString text = trimmedText(PQerrorMessage(conn));
    // The server's text in English or in Italian (its lc_messages).
    if (text.contains(QLatin1String("too many clients")) || text.contains(QLatin1String("too many connections")) ||
        text.contains(QLatin1String("troppi client")) || text.contains(QLatin1String("troppe connessioni")) ||
        text.contains(QLatin1String("53300")))
        return TooManyClientsText;
    return ExplainedConnectionFailure(text, conn);  // a refusal said in Italian, with the cure
}

}  // namespace

EngineError errorFor(PGconn* conn, const PGresult* result)
{
    if (PQstatus(conn) == CONNECTION_BAD)
        return EngineError(ServerUnreachable, connectionText(conn));
    if (!result)
        return EngineError(ServerUnreachable, connectionText(conn));
    const QByteArray state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    if (state == "53300")
        return EngineError(ServerUnreachable, TooManyClientsText);
    const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    const QString text = primary ? trimmedText(primary) : trimmedText(PQresultErrorMessage(result));
    // Failures the operator can act on: a sentence of ours, the server's text beneath.
    return EngineError(numberForState(state), ExplainedStatementFailure(state, text, false));
}

QString TableShape::qualifiedName() const
{
    return quoted(schema) + QLatin1Char('.') + quoted(name);
}

Connection::Connection(PGconn* conn, QString schema, QString secret, QByteArray settings)
    : conn_(conn), schema_(std::move(schema)), secret_(std::move(secret)), settings_(std::move(settings))
{
}

QString Connection::withoutSecret(QString text) const
{
    return WithoutPassword(std::move(text), secret_);
}

EngineError Connection::error(const PGresult* result) const
{
    const EngineError raw = errorFor(conn_, result);
    return EngineError(raw.number(), withoutSecret(raw.description()));
}

void Connection::applySettings()
{
    Result result(PQexec(conn_, settings_.constData()), &PQclear);
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK && PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        throw error(result.get());
}

bool Connection::lost(const PGresult* result) const
{
    if (PQstatus(conn_) == CONNECTION_BAD || !result)
        return true;
    // A server shutting down, or a fail-over, ends the session with an error
    // before libpq sees the socket close: the session is gone all the same.
    const QByteArray state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    return state.startsWith("08") || state == "57P01" || state == "57P02" || state == "57P03" || state == "53300";
}

const QByteArray* Connection::prepared(const QByteArray& sql, int parameters)
{
    if (const auto found = prepared_.constFind(sql); found != prepared_.constEnd())
        return &*found;
    // Only the statements that come back again and again: reads and writes
    // with their values bound, never a search by pattern (whose plan depends
    // on the pattern) nor a command of the session or the transaction.
    static const QByteArray kinds[] = {"SELECT ", "UPDATE ", "INSERT ", "DELETE "};
    const bool repeated = parameters > 0 && !sql.contains("LIKE") &&
        std::any_of(std::begin(kinds), std::end(kinds), [&](const QByteArray& kind) { return sql.startsWith(kind); });
    if (!repeated || prepared_.size() >= 200 || PQtransactionStatus(conn_) != PQTRANS_IDLE ||
        PQpipelineStatus(conn_) != PQ_PIPELINE_OFF)
        return nullptr;
    // Prepared the second time it is seen: one read once (a table's shape)
    // costs no extra round trip.
    if (seenOnce_.size() < 400 && !seenOnce_.contains(sql)) {
        seenOnce_.insert(sql);
        return nullptr;
    }
    const QByteArray name = "quenvol_" + QByteArray::number(++preparedCount_);
    Result done(PQprepare(conn_, name.constData(), sql.constData(), parameters, nullptr), &PQclear);
    // A refusal is told when the statement is sent as text.
    if (!done || PQresultStatus(done.get()) != PGRES_COMMAND_OK)
        return nullptr;
    return &*prepared_.insert(sql, name);
}

bool Connection::forgetPreparedOn(const PGresult* result)
{
    const QByteArray state(result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr);
    // "cached plan must not change result type", "prepared statement does not exist".
    if (prepared_.isEmpty() || (state != "0A000" && state != "26000"))
        return false;
    prepared_.clear();
    if (PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) == PQTRANS_IDLE)
        Result(PQexec(conn_, "DEALLOCATE ALL"), &PQclear);
    return true;
}

Result Connection::run(const QByteArray& sql, const std::vector<QByteArray>& params)
{
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const QByteArray& p : params)
        values.push_back(p.isNull() ? nullptr : p.constData());
    bool asText = false;
    for (;;) {
        const QByteArray* name = asText ? nullptr : prepared(sql, int(values.size()));
        Result result(name ? PQexecPrepared(conn_, name->constData(), int(values.size()), values.data(), nullptr,
                                            nullptr, 0)
                           : PQexecParams(conn_, sql.constData(), int(values.size()), nullptr, values.data(),
                                          nullptr, nullptr, 0),
                      &PQclear);
        const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return result;
        if (name && forgetPreparedOn(result.get()) && PQtransactionStatus(conn_) == PQTRANS_IDLE) {
            asText = true;
            continue;
        }
        if (!lost(result.get()))
            throw error(result.get());
        reconnect(error(result.get()).description());
    }
}

std::vector<Result> Connection::readTogether(const std::vector<Statement>& batch)
{
    if (broken_)
        throw EngineError(ServerUnreachable, LostWriteText);
    bool asText = false;
    for (;;) {
        std::vector<Result> results;
        QString lostText;
        if (!sendBatch(batch, results, &lostText, !asText)) {
            reconnect(lostText);  // reads: nothing lost by sending them again
            continue;
        }
        bool again = false;
        for (const Result& result : results) {
            const ExecStatusType status = PQresultStatus(result.get());
            if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
                continue;
            if (!asText && forgetPreparedOn(result.get())) {
                again = asText = true;  // reads: sent again as text
                break;
            }
            throw error(result.get());
        }
        if (!again)
            return results;
    }
}

Result Connection::runOnce(const QString& sql, const std::vector<QByteArray>& params)
{
    if (broken_)
        throw EngineError(ServerUnreachable, LostWriteText);
    const QByteArray utf8 = sql.toUtf8();
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const QByteArray& p : params)
        values.push_back(p.isNull() ? nullptr : p.constData());
    const QByteArray* name = prepared(utf8, int(values.size()));
    Result result(name ? PQexecPrepared(conn_, name->constData(), int(values.size()), values.data(), nullptr,
                                        nullptr, 0)
                       : PQexecParams(conn_, utf8.constData(), int(values.size()), nullptr, values.data(), nullptr,
                                      nullptr, 0),
                  &PQclear);
    ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    // A plan that no longer fits fails before the statement runs: sent again as text.
    if (name && status == PGRES_FATAL_ERROR && forgetPreparedOn(result.get()) &&
        PQtransactionStatus(conn_) == PQTRANS_IDLE) {
        result = Result(PQexecParams(conn_, utf8.constData(), int(values.size()), nullptr, values.data(), nullptr,
                                     nullptr, 0),
                        &PQclear);
        status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    }
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return result;
    if (!lost(result.get()))
        throw error(result.get());
    reconnect(error(result.get()).description());
    return Result(nullptr, &PQclear);
}

void Connection::copyIn(const QString& sql, const std::function<bool(QByteArray&)>& chunk)
{
    if (broken_)
        throw EngineError(ServerUnreachable, LostWriteText);
    if (!transaction_)
        throw EngineError(WriteFailed, QStringLiteral("Nessuna transazione in corso."));
    if (!begun_) {
        run("BEGIN", {});
        begun_ = true;
    }
    Result start(PQexec(conn_, sql.toUtf8().constData()), &PQclear);
    if (PQresultStatus(start.get()) != PGRES_COPY_IN) {
        broken_ = lost(start.get());
        throw error(start.get());
    }
    // Whatever stops the rows (a source that cannot be read, a connection
    // gone) ends the COPY with an error, so the server keeps none of them.
    QString failure;
    try {
        QByteArray data;
        while (chunk(data))
            if (!data.isEmpty() && PQputCopyData(conn_, data.constData(), int(data.size())) != 1) {
                failure = withoutSecret(ExplainedConnectionFailure(trimmedText(PQerrorMessage(conn_)), conn_));
                break;
            }
    } catch (const EngineError&) {
        PQputCopyEnd(conn_, "interrotto");
        while (PGresult* rest = PQgetResult(conn_))
            PQclear(rest);
        throw;
    }
    PQputCopyEnd(conn_, failure.isEmpty() ? nullptr : "interrotto");
    Result end(PQgetResult(conn_), &PQclear);
    while (PGresult* rest = PQgetResult(conn_))
        PQclear(rest);
    if (!end || PQresultStatus(end.get()) != PGRES_COMMAND_OK) {
        broken_ = lost(end.get());
        throw error(end.get());
    }
    if (!failure.isEmpty())
        throw EngineError(WriteFailed, failure);
}

bool Connection::sendBatch(const std::vector<Statement>& batch, std::vector<Result>& results,
                           QString* lostText, bool usePrepared)
{
    results.clear();
    *lostText = withoutSecret(connectionText(conn_));
    if (PQstatus(conn_) != CONNECTION_OK)
        return false;
    // Prepared before the batch goes, each the first time it is seen.
    std::vector<const QByteArray*> names;
    for (const Statement& statement : batch)
        names.push_back(usePrepared ? prepared(statement.sql, int(statement.params.size())) : nullptr);
    if (PQenterPipelineMode(conn_) != 1)
        return false;
    bool sent = true;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        const Statement& statement = batch[i];
        std::vector<const char*> values;
        for (const QByteArray& p : statement.params)
            values.push_back(p.isNull() ? nullptr : p.constData());
        const int queued = names[i] ? PQsendQueryPrepared(conn_, names[i]->constData(), int(values.size()),
                                                          values.data(), nullptr, nullptr, 0)
                                    : PQsendQueryParams(conn_, statement.sql.constData(), int(values.size()), nullptr,
                                                        values.data(), nullptr, nullptr, 0);
        if (queued != 1) {
            sent = false;
            break;
        }
    }
    if (sent && PQpipelineSync(conn_) != 1)
        sent = false;
    bool arrived = sent;
    // Each statement's result is followed by a null; the sync's result ends the batch.
    while (arrived && results.size() < batch.size()) {
        Result result(PQgetResult(conn_), &PQclear);
        const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status == PGRES_FATAL_ERROR && lost(result.get())) {
            *lostText = error(result.get()).description();
            arrived = false;
            break;
        }
        results.push_back(std::move(result));
        while (PGresult* rest = PQgetResult(conn_))
            PQclear(rest);
    }
    if (arrived) {
        Result sync(PQgetResult(conn_), &PQclear);
        arrived = sync && PQresultStatus(sync.get()) == PGRES_PIPELINE_SYNC;
    }
    if (PQstatus(conn_) == CONNECTION_OK)
        PQexitPipelineMode(conn_);
    if (!arrived && lostText->isEmpty())
        *lostText = withoutSecret(connectionText(conn_));
    return arrived && PQstatus(conn_) == CONNECTION_OK;
}

Result Connection::step(const QByteArray& sql, const std::vector<QByteArray>& params)
{
    for (;;) {
        const bool withBegin = !begun_;
        std::vector<Statement> batch;
        if (withBegin)
            batch.push_back({"BEGIN", {}});
        batch.push_back({"SAVEPOINT quenvol_step", {}});
        batch.push_back({sql, params});
        batch.push_back({"RELEASE SAVEPOINT quenvol_step", {}});
        std::vector<Result> results;
        QString lostText;
        if (!sendBatch(batch, results, &lostText)) {
            // Lost before this transaction's first answer: nothing of the write
            // is on the server, so it goes on quietly on a new connection.
            // Later, the transaction went with the connection (reconnect throws).
            reconnect(lostText);
            continue;
        }
        const size_t at = withBegin ? 2 : 1;  // the statement's result
        if (withBegin && PQresultStatus(results[0].get()) != PGRES_COMMAND_OK)
            throw error(results[0].get());
        begun_ = true;
        if (PQresultStatus(results[at - 1].get()) != PGRES_COMMAND_OK)
            throw error(results[at - 1].get());
        const ExecStatusType status = PQresultStatus(results[at].get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            Result(PQexec(conn_, "ROLLBACK TO SAVEPOINT quenvol_step"), &PQclear);
            throw error(results[at].get());
        }
        if (PQresultStatus(results[at + 1].get()) != PGRES_COMMAND_OK)
            throw error(results[at + 1].get());
        return std::move(results[at]);
    }
}

bool Connection::resetQuietly(QString* text)
{
    ResetKeepingState(conn_);
    prepared_.clear();  // a new session has none
    if (PQstatus(conn_) != CONNECTION_OK) {
        *text = withoutSecret(connectionText(conn_));
        return false;
    }
    if (PQpipelineStatus(conn_) != PQ_PIPELINE_OFF)
        PQexitPipelineMode(conn_);
    try {
        applySettings();
        return true;
    } catch (const EngineError& failure) {
        *text = failure.description();
        return false;
    }
}

void Connection::reconnect(QString text)
{
    // A write whose statements have had an answer lost its transaction with
    // the connection; one that has sent nothing yet has lost nothing.
    const bool lostWrite = transaction_ && begun_;
    const QString serverText = text;  // the server's or libpq's own words, told beneath ours
    // A server that has come back (or, with several hosts named, the one that
    // now accepts writes) is simply connected to again; otherwise the user is
    // asked, as often as they choose Retry.
    bool connected = resetQuietly(&text);
    while (!connected) {
        if (!lostHandler_ || !lostHandler_(text)) {
            broken_ = transaction_;
            throw EngineError(ServerUnreachable, text);
        }
        connected = resetQuietly(&text);
    }
    if (lostWrite) {
        broken_ = true;
        throw EngineError(ServerUnreachable, LostWriteText + QLatin1Char('\n') + serverText);
    }
}

Result Connection::exec(const QString& sql, const std::vector<QByteArray>& params)
{
    if (broken_)
        throw EngineError(ServerUnreachable, LostWriteText);
    const QByteArray utf8 = sql.toUtf8();
    return transaction_ ? step(utf8, params) : run(utf8, params);
}

bool Connection::inTransaction() const
{
    return transaction_;
}

void Connection::beginTrans()
{
    if (transaction_)
        throw EngineError(WriteFailed, QStringLiteral("Una transazione è già in corso."));
    // BEGIN goes with the first statement: a connection lost since the last
    // operation is then made again before anything of the write is sent.
    transaction_ = true;
    begun_ = false;
}

void Connection::commitTrans()
{
    if (!transaction_)
        throw EngineError(WriteFailed, QStringLiteral("Nessuna transazione in corso."));
    if (broken_) {
        transaction_ = broken_ = begun_ = false;
        throw EngineError(ServerUnreachable, LostWriteText);
    }
    if (!begun_) {  // nothing was sent: nothing to commit
        transaction_ = false;
        return;
    }
    Result result(nullptr, &PQclear);
    try {
        result = run("COMMIT", {});
    } catch (const EngineError&) {
        transaction_ = broken_ = begun_ = false;
        throw;
    }
    transaction_ = begun_ = false;
    // A COMMIT of a transaction that had failed ends it with ROLLBACK, not an error.
    if (QByteArray(PQcmdStatus(result.get())) == "ROLLBACK")
        throw EngineError(WriteFailed, QStringLiteral("La transazione è stata annullata dal server."));
}

void Connection::rollback()
{
    transaction_ = broken_ = begun_ = false;
    // A lost connection has already undone everything on the server.
    if (PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) != PQTRANS_IDLE)
        Result(PQexec(conn_, "ROLLBACK"), &PQclear);
}

const TableShape& Connection::shape(const QString& table)
{
    const QString key = table.toLower();
    const auto found = shapes_.constFind(key);
    if (found != shapes_.constEnd())
        return *found;
    // Tables of the company's schema; a name differing only in case still
    // finds its table, as in the file.
    Result tables = exec(QStringLiteral(
        "SELECT c.oid, c.relname FROM pg_catalog.pg_class c "
        "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
        "WHERE n.nspname = $1 AND lower(c.relname) = lower($2) AND c.relkind IN ('r', 'p') "
        "ORDER BY c.relname = $2 DESC LIMIT 1"),
        {schema_.toUtf8(), table.toUtf8()});
    if (PQntuples(tables.get()) == 0)
        throw EngineError(TableNotFound, QStringLiteral("Impossibile trovare la tabella '%1'.").arg(table));
    TableShape shape;
    shape.schema = schema_;
    shape.name = QString::fromUtf8(PQgetvalue(tables.get(), 0, 1));
    const QByteArray oid = PQgetvalue(tables.get(), 0, 0);
    Result columns = exec(QStringLiteral(
        "SELECT a.attname, a.atttypid, "
        "EXISTS (SELECT 1 FROM pg_catalog.pg_index i WHERE i.indrelid = a.attrelid AND i.indisprimary "
        "AND i.indnatts = 1 AND i.indkey[0] = a.attnum) "
        "FROM pg_catalog.pg_attribute a WHERE a.attrelid = $1 AND a.attnum > 0 AND NOT a.attisdropped "
        "ORDER BY a.attnum"),
        {oid});
    for (int row = 0; row < PQntuples(columns.get()); ++row) {
        if (PQgetvalue(columns.get(), row, 2)[0] == 't')
            shape.keyColumn = int(shape.columns.size());
        shape.columns << QString::fromUtf8(PQgetvalue(columns.get(), row, 0));
        shape.types.push_back(Oid(QByteArray(PQgetvalue(columns.get(), row, 1)).toUInt()));
    }
    return *shapes_.insert(key, shape);
}

QByteArray parameterText(const Value& value, Oid type)
{
    if (value.isNull() || !value.isValid())
        return QByteArray();
    const int valueType = value.typeId();
    const bool number = valueType == QMetaType::Int || valueType == QMetaType::LongLong ||
                        valueType == QMetaType::Short || valueType == QMetaType::UShort ||
                        valueType == QMetaType::UInt || valueType == QMetaType::Long ||
                        valueType == QMetaType::ULongLong || valueType == QMetaType::Double ||
                        valueType == QMetaType::Float;
    if (type == TypeOid::Date) {
        // ISO, which Qt writes only for years 0 to 9999: a year past 9999 has
        // more digits, one before Christ is marked BC.
        const auto iso = [](const QDate& day) {
            const int year = day.year();
            QByteArray text = QByteArray::number(year < 0 ? -year : year).rightJustified(4, '0') + '-' +
                QByteArray::number(day.month()).rightJustified(2, '0') + '-' +
                QByteArray::number(day.day()).rightJustified(2, '0');
            return year < 0 ? text + " BC" : text;
        };
        if (valueType == QMetaType::QDate)
            return iso(value.toDate());
        bool ok = false;
        const double days = value.toDouble(&ok);
        if (number || ok)
            return iso(DayZero.addDays(qint64(days)));
        return value.toString().toUtf8();  // the server tells what is wrong with it
    }
    if (valueType == QMetaType::Bool)
        return value.toBool() ? "1" : "0";
    if (valueType == QMetaType::Double || valueType == QMetaType::Float) {
        const double d = value.toDouble();
        // An integer column takes a whole-valued double as the file does.
        if ((type == TypeOid::Int2 || type == TypeOid::Int4 || type == TypeOid::Int8) && d == qint64(d))
            return QByteArray::number(qint64(d));
        return QByteArray::number(d, 'g', 17);
    }
    return value.toString().toUtf8();
}

namespace {

// A number as the server writes it, the values that are not numbers too
// ("NaN", "Infinity", "-Infinity"), which toDouble would read as 0.
double ServerDouble(const char* text)
{
    const QByteArray number(text);
    if (number == "NaN")
        return std::numeric_limits<double>::quiet_NaN();
    if (number == "Infinity")
        return std::numeric_limits<double>::infinity();
    if (number == "-Infinity")
        return -std::numeric_limits<double>::infinity();
    return number.toDouble();
}

// A date as the server writes it in the ISO style, as its day number from
// DayZero: a year of more than four digits and a year before Christ ("BC")
// as well. A date the day numbers cannot hold ("infinity") stays its text.
Value ServerDay(const char* text)
{
    static const QRegularExpression iso(QStringLiteral("^(\\d{4,})-(\\d{2})-(\\d{2})( BC)?$"));
    const QString date = QString::fromLatin1(text);
    const QRegularExpressionMatch parts = iso.match(date);
    if (!parts.hasMatch())
        return Value(date);
    int year = parts.captured(1).toInt();
    if (parts.hasCaptured(4))
        year = -year;  // QDate has no year 0: 1 BC is year -1, as the server counts
    const QDate day(year, parts.captured(2).toInt(), parts.captured(3).toInt());
    return day.isValid() ? Value(qlonglong(DayZero.daysTo(day))) : Value(date);
}

}  // namespace

Value valueOf(const PGresult* result, int row, int column)
{
    if (PQgetisnull(result, row, column))
        return Value();
    const char* text = PQgetvalue(result, row, column);
    switch (PQftype(result, column)) {
    case TypeOid::Int2:
    case TypeOid::Int4:
    case TypeOid::Int8:
        return Value(QByteArray(text).toLongLong());
    case TypeOid::Float4:
    case TypeOid::Float8:
    case TypeOid::Numeric:
        return Value(ServerDouble(text));
    case TypeOid::Bool:
        return Value(qlonglong(text[0] == 't' ? 1 : 0));
    case TypeOid::Date:
        return ServerDay(text);
    default:
        return Value(QString::fromUtf8(text, PQgetlength(result, row, column)));
    }
}

}  // namespace store::pg
