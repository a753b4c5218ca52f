// SQLite creation statements of the company tables.
#include "store/schema/schema.h"

#include "store/schema/register_code.h"

namespace store {

QString SqliteType(const ColumnDescription& column)
{
    switch (column.kind) {
    case ColumnKind::Text: return QStringLiteral("VARCHAR(%1)").arg(column.length);
    case ColumnKind::FixedText: return QStringLiteral("CHAR(%1)").arg(column.length);
    case ColumnKind::Long: return QStringLiteral("INTEGER");
    case ColumnKind::Integer: return QStringLiteral("SMALLINT");
    case ColumnKind::Double: return QStringLiteral("DOUBLE");
    case ColumnKind::Date: return QStringLiteral("DATE");
    case ColumnKind::Counter: return QStringLiteral("INTEGER");
    }
    return QString();
}

QString CreateTableStatement(const TableDescription& table)
{
    QStringList parts;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDescription& column = table.columns[i];
        QString part = QStringLiteral("\"%1\" %2").arg(column.name, SqliteType(column));
        if (int(i) == table.keyColumn && column.kind == ColumnKind::Counter)
            // The row id itself; AUTOINCREMENT never hands out a number again,
            // so a gap in the numbers shows that rows went missing.
            part += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
        else if (int(i) == table.keyColumn)  // compared without regard to case, like the suite's engine
            part += QStringLiteral(" NOT NULL COLLATE NOCASE PRIMARY KEY");
        else if (int(i) == table.searchColumn)  // so that LIKE on it can use its index
            part += QStringLiteral(" COLLATE NOCASE");
        parts << part;
    }
    return QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(table.name, parts.join(QStringLiteral(", ")));
}

QStringList CreateStatements(const TableDescription& table)
{
    QStringList statements{CreateTableStatement(table)};
    if (table.searchColumn >= 0)
        statements << QStringLiteral("CREATE INDEX \"%1_%2\" ON \"%1\" (\"%2\")")
                          .arg(table.name, table.columnName(table.searchColumn));
    if (table.name == RegisterTable)
        statements << RegisterCodeFileTriggers();
    if (table.appendOnly) {
        for (const char* operation : {"UPDATE", "DELETE"})
            statements << QStringLiteral("CREATE TRIGGER \"%1_no_%2\" BEFORE %3 ON \"%1\" "
                                         "BEGIN SELECT RAISE(ABORT, '%1: le righe dello storico non si modificano e non si cancellano'); END")
                              .arg(table.name, QString::fromLatin1(operation).toLower(),
                                   QString::fromLatin1(operation));
    }
    return statements;
}

QStringList CreateTableStatements()
{
    QStringList statements;
    for (const TableDescription* table : CompanyTables())
        statements << CreateStatements(*table);
    statements << QStringLiteral("PRAGMA user_version = %1").arg(CompanySchemaVersion);
    return statements;
}

}  // namespace store
