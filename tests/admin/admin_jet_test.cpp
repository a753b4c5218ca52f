// quenvol-admin inspect and import run on the two Jet sample files, as an
// office runs them.
#include "admin_run.h"

#include "support/jet_samples.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <utility>
#include <vector>

namespace {

using testing_support::JetSample;

class AdminJetTest : public ::testing::Test {
protected:
    void SetUp() override { QUENVOL_NEED_JET_SAMPLES(); }
};

TEST_F(AdminJetTest, InspectShowsTheVersionTheTablesAndWhatTheImportNeeds)
{
    const AdminRun jet3 = Admin({"inspect", JetSample("nwind.mdb")});
    EXPECT_EQ(jet3.status, 1);
    EXPECT_EQ(jet3.out, "file: " + JetSample("nwind.mdb") +
                            "\nversione: Jet 3\ntabelle: 9\n"
                            "  Order Details: 2155 righe\n  Orders: 830 righe\n  Products: 77 righe\n"
                            "  Shippers: 3 righe\n  Categories: 8 righe\n  Customers: 91 righe\n"
                            "  Employees: 9 righe\n  Suppliers: 29 righe\n  Umsätze: 830 righe\n"
                            "tabelle di Quenvol:\n  TabellaSerieSemplificata: assente\n"
                            "  TestataRegistriPS: assente\n  TabellaDocScorta: assente\n"
                            "esito: il file non si può importare\n");

    const AdminRun jet4 = Admin({"inspect", JetSample("DateTestDatabase.mdb")});
    EXPECT_EQ(jet4.status, 1);
    EXPECT_TRUE(jet4.out.contains("\nversione: Jet 4\ntabelle: 1\n  DateTest: 6 righe\n")) << jet4.out.toStdString();
}

TEST_F(AdminJetTest, ImportingAFileWithoutTheThreeTablesSaysSoAndWritesNothing)
{
    QTemporaryDir data;
    const AdminRun run = Admin({"import", JetSample("DateTestDatabase.mdb"), data.path(), "ROSSI"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "quenvol-admin: il file non contiene le tabelle TabellaSerieSemplificata, "
                       "TestataRegistriPS, TabellaDocScorta: non è un archivio dei registri delle procedure "
                       "semplificate: nessuna società creata\n");
    EXPECT_FALSE(QFileInfo::exists(data.path() + "/ROSSI"));
}

// The suite's Jet file at the company's place is what its other programs
// keep reading: an import there is refused, --replace included, before
// anything is read, and the file stays as it was.
TEST_F(AdminJetTest, TheSuitesJetFileAtTheCompanysPlaceIsNeverReplaced)
{
    QTemporaryDir data;
    ASSERT_TRUE(QDir().mkpath(data.filePath("ROSSI")));
    const QString suiteFile = data.filePath("ROSSI/quelda.mdb");
    ASSERT_TRUE(QFile::copy(JetSample("nwind.mdb"), suiteFile));
    QFile file(suiteFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    const AdminRun run = Admin({"import", suiteFile, data.path(), "ROSSI", "--replace"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("è il database Jet della suite, che i suoi altri programmi continuano a leggere: "
                                 "non viene mai sostituito"))
        << run.err.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(data.filePath("ROSSI")).entryList(QDir::Files), QStringList{"quelda.mdb"});
}

// The sample file with its page 842 zeroed sends the Jet library into a loop
// that allocates without end: both commands stop within seconds, name the file
// as damaged, and leave nothing behind.
TEST_F(AdminJetTest, ADamagedFileEndsSoonAsDamagedAndLeavesNothing)
{
    QTemporaryDir scratch;
    const QString damaged = scratch.filePath("rovinato.mdb");
    {
        QFile source(JetSample("nwind.mdb"));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        QByteArray bytes = source.readAll();
        constexpr qsizetype PageSize = 2048;  // Jet 3
        ASSERT_GT(bytes.size(), 843 * PageSize);
        bytes.replace(842 * PageSize, PageSize, QByteArray(PageSize, '\0'));
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    // A small limit keeps the test quick; the bound works the same at any size.
    qputenv("QUENVOL_JET_MEMORY_MB", "200");
    const QString expected = "quenvol-admin: il file " + damaged + " è danneggiato: ";

    const AdminRun inspect = Admin({"inspect", damaged});
    EXPECT_EQ(inspect.status, 1);
    EXPECT_TRUE(inspect.err.contains(expected + "la lettura ha superato 200 MB di memoria; "
                                                "il file non è stato modificato\n"))
        << inspect.err.toStdString();

    const QString data = scratch.filePath("dati");
    const AdminRun import = Admin({"import", damaged, data, "ROSSI"});
    qunsetenv("QUENVOL_JET_MEMORY_MB");
    EXPECT_EQ(import.status, 1);
    EXPECT_TRUE(import.err.contains(expected)) << import.err.toStdString();
    EXPECT_TRUE(import.err.contains("; nessuna società creata\n")) << import.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(data + "/ROSSI"));
}

// A data page of Orders zeroed: the library skips it with a warning and
// hands over 813 of the 830 rows. The count refuses the file, naming the
// table and the counts in the command's words, the library's warning beneath
// and never on standard output.
TEST_F(AdminJetTest, ATableReadShortIsRefusedWithItsCountsAndTheLibrarysWordsStayOffTheOutput)
{
    QTemporaryDir scratch;
    const QString damaged = scratch.filePath("pagina-vuota.mdb");
    {
        QFile source(JetSample("nwind.mdb"));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        QByteArray bytes = source.readAll();
        constexpr qsizetype PageSize = 2048;
        constexpr qsizetype OrdersPage = 451;  // a data page of Orders, 17 rows
        ASSERT_EQ(bytes[OrdersPage * PageSize], 0x01);
        bytes.replace(OrdersPage * PageSize, PageSize, QByteArray(PageSize, '\0'));
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    const AdminRun run = Admin({"inspect", damaged});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("quenvol-admin: il file è danneggiato: della tabella Orders sono state lette 813 "
                                 "righe, ma il file ne registra 830, 813 nelle sue pagine di dati\n"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("quenvol-admin: il file " + damaged + " è danneggiato: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("\n  primo messaggio della libreria Jet")) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains("warning", Qt::CaseInsensitive)) << run.out.toStdString();
    EXPECT_TRUE(run.out.endsWith("esito: il file non si può importare\n")) << run.out.toStdString();
}

// What is no Jet file is named for what it is, before anything opens it (a
// FIFO would block the reading).
TEST_F(AdminJetTest, AFolderAFifoOrADeviceIsRefusedAsWhatItIs)
{
    QTemporaryDir scratch;
    std::vector<std::pair<QString, QString>> cases = {
        {scratch.path(), " è una cartella"},
        {scratch.filePath("manca.mdb"), "il file " + scratch.filePath("manca.mdb") + " non esiste"}};
#ifndef _WIN32  // FIFOs and /dev are POSIX
    const QString fifo = scratch.filePath("coda");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    cases.push_back({fifo, " è una FIFO"});
    cases.push_back({"/dev/zero", " è un dispositivo"});
#endif
    for (const auto& [path, said] : cases) {
        const AdminRun run = Admin({"inspect", path});
        EXPECT_EQ(run.status, 1) << path.toStdString();
        EXPECT_TRUE(run.err.contains(said)) << run.err.toStdString();
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
