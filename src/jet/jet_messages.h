// The Jet library's messages as the parent takes them from the bounded child's
// pipe (the first ones kept, all counted), and the damage report quoting them.
#pragma once

#include <QByteArray>
#include <QString>

namespace jet {

class LibraryMessages {
public:
    // Takes what the pipe gave: kept up to a bound, counted whole.
    void take(const char* bytes, qint64 count);

    qint64 total() const { return total_; }

    // The first message, on one line of printable characters.
    QString first() const;

private:
    QByteArray kept_;
    qint64 total_ = 0;
};

// "il file ... è danneggiato: why; outcome" on standard error, and the
// library's first message when it said anything. shownFile is the file's
// name as the system writes it.
void ReportDamage(const QByteArray& shownFile, const QString& why, const QString& outcome,
                  const LibraryMessages& messages);

}  // namespace jet
