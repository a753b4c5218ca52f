// Copying a company between a data folder and a PostgreSQL server, either way,
// through the engine interface: all or nothing, never over an existing company.
#pragma once

#include "store/engine/engine.h"

#include <QString>

#include <vector>

namespace company::copy {

struct CopiedTable {
    QString table;
    int rows = 0;
};

// Copies every row of the three tables of `from` into `to`, in one transaction
// on `to`. Returns an empty text on success, else the reason (nothing written).
QString CopyTables(store::Database& from, store::Database& to, std::vector<CopiedTable>* copied);

// The company file of a data folder: <folder>/<company>/quelda.mdb.
QString CompanyFilePath(const QString& folder, const QString& company);

// Copies company `company` from `from` to `to`; each is a data folder or a
// server's connection string or URI (company::server::IsServer). A file target
// is built under a temporary name beside its place and moved there when
// complete; a schema is created first and dropped again when the copy fails.
// An existing target is refused. Returns an empty text on success, else the reason.
QString CopyCompany(const QString& from, const QString& to, const QString& company,
                    std::vector<CopiedTable>* copied);

}  // namespace company::copy
