// F8: printing from the window. On the register panel it prints the register
// set on screen (its inspection sheet); in the header panel, numbered pages of
// a register to be stamped, asked for in a small dialog. Both go through the
// print preview; pages are recorded in the change history once printed.
#include "screen/print_preview.h"
#include "screen/signed_print.h"
#include "screen/startup.h"

#include "paper/inspection_sheet.h"
#include "paper/page_prints.h"
#include "paper/paper_fonts.h"
#include "paper/register_pages.h"
#include "store/history/history_event.h"

namespace screen {

namespace {

const QString ReadFailed = QStringLiteral("ERRORE NELLA LETTURA DEL REGISTRO");
const QString RecordFailed = QStringLiteral("ERRORE NELLA REGISTRAZIONE DELLA STAMPA NELLO STORICO");

// The signature's event in the history: the document, the signer's subject and serial.
void RecordSignature(store::Database& database, const QString& code, const QString& document,
                     const company::signature::Certificate& signer)
{
    store::RecordHistoryEvent(database, {code, QStringLiteral("firma"), document,
                                         store::Value(signer.subject.left(255)), store::Value(signer.serial)});
}

}  // namespace

void Startup::PrintKey()
{
    if (const QString missing = paper::LoadLiberationFonts(); !missing.isEmpty()) {
        runtime_->MsgBox(missing.toUpper(), store::BoxCode::OkOnly);
        return;
    }
    if (c.Pict[2]->isVisible())
        PrintRegisterPages();
    else if (c.Pict[1]->isEnabled() && ScreenMode == Mode::Variazione)
        PrintRegisterSheet();
}

void Startup::PrintRegisterSheet()
{
    std::optional<paper::InspectionSheet> sheet;
    try {
        sheet = paper::ReadInspectionSheet(*company.database, session.CompanyCode, RegisterRecord.SspCodice);
    } catch (const store::EngineError& error) {
        runtime_->MsgBox(ReadFailed + QLatin1Char('\n') + error.description(), store::BoxCode::OkOnly);
        return;
    }
    if (!sheet) {
        runtime_->MsgBox(QStringLiteral("REGISTRO INESISTENTE"), store::BoxCode::OkOnly);
        return;
    }
    const auto paint = [&sheet](QPagedPaintDevice& device) { paper::PaintInspectionSheet(device, *sheet); };
    const SigningSettings signing = ReadSigningSettings(session.IniFile);
    if (signing.key.isEmpty()) {
        ShowPrintPreview(c.window, paper::SheetInfo(*sheet), paint);
        return;
    }
    try {
        PrintSigned(c.window, [this](const QString& prompt, int code) { return runtime_->MsgBox(prompt, code); },
                    signing, paper::SheetInfo(*sheet), paint, [&](const company::signature::Certificate& signer) {
                        RecordSignature(*company.database, sheet->record.SspCodice,
                                        QStringLiteral("scheda"), signer);
                    });
    } catch (const store::EngineError& error) {
        runtime_->MsgBox(RecordFailed + QStringLiteral(": NESSUN DOCUMENTO FIRMATO\n") + error.description(),
                         store::BoxCode::OkOnly);
    }
}

void Startup::PrintRegisterPages()
{
    const QString code = RegisterRecord.SspCodice;
    if (!company.HistoryTableOpen) {
        runtime_->MsgBox(QStringLiteral("LA SOCIETA' NON HA LO STORICO DELLE MODIFICHE: "
                                        "LA STAMPA DELLE PAGINE NON PUO' ESSERE REGISTRATA"),
                         store::BoxCode::OkOnly);
        return;
    }
    std::vector<std::vector<paper::PagePrint>> earlier(paper::PageRegisterCount);
    std::vector<int> next;
    try {
        for (int r = 0; r < paper::PageRegisterCount; ++r) {
            earlier[std::size_t(r)] = paper::EarlierPrints(*company.database, code, paper::PageRegister(r));
            next.push_back(paper::NextPage(earlier[std::size_t(r)]));
        }
    } catch (const store::EngineError& error) {
        runtime_->MsgBox(QStringLiteral("ERRORE NELLA LETTURA DELLO STORICO") + QLatin1Char('\n') +
                             error.description(),
                         store::BoxCode::OkOnly);
        return;
    }
    const std::optional<PagesRequest> request = AskPages(c.window, next);
    if (!request)
        return;
    if (const QString problem = paper::RangeProblem(request->first, request->last); !problem.isEmpty()) {
        runtime_->MsgBox(problem.toUpper(), store::BoxCode::OkOnly);
        return;
    }
    const auto& prints = earlier[std::size_t(request->reg)];
    if (const QString overlap = paper::OverlapText(prints, request->reg, request->first, request->last);
        !overlap.isEmpty()
        && runtime_->MsgBox(overlap + QStringLiteral("\nRISTAMPO LE PAGINE?"), store::BoxCode::YesNoExclaimNoDefault)
               != store::BoxAnswer::Yes)
        return;
    std::optional<paper::RegisterPages> pages;
    try {
        pages = paper::ReadRegisterPages(*company.database, session.CompanyCode, code, request->reg,
                                         request->first, request->last);
    } catch (const store::EngineError& error) {
        runtime_->MsgBox(ReadFailed + QLatin1Char('\n') + error.description(), store::BoxCode::OkOnly);
        return;
    }
    if (!pages) {
        runtime_->MsgBox(QStringLiteral("REGISTRO INESISTENTE"), store::BoxCode::OkOnly);
        return;
    }
    // Pages with no header line would not say whose they are: printed only
    // when the operator asks for them so.
    if (const QString empty = paper::EmptyHeaderProblem(*pages);
        !empty.isEmpty() &&
        runtime_->MsgBox(empty.toUpper() + QStringLiteral(".\nSTAMPO COMUNQUE LE PAGINE SENZA TESTATA?"),
                         store::BoxCode::YesNoExclaimNoDefault) != store::BoxAnswer::Yes)
        return;
    // The pages carry the header lines as stored: lines changed in the panel
    // and not yet confirmed are not what the office will stamp.
    const store::HeaderLines onScreen = headerPanel().HeaderLinesOnScreen();
    for (int line = 1; line <= 5; ++line) {
        if (store::WithoutTrailingBlanks(onScreen[store::HeaderLineIndex(int(request->reg), line)]) !=
            pages->lines[std::size_t(line - 1)]) {
            runtime_->MsgBox(QStringLiteral("LE RIGHE DI TESTATA A VIDEO NON SONO CONFERMATE: "
                                            "LE PAGINE PORTANO QUELLE MEMORIZZATE"),
                             store::BoxCode::OkOnly);
            break;
        }
    }
    pages->reprinted = paper::PrintedBefore(prints, request->first, request->last);
    if (const SigningSettings signing = ReadSigningSettings(session.IniFile); !signing.key.isEmpty()) {
        PrintSignedPages(signing, *pages, request->reg, prints);
        return;
    }
    if (!ShowPrintPreview(c.window, paper::PagesInfo(*pages),
                          [&pages](QPagedPaintDevice& device) { paper::PaintRegisterPages(device, *pages); }))
        return;
    try {
        paper::RecordPagePrint(*company.database, pages->code, request->reg, request->first, request->last,
                               !pages->reprinted.empty(), prints);
    } catch (const paper::PrintedMeanwhile& meanwhile) {
        // The paper is out: the history says so, as a reprint of pages another
        // workstation printed while the preview was open.
        try {
            paper::RecordPagePrint(*company.database, pages->code, request->reg, request->first, request->last,
                                   true, paper::EarlierPrints(*company.database, pages->code, request->reg));
            runtime_->MsgBox(QStringLiteral("NEL FRATTEMPO UN'ALTRA POSTAZIONE HA STAMPATO:\n") + meanwhile.text +
                                 QStringLiteral("\nLA STAMPA E' REGISTRATA COME RISTAMPA"),
                             store::BoxCode::OkOnly);
        } catch (const store::EngineError& error) {
            runtime_->MsgBox(RecordFailed + QLatin1Char('\n') + error.description(), store::BoxCode::OkOnly);
        } catch (const paper::PrintedMeanwhile& again) {
            runtime_->MsgBox(RecordFailed + QLatin1Char('\n') + again.text, store::BoxCode::OkOnly);
        }
    } catch (const store::EngineError& error) {
        runtime_->MsgBox(RecordFailed + QLatin1Char('\n') + error.description(), store::BoxCode::OkOnly);
    }
}

void Startup::PrintSignedPages(const SigningSettings& signing, const paper::RegisterPages& pages,
                               paper::PageRegister reg, const std::vector<paper::PagePrint>& prints)
{
    const QString document = QStringLiteral("pagine %1 %2-%3").arg(paper::RegisterName(reg)).arg(pages.first).arg(pages.last);
    try {
        PrintSigned(
            c.window, [this](const QString& prompt, int code) { return runtime_->MsgBox(prompt, code); }, signing,
            paper::PagesInfo(pages), [&pages](QPagedPaintDevice& device) { paper::PaintRegisterPages(device, pages); },
            [&](const company::signature::Certificate& signer) {
                // The signature first: a server made by an earlier version
                // refuses its event until upgraded, and then no print is recorded.
                RecordSignature(*company.database, pages.code, document, signer);
                paper::RecordPagePrint(*company.database, pages.code, reg, pages.first, pages.last,
                                       !pages.reprinted.empty(), prints);
            });
    } catch (const paper::PrintedMeanwhile& meanwhile) {
        runtime_->MsgBox(QStringLiteral("NEL FRATTEMPO UN'ALTRA POSTAZIONE HA STAMPATO:\n") + meanwhile.text +
                             QStringLiteral("\nNESSUN DOCUMENTO FIRMATO"),
                         store::BoxCode::OkOnly);
    } catch (const store::EngineError& error) {
        runtime_->MsgBox(RecordFailed + QStringLiteral(": NESSUN DOCUMENTO FIRMATO\n") + error.description(),
                         store::BoxCode::OkOnly);
    }
}

}  // namespace screen
