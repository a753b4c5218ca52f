// The twenty header lines of a register set in TestataRegistriPS: read for the
// screen, written in their own transaction.
#pragma once

#include "store/engine/message_boxes.h"
#include "store/record/screen_fields.h"
#include "store/tables/tables.h"

#include <QStringList>

#include <array>
#include <optional>

namespace store {

inline const QString WriteHeaderFailed = QStringLiteral("ERRORE NELLA SCRITTURA DELLA TESTATA");

// Lines by their Txt index, Field::FirstHeaderLine to Field::LastHeaderLine.
using HeaderLines = std::array<QString, Field::LastHeaderLine + 1>;

inline int HeaderLineIndex(int block, int line) { return Field::HeaderLine(block, line); }
// Twenty lines of " ", what a register set without a header row shows.
HeaderLines BlankHeaderLines();
// The text without its trailing blanks.
QString WithoutTrailingBlanks(const QString& text);
// The stored form of a line: trailing blanks removed, then exactly one blank.
QString StoredHeaderLine(const QString& text);

// The lines stored for `code`: " " for every line when there is no header row,
// and for every line that is Null or cannot be read. `found` tells whether
// there is a header row.
HeaderLines ReadHeaderLines(TableCursor& header, const QString& code, bool* found = nullptr);

// Inside a write transaction: adds or edits the header row of `code` with the
// lines in their stored form; the change goes into the history through
// `history` (null: no history kept). The first failure throws the engine's
// error, which ends the write (see write_transaction.h).
void PutHeaderRow(TableCursor& header, TableCursor* history, const QString& code,
                  const HeaderLines& lines);
// The lines as PutHeaderRow stores them.
HeaderLines StoredForm(const HeaderLines& lines);

inline const QString HeaderOverwriteQuestion = QStringLiteral("SCRIVO LE RIGHE A VIDEO AL LORO POSTO?");
inline const QString HeaderNothingWrittenNote =
    QStringLiteral("(NO: LE RIGHE RESTANO A VIDEO E NULLA VIENE SCRITTO)");
QString HeaderChangedText(const QString& code, const QStringList& differences);
QString HeaderDeletedText(const QString& code);

// Adds or edits the header row of `code` with the twenty lines in their stored
// form, in one transaction that first compares the stored header row with
// `shown` (the lines as the register set was opened, none when it had no
// header row). A header row changed, added or deleted elsewhere is told (the
// lines that differ, with the other text) and written over only when the
// operator says so. A failure is rolled back, then shown ("ERRORE NELLA
// SCRITTURA DELLA TESTATA" and the engine's text). True when committed;
// `shown` then holds the lines written.
bool WriteHeader(CompanyDatabase& company, const QString& code, const HeaderLines& lines,
                 std::optional<HeaderLines>& shown, MessageBoxes& boxes);

}  // namespace store
