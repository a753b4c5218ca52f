// Reading the change history back: the changes of one register set (or of
// all), newest first, each with its column changes, and their forms for the
// window's panel, the admin tool's listing and a spreadsheet (CSV).
#pragma once

#include "store/engine/engine.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace store {

struct ColumnChange {
    QString column;
    Value before;  // Null when Null, or when there was no row
    Value after;   // Null when Null, or when the row was deleted
};

// One change: the rows of one transaction on one register set code; or one
// event (a print), listed apart from the changes of its transaction.
struct Change {
    qlonglong number = 0;  // the number of its first history row
    QDateTime when;        // UTC
    QString user;          // declared by the workstation
    QString host;          // declared by the workstation
    QString version;       // declared by the workstation
    QString role;          // on a server, the role it authenticated; empty on a file
    QString address;       // on a server, the address it saw
    QString code;
    QString action;
    std::vector<ColumnChange> columns;  // in the order they were written
};

// The changes recorded for `code` (compared without regard to case; every
// code when it is empty) from `since` on (every change when it is not valid),
// newest first. Throws the engine's error when the history cannot be read.
std::vector<Change> ReadHistory(Database& database, const QString& code = {},
                                const QDateTime& since = {});

// One page of the changes of a register set, for a list read as it is
// scrolled: whole changes, newest first.
struct HistoryPage {
    std::vector<Change> changes;
    Value below;  // the next page's `below`; Null when no older change is left
};

// The newest changes of `code` (compared as ReadHistory compares it) among the
// history rows numbered below `below` (from the newest row when Null): about
// `rows` history rows, in one statement, which the code column's index
// serves. The change the rows end in is left for the next page, unless it
// alone fills the page (then it is read whole).
HistoryPage ReadHistoryPage(Database& database, const QString& code, const Value& below, int rows);

// A text with every control character, line or paragraph separator and
// invisible format character written as a visible escape (\n, \t, \x1b,
// \u200b ...) and a backslash doubled: one stored text is one line, and
// nothing in it reaches a terminal as a control sequence.
QString Visible(const QString& text);
// A register set's code as every listing shows it: between double quotes (so
// blanks at either end show), Visible, and with each combining mark escaped
// too, so a code stored decomposed is told from its composed look-alike.
QString ShownCode(const QString& code);

// A value as the operator reads it: a text between double quotes (so blanks
// show), a date column's day number as its date, Null as the word Null.
QString ShownValue(const QString& column, const Value& value);
// The instant in local time, "dd/MM/yyyy HH:mm:ss".
QString ShownTime(const QDateTime& when);

// The line of a change: number, local time, action (an event's marked as an
// event, an action that is neither shown between quotes), the role and
// address the server recorded, the user@host and version the workstation
// declared, the code. Every stored text goes through Visible.
QString ChangeLine(const Change& change);
// The line of one column change, indented under its change's line: the
// column named as the screen names its field (ColumnOperatorName).
QString ColumnLine(const ColumnChange& column);
// One line per change, its column changes beneath it.
QStringList HistoryLines(const std::vector<Change>& changes);

// The changes as CSV for a spreadsheet: a heading line, then one line per
// column change, its field's name ("campo") beside the table's column name
// ("colonna"); every field quoted, quotes doubled, lines ended by CRLF
// (RFC 4180), the texts through Visible so that one record is one line.
QString HistoryCsv(const std::vector<Change>& changes);

}  // namespace store
