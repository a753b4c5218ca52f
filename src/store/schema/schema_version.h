// The version of the company database's shape, kept in each company: in the
// file's header (PRAGMA user_version), on a server in a one-row table of the
// company's schema. A company made before the version was kept reads 0;
// `quenvol-admin upgrade` brings the shape and the number up to date.
#pragma once

#include <QString>

namespace store {

// 1: the history's role, address and fingerprint columns, and the version kept.
// 2: on a server, the history written as each change commits (deferred
//    triggers), so that the writers wait for each other only that long.
constexpr int CompanySchemaVersion = 2;

// The server's table of the version (one row, one column).
inline const QString SchemaVersionTable = QStringLiteral("VersioneSchema");
inline const QString SchemaVersionColumn = QStringLiteral("Versione");

}  // namespace store
