// A new company in a data folder made from a Jet database: the rows are read
// and checked first; the new file is written beside its final place and moved
// there only once complete, so a failed import leaves no company behind.
#pragma once

#include "jet/jet_import.h"

namespace jet::company_import {

struct Options {
    bool skipBadRows = false;  // import the other rows when some cannot be stored
    bool replace = false;      // replace an existing company, keeping a copy of its file
};

struct Outcome {
    QString error;                            // empty when the company was made
    QStringList notes;                        // columns skipped or left Null
    std::vector<jet::import::BadRow> badRows;  // rows that could not be stored
    std::vector<jet::import::TableCount> counts;
    QString target;  // <data folder>/<company>/quelda.mdb
    QString backup;  // the copy of the replaced file, if any
};

// Imports the three tables of `source` into <dataDir>/<company>/quelda.mdb.
Outcome ImportIntoFolder(jet::Database& source, const QString& dataDir, const QString& company,
                         const Options& options, const jet::import::Progress& progress = {});

// The existing company's file refused before the source is read: the
// outcome's error, or empty when the import may go ahead.
QString CheckTarget(const QString& dataDir, const QString& company, const Options& options);

}  // namespace jet::company_import
