// Creating and seeding company database files.
#include "company/company_file.h"
#include "company/folder_making.h"

#include "company/pending_file.h"
#include "store/history/history_chain.h"
#include "store/schema/register_code.h"
#include "store/schema/schema.h"
#include "store/engine/sql_text.h"
#include "store/schema/table_description.h"
#include "store/sqlite/sqlite_words.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace company::file {

namespace {

class Connection {
public:
    explicit Connection(const QString& path, bool create)
    {
        const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
        sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr);
        if (sqlite3_extended_result_codes(db_, 1) != SQLITE_OK || sqlite3_errcode(db_) != SQLITE_OK)
            error_ = failure();
    }
    ~Connection() { sqlite3_close_v2(db_); }
    const QString& error() const { return error_; }

    bool exec(const QString& sql)
    {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
            return true;
        sqlite3_free(message);
        error_ = failure();
        return false;
    }

    sqlite3* handle() const { return db_; }

private:
    // SQLite's text for the last failure, in our words where the operator can act on it.
    QString failure() const
    {
        return store::sqlite::ExplainedSqliteFailure(sqlite3_extended_errcode(db_),
                                                     QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : "out of memory"),
                                                     sqlite3_system_errno(db_));
    }

    sqlite3* db_ = nullptr;
    QString error_;
};

// The names of the columns table `name` has in the file, in lower case; empty
// when the table is missing. False on an SQLite error.
bool StoredColumns(sqlite3* db, const QString& name, QStringList* present)
{
    present->clear();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?1)", -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    const QByteArray table = name.toUtf8();
    sqlite3_bind_text(stmt, 1, table.constData(), int(table.size()), SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        *present << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))).toLower();
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}

// Adds to the three shared tables every column their description has and the
// file lacks (a company made by an earlier version), inside the caller's
// transaction; `added` names them as "Table.Column". Empty text on success.
QString AddMissingSharedColumns(Connection& connection, QStringList* added)
{
    for (const store::TableDescription* table : store::SharedTables()) {
        QStringList present;
        if (!StoredColumns(connection.handle(), table->name, &present))
            return QString::fromUtf8(sqlite3_errmsg(connection.handle()));
        if (present.isEmpty())
            return QStringLiteral("la tabella %1 non esiste").arg(table->name);
        for (const store::ColumnDescription& column : table->columns) {
            if (present.contains(column.name.toLower()))
                continue;
            if (!connection.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                                     .arg(store::quoted(table->name), store::quoted(column.name),
                                          store::SqliteType(column))))
                return connection.error();
            *added << table->name + QLatin1Char('.') + column.name;
        }
    }
    return QString();
}

}  // namespace

namespace {

QString CreateCompanyDatabase(const QString& path, bool codeRule)
{
    const QFileInfo info(path);
    if (info.exists())
        return QStringLiteral("il file %1 esiste già: non viene sovrascritto").arg(path);
    if (const QString refused = MakeFolders(info.absolutePath()); !refused.isEmpty())
        return refused;
    // SQLite tells only that it could not open the file; the system says why.
    if (const QString refused = FileCreationRefused(path); !refused.isEmpty())
        return refused;
    Connection connection(path, true);
    if (!connection.error().isEmpty())
        return connection.error();
    if (!connection.exec(QStringLiteral("BEGIN")))
        return connection.error();
    const QStringList codeTriggers = store::RegisterCodeFileTriggers();
    for (const QString& statement : store::CreateTableStatements())
        if ((codeRule || !codeTriggers.contains(statement)) && !connection.exec(statement))
            return connection.error();
    if (!connection.exec(QStringLiteral("COMMIT")))
        return connection.error();
    return QString();
}

}  // namespace

QString CreateCompanyDatabase(const QString& path)
{
    return CreateCompanyDatabase(path, true);
}

QString CreateCompanyDatabaseForRows(const QString& path)
{
    return CreateCompanyDatabase(path, false);
}

QString AddRegisterCodeRule(const QString& path)
{
    Connection connection(path, false);
    if (!connection.error().isEmpty())
        return connection.error();
    for (const QString& statement : store::RegisterCodeFileTriggers())
        if (!connection.exec(statement))
            return connection.error();
    return QString();
}

