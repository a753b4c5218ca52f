// The office server's connection string as the program reads it: checked
// before any connection is tried, so that a string libpq cannot read is told
// without any of its values (a password among them), and the password it
// holds, kept out of every message.
#pragma once

#include <QString>

typedef struct pg_conn PGconn;

namespace store {

// Where the connection string in use was written, so that a refusal names
// what the operator can check and correct: the INI file's SERVER line (the
// window's) or the command line (quenvol-admin's). One per process.
enum class ConninfoSource { IniServerLine, CommandLine };
void SetConninfoSource(ConninfoSource source);
// "nella riga SERVER del file INI" or "nella stringa di connessione sulla riga di comando".
QString WhereConninfoIsWritten();

// The refusal of a connection string that holds a password: a password in a
// command's arguments is shown to every account of the machine for the whole
// run. It names the password file (PGPASSFILE, else the system's default).
QString PasswordInConninfoRefusal();

// Empty when libpq can read `conninfo` (a connection string or a URI);
// otherwise the reason, in Italian, naming none of the string's values.
// libpq must be loaded (LoadLibpq).
QString ConninfoProblem(const QString& conninfo);

// The password the string holds, or an empty text.
QString ConninfoPassword(const QString& conninfo);

// `text` with `password` blanked out wherever it appears.
QString WithoutPassword(QString text, const QString& password);

// The password file libpq reads for `conninfo` (its "passfile", else
// $PGPASSFILE, else ~/.pgpass) when it exists and others may read it: libpq
// then ignores it, warning on standard error. Empty when the string holds a
// password itself, or the file is private or missing.
QString OpenPasswordFile(const QString& conninfo);

// A path in place of `passwordFile` that names no file (stat fails), so that
// libpq skips the file without its warning, as it would skip it anyway.
QString UnreadablePasswordFile(const QString& passwordFile);

// Whether `text` (libpq's or the server's, in English or Italian) tells that
// an open connection was lost; the sentence of ours that goes before it.
bool ConnectionLostText(const QString& text);
QString LostConnectionSentence();

// The text of a statement that failed with `sqlstate` (empty when libpq gave
// none), with a sentence of ours before it where the operator can act: a lost
// connection (`connectionGone`: libpq found the connection closed), a value
// longer than the server's column, a lock another session kept past the
// wait, a deadlock, a serialization failure. Otherwise `text` as it is.
QString ExplainedStatementFailure(const QByteArray& sqlstate, const QString& text, bool connectionGone);

// libpq's text for a connection that failed, with a sentence before it that
// says, in Italian, what is wrong and what to do: a password file others may
// read, a wrong password, an unknown role or database, no pg_hba.conf line for
// this workstation, no server listening (its address and port), the TLS
// refusals of pg_tls_refusal.h. Each refusal
// is recognised by libpq's and the server's texts in English and in Italian
// and by the system's own text for its errno, whatever language the
// workstation and the server speak. libpq's own text stays beneath; a text not
// recognised comes back as it is. `conn`, when given, is the failed
// connection: the role and database it asked for tell a typo in user= or
// dbname= from a password missing in the password file.
QString ExplainedConnectionFailure(const QString& libpqText, const PGconn* conn = nullptr);

}  // namespace store
