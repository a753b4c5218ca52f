// Where the company lives and how it is opened: the database file in the data
// folder, or, for an office with several workstations, the company's schema on
// a PostgreSQL server; and what the user is asked when that server cannot be
// reached or its connection is lost.
#pragma once

#include "store/engine/engine.h"
#include "store/engine/message_boxes.h"

#include <memory>

namespace store {

// Where the admin tool is told a company lives: true when `location` names a
// server rather than a data folder (a libpq connection string holds "=", a URI
// begins with postgresql:// or postgres://). The one place that tells them apart.
bool NamesServer(const QString& location);

// Opens the company: the file at `path` when `server` is blank, else the
// schema `company` on the server `server` names (a libpq connection string or
// URI). A server that cannot be reached shows its text in a box with Retry and
// Cancel; Retry tries again, Cancel returns null. Every other engine error is
// thrown, as the file's are. A server database then asks the same way
// whenever its connection is lost (AskOnLostConnection).
std::unique_ptr<Database> OpenCompanyDatabase(const QString& server, const QString& company,
                                              const QString& path, MessageBoxes& boxes);

// A lost connection: the server's text in a box with Retry and Cancel; Retry
// connects again, Cancel lets the operation fail (a write then keeps the
// screen's edits, as any failed write does).
void AskOnLostConnection(Database& database, MessageBoxes& boxes);

// Texts and title of the two boxes.
inline const QString ServerUnreachableMessage = QStringLiteral("IMPOSSIBILE COLLEGARSI AL SERVER DEL DATABASE");
inline const QString ConnectionLostMessage = QStringLiteral("CONNESSIONE AL SERVER DEL DATABASE INTERROTTA");
inline const QString ServerBoxTitle = QStringLiteral("MORVANEX - ERRORE");

}  // namespace store
