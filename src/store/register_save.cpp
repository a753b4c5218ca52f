// WriteRegister and the delete of a register set with its header row.
#include "store/register_save.h"

#include "store/history_writer.h"
#include "store/table_description.h"
#include "store/skipped_failures.h"

namespace store {

bool WriteRegister(CompanyDatabase& company, const ScreenValues& screen, RegisterRecord& record,
                   MessageBoxes& boxes)
{
    SkippedFailures failures;
    TableCursor& cursor = *company.RegisterCursor;
    failures.run([&] { company.database->beginTrans(); });
    failures.run([&] { ScreenToRegister(screen, record); });
    failures.run([&] { cursor.setIndex(PrimaryIndex); });
    failures.run([&] { cursor.seek(QStringLiteral("="), record.SspCodice); });
    // The history of the change: the row as stored, read inside this
    // transaction, against the row as update() writes it.
    const TableDescription& table = RegisterTableDescription();
    Row before, after;
    bool adding = false;
    failures.run([&] {
        adding = cursor.noMatch();
        if (adding) {
            cursor.addNew();
        } else {
            before = ReadRow(cursor, table);
            cursor.edit();
        }
    });
    failures.run([&] { StoreRegister(record, cursor); });
    failures.run([&] { after = ReadRow(cursor, table); });
    failures.run([&] { cursor.update(); });
    if (failures.lastError() == 0)
        failures.run([&] {
            ChangeRecord(company.HistoryCursor.get(), record.SspCodice,
                         adding ? HistoryAction::Inserimento : HistoryAction::Variazione)
                .add(table, before, after);
        });
    return FinishWrite(*company.database, failures, WriteRegisterFailed, boxes);
}

bool DeleteRegister(CompanyDatabase& company, const QString& code, MessageBoxes& boxes)
{
    SkippedFailures failures;
    ChangeRecord history(company.HistoryCursor.get(), code, HistoryAction::Cancellazione);
    failures.run([&] { company.database->beginTrans(); });
    failures.run([&] {
        const Row before = ReadRow(*company.RegisterCursor, RegisterTableDescription());
        company.RegisterCursor->deleteRow();
        history.add(RegisterTableDescription(), before, {});
    });
    if (failures.lastError() == 0) {
        failures.run([&] {
            TableCursor& header = *company.HeaderCursor;
            header.setIndex(PrimaryIndex);
            header.seek(QStringLiteral("="), code);
            if (!header.noMatch()) {
                const Row before = ReadRow(header, HeaderTableDescription());
                header.deleteRow();
                history.add(HeaderTableDescription(), before, {});
            }
        });
    }
    return FinishWrite(*company.database, failures, DeleteRegisterFailed, boxes);
}

}  // namespace store
