// quenvol-admin verify-pdf: checks a signed page print or inspection sheet
// as anyone can: the byte range covers the whole file, the digest and the
// signature, the signer's chain to a CA file, the time stamp; given the
// company, that the document is the company's and its signature is the one
// its history records.
#include "admin/admin_command.h"
#include "company/cades_signature.h"
#include "company/company_location.h"

#include "paper/pdf_signature.h"
#include "store/history/history_reader.h"

#include <QFile>
#include <QRegularExpression>

#include <cstdio>

namespace {

int RunVerifyPdf(const QStringList& arguments);

const admin::Command VerifyPdf{
    "verify-pdf",
    "verify-pdf FILE.pdf [<cartella dati o server> <societa>] --ca FILE",
    "Verifica un PDF firmato con quenvol-admin print --firma (pagine o scheda):\n"
    "la firma deve coprire tutto il file tranne il proprio spazio, l'impronta e la\n"
    "firma devono corrispondere, il certificato del firmatario deve risalire ai\n"
    "certificati del file --ca e, se c'e', la marca temporale della firma deve\n"
    "essere di un'autorita' di quel file. Con la cartella dati (o il server) e la\n"
    "societa' verifica anche che il documento sia della societa' e che il suo\n"
    "storico registri la firma di quel certificato per quel registro. Esce con 0\n"
    "e dice chi ha firmato e quando; esce con 1 dicendo che cosa non va.\n"
    "--ca FILE  i certificati (PEM) delle autorita' di certificazione e di marca\n"
    "           temporale riconosciute\n"
    "Esempio: quenvol-admin verify-pdf arrivi.pdf {dati} DEMO --ca ca-ufficio.pem\n",
    RunVerifyPdf};
const admin::Registration registration(VerifyPdf);

constexpr qint64 MostPdf = qint64(1) << 30;

// What the document's title names: the register set's code and the
// document as the history's signature event names it. "Pagine 1-50 del
// registro ARRIVI di R1 - società DEMO" gives R1 and "pagine ARRIVI 1-50";
// "Scheda del registro R1 - società DEMO" gives R1 and "scheda".
struct Named {
    QString code;
    QString document;
};
Named NamedInTitle(const QString& title)
{
    static const QRegularExpression pages(
        QStringLiteral("^Pagin[ae] (\\d+)(?:-(\\d+))? del registro (\\S+) di (.+) - società .*$"));
    static const QRegularExpression sheet(QStringLiteral("^Scheda del registro (.+) - società .*$"));
    if (const QRegularExpressionMatch match = pages.match(title); match.hasMatch()) {
        const QString last = match.captured(2).isEmpty() ? match.captured(1) : match.captured(2);
        return {match.captured(4).trimmed(),
                QStringLiteral("pagine %1 %2-%3").arg(match.captured(3), match.captured(1), last)};
    }
    if (const QRegularExpressionMatch match = sheet.match(title); match.hasMatch())
        return {match.captured(1).trimmed(), QStringLiteral("scheda")};
    return {};
}

// Whether the history of `company` records the signature of `signer` on
// the document `title` names; the reason in Italian when not.
QString HistoryProblem(const QString& location, const QString& company, const QString& title,
                       const company::signature::Certificate& signer)
{
    if (!title.endsWith(QStringLiteral(" - società ") + company))
        return QStringLiteral("il documento non è della società %1 (%2)").arg(company, title);
    const Named named = NamedInTitle(title);
    if (named.code.isEmpty())
        return QStringLiteral("il titolo del documento non è quello delle pagine o della scheda di Quenvol (%1)")
            .arg(title);
    const QString path = company::location::PlaceName(location, company);
    try {
        auto database = company::location::OpenCompany(location, company);
        for (const store::Change& change : store::ReadHistory(*database, named.code)) {
            if (change.action != QLatin1String("firma"))
                continue;
            for (const store::ColumnChange& column : change.columns)
                if (column.column == named.document && column.after.toString() == signer.serial &&
                    column.before.toString() == signer.subject.left(255))
                    return {};
        }
    } catch (const store::EngineError& error) {
        return QStringLiteral("%1: %2").arg(path, error.description());
    }
    return QStringLiteral("lo storico di %1 non registra la firma del certificato n. %2 per %3 del registro %4")
        .arg(path, signer.serial, named.document, named.code);
}

int RunVerifyPdf(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(VerifyPdf, arguments, {{}, {"--ca"}, 1, 3}, given))
        return *status;
    if (given.operands.size() == 2 || !given.values.contains("--ca"))
        return admin::UsageError(VerifyPdf);
    const QString name = given.operands[0];
    for (const QString& path : given.operands.mid(0, 2))
        if (const auto refused = admin::RefusePath(path))
            return *refused;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return admin::Fail(QStringLiteral("%1: %2").arg(name, file.errorString()));
    if (file.size() > MostPdf)
        return admin::Fail(QStringLiteral("%1: file troppo grande per un documento di Quenvol").arg(name));
    const paper::PdfSignature found = paper::ReadPdfSignature(file.readAll());
    if (!found.problem.isEmpty())
        return admin::Fail(QStringLiteral("%1: %2").arg(name, found.problem));
    const company::signature::Checked checked =
        company::signature::Verify(found.cms, found.covered, given.value("--ca"));
    if (!checked.valid)
        return admin::Fail(QStringLiteral("%1: %2").arg(name, checked.problem));
    if (given.operands.size() == 3) {
        const QString problem = HistoryProblem(given.operands[1], given.operands[2], found.title, checked.signer);
        if (!problem.isEmpty())
            return admin::Fail(QStringLiteral("%1: %2").arg(name, problem));
    }
    std::printf("%s: firma valida di %s (certificato n. %s, rilasciato da %s, scade il %s)\n",
                name.toUtf8().constData(), qUtf8Printable(checked.signer.subject),
                qUtf8Printable(checked.signer.serial), qUtf8Printable(checked.signer.issuer),
                qUtf8Printable(checked.signer.notAfter.toString(QStringLiteral("dd/MM/yyyy"))));
    if (checked.stamped)
        std::printf("marca temporale dell'autorità: %s UTC\n",
                    qUtf8Printable(checked.stampTime.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))));
    else
        std::printf("senza marca temporale: la data della firma è quella dichiarata da chi ha firmato\n");
    if (!found.title.isEmpty())
        std::printf("documento: %s\n", qUtf8Printable(found.title));
    return admin::ExitOk;
}

}  // namespace
