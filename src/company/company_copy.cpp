// Copying a company's three tables from one engine to the other.
#include "company/company_copy.h"

#include "company/company_file.h"
#include "company/company_server.h"
#include "company/pending_file.h"
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

QString CopyTables(store::Database& from, store::Database& to, std::vector<CopiedTable>* copied)
{
    std::vector<CopiedTable> counts;
    QString table;
    try {
        to.beginTrans();
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
        }
        to.commitTrans();
    } catch (const store::EngineError& error) {
        try {
            to.rollback();
        } catch (const store::EngineError&) {
        }
        return QStringLiteral("%1: %2").arg(table, describe(error));
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
                    std::vector<CopiedTable>* copied)
{
    if (company.trimmed().isEmpty())
        return QStringLiteral("codice società non valido: '%1'").arg(company);
    if (const QString problem = store::CompanyCodeProblem(company); !problem.isEmpty())
        return problem;
    const bool fromServer = company::server::IsServer(from);
    const bool toServer = company::server::IsServer(to);
    std::unique_ptr<store::Database> source;
    try {
        source = fromServer ? store::openServerDatabase(from, company)
                            : store::openDatabase(CompanyFilePath(from, company));
    } catch (const store::EngineError& error) {
        return QStringLiteral("origine: %1").arg(describe(error));
    }
    const QString targetFile = CompanyFilePath(to, company);
    // A file target is built beside its place and moved there when complete:
    // a failure, a full disk or a kill leaves no company behind.
    std::unique_ptr<company::pending::PendingFile> pending;
    QString error;
    if (toServer) {
        error = company::server::CreateCompanySchema(to, company, false);
    } else if (QFileInfo::exists(targetFile)) {
        error = QStringLiteral("il file %1 esiste già: non viene sovrascritto").arg(targetFile);
    } else {
        pending = std::make_unique<company::pending::PendingFile>(targetFile);
        error = pending->error();
        if (error.isEmpty())
            error = company::file::CreateCompanyDatabase(pending->path());
    }
    if (!error.isEmpty())
        return QStringLiteral("destinazione: %1").arg(error);
    {
        std::unique_ptr<store::Database> target;
        try {
            target = toServer ? store::openServerDatabase(to, company) : store::openDatabase(pending->path());
            error = CopyTables(*source, *target, copied);
            if (error.isEmpty() && toServer)
                error = company::server::AdvanceCounters(to, company);
            // The server writes the history from here on, chained to the
            // last row brought over; the rows copied stay exactly as they were.
            if (error.isEmpty() && toServer)
                error = company::server::InstallServerHistory(to, company);
        } catch (const store::EngineError& failure) {
            error = QStringLiteral("destinazione: %1").arg(describe(failure));
        }
    }
    if (error.isEmpty() && pending)
        error = pending->commit();
    if (error.isEmpty())
        return QString();
    // All or nothing: the schema made above goes again (a pending file goes by itself).
    if (toServer)
        company::server::DropCompanySchema(to, company);
    return error;
}

}  // namespace company::copy
