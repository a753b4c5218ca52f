// WriteRegister and the delete of a register set with its header row.
#include "store/register_save.h"

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
    failures.run([&] {
        if (cursor.noMatch())
            cursor.addNew();
        else
            cursor.edit();
    });
    failures.run([&] { StoreRegister(record, cursor); });
    failures.run([&] { cursor.update(); });
    return FinishWrite(*company.database, failures, WriteRegisterFailed, boxes);
}

bool DeleteRegister(CompanyDatabase& company, const QString& code, MessageBoxes& boxes)
{
    SkippedFailures failures;
    failures.run([&] { company.database->beginTrans(); });
    failures.run([&] { company.RegisterCursor->deleteRow(); });
    if (failures.lastError() == 0) {
        failures.run([&] {
            TableCursor& header = *company.HeaderCursor;
            header.setIndex(PrimaryIndex);
            header.seek(QStringLiteral("="), code);
            if (!header.noMatch())
                header.deleteRow();
        });
    }
    return FinishWrite(*company.database, failures, DeleteRegisterFailed, boxes);
}

}  // namespace store
