// The print preview dialog and the request for register pages.
#include "screen/print_preview.h"

#include "paper/page_canvas.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QLibraryInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTranslator>

namespace screen {

namespace {

// Qt's own dialogs speak Italian once its Italian texts are loaded: on Linux
// from Qt's folder (package qt6-translations-l10n), on Windows from the
// "translations" folder beside the program, where the installer puts them.
// Without them they stay in English.
void LoadItalianTexts()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    auto* texts = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                  QCoreApplication::applicationDirPath() + QStringLiteral("/translations")})
        if (texts->load(QStringLiteral("qtbase_it"), folder)) {
            QCoreApplication::installTranslator(texts);
            return;
        }
    delete texts;
}

}  // namespace

bool ShowPrintPreview(QWidget* parent, const paper::DocumentInfo& info,
                      const std::function<void(QPagedPaintDevice&)>& paint)
{
    LoadItalianTexts();
    QPrinter printer(QPrinter::HighResolution);
    // For an office that prints unattended, and for the tests: with
    // QUENVOL_STAMPA_PDF naming a file, the document is written there as a
    // PDF file at once, without the preview (whose printing goes through the
    // system's own dialogs).
    const QString pdf = qEnvironmentVariable("QUENVOL_STAMPA_PDF");
    if (!pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QFile::remove(pdf);
    }
    printer.setPageLayout(paper::DocumentPageLayout());
    printer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    printer.setDocName(info.title);
    printer.setCreator(paper::CreatorText(info.company));
    if (!pdf.isEmpty()) {
        paint(printer);
        if (QFileInfo(pdf).size() > 0)
            return true;
        qWarning().noquote() << QStringLiteral("quenvol: la stampa non è stata scritta in %1").arg(pdf);
        return false;
    }
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("AnteprimaStampa"));
    dialog.setWindowTitle(QStringLiteral("Anteprima di stampa - %1").arg(info.title));
    // Large enough to read a whole landscape page.
    dialog.resize(1000, 760);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* device) { paint(*device); });
    return dialog.exec() == QDialog::Accepted;
}

std::optional<PagesRequest> AskPages(QWidget* parent, const std::vector<int>& next)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("StampaPagine"));
    dialog.setWindowTitle(QStringLiteral("Stampa delle pagine da vidimare"));
    auto* registers = new QComboBox(&dialog);
    registers->setObjectName(QStringLiteral("Registro"));
    registers->addItems(paper::RegisterNames());
    auto* first = new QSpinBox(&dialog);
    first->setObjectName(QStringLiteral("DaPagina"));
    auto* last = new QSpinBox(&dialog);
    last->setObjectName(QStringLiteral("APagina"));
    for (QSpinBox* box : {first, last})
        box->setRange(1, 999999);
    auto propose = [&](int index) {
        const int page = index >= 0 && std::size_t(index) < next.size() ? next[std::size_t(index)] : 1;
        first->setValue(page);
        last->setValue(page);
    };
    QObject::connect(registers, &QComboBox::currentIndexChanged, &dialog, propose);
    propose(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Anteprima"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("Registro"), registers);
    form->addRow(QStringLiteral("Dalla pagina"), first);
    form->addRow(QStringLiteral("Alla pagina"), last);
    form->addRow(buttons);
    registers->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return PagesRequest{paper::PageRegister(registers->currentIndex()), first->value(), last->value()};
}

}  // namespace screen
