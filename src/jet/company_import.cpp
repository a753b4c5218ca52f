// Importing a Jet database into a new company file of a data folder.
#include "jet/company_import.h"

#include "company/company_file.h"
#include "company/pending_file.h"
#include "jet/jet_bounded.h"
#include "store/tables/company_code.h"
#include "store/tables/jet_signature.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace jet::company_import {

namespace {

QString targetOf(const QString& dataDir, const QString& company)
{
    return QDir(dataDir).filePath(company + QStringLiteral("/quelda.mdb"));
}

}  // namespace

QString CheckTarget(const QString& dataDir, const QString& company, const Options& options)
{
    if (company.isEmpty())
        return QStringLiteral("codice società non valido: '%1'").arg(company);
    if (const QString problem = store::CompanyCodeProblem(company); !problem.isEmpty())
        return problem;
    const QString target = targetOf(dataDir, company);
    // The suite's own Jet file at the company's place: its other programs
    // keep reading it, so nothing replaces it, --replace included.
    if (store::IsJetFile(target))
        return QStringLiteral("%1 è il database Jet della suite, che i suoi altri programmi continuano a leggere: "
                              "non viene mai sostituito; importare la società in un'altra cartella dati (o sul "
                              "server dell'ufficio)")
            .arg(QDir::toNativeSeparators(target));
    if (QFileInfo::exists(target) && !options.replace)
        return QStringLiteral("la società %1 esiste già (%2): non viene sovrascritta; "
                              "--replace la sostituisce conservandone una copia")
            .arg(company, target);
    return {};
}

Outcome ImportIntoFolder(jet::Database& source, const QString& dataDir, const QString& company,
                         const Options& options, const jet::import::Progress& progress)
{
    Outcome outcome;
    outcome.target = targetOf(dataDir, company);
    if (outcome.error = CheckTarget(dataDir, company, options); !outcome.error.isEmpty())
        return outcome;

    jet::import::Prepared prepared;
    try {
        prepared = jet::import::Prepare(source, progress);
    } catch (const jet::Error& error) {
        outcome.error = error.message() + QStringLiteral(": nessuna società creata");
        return outcome;
    }
    outcome.notes = prepared.notes;
    outcome.badRows = prepared.badRows;
    if (!prepared.badRows.empty() && !options.skipBadRows) {
        outcome.error = QStringLiteral("%1 righe non possono essere importate: nessuna società creata "
                                       "(--skip-bad-rows importa le altre)")
                            .arg(prepared.badRows.size());
        return outcome;
    }

    company::pending::PendingFile pending(outcome.target);
    if (outcome.error = pending.error(); !outcome.error.isEmpty())
        return outcome;
    if (outcome.error = company::file::CreateCompanyDatabase(pending.path()); !outcome.error.isEmpty())
        return outcome;
    try {
        std::unique_ptr<store::Database> database = store::openDatabase(pending.path());
        outcome.counts = jet::import::Write(prepared, *database, progress);
    } catch (const store::EngineError& error) {
        outcome.error = QStringLiteral("scrittura non riuscita: %1 (errore %2): nessuna società creata")
                            .arg(error.description())
                            .arg(error.number());
        return outcome;
    }

    // Rows may all have come while the library complained of the file: a
    // damaged file gives no company.
    if (jet::LibraryComplained()) {
        outcome.error = QStringLiteral("la libreria Jet ha segnalato errori leggendo il file: nessuna società creata");
        return outcome;
    }
    if (QFileInfo::exists(outcome.target)) {
        const QString backup = outcome.target + QStringLiteral(".bak-") +
                               QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (!QFile::copy(outcome.target, backup)) {
            outcome.error = QStringLiteral("impossibile copiare %1 in %2: la società non è stata sostituita")
                                .arg(outcome.target, backup);
            return outcome;
        }
        outcome.backup = backup;
    }
    // rename() puts the new file in place in one step: no reader finds it missing.
    if (const QString error = pending.commit(options.replace); !error.isEmpty()) {
        outcome.error = error;
        return outcome;
    }
    return outcome;
}

}  // namespace jet::company_import
