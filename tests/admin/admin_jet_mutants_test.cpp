// quenvol-admin inspect on damaged copies of the two Jet sample files, made
// by seeded (so repeatable) mutations: each run ends, without a signal
// reaching the command, with bounded output and none of the Jet library's
// on standard output, and either the original counts or a refusal.
#include "admin_run.h"

#include "support/jet_samples.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <random>
#include <utility>

namespace {

using testing_support::JetSample;

// "  <table>: <n> righe" lines, by table.
QMap<QString, QString> Counts(const QString& out)
{
    static const QRegularExpression line(QStringLiteral("^  (.+): (\\d+) righe$"), QRegularExpression::MultilineOption);
    QMap<QString, QString> counts;
    for (auto match = line.globalMatch(out); match.hasNext();) {
        const auto found = match.next();
        counts.insert(found.captured(1), found.captured(2));
    }
    return counts;
}

QByteArray Mutant(const QByteArray& original, int pageSize, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray bytes = original;
    const qsizetype pages = bytes.size() / pageSize;
    switch (random() % 3) {
    case 0: {  // a page zeroed
        const qsizetype page = 1 + qsizetype(random() % quint32(pages - 1));
        bytes.replace(page * pageSize, pageSize, QByteArray(pageSize, '\0'));
        break;
    }
    case 1:  // a few bytes anywhere
        for (int i = 0, n = 1 + int(random() % 16); i < n; ++i)
            bytes[qsizetype(random() % quint32(bytes.size()))] = char(random() & 0xff);
        break;
    default:  // a run of bytes in one page's header area
        const qsizetype page = 1 + qsizetype(random() % quint32(pages - 1));
        for (int i = 0; i < 24; ++i)
            bytes[page * pageSize + qsizetype(random() % 64)] = char(random() & 0xff);
        break;
    }
    return bytes;
}

void RunMutants(const QString& sample, int pageSize)
{
    QFile file(JetSample(sample));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    const AdminRun whole = Admin({"inspect", JetSample(sample)});
    const QMap<QString, QString> counts = Counts(whole.out);
    ASSERT_FALSE(counts.isEmpty());

    bool ok = false;
    const int mutants = qEnvironmentVariableIsSet("QUENVOL_JET_MUTANTS")
        ? qEnvironmentVariableIntValue("QUENVOL_JET_MUTANTS", &ok) : 60;
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("mutante.mdb"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUENVOL_JET_MEMORY_MB"), QStringLiteral("200"));
    environment.insert(QStringLiteral("QUENVOL_JET_CPU_SECONDS"), QStringLiteral("3"));
    static const QRegularExpression toolLine(
        QStringLiteral("^(file: |versione: |tabelle: |  |tabelle di Quenvol:$|esito: )"));
    for (int seed = 0; seed < mutants; ++seed) {
        SCOPED_TRACE(sample.toStdString() + " seed " + std::to_string(seed));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(Mutant(original, pageSize, unsigned(seed)));
        out.close();

        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(qEnvironmentVariable("QUENVOL_BIN_DIR") + QStringLiteral("/quenvol-admin"),
                      {QStringLiteral("inspect"), path});
        ASSERT_TRUE(process.waitForFinished(60000)) << "inspect did not end";
        ASSERT_EQ(process.exitStatus(), QProcess::NormalExit) << "a signal reached the command";
        EXPECT_TRUE(process.exitCode() == 0 || process.exitCode() == 1) << process.exitCode();
        // Line ends as on Linux (Windows ends a program's text lines in CR LF).
        const QString stdOut = QString::fromUtf8(process.readAllStandardOutput()).replace("\r\n", "\n");
        const QString stdErr = QString::fromUtf8(process.readAllStandardError()).replace("\r\n", "\n");
        EXPECT_LT(stdOut.size() + stdErr.size(), 16384) << "output flood";
        for (const QString& line : stdOut.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            EXPECT_TRUE(toolLine.match(line).hasMatch()) << "not the command's: " << line.toStdString();
        if (stdErr.isEmpty()) {
            // Read without a complaint: every table keeps the count it had.
            const QMap<QString, QString> found = Counts(stdOut);
            for (auto table = found.cbegin(); table != found.cend(); ++table) {
                if (counts.contains(table.key())) {
                    EXPECT_EQ(table.value(), counts.value(table.key())) << table.key().toStdString();
                }
            }
        } else {
            EXPECT_TRUE(stdErr.startsWith(QStringLiteral("quenvol-admin: "))) << stdErr.toStdString();
        }
    }
}

class AdminJetMutants : public ::testing::Test {
protected:
    void SetUp() override { QUENVOL_NEED_JET_SAMPLES(); }
};

// A copy whose catalogue's data pages are zeroed lists no table at all: it
// is told as damaged, not as a file without tables.
TEST_F(AdminJetMutants, ACopyWithoutItsCatalogueIsToldAsDamaged)
{
    QTemporaryDir scratch;
    for (const auto& [sample, pageSize] : {std::pair{QStringLiteral("nwind.mdb"), 2048},
                                           std::pair{QStringLiteral("DateTestDatabase.mdb"), 4096}}) {
        SCOPED_TRACE(sample.toStdString());
        QFile file(JetSample(sample));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        // The data pages (01 01) of the table whose definition is page 2, the catalogue.
        int zeroed = 0;
        for (qsizetype at = 0; at + pageSize <= bytes.size(); at += pageSize)
            if (bytes[at] == 1 && bytes[at + 1] == 1 && bytes.mid(at + 4, 4) == QByteArray("\x02\0\0\0", 4)) {
                bytes.replace(at, pageSize, QByteArray(pageSize, '\0'));
                ++zeroed;
            }
        ASSERT_GT(zeroed, 0);
        const QString path = scratch.filePath(sample);
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        const AdminRun run = Admin({"inspect", path});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains("è danneggiato: il suo catalogo delle tabelle non si può leggere"))
            << run.err.toStdString();
        EXPECT_FALSE(run.out.contains("tabelle: 0")) << run.out.toStdString();
    }
}

TEST_F(AdminJetMutants, DamagedJet3CopiesEndBoundedAndAreCountedOrRefused)
{
    RunMutants(QStringLiteral("nwind.mdb"), 2048);
}

TEST_F(AdminJetMutants, DamagedJet4CopiesEndBoundedAndAreCountedOrRefused)
{
    RunMutants(QStringLiteral("DateTestDatabase.mdb"), 4096);
}

}  // namespace
