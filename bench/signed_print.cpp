// Measures the signature of a printed register: 500 numbered pages written as
// a PDF/A file, then signed with a PKCS#12 key made with openssl, without
// and with the signature's time stamp from an authority on loopback (the
// tests' tsa_responder, in the build folder's tests). Prints the unsigned
// print's time and what each signature adds (median of five) against the
// target; asserts nothing.
#include "company/cades_signature.h"
#include "bench_median.h"
#include "company/company_file.h"
#include "paper/paper_fonts.h"
#include "paper/pdf_signature.h"
#include "paper/register_pages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr double TargetMs = 1000;
constexpr int Runs = 5;

[[noreturn]] void Fail(const QString& message)
{
    std::fprintf(stderr, "signed_print: %s\n", message.toLocal8Bit().constData());
    std::exit(1);
}

void Shell(const QString& folder, const QString& line)
{
    QProcess shell;
    shell.setWorkingDirectory(folder);
    shell.start("sh", {"-c", "set -e; " + line});
    if (!shell.waitForFinished(60000) || shell.exitCode() != 0)
        Fail(QString::fromLocal8Bit(shell.readAllStandardError()));
}

// A CA certifying a signer (firma.p12) and a time-stamping authority
// (tsa.cnf, for openssl ts -reply).
void MakeKeys(const QString& folder)
{
    QFile config(folder + "/tsa.cnf");
    if (!config.open(QIODevice::WriteOnly))
        Fail(config.errorString());
    config.write(QStringLiteral("[ tsa ]\ndefault_tsa = prova\n[ prova ]\ndir = %1\nserial = $dir/tsaserial\n"
                                "signer_cert = $dir/tsa.pem\ncerts = $dir/ca.pem\nsigner_key = $dir/tsa.key\n"
                                "signer_digest = sha256\ndefault_policy = 1.2.3.4.1\ndigests = sha256\n"
                                "ess_cert_id_alg = sha256\n")
                     .arg(folder)
                     .toUtf8());
    config.close();
    const QString key = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    Shell(folder, "openssl req -x509 " + key + " -keyout ca.key -out ca.pem -days 2 -subj /CN=CA-di-prova "
                  "-addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign; "
                  "printf 'keyUsage=critical,digitalSignature\\n' > firma.ext; "
                  "openssl req " + key + " -keyout firma.key -out firma.csr -subj /CN=Firma-di-prova; "
                  "openssl x509 -req -in firma.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out firma.pem "
                  "-days 2 -extfile firma.ext; "
                  "openssl pkcs12 -export -inkey firma.key -in firma.pem -certfile ca.pem -passout pass:prova "
                  "-out firma.p12; "
                  "printf 'extendedKeyUsage=critical,timeStamping\\nkeyUsage=critical,digitalSignature\\n' > tsa.ext; "
                  "openssl req " + key + " -keyout tsa.key -out tsa.csr -subj /CN=TSA-di-prova; "
                  "openssl x509 -req -in tsa.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out tsa.pem -days 2 "
                  "-extfile tsa.ext; echo 01 > tsaserial");
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (const QString missing = paper::LoadLiberationFonts(); !missing.isEmpty())
        Fail(missing);
    QTemporaryDir dir;
    const QString path = dir.filePath("DEMO/quelda.mdb");
    if (QString error = company::file::CreateCompanyDatabase(path); !error.isEmpty())
        Fail(error);
    if (QString error = company::file::AddDemonstrationData(path); !error.isEmpty())
        Fail(error);
    MakeKeys(dir.path());
    const company::signature::Loaded key = company::signature::Load(dir.filePath("firma.p12"), "prova");
    if (!key.key)
        Fail(key.problem);

    QProcess responder;
    responder.start(QDir(QCoreApplication::applicationDirPath()).filePath("../tests/tsa_responder"),
                    {dir.filePath("tsa.cnf")});
    while (!responder.canReadLine() && responder.waitForReadyRead(30000)) {
    }
    const int port = responder.readLine().trimmed().toInt();
    if (port <= 0)
        Fail("tsa_responder non partito (si costruisce con i test)");
    const QString tsa = QStringLiteral("http://127.0.0.1:%1/tsa").arg(port);

    const auto database = store::openDatabase(path);
    QByteArray pdf;
    const double printMs = MedianMs(Runs, [&] {
        const auto pages = paper::ReadRegisterPages(*database, "DEMO", "R1", paper::PageRegister::Arrivi, 1, 500);
        if (!pages)
            Fail("R1 missing");
        pdf = paper::RenderPdf(paper::PagesInfo(*pages),
                               [&](QPagedPaintDevice& device) { paper::PaintRegisterPages(device, *pages); });
    });
    const auto signing = [&](const QString& url) {
        return MedianMs(Runs, [&] {
            QString problem;
            const QByteArray signedPdf = paper::SignPdf(
                pdf,
                [&](const QByteArray& covered, QString* why) {
                    company::signature::Signed made =
                        company::signature::Sign(*key.key, covered, url, company::signature::Profile::Pades);
                    *why = made.problem;
                    return made.cms;
                },
                QDateTime::currentDateTimeUtc(), &problem);
            if (signedPdf.isEmpty())
                Fail(problem);
        });
    };
    const double basicMs = signing({});
    const double stampedMs = signing(tsa);
    responder.kill();
    responder.waitForFinished();
    std::printf("500 pages of ARRIVI, unsigned: %.1f ms, %lld bytes\n", printMs, qlonglong(pdf.size()));
    std::printf("signature B-B (PKCS#12 key): +%.1f ms (target < +%.0f ms)\n", basicMs, TargetMs);
    std::printf("signature B-T (time stamp from loopback authority): +%.1f ms (target < +%.0f ms)\n", stampedMs,
                TargetMs);
    return 0;
}
