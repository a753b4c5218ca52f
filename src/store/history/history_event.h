// Events that belong in the change history without being a change of a row:
// the print of numbered register pages, recorded with who and when like any
// change. And the anchor of the history (its last row), which printed papers
// carry so that the paper itself vouches for the history it was made from.
#pragma once

#include "store/engine/engine.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace store {

// One event of one register set: its action (for example "stampa pagine"),
// the column it concerns (for a print, the register: ARRIVI ...), and two
// values kept as the history keeps every value (for a print, the first and
// the last page).
struct HistoryEvent {
    QString code;
    QString action;
    QString column;
    Value before;
    Value after;
};

// The actions an event is recorded under, exactly as written: the print and
// the reprint of register pages, and the signature of a printed document
// (its column names the document, its two values the signer's certificate
// subject and serial). Nothing else is an event (the actions of a
// change are the triggers' and the writer's alone).
const QStringList& HistoryEventActions();
// The registers whose pages are printed, the only columns a print names
// (ARRIVI, DEPOSITO, CUSTODIA, PREAVVISO).
QStringList PageEventColumns();
// The action of a signature's event, and the pattern its column (the document
// signed: "scheda", or "pagine ARRIVI 1-50") and its serial (hexadecimal
// digits) follow, as the server's event function checks them too.
inline const QString SignatureAction = QStringLiteral("firma");
QString SignedDocumentPattern();
QString CertificateSerialPattern();
// Why `event` is not a print of pages (an action, register or page numbers,
// whole, from 1, the first not after the last, other than a print's) nor a
// signature (a document, a certificate's subject and serial other than a
// signature's), or is longer than the history's columns hold; empty when it
// is one.
QString HistoryEventProblem(const HistoryEvent& event);
// The refusal of an event longer than the history's columns hold, after
// "evento <azione>: ", as the program and the server's event function say it.
QString EventTooLong();

// Records `event` in the company's change history, in a transaction of its
// own. Throws the engine's error when it cannot be written (a company without
// the history table is error 3078), and WriteFailed for an event that
// HistoryEventProblem refuses.
void RecordHistoryEvent(Database& database, const HistoryEvent& event);

// The history's last row: its number, how many rows there are, and its
// fingerprint (empty where the history keeps none).
struct HistoryAnchor {
    qlonglong lastRow = 0;
    qlonglong rows = 0;
    QString fingerprint;
};
// Nothing when the history is empty; throws the engine's error when it
// cannot be read (a company without the history table is error 3078).
std::optional<HistoryAnchor> LastHistoryAnchor(Database& database);

}  // namespace store
