// The Jet library's messages taken from the bounded child, and the damage report.
#include "jet/jet_messages.h"

#include <cstdio>

namespace jet {

namespace {

// The library's messages kept to be shown; the rest is only counted.
constexpr qsizetype KeptBytes = 4096;

}  // namespace

void LibraryMessages::take(const char* bytes, qint64 count)
{
    if (kept_.size() < KeptBytes)
        kept_.append(bytes, qMin<qsizetype>(count, KeptBytes - kept_.size()));
    total_ += count;
}

QString LibraryMessages::first() const
{
    QByteArray line = kept_;
    const qsizetype end = line.indexOf('\n');
    if (end >= 0)
        line.truncate(end);
    line = line.trimmed();
    if (line.size() > 300)
        line = line.left(300) + "...";
    // Printable characters only: a damaged file can make the library echo anything.
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return QString::fromUtf8(line);
}

void ReportDamage(const QByteArray& shownFile, const QString& why, const QString& outcome,
                  const LibraryMessages& messages)
{
    std::fprintf(stderr, "quenvol-admin: il file %s è danneggiato: %s; %s\n", shownFile.constData(),
                 why.toUtf8().constData(), outcome.toUtf8().constData());
    if (messages.total() > 0)
        std::fprintf(stderr, "  primo messaggio della libreria Jet (%lld byte in tutto): %s\n",
                     qlonglong(messages.total()), messages.first().toUtf8().constData());
}

}  // namespace jet