QString CreateCompany(const QString& path, bool demo)
{
    if (QFileInfo::exists(path))
        return QStringLiteral("il file %1 esiste già: non viene sovrascritto").arg(path);
    company::pending::PendingFile pending(path);
    if (!pending.error().isEmpty())
        return pending.error();
    QString error = CreateCompanyDatabase(pending.path());
    if (error.isEmpty() && demo)
        error = AddDemonstrationData(pending.path());
    if (error.isEmpty())
        error = pending.commit();
    return error;
}

QString AddHistoryTable(const QString& path, bool* added)
{
    HistoryUpgrade done;
    const QString error = UpgradeHistory(path, &done);
    *added = done.tableAdded;
    return error;
}

namespace {

// The history's triggers on the file (those refusing to change or delete a
// row), each compared with the SQL this version creates it with: what is
// missing or differs is named in `problems`, told as put back in `repairs`,
// and the statements that put it back are added to `statements`. False,
// with the reason, when the file cannot be read.
bool historyTriggerProblems(sqlite3* db, QStringList* problems, QStringList* repairs, QStringList* statements,
                            QString* error)
{
    const store::TableDescription& history = store::HistoryTableDescription();
    std::vector<std::pair<QString, QString>> present;  // name, SQL; and the table itself
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name, sql FROM sqlite_master WHERE type IN ('trigger', 'table') AND tbl_name = ?1", -1,
                           &stmt, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    const QByteArray table = history.name.toUtf8();
    sqlite3_bind_text(stmt, 1, table.constData(), int(table.size()), SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        present.emplace_back(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))),
                             QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    if (present.empty())
        return true;  // a company made before the history: upgrade adds it, triggers and all
    const QStringList created = store::CreateStatements(history);
    // A trigger of anyone else's on the history (one ignoring its inserts,
    // say) is no guard of it: named, and dropped by the upgrade.
    for (const auto& [name, sql] : present) {
        if (sql.startsWith(QStringLiteral("CREATE TABLE"), Qt::CaseInsensitive) ||
            std::any_of(created.begin(), created.end(), [&](const QString& statement) {
                return statement.startsWith(QStringLiteral("CREATE TRIGGER ")) &&
                    statement.section(QLatin1Char('"'), 1, 1) == name;
            }))
            continue;
        const QString which = QStringLiteral("il trigger %1 della tabella %2").arg(name, history.name);
        *problems << QStringLiteral("%1 non è uno di quelli dello storico").arg(which);
        *repairs << QStringLiteral("tolto %1, che non è uno di quelli dello storico").arg(which);
        *statements << QStringLiteral("DROP TRIGGER %1").arg(store::quoted(name));
    }
    for (const QString& statement : created) {
        if (!statement.startsWith(QStringLiteral("CREATE TRIGGER ")))
            continue;
        const QString name = statement.section(QLatin1Char('"'), 1, 1);
        const QString which = QStringLiteral("il trigger %1 della tabella %2").arg(name, history.name);
        const auto found = std::find_if(present.begin(), present.end(),
                                        [&](const auto& trigger) { return trigger.first == name; });
        if (found == present.end()) {
            *problems << QStringLiteral("manca %1").arg(which);
            *repairs << QStringLiteral("ricreato %1, che mancava").arg(which);
        } else if (found->second != statement) {
            *problems << QStringLiteral("%1 è stato cambiato: la sua definizione non è quella dello storico").arg(which);
            *repairs << QStringLiteral("ricreato %1, che era stato cambiato").arg(which);
            *statements << QStringLiteral("DROP TRIGGER %1").arg(store::quoted(name));
        } else {
            continue;
        }
        *statements << statement;
    }
    return true;
}

}  // namespace

QString HistoryGuardProblems(const QString& path, QStringList* problems)
{
    if (!QFileInfo(path).isFile())
        return QStringLiteral("il file %1 non esiste").arg(path);
    Connection connection(path, false);
    if (!connection.error().isEmpty())
        return connection.error();
    QStringList repairs, statements;
    QString error;
    historyTriggerProblems(connection.handle(), problems, &repairs, &statements, &error);
    return error;
}

