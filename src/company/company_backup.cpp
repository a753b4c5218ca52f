// Making, checking and naming a backup of a company.
#include "company/company_backup.h"

#include "company/company_copy.h"
#include "company/company_file.h"
#include "company/company_server.h"
#include "company/history_seal.h"
#include "store/history/history_chain.h"

#include "store/postgres/libpq_on_demand.h"
#include "store/schema/table_description.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace company::backup {

namespace {

QString sqliteText(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// SQLite's online backup: the whole file in one step under a read lock, so
// the copy is one state of the file; a writer holding the file is waited for.
QString copyFile(const QString& source, const QString& target)
{
    sqlite3* from = nullptr;
    sqlite3* to = nullptr;
    QString error;
    if (sqlite3_open_v2(source.toUtf8().constData(), &from, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        error = sqliteText(from);
    else if (sqlite3_open_v2(target.toUtf8().constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr) != SQLITE_OK)
        error = sqliteText(to);
    if (error.isEmpty()) {
        sqlite3_busy_timeout(from, 30000);
        if (sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main")) {
            int rc;
            int tries = 0;
            while ((rc = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                if (++tries > 300)
                    break;
                sqlite3_sleep(100);
            }
            sqlite3_backup_finish(backup);
            if (rc != SQLITE_DONE)
                error = QString::fromUtf8(sqlite3_errstr(rc));
        } else {
            error = sqliteText(to);
        }
    }
    sqlite3_close_v2(from);
    sqlite3_close_v2(to);
    return error;
}

// The connection string with settings added that make every transaction of
// the session one snapshot, read-only (a key=value string, whatever form it
// was given in).
QString snapshotConninfo(const QString& conninfo, QString* error)
{
    char* message = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.toUtf8().constData(), &message);
    if (!options) {
        *error = message ? QString::fromUtf8(message).trimmed() : QStringLiteral("stringa di connessione non valida");
        PQfreemem(message);
        return QString();
    }
    const auto literal = [](QString value) {
        return QLatin1Char('\'') +
            value.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'")) +
            QLatin1Char('\'');
    };
    QStringList parts;
    QString extra;
    bool sessionKindGiven = false;
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (!o->val)
            continue;
        if (qstrcmp(o->keyword, "target_session_attrs") == 0)
            sessionKindGiven = true;
        if (qstrcmp(o->keyword, "options") == 0)
            extra = QString::fromUtf8(o->val) + QLatin1Char(' ');
        else
            parts << QStringLiteral("%1=%2").arg(QString::fromUtf8(o->keyword), literal(QString::fromUtf8(o->val)));
    }
    PQconninfoFree(options);
    extra += QStringLiteral("-c default_transaction_isolation=repeatable\\ read -c default_transaction_read_only=on");
    // A read-only session is what a backup wants: any server answering will
    // do (the program's own default asks for one that accepts writes, which a
    // read-only session never is).
    if (!sessionKindGiven)
        parts << QStringLiteral("target_session_attrs=any");
    parts << QStringLiteral("options=%1").arg(literal(extra));
    return parts.join(QLatin1Char(' '));
}

// A server company into a new company file, all of it read in one snapshot.
QString copyServer(const QString& conninfo, const QString& company, const QString& target)
{
    if (const QString missing = store::LoadLibpq(); !missing.isEmpty())
        return missing;
    QString error;
    const QString snapshot = snapshotConninfo(conninfo, &error);
    if (!error.isEmpty())
        return error;
    if (error = company::file::CreateCompanyDatabase(target); !error.isEmpty())
        return error;
    try {
        std::unique_ptr<store::Database> source = store::openServerDatabase(snapshot, company);
        std::unique_ptr<store::Database> to = store::openDatabase(target);
        source->beginTrans();
        error = company::copy::CopyTables(*source, *to, nullptr);
        source->rollback();
    } catch (const store::EngineError& failure) {
        error = QStringLiteral("%1 (errore %2)").arg(failure.description()).arg(failure.number());
    }
    return error;
}

QString integrity(const QString& path)
{
    sqlite3* db = nullptr;
    QString verdict;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        verdict = sqliteText(db);
    } else {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) != SQLITE_OK) {
            verdict = sqliteText(db);
        } else {
            QStringList lines;
            while (sqlite3_step(stmt) == SQLITE_ROW)
                lines << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
            verdict = lines == QStringList{QStringLiteral("ok")} ? QString() : lines.join(QStringLiteral("; "));
            if (lines.isEmpty())
                verdict = sqliteText(db);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close_v2(db);
    return verdict;
}

QString sha256Of(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return QString();
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return QString::fromLatin1(hash.result().toHex());
}

// Gives `temporary` the name `final` unless a file has it already (a hard
// link refuses an existing name), then drops the temporary name.
bool takeName(const QString& temporary, const QString& final)
{
    if (::link(QFile::encodeName(temporary).constData(), QFile::encodeName(final).constData()) != 0)
        return false;
    QFile::remove(temporary);
    return true;
}

}  // namespace

QString BackupName(const QString& company, const QDateTime& when)
{
    return QStringLiteral("%1_%2.mdb").arg(company, when.toString(QStringLiteral("yyyy-MM-dd_HHmmss")));
}

QString BackUp(const QString& location, const QString& company, const QString& folder, Backup* made)
{
    *made = Backup();
    if (!QDir().mkpath(folder))
        return QStringLiteral("impossibile creare la cartella %1").arg(folder);
    const QDir into(folder);
    const QString name = BackupName(company, QDateTime::currentDateTime());
    const QString final = into.absoluteFilePath(name);
    const QString checksum = final + QStringLiteral(".sha256");
    if (QFileInfo::exists(final) || QFileInfo::exists(checksum))
        return QStringLiteral("%1 esiste già: non viene sovrascritto").arg(final);
    const QString temporary =
        into.absoluteFilePath(QStringLiteral(".%1.%2.tmp").arg(name).arg(QCoreApplication::applicationPid()));
    QFile::remove(temporary);
    const auto failed = [&](const QString& reason) {
        QFile::remove(temporary);
        QFile::remove(temporary + QStringLiteral("-journal"));
        return reason;
    };
    QString error = company::server::IsServer(location)
        ? copyServer(location, company, temporary)
        : copyFile(company::copy::CompanyFilePath(location, company), temporary);
    if (!error.isEmpty())
        return failed(error);
    if (error = integrity(temporary); !error.isEmpty())
        return failed(QStringLiteral("la copia non supera il controllo di integrità: %1").arg(error));
    Backup backup;
    try {
        std::unique_ptr<store::Database> copy = store::openDatabase(temporary);
        bool hasHistory = true;
        try {
            copy->openTable(store::HistoryTable)->close();
        } catch (const store::EngineError& missing) {
            if (missing.number() != store::EngineErrorNumber::TableNotFound)
                throw;
            hasHistory = false;  // a company made before the history
        }
        if (hasHistory) {
            // The chain alone: a copy is taken whatever the data says.
            const store::ChainCheck chain = store::VerifyHistoryChain(*copy);
            if (!chain.whole)
                return failed(QStringLiteral("la copia ha lo storico alterato alla riga %1: %2")
                                  .arg(chain.firstBadRow)
                                  .arg(chain.problem));
            backup.hasHistory = true;
            backup.historyRows = chain.rows;
            backup.historyFingerprint = chain.lastFingerprint;
        }
    } catch (const store::EngineError& failure) {
        return failed(QStringLiteral("%1 (errore %2)").arg(failure.description()).arg(failure.number()));
    }
    const QString sum = sha256Of(temporary, &error);
    if (!error.isEmpty())
        return failed(error);
    const QString temporarySum = temporary + QStringLiteral(".sha256");
    {
        QFile out(temporarySum);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write((sum + QStringLiteral("  ") + name + QLatin1Char('\n')).toUtf8()) < 0 || !out.flush()) {
            QFile::remove(temporarySum);
            return failed(QStringLiteral("impossibile scrivere %1: %2").arg(temporarySum, out.errorString()));
        }
        ::fsync(out.handle());
    }
    if (!takeName(temporary, final)) {
        QFile::remove(temporarySum);
        return failed(QStringLiteral("%1 esiste già: non viene sovrascritto").arg(final));
    }
    if (!takeName(temporarySum, checksum)) {
        QFile::remove(temporarySum);
        return QStringLiteral("copia fatta in %1, ma %2 esiste già: il file SHA-256 non è stato scritto")
            .arg(final, checksum);
    }
    backup.file = final;
    backup.checksumFile = checksum;
    *made = backup;
    return QString();
}

}  // namespace company::backup
