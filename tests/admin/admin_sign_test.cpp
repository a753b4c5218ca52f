// quenvol-admin print --firma and verify-pdf, with real parts: a CA made with
// openssl certifying the office's signer and a time-stamping authority on
// loopback, PKCS#12 keys, and poppler's pdfsig reading the signed PDF back
// through an NSS database (certutil) that trusts the CA. Under Wine the keys
// come made (tools/signing_test_keys.sh) and what only Linux has is left out:
// poppler, the token (SoftHSM2), which Windows refuses instead.
#include "admin_run.h"
#include "pdf_reader.h"
#include "time_authority.h"

#include "support/scoped_environment.h"
#include "support/signing_keys.h"
#include "support/temp_company.h"
#include "support/test_company.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using testing_support::ScopedEnvironment;
using testing_support::TempCompany;

namespace {

const QByteArray Passphrase = "segreto di prova\n";

#ifdef _WIN32
constexpr bool Poppler = false;  // pdfsig, pdfinfo, pdftotext: Linux programs
#else
constexpr bool Poppler = true;

// Runs a shell line in `folder`; expects it to succeed.
void Shell(const QString& folder, const QString& line)
{
    QProcess shell;
    shell.setWorkingDirectory(folder);
    shell.start("sh", {"-c", "set -e; " + line});
    ASSERT_TRUE(shell.waitForFinished(60000));
    ASSERT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
}
#endif

class AdminSign : public testing::Test {
protected:
    // One CA for the whole suite: the time-stamping authority's (with its
    // configuration) also certifies the signers, each in a PKCS#12 file:
    // firma.p12 (digital signature), cifra.p12 (key encipherment only),
    // scaduta.p12 (expired yesterday); and an NSS database trusting the CA.
    static void SetUpTestSuite()
    {
        pki = new QTemporaryDir;
        const QString folder = pki->path();
        config = new QString(folder);
        testing_support::MakeSigningKeys(folder);
#ifndef _WIN32
        Shell(folder, "mkdir nss; certutil -N -d sql:nss --empty-password; "
                      "certutil -A -d sql:nss -n ca-di-prova -t CT,C,C -i ca.pem");
#endif
    }
    static void TearDownTestSuite()
    {
        delete config;
        delete pki;
    }

    QString file(const QString& name) const { return pki->filePath(name); }
    QString out(const QString& name) const { return work.filePath(name); }

    AdminRun printPages(const QString& output, const QStringList& more, const QByteArray& input = Passphrase)
    {
        return Admin(QStringList{"print", "pages", company.folder(), company.company(), "R1", "ARRIVI", "1", "3",
                                 "--output", output, "--senza-testata"} + more,
                     input);
    }
    AdminRun verifyPdf(const QString& pdf, const QString& ca, bool withCompany = true)
    {
        QStringList arguments{"verify-pdf", pdf};
        if (withCompany)
            arguments << company.folder() << company.company();
        return Admin(arguments << "--ca" << ca);
    }
    // What pdfsig says of the signature, trusting the test CA.
    QString pdfsig(const QString& pdf)
    {
        QProcess process;
        process.start("pdfsig", {"-nssdir", "sql:" + file("nss"), pdf});
        EXPECT_TRUE(process.waitForFinished(60000));
        return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    }
    // The signature events of the history.
    int signatures() const
    {
        return company.scalar("SELECT count(*) FROM StoricoSerieSemplificata WHERE StoAzione = 'firma'").toInt();
    }

