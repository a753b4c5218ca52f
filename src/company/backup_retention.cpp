// Keeping the last N backups of a company, the one that verifies always among them.
#include "company/backup_retention.h"

#include "company/company_backup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace company::backup {

bool MatchesItsChecksum(const QString& file)
{
    QFile sum(file + QStringLiteral(".sha256"));
    if (!sum.open(QIODevice::ReadOnly))
        return false;
    const QByteArray expected = sum.readLine(200).split(' ').value(0).trimmed().toLower();
    QFile data(file);
    if (expected.size() != 64 || !data.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return hash.addData(&data) && hash.result().toHex() == expected;
}

QStringList KeepNewest(const QString& folder, const QString& company, int keep, const QString& justMade,
                       QStringList* problems)
{
    // The name sorts as the time it holds (one to the second before one to
    // the millisecond of the same second).
    const QRegularExpression named = BackupNamePattern(company);
    const QDir dir(folder);
    QStringList backups;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (named.match(name).hasMatch())
            backups << dir.absoluteFilePath(name);
    std::sort(backups.begin(), backups.end(), std::greater<>());

    const QString made = justMade.isEmpty() ? QString() : QFileInfo(justMade).absoluteFilePath();
    QStringList kept = backups.mid(0, std::max(keep, 0));
    if (!made.isEmpty() && !kept.contains(made) && backups.contains(made))
        kept << made;
    if (std::none_of(kept.begin(), kept.end(), MatchesItsChecksum))
        for (const QString& older : backups)
            if (!kept.contains(older) && MatchesItsChecksum(older)) {
                kept << older;
                break;
            }

    QStringList removed;
    for (const QString& file : backups) {
        if (kept.contains(file))
            continue;
        if (!QFile::remove(file)) {
            problems->append(QStringLiteral("impossibile togliere %1").arg(file));
            continue;
        }
        QFile::remove(file + QStringLiteral(".sha256"));
        removed << file;
    }
    return removed;
}

}  // namespace company::backup
