// Signing a printed document from the window: the PIN box, the certificate
// shown, the signature and the file.
#include "screen/signed_print.h"

#include "company/pending_file.h"
#include "paper/pdf_signature.h"
#include "shell/profile.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace screen {

SigningSettings ReadSigningSettings(const QString& iniFile)
{
    const QString section = QStringLiteral("FIRMA");
    return {shell::ReadIni(iniFile, section, QStringLiteral("CHIAVE")).trimmed(),
            shell::ReadIni(iniFile, section, QStringLiteral("MODULO")).trimmed(),
            shell::ReadIni(iniFile, section, QStringLiteral("TSA")).trimmed()};
}

std::optional<QString> AskPin(QWidget* parent, const QString& key)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PinFirma"));
    dialog.setWindowTitle(QStringLiteral("Firma digitale"));
    const bool token = company::signature::IsTokenUri(key);
    auto* pin = new QLineEdit(&dialog);
    pin->setObjectName(QStringLiteral("Pin"));
    pin->setEchoMode(QLineEdit::Password);
    // Nothing typed here is offered to input methods or kept for completion.
    pin->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Avanti"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(new QLabel(QStringLiteral("Chiave di firma: %1").arg(QDir::toNativeSeparators(key)), &dialog));
    form->addRow(token ? QStringLiteral("PIN del dispositivo") : QStringLiteral("Passphrase"), pin);
    form->addRow(buttons);
    pin->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QString typed = pin->text();
    pin->clear();
    return typed;
}

bool PrintSigned(QWidget* parent, const AskBox& ask, const SigningSettings& settings, const paper::DocumentInfo& info,
                 const std::function<void(QPagedPaintDevice&)>& paint,
                 const std::function<void(const company::signature::Certificate&)>& record)
{
    const auto refuse = [&](const QString& text) {
        ask(text.toUpper() + QStringLiteral("\nNESSUN DOCUMENTO FIRMATO"), store::BoxCode::OkCritical);
        return false;
    };
    if (const QString unavailable = company::signature::Unavailable(settings.key); !unavailable.isEmpty())
        return refuse(unavailable);
    std::optional<QString> pin = AskPin(parent, settings.key);
    if (!pin)
        return false;
    const company::signature::Loaded key = company::signature::Load(settings.key, *pin, settings.module);
    pin->fill(QLatin1Char(' '));
    pin.reset();
    if (!key.key)
        return refuse(key.problem);
    const company::signature::Certificate& who = key.certificate;
    if (ask(QStringLiteral("FIRMO CON IL CERTIFICATO DI %1\nRILASCIATO DA %2\nVALIDO FINO AL %3\n"
                           "NUMERO DI SERIE %4\nFIRMO IL DOCUMENTO?")
                .arg(who.subject.toUpper(), who.issuer.toUpper(),
                     who.notAfter.toLocalTime().toString(QStringLiteral("dd/MM/yyyy")), who.serial),
            store::BoxCode::YesNoQuestionNoDefault) != store::BoxAnswer::Yes)
        return false;
    QString problem;
    const QByteArray pdf = paper::SignPdf(
        paper::RenderPdf(info, paint),
        [&](const QByteArray& covered, QString* why) {
            company::signature::Signed made =
                company::signature::Sign(*key.key, covered, settings.tsa, company::signature::Profile::Pades);
            *why = made.problem;
            return made.cms;
        },
        QDateTime::currentDateTimeUtc(), &problem);
    if (pdf.isEmpty())
        return refuse(problem);
    // For an office that prints unattended, and for the tests, as the preview does.
    QString target = qEnvironmentVariable("QUENVOL_STAMPA_PDF");
    if (target.isEmpty())
        target = QFileDialog::getSaveFileName(parent, QStringLiteral("Salva il documento firmato"),
                                              QDir::home().filePath(info.title + QStringLiteral(".pdf")),
                                              QStringLiteral("Documenti PDF (*.pdf)"), nullptr,
                                              QFileDialog::DontUseNativeDialog);
    if (target.isEmpty())
        return false;
    const QString failed = company::pending::WriteWhole(target, pdf, true, [&] { record(who); });
    if (!failed.isEmpty())
        return refuse(failed);
    ask(QStringLiteral("DOCUMENTO FIRMATO SCRITTO IN %1").arg(QDir::toNativeSeparators(target)),
        store::BoxCode::OkOnly);
    return true;
}

}  // namespace screen
