// Statements, table shapes and error mapping for the SQLite engine.
#include "store/sqlite/sqlite_connection.h"

#include "store/sqlite/sqlite_words.h"

namespace store::sqlite {

namespace {

bool isLockCode(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

}  // namespace

void fail(int code, const QString& text, int engineNumber)
{
    if (isLockCode(code))
        throw EngineError(EngineErrorNumber::TableLocked, text);
    throw EngineError(engineNumber, ExplainedSqliteFailure(code, text));
}

void fail(sqlite3* db, int code, int engineNumber)
{
    fail(code, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code)), engineNumber);
}

Statement::Statement(sqlite3* db, const QString& sql) : db_(db)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        fail(db_, rc, EngineErrorNumber::WriteFailed);
    }
}

Statement::~Statement()
{
    sqlite3_finalize(stmt_);
}

void Statement::bind(int position, const Value& value)
{
    int rc = SQLITE_OK;
    if (value.isNull() || !value.isValid()) {
        rc = sqlite3_bind_null(stmt_, position);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Long:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(stmt_, position, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt_, position, value.toDouble());
            break;
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text(stmt_, position, utf8.constData(), int(utf8.size()),
                                   SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        fail(db_, rc, EngineErrorNumber::WriteFailed);
}

bool Statement::step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString text = QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_reset(stmt_);
    fail(rc, text, EngineErrorNumber::WriteFailed);
}

void Statement::reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

Value Statement::column(int index) const
{
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_NULL:
        return Value();
    case SQLITE_INTEGER:
        return Value(qlonglong(sqlite3_column_int64(stmt_, index)));
    case SQLITE_FLOAT:
        return Value(sqlite3_column_double(stmt_, index));
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
        return Value(QString::fromUtf8(text, sqlite3_column_bytes(stmt_, index)));
    }
    }
}

int Statement::columnCount() const
{
    return sqlite3_column_count(stmt_);
}

QString Statement::columnName(int index) const
{
    return QString::fromUtf8(sqlite3_column_name(stmt_, index));
}

TableShape readShape(sqlite3* db, const QString& table)
{
    TableShape shape;
    {
        Statement find(db, QStringLiteral(
            "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE"));
        find.bind(1, table);
        if (!find.step())
            throw EngineError(EngineErrorNumber::TableNotFound,
                              QStringLiteral("Impossibile trovare la tabella '%1'.").arg(table));
        shape.name = find.column(0).toString();
    }
    Statement info(db, QStringLiteral("SELECT name, pk FROM pragma_table_info(?1)"));
    info.bind(1, shape.name);
    while (info.step()) {
        if (info.column(1).toInt() == 1)
            shape.keyColumn = int(shape.columns.size());
        shape.columns << info.column(0).toString();
    }
    return shape;
}

}  // namespace store::sqlite
