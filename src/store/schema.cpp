// SQLite creation statements of the company tables.
#include "store/schema.h"

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
    }
    return QString();
}

QString CreateTableStatement(const TableDescription& table)
{
    QStringList parts;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        QString part = QStringLiteral("\"%1\" %2").arg(table.columns[i].name, SqliteType(table.columns[i]));
        if (int(i) == table.keyColumn)  // the key: compared without regard to case, like the suite's engine
            part += QStringLiteral(" NOT NULL COLLATE NOCASE PRIMARY KEY");
        parts << part;
    }
    return QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(table.name, parts.join(QStringLiteral(", ")));
}

QStringList CreateTableStatements()
{
    QStringList statements;
    for (const TableDescription* table : CompanyTables())
        statements << CreateTableStatement(*table);
    return statements;
}

}  // namespace store
