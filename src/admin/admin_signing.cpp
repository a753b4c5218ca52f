// Opening the office's signing key for a command and signing a PDF with it.
#include "admin/admin_signing.h"

#include "paper/pdf_signature.h"
#include "shell/platform.h"

#include <QFile>

#include <cstdio>

namespace admin {

namespace {

// The first line of standard input, its line end dropped.
std::optional<QString> StandardInputLine()
{
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray line = input.readLine(4096);
    if (line.isEmpty())
        return std::nullopt;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

}  // namespace

bool SigningArgumentsSound(const Arguments& given)
{
    const bool signing = given.values.contains("--firma");
    return (signing || (!given.has("--pin-stdin") && !given.values.contains("--tsa") &&
                        !given.values.contains("--modulo"))) &&
           (given.values.contains("--tsa") || !given.values.contains("--tsa-ca"));
}

std::optional<SigningKey> OpenSigningKey(const Arguments& given, int* failed)
{
    *failed = ExitOk;
    if (!given.values.contains("--firma"))
        return std::nullopt;
    const QString source = given.value("--firma");
    if (const QString unavailable = company::signature::Unavailable(source); !unavailable.isEmpty()) {
        *failed = Fail(unavailable + QStringLiteral(": nessun file scritto"));
        return std::nullopt;
    }
    const std::optional<QString> passphrase =
        given.has("--pin-stdin")
            ? StandardInputLine()
            : shell::ReadHiddenLine(company::signature::IsTokenUri(source)
                                        ? QStringLiteral("PIN del dispositivo di firma: ")
                                        : QStringLiteral("Passphrase della chiave di firma %1: ").arg(source));
    if (!passphrase) {
        *failed = Fail(given.has("--pin-stdin")
                           ? QStringLiteral("nessuna passphrase sullo standard input: nessun file scritto")
                           : QStringLiteral("la passphrase della chiave si chiede sul terminale "
                                            "(o si legge dallo standard input con --pin-stdin): nessun file scritto"));
        return std::nullopt;
    }
    SigningKey key{company::signature::Load(source, *passphrase, given.value("--modulo")), given.value("--tsa"),
                   given.value("--tsa-ca")};
    if (!key.loaded.key) {
        *failed = Fail(key.loaded.problem + QStringLiteral(": nessun file scritto"));
        return std::nullopt;
    }
    return key;
}

QByteArray SignedPdf(const SigningKey& key, const QByteArray& pdf, QString* problem)
{
    return paper::SignPdf(
        pdf,
        [&](const QByteArray& covered, QString* why) {
            company::signature::Signed made = company::signature::Sign(*key.loaded.key, covered, key.tsa,
                                                                       company::signature::Profile::Pades);
            if (made.cms.isEmpty()) {
                *why = made.problem;
                return QByteArray();
            }
            if (!key.tsaCa.isEmpty()) {
                const QString stamp = company::signature::CheckStamp(made.cms, key.tsaCa);
                if (!stamp.isEmpty()) {
                    *why = stamp;
                    return QByteArray();
                }
            }
            return made.cms;
        },
        QDateTime::currentDateTimeUtc(), problem);
}

}  // namespace admin
