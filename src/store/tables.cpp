// Opening the three tables after the database, with the box of each table.
#include "store/tables.h"

#include "store/schema.h"

namespace store {

namespace {

struct TableOpening {
    const QString& table;
    const char* message;
    const char* title;
    bool setIndex;
};

// Opens one table as a table-type cursor; on an engine error shows the table's
// box and, on Retry, tries again. Returns the cursor or null after Cancel.
std::unique_ptr<TableCursor> openWithRetry(Database& database, const TableOpening& what,
                                           MessageBoxes& boxes)
{
    for (;;) {
        try {
            auto cursor = database.openTable(what.table);
            if (what.setIndex)
                cursor->setIndex(PrimaryIndex);
            return cursor;
        } catch (const EngineError& error) {
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

void OpenRegisterTable(CompanyDatabase& company, MessageBoxes& boxes)
{
    company.RegisterTableOpen = false;
    company.RegisterTableName = RegisterTable;
    company.RegisterCursor = openWithRetry(
        *company.database,
        {company.RegisterTableName, "ERRORE IN APERTURA REGISTRI PROC. SEMPLIFICATA",
         "REGISTRI PROCEDURA SEMPLIFICATA", false},
        boxes);
    company.RegisterTableOpen = company.RegisterCursor != nullptr;
}

void OpenHeaderTable(CompanyDatabase& company, MessageBoxes& boxes)
{
    company.HeaderTableOpen = false;
    company.HeaderCursor = openWithRetry(
        *company.database,
        {HeaderTable, "ERRORE IN APERTURA TESTATA REGISTRI PROC. SEMPLIFICATA",
         "TESTATA REGISTRI PROCEDURA SEMPLIFICATA", true},
        boxes);
    company.HeaderTableOpen = company.HeaderCursor != nullptr;
}

void OpenDocTypeTable(CompanyDatabase& company, MessageBoxes& boxes)
{
    company.DocTypeTableOpen = false;
    company.DocTypeCursor = openWithRetry(
        *company.database,
        {DocTypeTable, "ERRORE IN APERTURA TABELLA TIPI DOCUMENTO", "TABELLA TIPI DOCUMENTO", true},
        boxes);
    company.DocTypeTableOpen = company.DocTypeCursor != nullptr;
}

void CloseTables(CompanyDatabase& company)
{
    for (auto* cursor : {&company.RegisterCursor, &company.HeaderCursor, &company.DocTypeCursor}) {
        if (*cursor)
            (*cursor)->close();
        cursor->reset();
    }
}

}  // namespace store
