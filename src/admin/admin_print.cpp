// quenvol-admin print: the numbered pages of a register, to be stamped by the
// customs office, and the inspection sheet of a register set, as PDF/A files.
#include "admin/admin_command.h"
#include "admin/admin_signing.h"
#include "company/company_location.h"
#include "company/company_server.h"
#include "company/pending_file.h"

#include "paper/inspection_sheet.h"
#include "paper/page_prints.h"
#include "paper/paper_fonts.h"
#include "store/history/history_event.h"
#include "paper/register_pages.h"
#include "store/history/history_reader.h"
#include "store/schema/table_description.h"

#include <cstdio>

namespace {

int RunPrint(const QStringList& arguments);

const admin::Command Print{
    "print",
    "print pages|sheet <cartella dati o server> <societa> <codice> [REGISTRO DA A] --output FILE.pdf [--reprint]\n"
    "      [--firma CHIAVE [--modulo LIBRERIA] [--pin-stdin] [--tsa URL [--tsa-ca FILE]]]",
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
    "--firma CHIAVE  firma il PDF (PAdES, firma CAdES con SHA-256) con la chiave del\n"
    "               file PKCS#12 CHIAVE (.p12, .pfx), o del dispositivo di firma\n"
    "               (smart card) indicato da pkcs11:token=NOME;object=ETICHETTA; la\n"
    "               passphrase o il PIN e' chiesto sul terminale, mai sulla riga di\n"
    "               comando. La firma e' registrata nello storico con il titolare e\n"
    "               il numero di serie del certificato\n"
    "--modulo LIBRERIA  la libreria PKCS#11 del dispositivo di firma (per pkcs11:)\n"
    "--pin-stdin    legge la passphrase o il PIN dalla prima riga dello standard input\n"
    "--tsa URL      aggiunge alla firma la marca temporale di un'autorita' (RFC 3161,\n"
    "               http://)\n"
    "--tsa-ca FILE  verifica subito la marca con il certificato (PEM) dell'autorita'\n"
    "La firma si verifica con: quenvol-admin verify-pdf FILE.pdf --ca CA.pem\n"
    "Esempio: quenvol-admin print pages {dati} DEMO R1 ARRIVI 1 50 --output arrivi.pdf\n",
    RunPrint};
const admin::Registration registration(Print);

int NoHistory(const QString& location, const QString& company, const QString& path)
{
    return admin::Fail(QStringLiteral("%1 non ha lo storico delle modifiche, dove le stampe sono registrate "
                                      "(lo aggiunge: quenvol-admin upgrade %2 %3)")
                           .arg(path, company::server::IsServer(location) ? QStringLiteral("'<server>'") : location,
                                company));
}

// The signature's event in the history: the document, the signer's
// certificate subject and serial.
void RecordSignature(store::Database& database, const QString& code, const QString& document,
                     const std::optional<admin::SigningKey>& key)
{
    if (key)
        store::RecordHistoryEvent(database, {code, QStringLiteral("firma"), document,
                                             store::Value(key->loaded.certificate.subject.left(255)),
                                             store::Value(key->loaded.certificate.serial)});
}

// The print's bytes, signed when a key is given; empty with the reason.
QByteArray Finished(const QByteArray& pdf, const std::optional<admin::SigningKey>& key, QString* problem)
{
    if (!key)
        return pdf;
    return admin::SignedPdf(*key, pdf, problem);
}

// For a signed print that could not be recorded: a server made by an
// earlier version records signatures once upgraded; nothing was written.
QString UpgradeHint(const std::optional<admin::SigningKey>& key)
{
    return key ? QStringLiteral(" (nessun file scritto; un server di una versione precedente registra le firme "
                                "dopo quenvol-admin upgrade)")
               : QString();
}

// What the output line adds for a signed print.
QString SignedNote(const std::optional<admin::SigningKey>& key)
{
    if (!key)
        return {};
    return QStringLiteral(", firmato da %1 (certificato n. %2)%3")
        .arg(key->loaded.certificate.subject, key->loaded.certificate.serial,
             key->tsa.isEmpty() ? QString() : QStringLiteral(" con marca temporale"));
}

int PrintPages(const admin::Arguments& given, const std::optional<admin::SigningKey>& key)
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
        QString problem;
        const QByteArray pdf = Finished(
            paper::RenderPdf(paper::PagesInfo(*pages),
                             [&](QPagedPaintDevice& device) { paper::PaintRegisterPages(device, *pages); }),
            key, &problem);
        if (pdf.isEmpty())
            return admin::Fail(problem + QStringLiteral(": nessun file scritto, nessuna stampa registrata"));
        // The print is recorded once the file is written, before it takes its name.
        // The signature first: a server made by an earlier version refuses
        // its event until upgraded, and then no print is recorded either.
        const QString failed = company::pending::WriteWhole(given.value("--output"), pdf, true, [&] {
            RecordSignature(*database, pages->code,
                            QStringLiteral("pagine %1 %2-%3").arg(paper::RegisterName(*reg)).arg(first).arg(last), key);
            paper::RecordPagePrint(*database, pages->code, *reg, first, last, again, earlier);
        });
        if (!failed.isEmpty())
            return admin::Fail(failed);
        std::printf("%s: %d %s del registro %s di %s%s%s\n", given.value("--output").toUtf8().constData(),
                    last - first + 1, last == first ? "pagina" : "pagine", qUtf8Printable(paper::RegisterName(*reg)),
                    pages->code.toUtf8().constData(), again ? " (ristampa)" : "", qUtf8Printable(SignedNote(key)));
    } catch (const paper::PrintedMeanwhile& refused) {
        return admin::Fail(QStringLiteral("stampa non registrata, file non scritto: ") + refused.text);
    } catch (const store::EngineError& error) {
        return admin::Fail(QStringLiteral("%1: %2%3").arg(path, error.description(), UpgradeHint(key)));
    }
    return admin::ExitOk;
}

