// Making, checking and naming a backup of a company.
#include "company/company_backup.h"

#include "company/company_copy.h"
#include "company/company_file.h"
#include "company/company_location.h"
#include "company/company_server.h"
#include "company/history_digest.h"
#include "company/history_seal.h"
#include "store/history/history_chain.h"
#include "company/pending_file.h"
#include "company/pending_file_stage.h"

#include "store/engine/system_files.h"
#include "store/postgres/libpq_on_demand.h"
#include "store/postgres/pg_conninfo.h"
#include "store/schema/table_description.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <stdexcept>

#include <cerrno>

namespace company::backup {

namespace {

QString sqliteText(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// Why SQLite could not use a file, in the operator's words where the system
// said why.
QString sqliteCause(sqlite3* db, int rc)
{
    if ((rc & 0xff) == SQLITE_FULL)
        return QStringLiteral("disco pieno");
    if (const int system = db ? sqlite3_system_errno(db) : 0; system != 0)
        return company::pending::Cause(system);
    if ((rc & 0xff) == SQLITE_READONLY)
        return QStringLiteral("sola lettura");
    return db ? sqliteText(db) : QString::fromUtf8(sqlite3_errstr(rc));
}

// A failure of the source or of the destination, the message naming which.
struct Failure {
    QString text;
    bool destination = false;
};

// SQLite's online backup: the whole file in one step under a read lock, so
// the copy is one state of the file; a writer holding the file is waited for.
Failure copyFile(const QString& source, const QString& target)
{
    sqlite3* from = nullptr;
    sqlite3* to = nullptr;
    Failure failure;
    int rc = sqlite3_open_v2(source.toUtf8().constData(), &from, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        failure = {sqliteCause(from, rc), false};
    } else if ((rc = sqlite3_open_v2(target.toUtf8().constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                     nullptr)) != SQLITE_OK) {
        failure = {sqliteCause(to, rc), true};
    }
    if (failure.text.isEmpty()) {
        sqlite3_busy_timeout(from, 30000);
        if (sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main")) {
            // A kill test may stop the copy with its first page written.
            if (company::pending::StopWanted(company::pending::Stage::Growing)) {
                sqlite3_backup_step(backup, 1);
                company::pending::Reached(company::pending::Stage::Growing);
            }
            int tries = 0;
            while ((rc = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                if (++tries > 300)
                    break;
                sqlite3_sleep(100);
            }
            sqlite3_backup_finish(backup);
            if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
                failure = {QStringLiteral("il file resta occupato da altre scritture"), false};
            else if ((rc & 0xff) == SQLITE_NOTADB || (rc & 0xff) == SQLITE_CORRUPT)
                failure = {QString::fromUtf8(sqlite3_errstr(rc)), false};  // the source cannot be read
            else if (rc != SQLITE_DONE)
                failure = {sqliteCause(to, rc), true};
        } else {
            failure = {sqliteCause(to, sqlite3_errcode(to)), true};
        }
    }
    sqlite3_close_v2(from);
    sqlite3_close_v2(to);
    return failure;
}

// Whether the folder's disk has no room left (after a failed write).
bool diskFull(const QString& folder)
{
    return store::system::DiskFull(folder);
}

// The connection string with settings added that make every transaction of
// the session one snapshot, read-only (a key=value string, whatever form it
// was given in).
QString snapshotConninfo(const QString& conninfo, QString* error)
{
    char* message = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.toUtf8().constData(), &message);
    // The library's text quotes the string's values (a password among them).
    PQfreemem(message);
    if (!options) {
        *error = store::ConninfoProblem(conninfo);
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
Failure copyServer(const QString& conninfo, const QString& company, const QString& target)
{
    if (const QString missing = store::LoadLibpq(); !missing.isEmpty())
        return {missing, false};
    QString error;
    const QString snapshot = snapshotConninfo(conninfo, &error);
    if (!error.isEmpty())
        return {error, false};
    // Codes stored before the code rule are copied as they are, the rule's
    // triggers added after the rows.
    if (error = company::file::CreateCompanyDatabaseForRows(target); !error.isEmpty())
        return {error, true};
    try {
        std::unique_ptr<store::Database> source = store::openServerDatabase(snapshot, company);
        std::unique_ptr<store::Database> to = store::openDatabase(target);
        source->beginTrans();
        error = company::copy::CopyTables(*source, *to, nullptr);
        source->rollback();
        to.reset();
        if (error.isEmpty())
            error = company::file::AddRegisterCodeRule(target);
    } catch (const store::EngineError& failure) {
        error = QStringLiteral("%1 (errore %2)").arg(failure.description()).arg(failure.number());
    }
    // A write that found no room is the destination's; anything else, the server's.
    if (!error.isEmpty() && diskFull(QFileInfo(target).absolutePath()))
        return {QStringLiteral("disco pieno"), true};
    return {error, false};
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

// The line sha256sum -c reads for the copy `name`.
QByteArray checksumLine(const QString& sum, const QString& name)
{
    return (sum + QStringLiteral("  ") + name + QLatin1Char('\n')).toUtf8();
}

// What a backup killed between its two renames left: a copy of `company`
// without its .sha256 is given it (the copy was checked and flushed before it
// took its name), a .sha256 whose copy is gone goes.
void finishLeftOver(const QString& folder, const QString& company)
{
    const QDir dir(folder);
    const QRegularExpression named = BackupNamePattern(company, QStringLiteral("(\\.sha256)?"));
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        if (!named.match(name).hasMatch())
            continue;
        const QString path = dir.absoluteFilePath(name);
        if (name.endsWith(QLatin1String(".sha256"))) {
            if (!QFileInfo::exists(path.chopped(7)))
                QFile::remove(path);
        } else if (!QFileInfo::exists(path + QStringLiteral(".sha256"))) {
            QString error;
            const QString sum = sha256Of(path, &error);
            if (error.isEmpty())
                company::pending::WriteWhole(path + QStringLiteral(".sha256"), checksumLine(sum, name), false);
        }
    }
}

}  // namespace

QString BackupName(const QString& company, const QDateTime& when)
{
    return QStringLiteral("%1_%2.mdb").arg(company, when.toString(QStringLiteral("yyyy-MM-dd_HHmmsszzz")));
}

QRegularExpression BackupNamePattern(const QString& company, const QString& after)
{
    // Earlier versions named them to the second: "<company>_yyyy-MM-dd_HHmmss.mdb".
    return QRegularExpression(QStringLiteral("^%1_\\d{4}-\\d{2}-\\d{2}_\\d{6}(\\d{3})?\\.mdb%2$")
                                  .arg(QRegularExpression::escape(company), after));
}

QString BackUp(const QString& location, const QString& company, const QString& folder, Backup* made)
{
    *made = Backup();
    const QString source = company::location::PlaceName(location, company);
    // A company on the server without its history guards is no company to keep.
    if (company::server::IsServer(location))
        if (const QString unguarded = company::server::UnguardedCompany(location, company); !unguarded.isEmpty())
            return unguarded;
    const QFileInfo place(folder);
    if (!place.exists()) {
        // The backup folder itself may be made here, never the path above it.
        const QString parent = place.absolutePath();
        if (!QFileInfo(parent).isDir())
            return QStringLiteral("la cartella %1 non esiste: la copia non viene fatta").arg(parent);
        if (const int error = store::system::MakeFolder(place.absoluteFilePath()); error != 0 && error != EEXIST)
            return QStringLiteral("impossibile creare la cartella %1: %2")
                .arg(place.absoluteFilePath(), company::pending::Cause(error));
    } else if (!place.isDir()) {
        return QStringLiteral("%1 non è una cartella: la copia non viene fatta").arg(folder);
    }
    // What a killed backup left goes first, or is finished, whatever this one comes to.
    company::pending::RemoveStale(folder);
    finishLeftOver(folder, company);
    const QDir into(folder);
    const QString name = BackupName(company, QDateTime::currentDateTime());
    const QString final = into.absoluteFilePath(name);
    const QString checksum = final + QStringLiteral(".sha256");
    if (QFileInfo::exists(final) || QFileInfo::exists(checksum))
        return QStringLiteral("%1 esiste già: non viene sovrascritto").arg(final);
    // Built as .<name>.tmp-<host>-<pid>: one a killed backup left is removed
    // by the next command that writes in the folder.
    company::pending::PendingFile pending(final, company::pending::PendingFile::Folder::MustExist);
    if (!pending.error().isEmpty())
        return pending.error();
    const QString temporary = pending.path();
    const auto fromSource = [&](const QString& reason) { return QStringLiteral("%1: %2").arg(source, reason); };
    const auto toDestination = [&](const QString& reason) {
        return QStringLiteral("impossibile scrivere la copia %1: %2").arg(final, reason);
    };
    const Failure copied = company::server::IsServer(location)
        ? copyServer(location, company, temporary)
        : copyFile(company::copy::CompanyFilePath(location, company), temporary);
    if (!copied.text.isEmpty()) {
        if (copied.destination)
            return toDestination(copied.text);
        // A file that is there but SQLite cannot read is damaged, not missing.
        if (!company::server::IsServer(location) && QFileInfo(source).isFile())
            return fromSource(company::location::DamagedFileText(copied.text, location, company));
        return fromSource(copied.text);
    }
    QString error;
    if (error = integrity(temporary); !error.isEmpty())
        return fromSource(QStringLiteral("la copia non supera il controllo di integrità: %1").arg(error));
    Backup backup;
    try {
        std::unique_ptr<store::Database> copy = store::openDatabase(temporary);
        // A file that is not a company (empty, or another program's tables)
        // is refused as verify refuses it.
        for (const store::TableDescription* table : store::CompanyTables())
            if (!table->appendOnly)
                try {
                    copy->openTable(table->name)->close();
                } catch (const store::EngineError& missing) {
                    if (missing.number() != store::EngineErrorNumber::TableNotFound)
                        throw;
                    return fromSource(QStringLiteral("non è una società di Quenvol (manca la tabella %1): "
                                                     "la copia non viene fatta")
                                          .arg(table->name));
                }
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
            const store::ChainCheck chain = store::VerifyHistoryChain(*copy, {}, {}, HistoryDigest());
            if (!chain.whole)
                return fromSource(QStringLiteral("la copia ha lo storico alterato alla riga %1: %2")
                                  .arg(chain.firstBadRow)
                                  .arg(chain.problem));
            backup.hasHistory = true;
            backup.historyRows = chain.rows;
            backup.historyFingerprint = chain.lastFingerprint;
        }
    } catch (const store::EngineError& failure) {
        return fromSource(QStringLiteral("%1 (errore %2)").arg(failure.description()).arg(failure.number()));
    }
    const QString sum = sha256Of(temporary, &error);
    if (!error.isEmpty())
        return toDestination(error);
    {
        // The copy is flushed to the disk before it takes its name.
        QFile written(temporary);
        if (written.open(QIODevice::ReadWrite) && !store::system::SyncFile(written.handle()))
            return toDestination(company::pending::Cause(errno));
    }
    // The checksum is written and flushed under its temporary name, the copy
    // takes its name, then the checksum: the two appear together, and a kill
    // between the renames is finished by the next backup (finishLeftOver).
    QString committed;
    error = company::pending::WriteWhole(checksum, checksumLine(sum, name), false, [&] {
        if (committed = pending.commit(false); !committed.isEmpty())
            throw std::runtime_error("copy not moved into place");
    });
    if (!committed.isEmpty())
        return committed;
    if (!error.isEmpty())
        return QStringLiteral("copia fatta in %1, ma il file SHA-256 non è stato scritto: %2").arg(final, error);
    backup.file = final;
    backup.checksumFile = checksum;
    *made = backup;
    return QString();
}

}  // namespace company::backup