    static QTemporaryDir* pki;
    static QString* config;
    TempCompany company{true};
    QTemporaryDir work;
};

QTemporaryDir* AdminSign::pki = nullptr;
QString* AdminSign::config = nullptr;

TEST_F(AdminSign, AKeyThatCannotSignWritesNothingAndRecordsNothing)
{
    const QString pdf = out("arrivi.pdf");
    const struct {
        QString key;
        QByteArray input;
        QString said;
    } refused[] = {{file("firma.p12"), "sbagliata\n", "passphrase errata"},
                   {file("firma.p12"), {}, "nessuna passphrase"},
                   {file("scaduta.p12"), Passphrase, "scaduto"},
                   {file("cifra.p12"), Passphrase, "digitalSignature"},
                   {file("ca.pem"), Passphrase, "non è un file di chiave PKCS#12"}};
    for (const auto& key : refused) {
        const AdminRun run = printPages(pdf, {"--firma", key.key, "--pin-stdin"}, key.input);
        EXPECT_EQ(run.status, 1) << key.key.toStdString();
        EXPECT_TRUE(run.err.contains(key.said) && run.err.contains("nessun file scritto")) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(pdf));
    }
    // Nothing recorded: the pages print the first time, without --reprint.
    EXPECT_EQ(signatures(), 0);
    EXPECT_EQ(printPages(pdf, {}).status, 0);
}

TEST_F(AdminSign, APdfChangedByOneByteIsRefusedByVerifyPdfAndPdfsig)
{
    const QString pdf = out("arrivi.pdf");
    ASSERT_EQ(printPages(pdf, {"--firma", file("firma.p12"), "--pin-stdin"}).status, 0);
    QFile signedFile(pdf);
    ASSERT_TRUE(signedFile.open(QIODevice::ReadOnly));
    QByteArray bytes = signedFile.readAll();
    signedFile.close();
    // A byte of the pages' own content, far from the signature.
    const qsizetype at = bytes.indexOf("/Title");
    ASSERT_GT(at, 0);
    bytes[at + 12] = char(bytes[at + 12] ^ 0x01);
    QFile changed(out("cambiato.pdf"));
    ASSERT_TRUE(changed.open(QIODevice::WriteOnly));
    changed.write(bytes);
    changed.close();
    AdminRun run = verifyPdf(changed.fileName(), file("ca.pem"), false);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("modificato dopo la firma")) << run.err.toStdString();
    if (Poppler) {
        EXPECT_FALSE(pdfsig(changed.fileName()).contains("Signature is Valid"));
    }

    // Bytes added after the signature are outside its range.
    ASSERT_TRUE(changed.open(QIODevice::Append));
    changed.write("\n% aggiunto\n");
    changed.close();
    run = verifyPdf(changed.fileName(), file("ca.pem"), false);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("non copre tutto il file")) << run.err.toStdString();

    // A signer the CA file does not vouch for.
    run = verifyPdf(pdf, file("altra-ca.pem"), false);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("non ne discende")) << run.err.toStdString();
}

TEST_F(AdminSign, SignedPagesAreValidForVerifyPdfAndPdfsigStayPdfAAndTheHistoryNamesTheSigner)
{
    const QString pdf = out("arrivi.pdf");
    const AdminRun printed = printPages(pdf, {"--firma", file("firma.p12"), "--pin-stdin"});
    ASSERT_EQ(printed.status, 0) << printed.err.toStdString();
    EXPECT_TRUE(printed.out.contains("firmato da CN=Mario Rossi firma")) << printed.out.toStdString();

    const AdminRun run = verifyPdf(pdf, file("ca.pem"));
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("firma valida di CN=Mario Rossi firma, O=Ufficio")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("senza marca temporale"));

    if (Poppler) {
        const QString poppler = pdfsig(pdf);
        EXPECT_TRUE(poppler.contains("Signature is Valid")) << poppler.toStdString();
        EXPECT_TRUE(poppler.contains("Certificate is Trusted")) << poppler.toStdString();
        EXPECT_TRUE(poppler.contains("ETSI.CAdES.detached")) << poppler.toStdString();
        EXPECT_TRUE(poppler.contains("Total document signed")) << poppler.toStdString();
        EXPECT_TRUE(PdfMetadata(pdf).contains("pdfaid"));
        EXPECT_TRUE(PdfText(pdf, 3).contains("Pag. 3"));
    }
    EXPECT_EQ(signatures(), 1);

    // Another company's history does not record this signature.
    TempCompany other(true);
    const AdminRun elsewhere = Admin({"verify-pdf", pdf, other.folder(), other.company(), "--ca", file("ca.pem")});
    EXPECT_EQ(elsewhere.status, 1) << elsewhere.out.toStdString();
}

