// Where quenvol-admin finds a company: in a data folder, or on a PostgreSQL
// server named by a connection string or URI.
#pragma once

#include "store/engine/engine.h"

#include <QString>

#include <memory>

namespace company::location {

// Opens company `company` at `location` (a data folder or a server); throws
// store::EngineError as the engine does, and when a shared table lacks a
// column this version reads (its text names `quenvol-admin upgrade`).
std::unique_ptr<store::Database> OpenCompany(const QString& location, const QString& company);

// Adds the change history table to a company made before it existed, on the
// file or the server alike; *added tells whether it was missing. Returns an
// empty text on success, else the reason.
QString AddHistoryTable(const QString& location, const QString& company, bool* added);

// What quenvol-admin says of a company file that is there but that the
// engine cannot read (`reason`): damaged, with the cure.
QString DamagedFileText(const QString& reason, const QString& location, const QString& company);

// How messages name the company: its file, or "società C sul server" (never
// the connection string, which may hold a password).
QString PlaceName(const QString& location, const QString& company);

}  // namespace company::location