QString UpgradeHistory(const QString& path, HistoryUpgrade* done)
{
    namespace H = store::HistoryColumns;
    *done = HistoryUpgrade();
    if (!QFileInfo(path).isFile())
        return QStringLiteral("il file %1 non esiste").arg(path);
    Connection connection(path, false);
    if (!connection.error().isEmpty())
        return connection.error();
    // Immediate: the check and the changes see one state of the file.
    if (!connection.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return connection.error();
    sqlite3* db = connection.handle();
    const auto failed = [&](const QString& reason) {
        connection.exec(QStringLiteral("ROLLBACK"));
        return reason;
    };
    const auto sqliteError = [&] { return failed(QString::fromUtf8(sqlite3_errmsg(db))); };
    const store::TableDescription& history = store::HistoryTableDescription();
    HistoryUpgrade found;
    // The shared tables first, so that everything after sees today's shape.
    if (const QString error = AddMissingSharedColumns(connection, &found.sharedColumnsAdded); !error.isEmpty())
        return failed(error);
    QStringList present;
    {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray sql = QStringLiteral("SELECT name FROM pragma_table_info(%1)")
                                   .arg(QStringLiteral("'%1'").arg(history.name))
                                   .toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            return sqliteError();
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            present << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))).toLower();
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            return sqliteError();
    }
    QStringList statements;
    if (present.isEmpty()) {
        found.tableAdded = true;
        statements << store::CreateStatements(history);
    } else {
        for (const store::ColumnDescription& column : history.columns)
            if (!present.contains(column.name.toLower())) {
                found.columnsAdded << column.name;
                statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN \"%2\" %3")
                                  .arg(store::quoted(history.name), column.name, store::SqliteType(column));
            }
    }
    for (const QString& statement : statements)
        if (!connection.exec(statement))
            return failed(connection.error());
    // The chain of the rows written before the fingerprints, in number
    // order; the trigger that refuses to change a history row is set aside
    // for this alone, inside this transaction.
    std::vector<std::pair<qlonglong, QString>> chained;
    // Once, when the fingerprints arrive: a row added later without one is
    // left for verify to find, never blessed by a later upgrade.
    if (found.columnsAdded.contains(history.columnName(H::Impronta))) {
        sqlite3_stmt* stmt = nullptr;
        QStringList names;
        for (int column = 0; column <= H::Impronta; ++column)
            names << store::quoted(history.columnName(column));
        const QByteArray sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                   .arg(names.join(QStringLiteral(", ")), store::quoted(history.name),
                                        store::quoted(history.columnName(H::Id)))
                                   .toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            return sqliteError();
        QString previous;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            store::Row row;
            for (int column = 0; column < H::Impronta; ++column) {
                if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
                    row.push_back(store::Value());
                else if (sqlite3_column_type(stmt, column) == SQLITE_INTEGER)
                    row.push_back(qlonglong(sqlite3_column_int64(stmt, column)));
                else
                    row.push_back(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column))));
            }
            if (sqlite3_column_type(stmt, H::Impronta) == SQLITE_NULL) {
                previous = store::HistoryFingerprint(previous, row);
                chained.emplace_back(row[H::Id].toLongLong(), previous);
            } else {
                previous = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, H::Impronta)));
            }
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            return sqliteError();
    }
    if (!chained.empty()) {
        const QString trigger = store::quoted(history.name + QStringLiteral("_no_update"));
        if (!connection.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(trigger)))
            return failed(connection.error());
        sqlite3_stmt* stmt = nullptr;
        const QByteArray sql = QStringLiteral("UPDATE %1 SET %2 = ?1 WHERE %3 = ?2")
                                   .arg(store::quoted(history.name), store::quoted(history.columnName(H::Impronta)),
                                        store::quoted(history.columnName(H::Id)))
                                   .toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            return sqliteError();
        for (const auto& [id, fingerprint] : chained) {
            const QByteArray text = fingerprint.toUtf8();
            sqlite3_bind_text(stmt, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(stmt, 2, id);
            if (sqlite3_step(stmt) != SQLITE_DONE) {
                sqlite3_finalize(stmt);
                return sqliteError();
            }
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        for (const QString& statement : store::CreateStatements(history))
            if (statement.contains(QStringLiteral("_no_update")) && !connection.exec(statement))
                return failed(connection.error());
        found.rowsChained = qlonglong(chained.size());
    }
    // The history's guards as this version makes them: what was missing or
    // changed is put back and named.
    {
        QStringList problems;
        QString error;
        statements.clear();
        if (!historyTriggerProblems(db, &problems, &found.repaired, &statements, &error))
            return failed(error);
        for (const QString& statement : statements)
            if (!connection.exec(statement))
                return failed(connection.error());
    }
    // The register codes' rule: the triggers that refuse a new or changed
    // code breaking it; the codes stored before are listed and kept.
    {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray name = (store::RegisterTable + QStringLiteral("_codice_nuovo")).toUtf8();
        if (sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE type = 'trigger' AND name = ?1", -1, &stmt,
                               nullptr) != SQLITE_OK)
            return sqliteError();
        sqlite3_bind_text(stmt, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(stmt);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            return sqliteError();
        if (rc == SQLITE_DONE) {
            const QByteArray codes = QStringLiteral("SELECT %1 FROM %2 ORDER BY 1")
                                         .arg(store::quoted(store::RegisterTableDescription().key().name),
                                              store::quoted(store::RegisterTable))
                                         .toUtf8();
            if (sqlite3_prepare_v2(db, codes.constData(), -1, &stmt, nullptr) != SQLITE_OK)
                return sqliteError();
            int step;
            while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
                const QString code = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
                if (!store::RegisterCodeProblem(code).isEmpty())
                    found.codesBreakingRule << code;
            }
            sqlite3_finalize(stmt);
            if (step != SQLITE_DONE)
                return sqliteError();
            for (const QString& statement : store::RegisterCodeFileTriggers())
                if (!connection.exec(statement))
                    return failed(connection.error());
            found.codeRuleAdded = true;
        }
    }
    // The shape is today's: so is its version number.
    if (!connection.exec(QStringLiteral("PRAGMA user_version = %1").arg(store::CompanySchemaVersion)))
        return failed(connection.error());
    if (!connection.exec(QStringLiteral("COMMIT")))
        return failed(connection.error());
    *done = found;
    return QString();
}

