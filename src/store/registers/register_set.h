// The register set the operator works on, as one object: the lookup reads its
// register row and its header row together under one error handling and keeps
// the versions shown; the writes and the delete compare with them.
#pragma once

#include "store/registers/header_lines.h"
#include "store/engine/message_boxes.h"
#include "store/record/register_record.h"
#include "store/registers/register_save.h"
#include "store/tables/tables.h"
#include "store/registers/write_conflicts.h"
#include "store/registers/write_in_one_step.h"

namespace store {

enum class LookupResult {
    Found,     // the register row is there: the set is shown for change
    NotFound,  // no register row: the set may be inserted
    Failed,    // a read failed (told): nothing of the set is kept
};

class RegisterSet {
public:
    explicit RegisterSet(CompanyDatabase& company) : company_(company) {}

    // Reads the register row and the header row of `code`, both before
    // anything is kept. Found: `record` is the stored row; NotFound: `record`
    // is blank with `code`. In both `shown` holds the rows as read. Failed: an
    // engine error in either read is shown (the engine's number and text) and
    // the set is left as clear(code) leaves it, so no half-read set remains.
    // `code` is taken by value: the caller may pass the record's own code.
    LookupResult lookUp(QString code, MessageBoxes& boxes);
    // `record` blank but for `code`, nothing shown.
    void clear(QString code);

    // "&CONFERMA": the screen written over what was shown (store::WriteRegister).
    bool write(const ScreenValues& screen, const HeaderLines& headerOnScreen, MessageBoxes& boxes);
    // The header panel's "&CONFERMA" (store::WriteHeader).
    bool writeHeader(const HeaderLines& lines, MessageBoxes& boxes);
    // "&ELIMINA" (store::DeleteRegister).
    DeleteResult remove(MessageBoxes& boxes);

    // The header lines as shown: the stored ones, " " each without a header row.
    HeaderLines headerLines() const { return shown.header.value_or(BlankHeaderLines()); }

    RegisterRecord record;
    ShownVersion shown;

private:
    CompanyDatabase& company_;
    // The register row as read at the lookup, for a change written in one
    // statement on a server.
    std::optional<ReadRegisterRow> read_;
};

}  // namespace store
