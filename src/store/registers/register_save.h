// Saving and deleting a register set, each in one transaction that first
// compares the stored rows with the ones shown to the operator.
#pragma once

#include "store/engine/message_boxes.h"
#include "store/record/screen_values.h"
#include "store/tables/tables.h"
#include "store/registers/write_conflicts.h"

namespace store {

inline const QString WriteRegisterFailed = QStringLiteral("ERRORE NELLA SCRITTURA DEL RECORD");
inline const QString DeleteRegisterFailed = QStringLiteral("ERRORE NELLA CANCELLAZIONE DEL REGISTRO");
inline const QString ConfirmTitle = QStringLiteral("MORVANEX - CONFERMA");

// The texts of the boxes that tell a change made by another workstation.
QString RegisterChangedText(const QString& code, const QStringList& differences, const QString& question,
                            const QString& lastChange = {});
// `lastChange` (LastChangeText) says who deleted or inserted the set and when.
QString RegisterDeletedText(const QString& code, const QString& lastChange = {});
QString RegisterInsertedText(const QString& code, const QString& lastChange = {});
QString RegisterAlreadyDeletedText(const QString& code, const QString& lastChange = {});
// The box of a failed write of the set `code`: WriteRegisterFailed and the
// engine's text; when the server refused the change because the set's code,
// stored before the code rule, breaks it, a sentence saying so comes between.
QString WriteRegisterFailedText(const QString& code, const QString& engineText);
// The box that tells, at the lookup, the stored values the screen cannot show.
QString UnshowableText(const QString& code, const QStringList& fields);
inline const QString OverwriteQuestion = QStringLiteral("SCRIVO I DATI A VIDEO AL LORO POSTO?");
inline const QString DeleteAnywayQuestion = QStringLiteral("LO CANCELLO LO STESSO?");
inline const QString NothingWrittenNote =
    QStringLiteral("(NO: I DATI RESTANO A VIDEO E NULLA VIENE SCRITTO)");

// Reads the screen into the record and writes its row, inside one transaction:
// 1. begin; 2. the screen into the record (for a set shown for change with
// `shown.screen`, only the fields whose screen values the operator changed);
// 3. seek the code; 4. compare the stored row with `shown.row` (stop, roll
// back, when it differs); 5. add the row with every field, or edit it with
// the fields of step 2 alone (every other column keeps its stored value
// exactly: Null stays Null, text in a number column stays), update; 6. a set deleted elsewhere and
// written again gets its header row back from `headerOnScreen`; 7. commit.
// A failure rolls back, then shows "ERRORE NELLA SCRITTURA DEL RECORD" with the
// engine's text. A row changed or deleted elsewhere is told (the fields that
// differ, with the other value) and written over only when the operator says
// so; a code inserted elsewhere is told and never replaced. Every box opens
// after the transaction is over. True when the row was written and committed;
// `shown` then holds what was written over.
bool WriteRegister(CompanyDatabase& company, const ScreenValues& screen, RegisterRecord& record,
                   ShownVersion& shown, const HeaderLines& headerOnScreen, MessageBoxes& boxes);

enum class DeleteResult {
    Deleted,         // the register row and its header row are gone
    AlreadyDeleted,  // another workstation deleted the register set first (told)
    NotDeleted,      // a failure (told) or the operator kept the set after a change elsewhere
};

// Deletes the register row of `code` and its header row, if any, in one
// transaction, when both are as shown; a change made elsewhere is told and
// the delete goes on only when the operator says so. A failure anywhere rolls
// both back and is shown ("ERRORE NELLA CANCELLAZIONE DEL REGISTRO" and the
// engine's text).
DeleteResult DeleteRegister(CompanyDatabase& company, const QString& code, ShownVersion& shown,
                            MessageBoxes& boxes);

}  // namespace store
