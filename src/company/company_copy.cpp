// Copying a company's three tables from one engine to the other.
#include "company/company_copy.h"

#include "company/company_file.h"
#include "company/company_location.h"
#include "company/company_server.h"
#include "company/history_digest.h"
#include "company/pending_file.h"
#include "company/pending_file_stage.h"
#include "store/engine/sql_text.h"
#include "store/history/history_chain.h"
#include "store/history/server_history.h"
#include "store/schema/register_code.h"
#include "store/schema/server_schema.h"
#include "store/tables/company_code.h"
#include "store/schema/table_description.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace company::copy {

namespace {

QString describe(const store::EngineError& error)
{
    return QStringLiteral("%1 (errore %2)").arg(error.description()).arg(error.number());
}

}  // namespace

QString CopyTables(store::Database& from, store::Database& to, std::vector<CopiedTable>* copied,
                   const QStringList& before, const QStringList& after)
{
    std::vector<CopiedTable> counts;
    QString table;
    try {
        to.beginTrans();
        for (const QString& statement : before)
            to.execute(statement);
        for (const store::TableDescription* description : store::CompanyTables()) {
            const QString& name = description->name;
            const auto& columns = description->columns;
            table = name;
            std::unique_ptr<store::Snapshot> source;
            try {
                source = from.openSnapshot(name);
            } catch (const store::EngineError& missing) {
                // A company made before the change history has none to copy;
                // the target's history starts empty.
                if (!description->appendOnly || missing.number() != store::EngineErrorNumber::TableNotFound)
                    throw;
                counts.push_back({name, 0});
                continue;
            }
            std::vector<int> positions;
            QStringList names;
            for (const store::ColumnDescription& column : columns) {
                try {
                    positions.push_back(source->fieldIndex(column.name));
                    names << column.name;
                } catch (const store::EngineError& missing) {
                    // A source made by an earlier version, without a column
                    // added since (a field, the history's later columns): the
                    // copy leaves it Null. A table without its key is no copy.
                    if (&column == &description->key() || missing.number() != store::EngineErrorNumber::ItemNotFound)
                        throw;
                }
            }
            // The rows go in as one stream (a file's one prepared statement,
            // a server's COPY) rather than a statement each.
            bool first = true;
            const qlonglong rows = to.appendRows(name, names, [&](std::vector<store::Value>& values) {
                if (!first)
                    source->moveNext();
                first = false;
                if (source->atEnd())
                    return false;
                for (std::size_t i = 0; i < positions.size(); ++i)
                    values[i] = source->field(positions[i]);
                return true;
            });
            source->close();
            counts.push_back({name, int(rows)});
            // A kill test may stop the copy here, part of it sent.
            company::pending::Reached(company::pending::Stage::Growing);
        }
        table.clear();
        for (const QString& statement : after)
            to.execute(statement);
        company::pending::Reached(company::pending::Stage::Written);
        to.commitTrans();
    } catch (const store::EngineError& error) {
        try {
            to.rollback();
        } catch (const store::EngineError&) {
        }
        return table.isEmpty() ? describe(error) : QStringLiteral("%1: %2").arg(table, describe(error));
    }
    if (copied)
        *copied = counts;
    return QString();
}

QString CompanyFilePath(const QString& folder, const QString& company)
{
    return QDir(folder).filePath(company + QStringLiteral("/quelda.mdb"));
}

