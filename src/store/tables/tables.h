// The company database as the program holds it for the whole run: the open
// file, the three table cursors with their open flags, and the routines that
// open the tables right after the database, with their failure boxes.
#pragma once

#include "store/engine/engine.h"
#include "store/engine/message_boxes.h"

#include <memory>

namespace store {

struct CompanyDatabase {
    CompanyDatabase() = default;
    explicit CompanyDatabase(std::unique_ptr<Database> db) : database(std::move(db)) {}

    std::unique_ptr<Database> database;
    std::unique_ptr<TableCursor> RegisterCursor;
    std::unique_ptr<TableCursor> HeaderCursor;
    std::unique_ptr<TableCursor> DocTypeCursor;
    bool RegisterTableOpen = false;
    bool HeaderTableOpen = false;
    bool DocTypeTableOpen = false;
    QString RegisterTableName;
    // The change history: a company made before it has none, and then works
    // as it always did, recording nothing (HistoryTableMissing). Open without
    // a cursor: the server's triggers write it, the program records nothing.
    std::unique_ptr<TableCursor> HistoryCursor;
    bool HistoryTableOpen = false;
    bool HistoryTableMissing = false;
};

// The tables the program opens, in the order the start-up opens them.
enum class CompanyTable { Register, Header, DocType, History };

// Sets the table's flag to False, opens the table, and on failure shows the
// table's box (Retry and Cancel); Retry repeats the open without limit,
// Cancel returns with the flag still False.
void OpenTable(CompanyDatabase& company, CompanyTable table, MessageBoxes& boxes);
inline void OpenRegisterTable(CompanyDatabase& company, MessageBoxes& boxes)
{
    OpenTable(company, CompanyTable::Register, boxes);
}
inline void OpenHeaderTable(CompanyDatabase& company, MessageBoxes& boxes)
{
    OpenTable(company, CompanyTable::Header, boxes);
}
inline void OpenDocTypeTable(CompanyDatabase& company, MessageBoxes& boxes)
{
    OpenTable(company, CompanyTable::DocType, boxes);
}

// The history table: a missing table sets HistoryTableMissing without a box;
// any other failure shows its box like the other tables.
inline void OpenHistoryTable(CompanyDatabase& company, MessageBoxes& boxes)
{
    OpenTable(company, CompanyTable::History, boxes);
}

// Closes and drops the cursors whose flag is set (shut-down).
void CloseTables(CompanyDatabase& company);

}  // namespace store
