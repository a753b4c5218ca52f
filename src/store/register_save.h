// Saving and deleting a register set, each in one transaction.
#pragma once

#include "store/message_boxes.h"
#include "store/screen_values.h"
#include "store/tables.h"

namespace store {

inline const QString WriteRegisterFailed = QStringLiteral("ERRORE NELLA SCRITTURA DEL RECORD");
inline const QString DeleteRegisterFailed = QStringLiteral("ERRORE NELLA CANCELLAZIONE DEL REGISTRO");

// Reads the screen into the record, seeks its code, adds or edits the row and
// updates it. A failure is shown once ("ERRORE NELLA SCRITTURA DEL RECORD")
// and rolls everything back. True when the row was written and committed.
bool WriteRegister(CompanyDatabase& company, const ScreenValues& screen, RegisterRecord& record,
                   MessageBoxes& boxes);

// Deletes the register table's current row and the header row of `code`, if
// any. A failure anywhere rolls both back and is shown once
// ("ERRORE NELLA CANCELLAZIONE DEL REGISTRO"). True when committed.
bool DeleteRegister(CompanyDatabase& company, const QString& code, MessageBoxes& boxes);

}  // namespace store
