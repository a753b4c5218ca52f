// The twenty header lines of a register set in TestataRegistriPS: read for the
// screen, written in their own transaction.
#pragma once

#include "store/message_boxes.h"
#include "store/screen_fields.h"
#include "store/tables.h"

#include <array>

namespace store {

inline const QString WriteHeaderFailed = QStringLiteral("ERRORE NELLA SCRITTURA DELLA TESTATA");

// Lines by their Txt index, Field::FirstHeaderLine to Field::LastHeaderLine.
using HeaderLines = std::array<QString, Field::LastHeaderLine + 1>;

inline int HeaderLineIndex(int block, int line) { return Field::HeaderLine(block, line); }
// The text without its trailing blanks.
QString WithoutTrailingBlanks(const QString& text);
// The stored form of a line: trailing blanks removed, then exactly one blank.
QString StoredHeaderLine(const QString& text);

// The lines stored for `code`: " " for every line when there is no header row,
// and for every line that is Null or cannot be read.
HeaderLines ReadHeaderLines(TableCursor& header, const QString& code);

// Adds or edits the header row of `code` with the twenty lines in their stored
// form. A failure is shown once ("ERRORE NELLA SCRITTURA DELLA TESTATA") and
// rolled back. True when committed.
bool WriteHeader(CompanyDatabase& company, const QString& code, const HeaderLines& lines,
                 MessageBoxes& boxes);

}  // namespace store