QString CopyCompany(const QString& from, const QString& to, const QString& company,
                    std::vector<CopiedTable>* copied, AlteredHistory altered, QString* alteredAt)
{
    if (company.trimmed().isEmpty())
        return QStringLiteral("codice società non valido: '%1'").arg(company);
    if (const QString problem = store::CompanyCodeProblem(company); !problem.isEmpty())
        return problem;
    const bool fromServer = company::server::IsServer(from);
    const bool toServer = company::server::IsServer(to);
    // A company on the server without its history guards (half made, or
    // tampered with) is not copied as if whole.
    if (fromServer)
        if (const QString unguarded = company::server::UnguardedCompany(from, company); !unguarded.isEmpty())
            return QStringLiteral("origine: %1").arg(unguarded);
    std::unique_ptr<store::Database> source;
    try {
        source = fromServer ? store::openServerDatabase(from, company)
                            : store::openDatabase(CompanyFilePath(from, company));
    } catch (const store::EngineError& error) {
        // A file that is there but cannot be read is damaged, not missing.
        if (!fromServer && error.number() == store::EngineErrorNumber::CannotOpenDatabase
            && QFileInfo(CompanyFilePath(from, company)).isFile())
            return QStringLiteral("origine: %1: %2")
                .arg(QDir::toNativeSeparators(CompanyFilePath(from, company)),
                     company::location::DamagedFileText(error.description(), from, company));
        return QStringLiteral("origine: %1").arg(describe(error));
    }
    // A history someone altered is not passed on as if it were whole.
    if (altered != AlteredHistory::NotChecked) {
        try {
            const store::ChainCheck chain = store::VerifyHistoryChain(*source, {}, {}, HistoryDigest());
            if (!chain.whole) {
                const QString where = QStringLiteral("lo storico delle modifiche è alterato alla riga %1: %2")
                                          .arg(chain.firstBadRow)
                                          .arg(chain.problem);
                if (altered == AlteredHistory::Refused)
                    return QStringLiteral("origine: %1; la società non viene copiata (per copiarla comunque: "
                                          "--anche-se-alterata)")
                        .arg(where);
                if (alteredAt)
                    *alteredAt = where;
            }
        } catch (const store::EngineError& error) {
            // A company made before the history has none to check.
            if (error.number() != store::EngineErrorNumber::TableNotFound)
                return QStringLiteral("origine: %1").arg(describe(error));
        }
    }
    if (toServer) {
        // Schema, tables, rows, numbering and history guards in one
        // transaction: a failure or a kill leaves no company on the server.
        std::unique_ptr<store::Database> target;
        try {
            target = store::openServerDatabaseToCreate(to, company);
        } catch (const store::EngineError& error) {
            return QStringLiteral("destinazione: %1").arg(error.description());
        }
        // Codes stored before the code rule come over as they are; the rule
        // holds for new and changed codes, as upgrade leaves such a company.
        const QString registers = store::quoted(company) + QLatin1Char('.') + store::quoted(store::RegisterTable);
        QString error = CopyTables(*source, *target, copied,
                                   store::ServerSchemaStatements(company) + store::DropRegisterCodeCheck(registers),
                                   company::server::AdvanceCounterStatements(company)
                                       + store::RegisterCodeCheckAfterRows(registers)
                                       + store::ServerHistoryStatements(company));
        return error.isEmpty() ? QString() : QStringLiteral("destinazione: %1").arg(error);
    }
    const QString targetFile = CompanyFilePath(to, company);
    // A file target is built beside its place and moved there when complete:
    // a failure, a full disk or a kill leaves no company behind.
    std::unique_ptr<company::pending::PendingFile> pending;
    QString error;
    if (QFileInfo::exists(targetFile)) {
        error = QStringLiteral("il file %1 esiste già: non viene sovrascritto").arg(targetFile);
    } else {
        pending = std::make_unique<company::pending::PendingFile>(targetFile);
        error = pending->error();
        if (error.isEmpty())
            error = company::file::CreateCompanyDatabaseForRows(pending->path());
    }
    if (!error.isEmpty())
        return QStringLiteral("destinazione: %1").arg(error);
    {
        std::unique_ptr<store::Database> target;
        try {
            target = store::openDatabase(pending->path());
            error = CopyTables(*source, *target, copied);
        } catch (const store::EngineError& failure) {
            error = QStringLiteral("destinazione: %1").arg(describe(failure));
        }
    }
    // Codes stored before the code rule came over as they are; the rule holds
    // for new and changed codes, as upgrade leaves such a company.
    if (error.isEmpty() && pending)
        if (error = company::file::AddRegisterCodeRule(pending->path()); !error.isEmpty())
            error = QStringLiteral("destinazione: %1").arg(error);
    if (error.isEmpty() && pending)
        error = pending->commit();
    return error;  // a pending file not committed goes by itself
}

}  // namespace company::copy
