// The one rule for a company code, checked before any file or schema is
// touched: the code names the company's folder inside the data folder and its
// schema on the office server, and is read back from the suite's INI file, so
// it must be a name all three hold alike.
#pragma once

#include <QString>

namespace store {

// The server keeps a schema name of at most this many bytes (UTF-8) and cuts
// a longer one silently, so two long codes would share one schema.
constexpr int CompanyCodeMaxBytes = 63;

// The box or error text for a code that cannot name a company; empty text
// when the code is usable (an empty code too: the window without an INI file
// goes on with it). The same rule holds on every system, so a company moves
// between them. Refused: "." and any code holding "..", "/", "\" or ":" (it
// would lead outside the data folder, or to a drive); blanks at either end
// (the INI file's reader drops them, so the company could never be opened)
// and a trailing dot (Windows drops it, so "A." and "A" would share a
// folder); Windows' device
// names CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension; the schema
// names the server reserves ("pg_...", "public", "information_schema", in
// any case); a character the INI file, written in Windows-1252, cannot hold,
// or a control character; more than 63 bytes in UTF-8. Letters outside ASCII
// are kept as they are: the folder and the schema both take the code in UTF-8.
QString CompanyCodeProblem(const QString& code);

}  // namespace store
