// quenvol-admin seal: writes the seal of a company's change history (its
// last row and fingerprint), to be kept apart from the database; with a
// time-stamping authority's token over it when asked.
#include "admin/admin_command.h"
#include "admin/admin_signing.h"
#include "company/company_location.h"
#include "company/history_seal.h"
#include "company/pending_file.h"
#include "company/seal_timestamp.h"

#include <QFile>

#include <cstdio>

namespace {

int RunSeal(const QStringList& arguments);

const admin::Command Seal{
    "seal",
    "seal <cartella dati o server> <societa> [--output FILE] [--tsa URL [--tsa-ca FILE]]\n"
    "      [--firma CHIAVE [--modulo LIBRERIA] [--pin-stdin]]",
    "Scrive il sigillo dello storico delle modifiche della societa': societa',\n"
    "ultima riga, numero delle righe, impronta dell'ultima riga, data e ora. Il\n"
    "sigillo va tenuto lontano dal database (stampato, spedito per posta\n"
    "elettronica, archiviato): quenvol-admin verify --seal trova poi uno storico\n"
    "accorciato o rifatto dopo di esso. Prima di scriverlo verifica la catena e\n"
    "i dati: uno storico alterato non si sigilla (esce con 1).\n"
    "--output FILE  scrive il sigillo in FILE (che non deve esistere) invece che\n"
    "               sull'uscita standard\n"
    "--tsa URL      chiede a un'autorita' di marca temporale (RFC 3161, http://)\n"
    "               una marca sull'impronta del sigillo e la tiene nel sigillo:\n"
    "               la data del sigillo e' allora quella dell'autorita', non\n"
    "               quella dell'ufficio\n"
    "--tsa-ca FILE  verifica subito la marca con il certificato (PEM) dell'autorita'\n"
    "--firma CHIAVE firma il sigillo con la chiave del file PKCS#12 CHIAVE (o del\n"
    "               dispositivo pkcs11:token=...;object=..., con --modulo): la firma\n"
    "               (CAdES, .p7s) va in FILE.p7s accanto al sigillo (serve --output);\n"
    "               la passphrase e' chiesta sul terminale, mai sulla riga di comando\n"
    "--pin-stdin    legge la passphrase dalla prima riga dello standard input\n"
    "Esempio: quenvol-admin seal {dati} DEMO --output sigillo-2026-12.txt{a-capo}"
    "           --tsa http://tsa.esempio.it/tsr --tsa-ca tsa-ca.pem\n",
    RunSeal};
const admin::Registration registration(Seal);

int RunSeal(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Seal, arguments,
                                                 {{"--pin-stdin"}, {"--output", "--tsa", "--tsa-ca", "--firma", "--modulo"}, 2, 2},
                                                 given))
        return *status;
    const QStringList& operands = given.operands;
    if (const auto refused = admin::RefuseCompanyCode(operands[1]))
        return *refused;
    if (const auto refused = admin::RefusePath(operands[0]))
        return *refused;
    const bool signing = given.values.contains("--firma");
    if ((given.values.contains("--tsa-ca") && !given.values.contains("--tsa")) ||
        (signing && !given.values.contains("--output")) ||
        ((given.has("--pin-stdin") || given.values.contains("--modulo")) && !signing))
        return admin::UsageError(Seal);
    // The seal's own --tsa dates the seal; the signature needs no stamp of its own.
    admin::Arguments keyArguments;
    keyArguments.switches = given.switches;
    for (const char* option : {"--firma", "--modulo"})
        if (given.values.contains(option))
            keyArguments.values.insert(option, given.value(option));
    int failed = admin::ExitOk;
    const std::optional<admin::SigningKey> key = admin::OpenSigningKey(keyArguments, &failed);
    if (failed != admin::ExitOk)
        return failed;
    const QString path = company::location::PlaceName(operands[0], operands[1]);
    company::seal::Seal seal;
    try {
        auto database = company::location::OpenCompany(operands[0], operands[1]);
        const company::seal::Verdict verdict = company::seal::Verify(*database, operands[1]);
        if (!verdict.whole)
            return admin::Fail(QStringLiteral("%1: %2: non si sigilla").arg(path, verdict.message));
        seal.company = operands[1];
        seal.lastRow = verdict.lastRow;
        seal.rows = verdict.rows;
        seal.fingerprint = verdict.fingerprint;
        seal.made = QDateTime::currentDateTimeUtc();
    } catch (const store::EngineError& error) {
        return admin::Fail(QStringLiteral("%1: %2").arg(path, error.description()));
    }
    if (given.values.contains("--tsa")) {
        QString error;
        seal.token = company::timestamp::Request(given.value("--tsa"), company::seal::Digest(seal), &error);
        if (seal.token.isEmpty())
            return admin::Fail(QStringLiteral("marca temporale da %1 non ottenuta: %2: nessun sigillo scritto")
                                   .arg(given.value("--tsa"), error));
        if (given.values.contains("--tsa-ca")) {
            const company::timestamp::Check check =
                company::timestamp::Verify(seal.token, company::seal::Digest(seal), given.value("--tsa-ca"));
            if (!check.valid)
                return admin::Fail(QStringLiteral("%1: nessun sigillo scritto").arg(check.problem));
        }
    }
    const QByteArray text = company::seal::Write(seal).toUtf8();
    if (!given.values.contains("--output")) {
        std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
        return admin::ExitOk;
    }
    const QString output = given.value("--output");
    if (key) {
        const company::signature::Signed made = company::signature::Sign(*key->loaded.key, text);
        if (made.cms.isEmpty())
            return admin::Fail(QStringLiteral("%1: nessun sigillo scritto").arg(made.problem));
        // The signature first: a seal file never stands without the signature asked for.
        if (const QString error = company::pending::WriteWhole(company::seal::SignatureFile(output), made.cms, false);
            !error.isEmpty())
            return admin::Fail(QStringLiteral("firma del sigillo non scritta: %1").arg(error));
    }
    if (const QString error = company::pending::WriteWhole(output, text, false); !error.isEmpty()) {
        if (key)
            QFile::remove(company::seal::SignatureFile(output));
        return admin::Fail(QStringLiteral("sigillo non scritto: %1").arg(error));
    }
    if (key)
        std::printf("sigillo firmato da %s (certificato n. %s): firma in %s\n",
                    qUtf8Printable(key->loaded.certificate.subject), qUtf8Printable(key->loaded.certificate.serial),
                    qUtf8Printable(company::seal::SignatureFile(output)));
    std::printf("sigillo scritto in %s: riga %lld, impronta %s\n", output.toUtf8().constData(),
                seal.lastRow, seal.fingerprint.isEmpty() ? "nessuna" : seal.fingerprint.toLatin1().constData());
    return admin::ExitOk;
}

}  // namespace
