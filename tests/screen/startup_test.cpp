// Start-up and shut-down of the real window: the INI file and its defaults,
// the company database and its tables with their boxes, the window's first
// state, and what the endings record.
#include "startup_fixture.h"

#include "company/company_file.h"
#include "shell/platform.h"
#include "shell/user_settings.h"
#include "support/jet_samples.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QPushButton>

#include <functional>

namespace screen_tests {

namespace BoxAnswer = store::BoxAnswer;

namespace {

QString recordedExePath()
{
    return shell::GetSetting(QStringLiteral("Quenvol"), QStringLiteral("Setting"), QStringLiteral("ExePath"));
}

}  // namespace

TEST_F(StartupFixture, WithNoIniFileOrABlankDataFolderTheDatabaseIsSoughtAtTheRoot)
{
    QFile::remove(programFolder.path() + "/Morvanex.ini");
    boxes->expect(BoxAnswer::Cancel);
    Load();
    EXPECT_EQ(form->session.CompanyCode, "");
    EXPECT_EQ(form->session.DataDir, "/");
    EXPECT_EQ(form->session.DatabasePath, "//quelda.mdb");
    EXPECT_EQ(form->session.IniFile, shell::WindowsFolder() + "Morvanex.ini");
    ASSERT_EQ(boxes->seen().size(), 1u);
    // The first start after installing: where the program looked and what to run.
    EXPECT_EQ(boxes->seen()[0].prompt, "SOCIETA' INESISTENTE\n\nFILE INI: " + shell::WindowsFolder() +
                                           "Morvanex.ini (NON ESISTE)\nSOCIETA' ([BASE] DITTA): (NESSUNA)\n"
                                           "CARTELLA DATI ([PATH] DIRINI): /\nFILE CERCATO: /quelda.mdb\n\n"
                                           "PER CREARE LA SOCIETA' (DA UN TERMINALE), POI \"RIPROVA\":\n"
                                           "quenvol-admin setup ~/quenvol DEMO --demo\n"
                                           "(UNA SOCIETA' DI PROVA CON DATI DIMOSTRATIVI; PER LA PROPRIA: "
                                           "quenvol-admin setup <cartella> <societa>)");
    EXPECT_EQ(boxes->seen()[0].code, 21);
    EXPECT_EQ(boxes->seen()[0].title, "MORVANEX - ERRORE");
    EXPECT_EQ(endings, 1);
    EXPECT_EQ(recordedExePath(), programFolder.path());

    form.reset();
    WriteIni("DEMO", "   ");
    boxes->expect(BoxAnswer::Cancel);
    Load();
    EXPECT_EQ(form->session.DataDir, "/");
    EXPECT_EQ(form->session.DatabasePath, "/DEMO/quelda.mdb");
}

TEST_F(StartupFixture, AMissingCompanyFolderIsCreatedAndCancelRecordsTheProgramFolder)
{
    const QString dataDir = company.folder() + "/nuova/";
    WriteIni("NESSUNA", dataDir);
    boxes->expect(BoxAnswer::Cancel);
    Load();
    EXPECT_TRUE(QDir(dataDir).exists());
    EXPECT_EQ(boxes->prompts(),
              QStringList{"SOCIETA' INESISTENTE\n\nFILE INI LETTO: " + programFolder.path() +
                          "/Morvanex.ini\nSOCIETA' ([BASE] DITTA): NESSUNA\nCARTELLA DATI ([PATH] DIRINI): " +
                          dataDir + "\nFILE CERCATO: " + dataDir + "NESSUNA/quelda.mdb\n\n"
                          "PER CREARE LA SOCIETA' (DA UN TERMINALE), POI \"RIPROVA\":\nquenvol-admin setup " +
                          dataDir + " NESSUNA --demo\n(SENZA --demo LA SOCIETA' NASCE VUOTA)"});
    EXPECT_EQ(endings, 1);
    EXPECT_EQ(recordedExePath(), programFolder.path());
}

// The real box, answered by its letter: it names the INI file and the
// command; "R" after the company was created opens it, "A" ends the program.
TEST_F(StartupFixture, TheFirstStartBoxSaysWhatToDoAndRetryOpensTheCompanyCreatedMeanwhile)
{
    const QString dataDir = company.folder() + "/";
    WriteIni("NUOVA", dataDir);
    boxes.reset();  // real boxes from here on
    QStringList shown;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        shown << box->text();
        if (shown.size() == 1) {
            QTest::keyClick(box, Qt::Key_R);  // nothing created yet: the box comes back
        } else {
            answer.stop();
            // The operator runs the command the box names, then presses R.
            EXPECT_EQ(company::file::CreateCompany(dataDir + "NUOVA/quelda.mdb", true), QString());
            QTest::keyClick(box, Qt::Key_R);
        }
    });
    answer.start();
    Load();
    boxes = std::make_unique<testing_support::RuntimeBoxes>();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].startsWith("SOCIETA' INESISTENTE\n")) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains("FILE INI LETTO: " + programFolder.path() + "/Morvanex.ini\n"));
    EXPECT_TRUE(shown[0].contains("\nquenvol-admin setup " + dataDir + " NUOVA --demo\n")) << shown[0].toStdString();
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form->c.window));
    EXPECT_EQ(endings, 0);
    EXPECT_TRUE(form->company.RegisterTableOpen);
    EXPECT_EQ(form->session.CompanyCode, "NUOVA");
}