int PrintSheet(const admin::Arguments& given, const std::optional<admin::SigningKey>& key)
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
        // A code stored with a blank at an end before the rule refused it is
        // found as written; any other code as trimmed.
        auto sheet = paper::ReadInspectionSheet(*database, company, rest[3]);
        if (!sheet && code != rest[3])
            sheet = paper::ReadInspectionSheet(*database, company, code);
        if (!sheet)
            return admin::Fail(QStringLiteral("%1: registro %2 inesistente").arg(path, store::ShownCode(code)));
        QString problem;
        const QByteArray pdf = Finished(
            paper::RenderPdf(paper::SheetInfo(*sheet),
                             [&](QPagedPaintDevice& device) { paper::PaintInspectionSheet(device, *sheet); }),
            key, &problem);
        if (pdf.isEmpty())
            return admin::Fail(problem + QStringLiteral(": nessun file scritto"));
        const QString failed = company::pending::WriteWhole(given.value("--output"), pdf, true, [&] {
            RecordSignature(*database, sheet->record.SspCodice, QStringLiteral("scheda"), key);
        });
        if (!failed.isEmpty())
            return admin::Fail(failed);
        std::printf("%s: scheda del registro %s%s\n", given.value("--output").toUtf8().constData(),
                    store::ShownCode(sheet->record.SspCodice).toUtf8().constData(), qUtf8Printable(SignedNote(key)));
    } catch (const store::EngineError& error) {
        return admin::Fail(QStringLiteral("%1: %2%3").arg(path, error.description(), UpgradeHint(key)));
    }
    return admin::ExitOk;
}

int RunPrint(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Print, arguments,
                                                 {QStringList{"--reprint", "--senza-testata"} + admin::SigningSwitches,
                                                  QStringList{"--output"} + admin::SigningOptions, 4, 7},
                                                 given))
        return *status;
    if (!given.values.contains("--output") || !admin::SigningArgumentsSound(given) ||
        (given.operands[0] != QLatin1String("pages") && given.operands[0] != QLatin1String("sheet")))
        return admin::UsageError(Print);
    if (const auto refused = admin::RefuseCompanyCode(given.operands[2]))
        return *refused;
    for (const QString& path : {given.operands[1], given.value("--output")})
        if (const auto refused = admin::RefusePath(path))
            return *refused;
    if (const QString missing = paper::LoadLiberationFonts(); !missing.isEmpty())
        return admin::Fail(missing);
    int failed = admin::ExitOk;
    const std::optional<admin::SigningKey> key = admin::OpenSigningKey(given, &failed);
    if (failed != admin::ExitOk)
        return failed;
    if (given.operands[0] == QLatin1String("pages"))
        return PrintPages(given, key);
    return PrintSheet(given, key);
}

}  // namespace