QString Execute(const QString& path, const QStringList& statements)
{
    Connection connection(path, false);
    if (!connection.error().isEmpty())
        return connection.error();
    if (!connection.exec(QStringLiteral("BEGIN")))
        return connection.error();
    for (const QString& statement : statements)
        if (!connection.exec(statement))
            return connection.error();
    if (!connection.exec(QStringLiteral("COMMIT")))
        return connection.error();
    return QString();
}

namespace {

// Inserts one row with bound values.
bool insertRow(sqlite3* db, const QString& table, const QStringList& columns,
               const QVariantList& values, QString* error)
{
    QStringList marks;
    for (int i = 1; i <= columns.size(); ++i)
        marks << QStringLiteral("?%1").arg(i);
    const QString sql = QStringLiteral("INSERT INTO \"%1\" (\"%2\") VALUES (%3)")
                            .arg(table, columns.join(QStringLiteral("\",\"")), marks.join(','));
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& v = values[i];
        if (v.isNull())
            sqlite3_bind_null(stmt, i + 1);
        else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
            sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
        else if (v.typeId() == QMetaType::Double)
            sqlite3_bind_double(stmt, i + 1, v.toDouble());
        else
            sqlite3_bind_text(stmt, i + 1, v.toString().toUtf8().constData(), -1, SQLITE_TRANSIENT);
    }
    const bool ok = sqlite3_step(stmt) == SQLITE_DONE;
    if (!ok)
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    return ok;
}

struct DemoRegister {
    const char* code;
    const char* description;
    const char* series[3];
    int cron[3];
    double guarantee[3];
    int period[3];
    int date[3];
};

}  // namespace

