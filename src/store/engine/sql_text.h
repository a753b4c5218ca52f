// Pieces of SQL text made from names, never from values (values are always
// bound): a quoted identifier, a name as a string literal, and an INSERT of
// the named columns.
#pragma once

#include <QString>
#include <QStringList>

namespace store {

// The identifier between double quotes, inner quotes doubled.
QString quoted(const QString& identifier);

// The text as an SQL string literal: between single quotes, inner quotes
// doubled, and written E'...' with its backslashes doubled when it has any,
// so it reads the same whatever standard_conforming_strings says. Only for
// names the server's catalog functions take as text; values are bound.
QString literal(const QString& text);

// "INSERT INTO <table> (<names>) VALUES (<mark>1, <mark>2, ...)", or with
// DEFAULT VALUES when no column is named. `table` is already quoted (it may
// carry its schema); `mark` is the engine's parameter sign ('?' or '$').
QString InsertStatement(const QString& table, const QStringList& names, QChar mark);

}  // namespace store
