// The three tables of the company database: their names, their columns with
// the stored types, and the statements that create them (used by the admin
// tool only: the program itself never creates, alters or drops a table).
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace store {

inline const QString RegisterTable = QStringLiteral("TabellaSerieSemplificata");
inline const QString HeaderTable = QStringLiteral("TestataRegistriPS");
inline const QString DocTypeTable = QStringLiteral("TabellaDocScorta");

// The name of every table's key index.
inline const QString PrimaryIndex = QStringLiteral("primaria");

struct ColumnDef {
    QString name;
    QString type;  // the stored SQL type
};

std::vector<ColumnDef> RegisterColumns();
std::vector<ColumnDef> HeaderColumns();
std::vector<ColumnDef> DocTypeColumns();

// "CREATE TABLE ..." for each table, keyed on its first column (case-insensitive).
QStringList CreateTableStatements();

// The header field of line k (1 to 5) of block b (0 A, 1 D, 2 C, 3 P): "TpsRig" + letter + k.
QString HeaderField(int block, int line);

}  // namespace store
