// The labels the entry screen shows by its fields, for the documents that
// print a register set field by field under the operator's names.
#pragma once

#include <QString>

namespace paper {

// The label by field `field` (a Txt index of store::Field); for a document
// type or number of the five work positions it carries the position
// ("Docum. 1"). Empty for a field without a label.
QString ScreenLabel(int field);

inline const QString CodeLabel = QStringLiteral("Codice");
inline const QString PeriodStartLabel = QStringLiteral("Periodi: dal");
inline const QString PeriodMonthsLabel = QStringLiteral("mesi");

// The block headings of the header panel, by header block (0 A, 1 D, 2 C, 3 P);
// the pre-advice's fifth line has a heading of its own.
QString HeaderBlockLabel(int block);
inline const QString PreAdviceSenderLabel = QStringLiteral("Preavviso trasmesso da");

}  // namespace paper
