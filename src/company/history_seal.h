// The seal of a company's change history: a few lines (company, last row,
// row count, last fingerprint, date and time) kept apart from the database,
// and the check of a history against its chain and against a seal.
#pragma once

#include "store/engine/engine.h"

#include <QDateTime>
#include <QString>

namespace company::seal {

struct Seal {
    QString company;
    qlonglong lastRow = 0;
    qlonglong rows = 0;
    QString fingerprint;
    QDateTime made;  // UTC
};

// The seal's text, and reading it back; Read returns false with the reason
// when the text is not a seal.
QString Write(const Seal& seal);
bool Read(const QString& text, Seal* seal, QString* reason);

// What verify found: whole, or the first row found wrong and what was found.
struct Verdict {
    bool whole = false;
    QString message;  // one line, in Italian
    qlonglong rows = 0;
    qlonglong lastRow = 0;
    QString fingerprint;
};
// Walks the chain of `database`'s history and, given a seal, checks that the
// history still holds the seal's fingerprint at the seal's row. Throws the
// engine's error when the history cannot be read.
Verdict Verify(store::Database& database, const QString& company, const Seal* seal = nullptr);

}  // namespace company::seal
