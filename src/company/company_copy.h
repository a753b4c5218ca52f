// Copying a company between a data folder and a PostgreSQL server, either way,
// through the engine interface: all or nothing, never over an existing company.
#pragma once

#include "store/engine/engine.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace company::copy {

struct CopiedTable {
    QString table;
    int rows = 0;
};

// Copies every row of the three tables of `from` into `to`, in one transaction
// on `to` that also runs the statements `before` and `after` the rows
// (Database::execute: a server's schema, numbering and history guards).
// Returns an empty text on success, else the reason (nothing written).
QString CopyTables(store::Database& from, store::Database& to, std::vector<CopiedTable>* copied,
                   const QStringList& before = {}, const QStringList& after = {});

// The company file of a data folder: <folder>/<company>/quelda.mdb.
QString CompanyFilePath(const QString& folder, const QString& company);

// Copies company `company` from `from` to `to`; each is a data folder or a
// server's connection string or URI (company::server::IsServer). A file target
// is built under a temporary name beside its place and moved there when
// complete; on a server the schema, tables, rows and history guards are made
// in one transaction. An existing target is refused, and so is a source on a
// server without its history guards. What a source whose history's chain is
// broken (altered, as verify says) meets is `altered`: not looked for (a
// company just made, the tests' own), refused, or copied with *alteredAt
// saying where the chain breaks. Returns an empty text on success, else the
// reason.
enum class AlteredHistory { NotChecked, Refused, Copied };
QString CopyCompany(const QString& from, const QString& to, const QString& company,
                    std::vector<CopiedTable>* copied, AlteredHistory altered = AlteredHistory::NotChecked,
                    QString* alteredAt = nullptr);

}  // namespace company::copy
