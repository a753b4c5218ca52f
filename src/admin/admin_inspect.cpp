// quenvol-admin inspect: what a Jet database holds, every table read through
// and counted, and whether it can be imported.
#include "admin/admin_command.h"
#include "jet/jet_bounded.h"
#include "jet/jet_import.h"

#include <cstdio>

namespace {

int RunInspect(const QStringList& arguments);
int InspectFile(const QString& file);

const admin::Command Inspect{
    "inspect",
    "inspect <file Jet>",
    "Mostra la versione del file Jet, le sue tabelle con il numero di righe, e se\n"
    "contiene TabellaSerieSemplificata, TestataRegistriPS e TabellaDocScorta con le\n"
    "colonne che Quenvol usa. Ogni tabella viene letta per intero: le righe lette\n"
    "devono essere quante il file ne registra e quante ne stanno nelle sue pagine\n"
    "di dati, altrimenti il file e' danneggiato. Il file viene solo letto.\n"
    "Esce con 0 se il file si può importare, 1 altrimenti.\n"
    "Esempio: quenvol-admin inspect {jet}\n",
    RunInspect};
const admin::Registration registration(Inspect);

// In the reading's child process: standard output belongs to the Jet library.
void Print(const QString& line)
{
    std::fprintf(jet::Out(), "%s\n", line.toUtf8().constData());
}

int Fail(const QString& message)
{
    std::fprintf(jet::Err(), "quenvol-admin: %s\n", message.toUtf8().constData());
    return admin::ExitFailed;
}

// The rows of the table read to its end; the damage when they are not all there.
QString ReadThrough(jet::Table& table)
{
    qint64 read = 0;
    jet::Row row;
    while (table.next(row))
        ++read;
    return jet::import::CountProblem(table, read);
}

int RunInspect(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Inspect, arguments, {{}, {}, 1, 1}, given))
        return *status;
    const QString& file = given.operands[0];
    if (const auto refused = admin::RefusePath(file))
        return *refused;
    // A damaged file can send the Jet library into a loop that allocates
    // without end: the reading runs bounded in a child process.
    return jet::RunBounded(file, jet::LimitsFromEnvironment(), QStringLiteral("il file non è stato modificato"),
                           [&] { return InspectFile(file); });
}

int InspectFile(const QString& file)
{
    try {
        std::unique_ptr<jet::Database> source = jet::OpenJetFile(file);
        Print(QStringLiteral("file: %1").arg(file));
        Print(QStringLiteral("versione: %1").arg(source->version()));
        const QStringList names = source->tableNames();
        Print(QStringLiteral("tabelle: %1").arg(names.size()));
        QStringList damaged;
        for (const QString& name : names) {
            const std::unique_ptr<jet::Table> table = source->openTable(name);
            Print(QStringLiteral("  %1: %2 righe").arg(name).arg(table ? table->rowCount() : 0));
            if (!table)
                continue;
            if (const QString problem = ReadThrough(*table); !problem.isEmpty())
                damaged << problem;
        }
        if (!damaged.isEmpty()) {
            for (const QString& problem : damaged)
                Fail(problem);
            Print(QStringLiteral("esito: il file non si può importare"));
            return admin::ExitFailed;
        }
        Print(QStringLiteral("tabelle di Quenvol:"));
        bool importable = true;
        for (const jet::import::TableCheck& check : jet::import::Check(*source)) {
            if (!check.present) {
                Print(QStringLiteral("  %1: assente").arg(check.table));
                importable = false;
                continue;
            }
            Print(QStringLiteral("  %1: %2 righe").arg(check.table).arg(check.rows));
            if (!check.hasKey) {
                Print(QStringLiteral("    manca la colonna chiave"));
                importable = false;
            }
            if (!check.missing.isEmpty())
                Print(QStringLiteral("    colonne assenti nel file (restano vuote): %1")
                          .arg(check.missing.join(QStringLiteral(", "))));
            if (!check.extra.isEmpty())
                Print(QStringLiteral("    colonne non usate da Quenvol (non importate): %1")
                          .arg(check.extra.join(QStringLiteral(", "))));
        }
        Print(importable ? QStringLiteral("esito: il file si può importare con quenvol-admin import")
                         : QStringLiteral("esito: il file non si può importare"));
        return importable ? admin::ExitOk : admin::ExitFailed;
    } catch (const jet::Error& error) {
        return Fail(error.message());
    }
}

}  // namespace
