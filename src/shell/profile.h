// The profile (INI) service with the semantics of the Windows profile calls the
// suite was written for, and the ReadIni/WriteIni routines built on it.
// Values are 8-bit text (Windows-1252 in the file); QString carries them here.
#pragma once

#include <QByteArray>
#include <QString>

namespace shell {

// --- The profile service --------------------------------------------------
// Sections and keys compare case-insensitively, blanks around keys and values
// are ignored, double quotes around a value are dropped, a line ends at CRLF,
// LF or a lone CR, the first match wins. Returns the raw 8-bit value, or nullopt
// semantics through `found`.
QByteArray GetProfileValue(const QString& file, const QByteArray& section,
                           const QByteArray& key, bool* found = nullptr);

// Writes one value: replaces the key's line, or adds it to the section, or adds
// the section at the end; every other byte of the file is kept. The lines it
// adds, and a new file, end in CRLF. The file is
// created when missing and replaced atomically; concurrent writers from several
// processes are serialised, so none loses its write. Returns false on failure.
bool WriteProfileValue(const QString& file, const QByteArray& section,
                       const QByteArray& key, const QByteArray& value);

// Windows-1252 <-> QString, byte for byte reversible for every byte.
QString FromAnsi(const QByteArray& bytes);
QByteArray ToAnsi(const QString& text);

// --- The suite's routines -------------------------------------------------
// At most 99 characters come back; anything missing reads as empty text.
QString ReadIni(const QString& file, const QString& section, const QString& key);
void WriteIni(const QString& file, const QString& section, const QString& key,
              const QString& value);

// The text before its first NUL character, or the whole text.
QString CutAtNul(const QString& text);

}  // namespace shell
