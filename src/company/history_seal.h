// The seal of a company's change history: a few lines (company, last row,
// row count, last fingerprint, date and time, and a time-stamping
// authority's token when asked for) kept apart from the database; and the
// check of a history against its chain, its data and a seal.
#pragma once

#include "store/engine/engine.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace company::seal {

struct Seal {
    QString company;
    qlonglong lastRow = 0;
    qlonglong rows = 0;
    QString fingerprint;
    QDateTime made;    // UTC, as the office's clock said
    QByteArray token;  // an RFC 3161 token over Digest(), or empty
};

// The seal's text, and reading it back; Read returns false with the reason
// when the text is not a seal.
QString Write(const Seal& seal);
bool Read(const QString& text, Seal* seal, QString* reason);
// Where the office's signature of the seal file `sealFile` is kept: beside
// it, its name with ".p7s" added (CAdES detached, DER, over the file's bytes).
QString SignatureFile(const QString& sealFile);

// Why the seal's row, count and fingerprint cannot be those of any history
// (a row below 1, a count above it, a fingerprint not of 64 hexadecimal
// digits); empty when they can. Read checks it before anything else.
QString FormProblem(const Seal& seal);
// The SHA-256 the time stamp covers: the seal's company, last row, row count
// and fingerprint, as their lines are written (not the office's date).
QByteArray Digest(const Seal& seal);

// What verify found: whole, or the first row found wrong and what was found;
// with the chain whole, every problem of the data and the seal.
struct Verdict {
    bool whole = false;
    QString message;      // one line, in Italian: the first problem
    QStringList details;  // the data's differences from the history, one a line
    QStringList further;  // the problems found after the first, one a line
    qlonglong rows = 0;
    qlonglong lastRow = 0;
    QString fingerprint;
};
// Walks the chain of `database`'s history, replays it against the stored
// rows and, given a seal, checks that the history still holds the seal's
// fingerprint and row count at the seal's row, and the seal's time stamp
// against the authority's CA certificate `caFile`. Throws the engine's error
// when the history cannot be read.
Verdict Verify(store::Database& database, const QString& company, const Seal* seal = nullptr,
               const QString& caFile = {});

}  // namespace company::seal