QString AddDemonstrationData(const QString& path)
{
    Connection connection(path, false);
    if (!connection.error().isEmpty())
        return connection.error();
    QString error;
    connection.exec(QStringLiteral("BEGIN"));
    const char* const docTypes[][3] = {
        {"DAU", "DOCUMENTO AMMINISTRATIVO UNICO", "I"}, {"T1", "TRANSITO COMUNITARIO ESTERNO", "T"},
        {"T2", "TRANSITO COMUNITARIO INTERNO", "T"},    {"CMR", "LETTERA DI VETTURA INTERNAZ.", "V"},
        {"FAT", "FATTURA COMMERCIALE", "C"},            {"DDT", "DOCUMENTO DI TRASPORTO", "C"},
        {"MAN", "MANIFESTO MERCI", "M"},                {"BL", "POLIZZA DI CARICO", "V"},
        {"AWB", "LETTERA DI VETTURA AEREA", "V"},       {"EX1", "ESPORTAZIONE", "E"},
    };
    for (const auto& d : docTypes)
        if (!insertRow(connection.handle(), store::DocTypeTable, {"Codice", "Descrizione", "tipo"},
                       {d[0], d[1], d[2]}, &error))
            return error;
    const DemoRegister registers[] = {
        {"R1", "MAGAZZINO NORD", {"A", "C", "D"}, {125, 40, 310}, {150000, 25000, 98000.5}, {12, 6, 3}, {44197, 44197, 44378}},
        {"R2", "MAGAZZINO SUD", {"B", "", "E"}, {17, 0, 88}, {50000, 0, 12000}, {12, 0, 12}, {45292, 0, 45292}},
        {"AB01", "DEPOSITO DOGANALE PORTO", {"AB", "AC", "AD"}, {1, 2, 3}, {1234.5, 0, 0}, {1, 2, 3}, {37879, 0, 0}},
        {"AB02", "CUSTODIA TEMPORANEA AEROPORTO", {"AA", "", ""}, {9, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        {"DEP7", "INTERPORTO EST", {"Z", "Y", "X"}, {1500, 120, 45}, {3000000, 750000, 125000.75}, {12, 12, 12}, {45658, 45658, 45658}},
    };
    for (const auto& r : registers) {
        QStringList columns{"SspCodice", "SspDescrizione", "SspMagNum", "SspMagCin", "SspSiglUC", "SspSiglUD",
                            "SspUltimoCarico", "SspUltimoScarico", "SspMeccanogNum", "SspMeccanogCin",
                            "SspWkASerie0", "SspWkACron0", "SspWkASerie1", "SspWkACron1"};
        QVariantList values{r.code, r.description, "1234  ", "X", "DAU", "T1", 10, 8, 4567, "K",
                            "DAU", 33, "FAT", 12};
        const char* stems[3] = {"Arr", "Cus", "Dep"};
        for (int k = 0; k < 3; ++k) {
            columns << QStringLiteral("Ssp%1Serie").arg(stems[k]) << QStringLiteral("Ssp%1Cron").arg(stems[k])
                    << QStringLiteral("Ssp%1Riga").arg(stems[k]) << QStringLiteral("Ssp%1Garanz").arg(stems[k])
                    << QStringLiteral("Ssp%1Periodo").arg(stems[k]) << QStringLiteral("Ssp%1Data").arg(stems[k]);
            values << QString::fromUtf8(r.series[k]) << r.cron[k] << 0 << r.guarantee[k] << r.period[k]
                   << r.date[k];
        }
        if (!insertRow(connection.handle(), store::RegisterTable, columns, values, &error))
            return error;
    }
    QStringList headerColumns{"TpsCodice"};
    QVariantList headerValues{"R1"};
    for (int block = 0; block < 4; ++block)
        for (int line = 1; line <= 5; ++line) {
            headerColumns << store::HeaderField(block, line);
            headerValues << QStringLiteral("INTESTAZIONE %1 RIGA %2 ").arg(QChar("ADCP"[block])).arg(line);
        }
    if (!insertRow(connection.handle(), store::HeaderTable, headerColumns, headerValues, &error))
        return error;
    if (!connection.exec(QStringLiteral("COMMIT")))
        return connection.error();
    return QString();
}

QString AddGeneratedRegisters(const QString& path, int count, const QString& prefix)
{
    Connection connection(path, false);
    if (!connection.error().isEmpty())
        return connection.error();
    QString error;
    connection.exec(QStringLiteral("BEGIN"));
    static const char* const words[] = {"MAGAZZINO", "DEPOSITO", "CUSTODIA", "PORTO", "AEROPORTO",
                                        "INTERPORTO", "NORD", "SUD", "EST", "OVEST"};
    for (int i = 0; i < count; ++i) {
        const QString code = prefix + QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
        const QString description = QStringLiteral("%1 %2 %3")
                                        .arg(words[i % 10], words[(i / 10) % 10])
                                        .arg(i);
        if (!insertRow(connection.handle(), store::RegisterTable,
                       {"SspCodice", "SspDescrizione", "SspArrSerie", "SspArrCron", "SspCusSerie",
                        "SspCusCron", "SspDepSerie", "SspDepCron", "SspUltimoCarico", "SspUltimoScarico",
                        "SspMagNum", "SspMagCin"},
                       {code, description, "A", i % 100000, "B", i % 1000, "C", i % 777, i % 5000,
                        i % 4000, "123456", "Z"},
                       &error))
            return error;
    }
    if (!connection.exec(QStringLiteral("COMMIT")))
        return connection.error();
    return QString();
}

}  // namespace company::file