TEST_F(AdminSign, TheSheetOfASetWhoseCodeEndsInABlankIsRecordedUnderThatSetsCode)
{
    // A company from before the code rule, with a look-alike of R1.
    company.exec("DROP TRIGGER \"TabellaSerieSemplificata_codice_nuovo\"");
    company.exec("INSERT INTO TabellaSerieSemplificata (SspCodice, SspDescrizione) VALUES ('R1 ', 'SOSIA')");
    const AdminRun printed = Admin({"print", "sheet", company.folder(), company.company(), "R1 ", "--output",
                                    out("scheda.pdf"), "--firma", file("firma.p12"), "--pin-stdin"},
                                   Passphrase);
    ASSERT_EQ(printed.status, 0) << printed.err.toStdString();
    ASSERT_EQ(signatures(), 1);
    EXPECT_EQ(company.scalar("SELECT StoCodice FROM StoricoSerieSemplificata WHERE StoAzione = 'firma'").toString(),
              "R1 ");
}

TEST_F(AdminSign, ATimeStampedSheetCarriesTheAuthoritysTime)
{
    Authority authority(*config);
    const QString pdf = out("scheda.pdf");
    const AdminRun printed =
        Admin({"print", "sheet", company.folder(), company.company(), "R1", "--output", pdf, "--firma",
               file("firma.p12"), "--pin-stdin", "--tsa", authority.url(), "--tsa-ca", file("ca.pem")},
              Passphrase);
    ASSERT_EQ(printed.status, 0) << printed.err.toStdString();
    const AdminRun run = verifyPdf(pdf, file("ca.pem"));
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("marca temporale dell'autorità")) << run.out.toStdString();
    if (Poppler) {
        EXPECT_TRUE(pdfsig(pdf).contains("Signature is Valid"));
    }
    EXPECT_EQ(signatures(), 1);

    // An authority that does not answer: nothing written.
    const AdminRun unreachable =
        Admin({"print", "sheet", company.folder(), company.company(), "R1", "--output", out("altra.pdf"),
               "--firma", file("firma.p12"), "--pin-stdin", "--tsa", "http://127.0.0.1:1/tsa"},
              Passphrase);
    EXPECT_EQ(unreachable.status, 1);
    EXPECT_TRUE(unreachable.err.contains("marca temporale")) << unreachable.err.toStdString();
    EXPECT_FALSE(QFile::exists(out("altra.pdf")));
}

