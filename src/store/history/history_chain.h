// The sealed chain of the change history: every row carries a fingerprint,
// the SHA-256 of the previous row's fingerprint and the row's own values in
// one canonical line, so that a row changed, removed, reordered or added
// afterwards breaks the chain from that row on. The file's rows are chained
// here as they are written; the server's by its own trigger, to the same line.
#pragma once

#include "store/engine/engine.h"
#include "store/history/history_writer.h"
#include "store/schema/table_description.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace store {

// The canonical line of a history row: the previous row's fingerprint (empty
// for the first row), then the row's columns in stored order from StoId to
// StoIndirizzo, separated by a tab and ended by a newline, in UTF-8. Null is
// \N; a backslash, tab, newline and carriage return in a value are written
// \\, \t, \n and \r. `row` holds the history columns by their position.
QByteArray HistoryCanonicalLine(const QString& previous, const Row& row);
// The lower-case hexadecimal SHA-256 of that line.
QString HistoryFingerprint(const QString& previous, const Row& row);

// The history cursor of a company file, wrapped so that each row it adds gets
// the number after the last row and its fingerprint, read inside the write's
// transaction. A history made before the fingerprints (no StoImpronta
// column) is given back as it is.
std::unique_ptr<TableCursor> ChainedHistoryCursor(Database& database, std::unique_ptr<TableCursor> history);

// True when the company is on a server whose triggers write the history: the
// program then writes no history row itself.
bool ServerWritesHistory(Database& database);

// One history row as the walk reads it: every column from StoId to
// StoImpronta as its UTF-8 text, and whether it is Null. The walk reuses it
// row after row.
struct HistoryRowText {
    QByteArray text[HistoryColumns::Count];
    bool null[HistoryColumns::Count] = {};
    qlonglong id = 0;
};
using HistoryRowVisitor = std::function<void(const HistoryRowText&)>;

// The SHA-256 of `size` bytes at `data`, into the 32 bytes at `digest`.
using LineDigest = std::function<void(const char* data, std::size_t size, unsigned char* digest)>;

// The outcome of walking the chain from the first row.
struct ChainCheck {
    bool whole = true;
    qlonglong rows = 0;
    qlonglong lastRow = 0;
    QString lastFingerprint;
    qlonglong firstBadRow = 0;  // the first row found changed, removed, reordered or added
    QString problem;            // what was found there, in Italian
};
// Reads every history row in number order, a chunk at a time (memory stays
// the same however long the history), and checks each fingerprint and that
// the numbers follow each other from 1 without a gap. `visit`, when given,
// sees each row found whole, in order; `opened`, when given, runs once the
// walk is open, and reads what it reads in the walk's one view of the data.
// `digest`, when given, computes the fingerprints (a faster one than Qt's,
// where the caller has one). Throws the engine's error when the history
// cannot be read.
ChainCheck VerifyHistoryChain(Database& database, const HistoryRowVisitor& visit = {},
                              const std::function<void()>& opened = {}, LineDigest digest = {});

// The fingerprint of row `row`, or nothing when there is no such row.
std::optional<QString> HistoryRowFingerprint(Database& database, qlonglong row);

}  // namespace store
