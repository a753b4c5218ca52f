// Opening the three tables after the database, with the box of each table.
#include "store/tables/tables.h"

#include "store/history/history_chain.h"
#include "store/tables/missing_columns.h"
#include "store/schema/table_description.h"

namespace store {

namespace {

// What opening one table needs: where its cursor and flag live, and the texts
// of the box shown when it fails.
struct TableOpening {
    const TableDescription& (*description)();
    std::unique_ptr<TableCursor> CompanyDatabase::*cursor;
    bool CompanyDatabase::*open;
    const char* message;
    const char* title;
    bool setIndex;  // the register table is sought later, with its index set then
    bool optional;  // a company made before this table works without it
};

const TableOpening Openings[] = {
    {RegisterTableDescription, &CompanyDatabase::RegisterCursor, &CompanyDatabase::RegisterTableOpen,
     "ERRORE IN APERTURA REGISTRI PROC. SEMPLIFICATA", "REGISTRI PROCEDURA SEMPLIFICATA", false, false},
    {HeaderTableDescription, &CompanyDatabase::HeaderCursor, &CompanyDatabase::HeaderTableOpen,
     "ERRORE IN APERTURA TESTATA REGISTRI PROC. SEMPLIFICATA", "TESTATA REGISTRI PROCEDURA SEMPLIFICATA",
     true, false},
    {DocTypeTableDescription, &CompanyDatabase::DocTypeCursor, &CompanyDatabase::DocTypeTableOpen,
     "ERRORE IN APERTURA TABELLA TIPI DOCUMENTO", "TABELLA TIPI DOCUMENTO", true, false},
    {HistoryTableDescription, &CompanyDatabase::HistoryCursor, &CompanyDatabase::HistoryTableOpen,
     "ERRORE IN APERTURA STORICO REGISTRI PROC. SEMPLIFICATA", "STORICO REGISTRI PROCEDURA SEMPLIFICATA",
     false, true},
};

// The box of a company whose table lacks columns this version reads: one box,
// which names them and the command that adds them.
void ShowUpgradeNeeded(const QStringList& missing, MessageBoxes& boxes)
{
    boxes.MsgBox(UpgradeNeededText(missing), BoxCode::OkCritical, QStringLiteral("MORVANEX - ERRORE"));
}

// Opens one table as a table-type cursor; on an engine error shows the table's
// box and, on Retry, tries again. Returns the cursor or null after Cancel.
std::unique_ptr<TableCursor> openWithRetry(Database& database, const TableOpening& what,
                                           MessageBoxes& boxes, bool* missing)
{
    for (;;) {
        try {
            auto cursor = database.openTable(what.description().name);
            if (what.setIndex)
                cursor->setIndex(PrimaryIndex);
            return cursor;
        } catch (const EngineError& error) {
            if (what.optional && error.number() == EngineErrorNumber::TableNotFound) {
                *missing = true;
                return nullptr;
            }
            QString text = QString::fromUtf8(what.message);
            if (error.number() == EngineErrorNumber::TableLocked)
                text += QLatin1Char('\n') + error.description();
            if (boxes.MsgBox(text, BoxCode::RetryCancelExclaim, QString::fromUtf8(what.title)) !=
                BoxAnswer::Retry)
                return nullptr;
        }
    }
}

}  // namespace

void OpenTable(CompanyDatabase& company, CompanyTable table, MessageBoxes& boxes)
{
    const TableOpening& what = Openings[int(table)];
    company.*what.open = false;
    if (table == CompanyTable::Register)
        company.RegisterTableName = RegisterTable;
    bool missing = false;
    company.*what.cursor = openWithRetry(*company.database, what, boxes, &missing);
    // A shared table made by an earlier version, without a column added since:
    // told once here, rather than as a failure at every lookup and save.
    if (company.*what.cursor && !what.optional) {
        if (const QStringList lacking = MissingColumns(*company.database, what.description()); !lacking.isEmpty()) {
            (company.*what.cursor).reset();
            ShowUpgradeNeeded(lacking, boxes);
        }
    }
    company.*what.open = company.*what.cursor != nullptr;
    if (table == CompanyTable::History) {
        company.HistoryTableMissing = missing;
        // On a server whose triggers write the history the program writes
        // none (no cursor: the writes record nothing); on the file each row
        // it adds is chained to the last one.
        if (company.HistoryCursor && ServerWritesHistory(*company.database))
            company.HistoryCursor.reset();
        else if (company.HistoryCursor)
            company.HistoryCursor = ChainedHistoryCursor(*company.database, std::move(company.HistoryCursor));
    }
}

void CloseTables(CompanyDatabase& company)
{
    for (auto* cursor : {&company.RegisterCursor, &company.HeaderCursor, &company.DocTypeCursor,
                         &company.HistoryCursor}) {
        if (*cursor)
            (*cursor)->close();
        cursor->reset();
    }
}

}  // namespace store
