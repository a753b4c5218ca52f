// quenvol-admin print: the numbered pages of a register, to be stamped by the
// customs office, and the inspection sheet of a register set, as PDF/A files.
#include "admin/admin_command.h"
#include "company/company_location.h"
#include "company/company_server.h"
#include "company/pending_file.h"

#include "paper/inspection_sheet.h"
#include "paper/page_prints.h"
#include "paper/paper_fonts.h"
#include "paper/register_pages.h"
#include "store/schema/table_description.h"

#include <cstdio>

namespace {

int RunPrint(const QStringList& arguments);

const admin::Command Print{
    "print",
    "print pages|sheet <cartella dati o server> <societa> <codice> [REGISTRO DA A] --output FILE.pdf [--reprint]",
    "Stampa in un file PDF/A-1b (A4, caratteri Liberation incorporati):\n"
    "print pages <cartella dati o server> <societa> <codice> <ARRIVI|CUSTODIA|DEPOSITO|PREAVVISO>\n"
    "            <da> <a> --output FILE.pdf [--reprint] [--senza-testata]\n"
    "    le pagine numerate \"Pag. n\" da <da> ad <a> del registro, da vidimare: in ognuna\n"
    "    le cinque righe di testata del registro, il codice, la serie (non per PREAVVISO)\n"
    "    e lo spazio per il timbro dell'ufficio. La stampa e' registrata nello storico\n"
    "    delle modifiche. Una pagina gia' stampata per quel registro e' rifiutata,\n"
    "    nominando la stampa precedente, se non si da' --reprint; le pagine ristampate\n"
    "    portano la scritta RISTAMPA e sono registrate come ristampa. Ogni pagina porta\n"
    "    accanto al numero la societa' e la data di stampa. Un registro con le cinque\n"
    "    righe di testata vuote e' rifiutato (le pagine non direbbero di chi sono),\n"
    "    se non si da' --senza-testata.\n"
    "print sheet <cartella dati o server> <societa> <codice> --output FILE.pdf\n"
    "    la scheda del registro per l'ispezione: tutti i campi con le etichette del\n"
    "    video, le righe di testata, lo storico delle modifiche, la societa', data e\n"
    "    ora della stampa, l'ultima riga dello storico e la sua impronta.\n"
    "--output    il file PDF da scrivere (sostituito solo a stampa completata)\n"
    "--reprint   ristampa le pagine gia' stampate\n"
    "--senza-testata  stampa anche con le righe di testata del registro vuote\n"
    "Esempio: quenvol-admin print pages ~/quenvol DEMO R1 ARRIVI 1 50 --output arrivi.pdf\n",
    RunPrint};
const admin::Registration registration(Print);

int NoHistory(const QString& location, const QString& company, const QString& path)
{
    return admin::Fail(QStringLiteral("%1 non ha lo storico delle modifiche, dove le stampe sono registrate "
                                      "(lo aggiunge: quenvol-admin upgrade %2 %3)")
                           .arg(path, company::server::IsServer(location) ? QStringLiteral("'<server>'") : location,
                                company));
}

int PrintPages(const admin::Arguments& given)
{
    const QStringList& rest = given.operands;
    if (rest.size() != 7)
        return admin::UsageError(Print);
    const QString& location = rest[1];
    const QString& company = rest[2];
    const QString code = rest[3].trimmed();
    const auto reg = paper::RegisterNamed(rest[4]);
    if (!reg)
        return admin::Fail(QStringLiteral("registro sconosciuto: %1 (%2)").arg(rest[4], paper::RegisterNames().join(QLatin1Char('|'))));
    bool firstRead = false;
    bool lastRead = false;
    const int first = rest[5].toInt(&firstRead);
    const int last = rest[6].toInt(&lastRead);
    if (!firstRead || !lastRead)
        return admin::Fail(QStringLiteral("numeri di pagina non validi: %1 %2").arg(rest[5], rest[6]));
    if (const QString problem = paper::RangeProblem(first, last); !problem.isEmpty())
        return admin::Fail(problem);
    const bool reprint = given.has("--reprint");
    const QString path = company::location::PlaceName(location, company);
    try {
        auto database = company::location::OpenCompany(location, company);
        std::vector<paper::PagePrint> earlier;
        try {
            earlier = paper::EarlierPrints(*database, code, *reg);
        } catch (const store::EngineError& error) {
            if (error.number() != store::EngineErrorNumber::TableNotFound)
                throw;
            return NoHistory(location, company, path);
        }
        const QString overlap = paper::OverlapText(earlier, *reg, first, last);
        if (!overlap.isEmpty() && !reprint)
            return admin::Fail(overlap + QStringLiteral(" (per ristamparle: --reprint)"));
        auto pages = paper::ReadRegisterPages(*database, company, code, *reg, first, last);
        if (!pages)
            return admin::Fail(QStringLiteral("%1: registro %2 inesistente").arg(path, code));
        if (const QString empty = paper::EmptyHeaderProblem(*pages); !empty.isEmpty() && !given.has("--senza-testata"))
            return admin::Fail(empty + QStringLiteral(" (per stamparle comunque: --senza-testata)"));
        pages->reprinted = paper::PrintedBefore(earlier, first, last);
        const bool again = !pages->reprinted.empty();
        const QByteArray pdf = paper::RenderPdf(
            paper::PagesInfo(*pages), [&](QPagedPaintDevice& device) { paper::PaintRegisterPages(device, *pages); });
        // The print is recorded once the file is written, before it takes its name.
        const QString failed = company::pending::WriteWhole(given.value("--output"), pdf, true, [&] {
            paper::RecordPagePrint(*database, pages->code, *reg, first, last, again, earlier);
        });
        if (!failed.isEmpty())
            return admin::Fail(failed);
        std::printf("%s: %d %s del registro %s di %s%s\n", given.value("--output").toUtf8().constData(),
                    last - first + 1, last == first ? "pagina" : "pagine", qUtf8Printable(paper::RegisterName(*reg)),
                    pages->code.toUtf8().constData(), again ? " (ristampa)" : "");
    } catch (const paper::PrintedMeanwhile& refused) {
        return admin::Fail(QStringLiteral("stampa non registrata, file non scritto: ") + refused.text);
    } catch (const store::EngineError& error) {
        return admin::Fail(QStringLiteral("%1: %2").arg(path, error.description()));
    }
    return admin::ExitOk;
}

int PrintSheet(const admin::Arguments& given)
{
    const QStringList& rest = given.operands;
    if (rest.size() != 4 || given.has("--reprint") || given.has("--senza-testata"))
        return admin::UsageError(Print);
    const QString& location = rest[1];
    const QString& company = rest[2];
    const QString code = rest[3].trimmed();
    const QString path = company::location::PlaceName(location, company);
    try {
        auto database = company::location::OpenCompany(location, company);
        const auto sheet = paper::ReadInspectionSheet(*database, company, code);
        if (!sheet)
            return admin::Fail(QStringLiteral("%1: registro %2 inesistente").arg(path, code));
        const QByteArray pdf = paper::RenderPdf(
            paper::SheetInfo(*sheet), [&](QPagedPaintDevice& device) { paper::PaintInspectionSheet(device, *sheet); });
        const QString failed = company::pending::WriteWhole(given.value("--output"), pdf, true);
        if (!failed.isEmpty())
            return admin::Fail(failed);
        std::printf("%s: scheda del registro %s\n", given.value("--output").toUtf8().constData(),
                    sheet->record.SspCodice.toUtf8().constData());
    } catch (const store::EngineError& error) {
        return admin::Fail(QStringLiteral("%1: %2").arg(path, error.description()));
    }
    return admin::ExitOk;
}

int RunPrint(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Print, arguments, {{"--reprint", "--senza-testata"}, {"--output"}, 4, 7}, given))
        return *status;
    if (!given.values.contains("--output"))
        return admin::UsageError(Print);
    if (const auto refused = admin::RefuseCompanyCode(given.operands[2]))
        return *refused;
    if (const QString missing = paper::LoadLiberationFonts(); !missing.isEmpty())
        return admin::Fail(missing);
    if (given.operands[0] == QLatin1String("pages"))
        return PrintPages(given);
    if (given.operands[0] == QLatin1String("sheet"))
        return PrintSheet(given);
    return admin::UsageError(Print);
}

}  // namespace
