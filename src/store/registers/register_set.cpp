// The register set's lookup under one error handling, and its writes through
// the transactions of register_save and header_lines.
#include "store/registers/register_set.h"

#include "store/engine/engine_error_box.h"

namespace store {

void RegisterSet::clear(QString code)
{
    record = RegisterRecord();
    record.SspCodice = std::move(code);
    ClearRegister(record);
    shown = ShownVersion();
    read_.reset();
}

LookupResult RegisterSet::lookUp(QString code, MessageBoxes& boxes)
{
    clear(code);
    ShownVersion read;
    std::optional<ReadRegisterRow> row;
    try {
        // Both rows in one round trip where the engine has them (a server).
        company_.database->readAhead({{company_.RegisterCursor.get(), code}, {company_.HeaderCursor.get(), code}});
        read.row = StoredRegister(*company_.RegisterCursor, code);
        if (read.row) {
            read.unshowable = UnshowableValues(*company_.RegisterCursor);
            row = ReadRegisterRow{ReadRow(*company_.RegisterCursor, RegisterTableDescription()), *read.row};
            read.columns = row->stored;
        }
        read.header = StoredHeader(*company_.HeaderCursor, code);
    } catch (const EngineError& error) {
        // Another program holds the file locked beyond the wait, the file is
        // damaged, a table is gone or the connection was lost between the two
        // reads: the operator reads why and nothing of the set is kept.
        ShowEngineError(boxes, error);
        return LookupResult::Failed;
    }
    shown = read;
    read_ = std::move(row);
    if (shown.row)
        record = *shown.row;
    return shown.row ? LookupResult::Found : LookupResult::NotFound;
}

bool RegisterSet::write(const ScreenValues& screen, const HeaderLines& headerOnScreen, MessageBoxes& boxes)
{
    switch (WriteInOneStep(company_, screen, record, shown, read_, boxes)) {
    case OneStepWrite::Written:
        return true;
    case OneStepWrite::Failed:
        return false;
    case OneStepWrite::NotThisWay:
        break;
    }
    read_.reset();  // what is stored from now on is read by the full write
    return WriteRegister(company_, screen, record, shown, headerOnScreen, boxes);
}

bool RegisterSet::writeHeader(const HeaderLines& lines, MessageBoxes& boxes)
{
    return WriteHeader(company_, record.SspCodice, lines, shown.header, boxes);
}

DeleteResult RegisterSet::remove(MessageBoxes& boxes)
{
    return DeleteRegister(company_, record.SspCodice, shown, boxes);
}

}  // namespace store