TEST_F(AdminSign, ASignedSealNamesItsSignerAndAnEditedSealIsRefused)
{
    // A company whose history holds its whole data: the seal is made only then.
    const TempCompany sealed;
    const QString seal = out("sigillo.txt");
    const AdminRun made = Admin({"seal", sealed.folder(), sealed.company(), "--output", seal, "--firma",
                                 file("firma.p12"), "--pin-stdin"},
                                Passphrase);
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    const auto verify = [&](const QStringList& more) {
        return Admin(QStringList{"verify", sealed.folder(), sealed.company(), "--seal", seal} + more);
    };
    AdminRun run = verify({"--ca", file("ca.pem")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("sigillo firmato da CN=Mario Rossi firma")) << run.out.toStdString();
    EXPECT_EQ(verify({}).status, 1);  // a signed seal is not taken unchecked
    EXPECT_EQ(verify({"--ca", file("altra-ca.pem")}).status, 1);

    QFile text(seal);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const QByteArray bytes = text.readAll();
    text.close();
    ASSERT_TRUE(text.open(QIODevice::WriteOnly | QIODevice::Truncate));
    text.write(QByteArray(bytes).replace("data e ora (UTC): ", "data e ora (UTC):  "));
    text.close();
    run = verify({"--ca", file("ca.pem")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("modificato dopo la firma")) << run.err.toStdString();
}

#ifdef _WIN32
TEST_F(AdminSign, AKeyOnATokenIsRefusedOnWindowsWithNothingWrittenOrRecorded)
{
    const QString pdf = out("arrivi.pdf");
    const AdminRun run = printPages(pdf, {"--firma", "pkcs11:token=ufficio;object=firma", "--pin-stdin"}, "1234\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("non sono ancora disponibili su Windows") && run.err.contains("nessun file scritto"))
        << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(signatures(), 0);
}
#else
TEST_F(AdminSign, AKeyOnATokenSignsWithItsPinAndARemovedTokenOrAWrongPinIsRefused)
{
    // A SoftHSM2 token of its own holding the signer's key and certificate.
    const QString folder = work.filePath("token");
    QDir().mkpath(folder + "/oggetti");
    QFile conf(folder + "/softhsm2.conf");
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("directories.tokendir = " + QFile::encodeName(folder) + "/oggetti\nobjectstore.backend = file\n");
    conf.close();
    const ScopedEnvironment softhsm("SOFTHSM2_CONF", QFile::encodeName(conf.fileName()));
    const QString module = "/usr/lib/softhsm/libsofthsm2.so";
    Shell(folder, QStringLiteral("softhsm2-util --init-token --free --label ufficio --pin 1234 --so-pin 5678; "
                                 "openssl pkcs8 -topk8 -nocrypt -in %1/firma.key -outform DER -out chiave.der; "
                                 "openssl x509 -in %1/firma.pem -outform DER -out certificato.der; "
                                 "pkcs11-tool --module %2 --token-label ufficio --login --pin 1234 "
                                 "--write-object chiave.der --type privkey --label firma --id 01; "
                                 "pkcs11-tool --module %2 --token-label ufficio --login --pin 1234 "
                                 "--write-object certificato.der --type cert --label firma --id 01")
                      .arg(pki->path(), module));
    const QStringList token{"--firma", "pkcs11:token=ufficio;object=firma", "--modulo", module, "--pin-stdin"};
    const QString pdf = out("arrivi.pdf");

    AdminRun run = printPages(pdf, token, "0000\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("PIN errato")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));

    run = printPages(pdf, token, "1234\n");
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(pdfsig(pdf).contains("Signature is Valid"));
    EXPECT_EQ(verifyPdf(pdf, file("ca.pem")).status, 0);

    QDir(folder + "/oggetti").removeRecursively();
    QDir().mkpath(folder + "/oggetti");
    run = printPages(out("ancora.pdf"), token, "1234\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("non trovato")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(out("ancora.pdf")));
}
#endif

// On the office server the signature's event is written by the server's own
// history function, like the print's.
class ServerAdminSign : public AdminSign {};

TEST_F(ServerAdminSign, TheServerRecordsTheSignatureAndVerifyPdfFindsIt)
{
    const auto server = testing_support::MakeTestCompany(testing_support::Engine::Server, true);
    if (!server)
        GTEST_SKIP() << testing_support::NoTestServer;
    const QString pdf = out("arrivi.pdf");
    const AdminRun run =
        Admin({"print", "pages", server->location(), server->company(), "R1", "ARRIVI", "1", "2", "--output", pdf,
               "--senza-testata", "--firma", file("firma.p12"), "--pin-stdin"},
              Passphrase);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(server->scalar("SELECT count(*) FROM \"StoricoSerieSemplificata\" WHERE \"StoAzione\" = 'firma'").toInt(),
              1);
    const AdminRun verified = Admin({"verify-pdf", pdf, server->location(), server->company(), "--ca", file("ca.pem")});
    EXPECT_EQ(verified.status, 0) << verified.err.toStdString();
}

}  // namespace