TEST_F(StartupFixture, AJetFileNamesTheImportCommandAndIsLeftAsItIs)
{
    QUENVOL_NEED_JET_SAMPLES();
    QFile::remove(company.databasePath());
    ASSERT_TRUE(QFile::copy(testing_support::JetSample("DateTestDatabase.mdb"), company.databasePath()));
    QFile file(company.databasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    // The data folder's sibling "Quenvol", named by an INI file beside the program;
    // paths as the system writes them.
    const QString jetFile = QDir::toNativeSeparators(company.databasePath());
    const QString own = QDir::toNativeSeparators(
        QFileInfo(QDir::cleanPath(company.dataDir())).dir().filePath("Quenvol"));
    const QString ini = QDir::toNativeSeparators(QDir(shell::ProgramFolder()).filePath("Morvanex.ini"));
    boxes->expect(BoxAnswer::Ok);
    Load();
    ASSERT_EQ(boxes->seen().size(), 1u);
    EXPECT_EQ(boxes->seen()[0].prompt,
              "IL FILE " + jetFile + " E' UN ARCHIVIO JET (ACCESS) DELLE POSTAZIONI WINDOWS:\n"
              "QUENVOL NON PUO' USARLO E NON LO SOSTITUISCE MAI, PERCHE' GLI ALTRI\n"
              "PROGRAMMI DELLA SUITE CONTINUANO A LEGGERLO.\n"
              "PER PORTARNE I DATI IN UNA CARTELLA DATI DI QUENVOL USARE IL COMANDO\n" +
                  shell::AdminCommand() + " import " + shell::ShellWord(jetFile) + " " +
                  shell::ShellWord(own) + " DEMO\n"
              "POI SCRIVERE [BASE] DITTA=DEMO E [PATH] DIRINI=" + own + QDir::separator() + " NEL FILE " + ini +
                  ",\nCHE SOLO QUENVOL LEGGE, PRIMA DEGLI ALTRI.");
    EXPECT_EQ(boxes->seen()[0].code, 16);
    EXPECT_EQ(boxes->seen()[0].title, "MORVANEX - ERRORE");
    EXPECT_EQ(endings, 1);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST_F(StartupFixture, ACompanyFileThatCannotBeReadIsToldAsDamagedWithTheEnginesReasonAndTheCure)
{
    {
        QFile file(company.databasePath());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.write("NON E' UN DATABASE SQLITE");
    }
    boxes->expect(BoxAnswer::Ok);
    Load();
    ASSERT_EQ(boxes->seen().size(), 1u);
    EXPECT_EQ(boxes->seen()[0].prompt,
              "ARCHIVIO DELLA SOCIETA' DANNEGGIATO: IL FILE " + company.databasePath() +
                  " ESISTE MA NON SI PUO' LEGGERE.\nMOTIVO: file is not a database\n\n"
                  "RIMETTERE AL SUO POSTO L'ULTIMA COPIA DI SICUREZZA (quenvol-admin backup) E CONTROLLARLA CON:\n"
                  "quenvol-admin verify " + company.dataDir() + " DEMO");
    EXPECT_EQ(boxes->seen()[0].code, 16);
    EXPECT_EQ(endings, 1);
}

TEST_F(StartupFixture, ACompanyCodeLeadingOutOfTheDataFolderOrTooLongForTheServerIsRefusedBeforeAnyFileIsTouched)
{
    for (const QString& code : QStringList{"..", ".", "../../x", "A/B", QString(64, 'D'), "..\\DATI\\X", "TRAIL.",
                                           "AUX.txt", "pg_x"}) {
        const QString dataDir = company.folder() + "/nuova/";
        WriteIni(code, dataDir);
        boxes->expect(BoxAnswer::Ok);
        Load();
        EXPECT_TRUE(boxes->prompts().last().startsWith("CODICE SOCIETA' NON VALIDO")) << code.toStdString();
        EXPECT_FALSE(QDir(dataDir).exists());
        EXPECT_FALSE(form->company.database);
        form->Show();  // activation ends the program
        EXPECT_EQ(endings, 1);
        endings = 0;
        form.reset();
    }
}

TEST_F(StartupFixture, AMissingDocumentTypeTableEndsAtActivationWithoutRecording)
{
    company.exec("DROP TABLE TabellaDocScorta");
    boxes->expect(BoxAnswer::Cancel);
    Load();
    ASSERT_EQ(boxes->seen().size(), 1u);
    EXPECT_EQ(boxes->seen()[0].prompt, "ERRORE IN APERTURA TABELLA TIPI DOCUMENTO");
    EXPECT_EQ(boxes->seen()[0].code, 53);
    EXPECT_EQ(boxes->seen()[0].title, "TABELLA TIPI DOCUMENTO");
    EXPECT_TRUE(form->company.RegisterTableOpen);
    EXPECT_TRUE(form->company.HeaderTableOpen);
    EXPECT_FALSE(form->company.DocTypeTableOpen);
    EXPECT_EQ(endings, 0);
    form->Show();
    EXPECT_EQ(endings, 1);
    EXPECT_EQ(recordedExePath(), "");
}

TEST_F(StartupFixture, AGoodDatabaseGivesTheTitledWindowReadyForACode)
{
    Start();
    const QString caption = form->c.window->windowTitle();
    EXPECT_EQ(caption, "GESTIONE TABELLE PER PROCEDURE SEMPLIFICATE IMPORT" + QString(40, ' ') + "(" +
                           QLocale().toString(QDate::currentDate(), QLocale::LongFormat) + ")");

    EXPECT_TRUE(form->c.Pict[1]->isEnabled());
    EXPECT_TRUE(form->c.Pict[1]->isVisible());
    EXPECT_FALSE(form->c.Pict[0]->isVisible());
    EXPECT_FALSE(form->c.Pict[0]->isEnabled());
    EXPECT_FALSE(form->c.Pict[2]->isVisible());
    EXPECT_FALSE(form->c.Pict[2]->isEnabled());
    EXPECT_FALSE(form->c.List1->isVisible());
    EXPECT_EQ(form->c.lbVer->text(), "Versione 1.0.0");
    EXPECT_EQ(form->c.Label1->text(), "GESTIONE PROC. SEMPLIFICATA IMPORT");
    for (QComboBox* months : form->c.Combo1) {
        ASSERT_EQ(months->count(), 12);
        EXPECT_EQ(months->itemText(0), " 1");
        EXPECT_EQ(months->itemText(11), "12");
        EXPECT_EQ(months->currentIndex(), -1);
    }
    EXPECT_EQ(form->c.List1->model()->rowCount(), company.count("TabellaDocScorta"));
    EXPECT_EQ(focused(), form->c.DicKod);
    for (int i : {0, 1, 3, 4})
        EXPECT_FALSE(form->c.cmdD[i]->isVisible()) << i;
    EXPECT_TRUE(form->c.cmdD[screen::CmdD::Uscita]->isVisible());
    EXPECT_EQ(endings, 0);
}

// Every way out ends the program and records its folder for the sibling
// programs; none saves what is on the screen.
TEST_F(StartupFixture, EachWayOutEndsTheProgramAndRecordsItsFolder)
{
    const struct {
        const char* name;
        std::function<void()> leave;
    } ways[] = {
        {"the USCITA button", [this] { click(form->c.cmdD[screen::CmdD::Uscita]); }},
        {"F2 on the code field", [this] { key(Qt::Key_F2); }},
        {"F9 from a changed register field",
         [this] {
             lookUp("R2");
             ASSERT_EQ(focused(), form->c.Txt[1]);
             type("X");
             key(Qt::Key_F9);
         }},
        {"closing the window", [this] { form->c.window->close(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        form.reset();
        shell::SaveSetting(QStringLiteral("Quenvol"), QStringLiteral("Setting"), QStringLiteral("ExePath"), QString());
        endings = 0;
        Start();
        way.leave();
        EXPECT_EQ(endings, 1);
        EXPECT_EQ(recordedExePath(), programFolder.path());
        EXPECT_FALSE(form->company.RegisterCursor) << "the tables stay open";
        EXPECT_FALSE(form->company.DocTypeCursor);
        EXPECT_EQ(column("SspDescrizione", "R2").toString(), "MAGAZZINO SUD");
    }
}

}  // namespace screen_tests

namespace screen_tests {

// The program itself, started without a display: it says so and ends.
TEST(ProgramWithoutDisplay, SaysSoOnStandardErrorAndExitsNonZero)
{
    const QString program = qEnvironmentVariable("QUENVOL_BIN_DIR") + "/quenvol";
    ASSERT_TRUE(QFile::exists(program)) << program.toStdString();
    for (const char* display : {"", ":987"}) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("DISPLAY", display);
        process.setProcessEnvironment(environment);
        process.start(program, {});
        ASSERT_TRUE(process.waitForFinished(20000)) << "the program hung with DISPLAY=" << display;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_NE(process.exitCode(), 0);
        EXPECT_TRUE(process.readAllStandardError().contains("nessun display")) << display;
    }
}

}  // namespace screen_tests

namespace screen_tests {

TEST_F(StartupFixture, EscapeClosesEveryStartUpBoxAndTheProgramEnds)
{
    boxes.reset();  // the boxes are shown for real
    const struct {
        const char* name;
        std::function<void(testing_support::TempCompany&)> prepare;
    } kinds[] = {
        {"a damaged file",
         [](testing_support::TempCompany& made) {
             QFile file(made.databasePath());
             ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
             file.write("NON E' UN DATABASE SQLITE");
         }},
        {"a missing company", [this](testing_support::TempCompany& made) { WriteIni("NESSUNA", made.dataDir()); }},
        {"an impossible company code", [this](testing_support::TempCompany& made) { WriteIni("../X", made.dataDir()); }},
        {"a table that cannot be opened",
         [](testing_support::TempCompany& made) { made.exec("DROP TABLE TabellaDocScorta"); }},
        {"a server that does not answer",
         [this](testing_support::TempCompany&) {
             QFile ini(programFolder.path() + QStringLiteral("/Morvanex.ini"));
             ASSERT_TRUE(ini.open(QIODevice::Append));
             ini.write("[DATABASE]\nSERVER = host=/nonexistent/quenvol dbname=quenvol\n");
         }},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        form.reset();
        testing_support::TempCompany made(true);
        WriteIni(QStringLiteral("DEMO"), made.dataDir());
        endings = 0;
        kind.prepare(made);
        bool closed = false;
        EscapeTheNextBox(&closed);
        Load();
        EXPECT_TRUE(closed);
        if (!form->ended())
            form->Show();  // as the program goes on: activation ends it
        EXPECT_EQ(endings, 1);
    }
    form.reset();
    boxes = std::make_unique<testing_support::RuntimeBoxes>();
}

}  // namespace screen_tests
