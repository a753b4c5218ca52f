// Bringing a company over from a Jet database: the three tables are read
// through the Jet reader, matched by column name with the company's tables,
// every value converted and checked, and then written in one transaction
// through the engine interface, so any engine can be the destination.
#pragma once

#include "jet/jet_reader.h"

#include "store/engine/engine.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace jet::import {

// Rows above which a table's reading and writing report their progress.
inline constexpr qint64 ProgressStep = 5000;

// A row that cannot be stored as it is, named by its table and key.
struct BadRow {
    QString table;
    QString key;  // the key as read; "(riga N)" when it has none
    QString reason;
};

struct TableCount {
    QString table;
    qint64 read = 0;
    qint64 written = 0;
};

// The rows of the three tables, converted to the stored types and checked.
struct Prepared {
    struct Table {
        QString name;                    // the company's table
        QStringList columns;             // the destination columns that receive values
        std::vector<std::vector<store::Value>> rows;  // the rows that can be stored
        qint64 read = 0;
    };
    std::vector<Table> tables;
    QStringList notes;            // columns skipped or left Null
    std::vector<BadRow> badRows;  // rows left out of `tables`
};

// Called as rows are read ("lettura") or written ("scrittura") for tables
// of more than ProgressStep rows: every ProgressStep rows and at the end.
using Progress = std::function<void(const QString& table, const QString& phase, qint64 done, qint64 total)>;

// How one of the three tables stands in a Jet file.
struct TableCheck {
    QString table;
    bool present = false;
    qint64 rows = 0;          // as the file records them
    bool hasKey = false;      // the key column is there
    QStringList missing;      // the company's columns the file lacks (left Null)
    QStringList extra;        // the file's columns the company lacks (not imported)
};

// The three tables as the file has them, without reading their rows.
std::vector<TableCheck> Check(jet::Database& source);

// Reads and converts the three tables. Throws jet::Error when the file
// cannot be read or lacks one of the three tables or a key column.
Prepared Prepare(jet::Database& source, const Progress& progress = {});

// Writes the prepared rows into `destination`, whose three tables exist and
// are empty, in one transaction. Returns the counts per table; on a failure
// rolls back and throws store::EngineError.
std::vector<TableCount> Write(const Prepared& prepared, store::Database& destination,
                              const Progress& progress = {});

// Empty when `read` rows (the whole reading of `table`) match both the rows
// the file records for it and those its data pages hold; else the damage,
// naming the table and the counts.
QString CountProblem(jet::Table& table, qint64 read);

// The text of a bad row for the operator: "<table>, codice <key>: <reason>".
QString Describe(const BadRow& row);

}  // namespace jet::import
