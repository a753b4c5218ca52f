// The one description of the company database's tables: each table's name, its
// columns in stored order with their kind and length, and its key column. The
// creation statements of every engine, the copies between RegisterRecord and a
// row, and the columns the lists read are all made from it; a column changes here.
#pragma once

#include <QString>
#include <QStringView>

#include <iterator>
#include <string_view>
#include <vector>

namespace store {

// What a column holds, independent of any engine's type names.
enum class ColumnKind {
    Text,       // text of up to `length` characters
    FixedText,  // text of exactly `length` characters, padded with blanks
    Long,       // 32-bit whole number
    Integer,    // 16-bit whole number
    Double,     // double-precision number
    Date,       // whole days from 30/12/1899, held as a number
    Counter,    // whole number the engine gives each new row, ascending, never reused
};

struct ColumnDescription {
    QString name;
    ColumnKind kind = ColumnKind::Text;
    int length = 0;  // characters, for the two text kinds; 0 otherwise
};

struct TableDescription {
    QString name;
    std::vector<ColumnDescription> columns;  // in stored order
    int keyColumn = 0;                       // the column of the key index "primaria",
                                             // compared without regard to case
    int searchColumn = -1;                   // a second index, for lists by that column
                                             // (compared without regard to case); -1: none
    bool appendOnly = false;                 // rows are added, never changed or deleted

    const ColumnDescription& key() const { return columns[std::size_t(keyColumn)]; }
    const QString& columnName(int column) const { return columns[std::size_t(column)].name; }
    // Position of a column by name, compared without regard to case; -1 when absent.
    int columnIndex(QStringView name) const;
};

inline const QString RegisterTable = QStringLiteral("TabellaSerieSemplificata");
inline const QString HeaderTable = QStringLiteral("TestataRegistriPS");
inline const QString DocTypeTable = QStringLiteral("TabellaDocScorta");
inline const QString HistoryTable = QStringLiteral("StoricoSerieSemplificata");

// The name of every table's key index.
inline const QString PrimaryIndex = QStringLiteral("primaria");

// The store's own columns after the work positions, in stored order. A column
// added to the register table is one row at the end of this list, and its
// position one line below (`constexpr int Note = StoreColumn("SspNote");`).
struct StoreColumnRow {
    const char* name;
    ColumnKind kind;
    int length;  // characters, for the two text kinds; 0 otherwise
};
inline constexpr StoreColumnRow StoreColumns[] = {
    {"SspMagNum", ColumnKind::FixedText, 6},
    {"SspMagCin", ColumnKind::FixedText, 1},
    {"SspMeccanogNum", ColumnKind::Long, 0},
    {"SspMeccanogCin", ColumnKind::FixedText, 1},
    {"SspSiglUC", ColumnKind::Text, 3},
    {"SspSiglUD", ColumnKind::Text, 3},
};

// Positions of the register table's columns. The three registers (ARRIVI,
// CUSTODIA, DEPOSITO: stems Arr, Cus, Dep) each have six columns, then come
// the two last numbers, the five work positions of each register (work
// letters A, C, D: five series then five numbers), and the store's fields.
namespace RegisterColumns {
enum RegisterField { Serie, Cron, Riga, Garanz, Periodo, Data, FieldsPerRegister };
constexpr int Code = 0;
constexpr int Description = 1;
constexpr int FirstRegister = 2;
constexpr int UltimoCarico = FirstRegister + 3 * FieldsPerRegister;  // 20
constexpr int UltimoScarico = UltimoCarico + 1;
constexpr int WorkPositions = 5;
constexpr int FirstWork = UltimoScarico + 1;                          // 22
constexpr int FirstStore = FirstWork + 3 * 2 * WorkPositions;         // 52
constexpr int Count = FirstStore + int(std::size(StoreColumns));      // 58

// The position of the store's column `name`. A name not in StoreColumns does
// not compile: the search runs out into a call that is no constant.
consteval int StoreColumn(std::string_view name)
{
    for (std::size_t i = 0; i < std::size(StoreColumns); ++i)
        if (name == StoreColumns[i].name)
            return FirstStore + int(i);
    throw "no such column in StoreColumns";
}
constexpr int MagNum = StoreColumn("SspMagNum");
constexpr int MagCin = StoreColumn("SspMagCin");
constexpr int MeccanogNum = StoreColumn("SspMeccanogNum");
constexpr int MeccanogCin = StoreColumn("SspMeccanogCin");
constexpr int SiglUC = StoreColumn("SspSiglUC");
constexpr int SiglUD = StoreColumn("SspSiglUD");

// Column `field` of register k (0 Arrivi, 1 Custodia, 2 Deposito).
constexpr int Of(int k, RegisterField field) { return FirstRegister + FieldsPerRegister * k + field; }
// Series and number of work position n (0 to 4) of register k.
constexpr int WorkSerie(int k, int n) { return FirstWork + 2 * WorkPositions * k + n; }
constexpr int WorkCron(int k, int n) { return FirstWork + 2 * WorkPositions * k + WorkPositions + n; }
}  // namespace RegisterColumns

// Positions of the header table's columns: the code, then five lines of each
// of the blocks A, D, C and P.
namespace HeaderColumns {
constexpr int Code = 0;
constexpr int Blocks = 4;
constexpr int LinesPerBlock = 5;
// Line `line` (1 to 5) of block b (0 A, 1 D, 2 C, 3 P).
constexpr int Line(int block, int line) { return 1 + LinesPerBlock * block + (line - 1); }
}  // namespace HeaderColumns

// Positions of the document-type table's columns.
namespace DocTypeColumns {
constexpr int Code = 0;
constexpr int Description = 1;
constexpr int Kind = 2;
}  // namespace DocTypeColumns

// Positions of the history table's columns: one row per changed column of a
// register set, the rows of one confirmed change sharing Modifica.
namespace HistoryColumns {
constexpr int Id = 0;          // the row's number, given by the engine
constexpr int Modifica = 1;    // the change the row belongs to
constexpr int Quando = 2;      // UTC instant, "yyyy-MM-ddTHH:mm:ss.zzzZ"
constexpr int Utente = 3;      // operating-system user
constexpr int Postazione = 4;  // the workstation's host name
constexpr int Versione = 5;    // the program's version
constexpr int Codice = 6;      // the register-set code
constexpr int Azione = 7;      // inserimento, variazione, cancellazione, testata
constexpr int Colonna = 8;     // the changed column
constexpr int Prima = 9;       // its value before, as text; Null when it was Null or absent
constexpr int Dopo = 10;       // its value after, as text; Null when Null or deleted
// Added later (a company made before gets them from quenvol-admin upgrade):
constexpr int Ruolo = 11;      // on a server, the role the server authenticated; Null on a file
constexpr int Indirizzo = 12;  // on a server, the connection's address or "socket locale"
constexpr int Impronta = 13;   // SHA-256 of the previous row's fingerprint and this row
constexpr int Count = 14;
}  // namespace HistoryColumns

const TableDescription& RegisterTableDescription();
const TableDescription& HeaderTableDescription();
const TableDescription& DocTypeTableDescription();
const TableDescription& HistoryTableDescription();
// The three tables the suite's other programs share (and a Jet file holds).
std::vector<const TableDescription*> SharedTables();
// Every table of a company database, in the order they are created: the
// shared tables, then the history (a company made before it has none).
std::vector<const TableDescription*> CompanyTables();

// The column of header line `line` (1 to 5) of block b: "TpsRigA1" ...
QString HeaderField(int block, int line);

}  // namespace store
