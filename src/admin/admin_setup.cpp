// quenvol-admin setup: the first run after installing. Creates the company and,
// when the program would find no INI file yet, writes the per-user Morvanex.ini
// naming that company and its data folder. An existing INI file is never
// touched: the command says which one the program will use and what it holds.
#include "admin/admin_command.h"
#include "company/folder_making.h"
#include "company/company_file.h"
#include "company/company_location.h"
#include "store/engine/engine.h"
#include "store/postgres/libpq_on_demand.h"
#include "store/postgres/pg_conninfo.h"
#include "store/tables/jet_signature.h"

#include "shell/ini_location.h"
#include "shell/platform.h"
#include "shell/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int RunSetup(const QStringList& arguments);

const admin::Command Setup{
    "setup",
    "setup <cartella dati> <societa> [--demo] | setup --server <connessione> <societa>",
    "Prima configurazione dopo l'installazione. Crea la società come init\n"
    "(<cartella dati>{/}<societa>{/}quelda.mdb; una società che esiste già resta\n"
    "com'è) e, se il programma non trova ancora alcun file INI, scrive quello\n"
    "personale {ini-personale}\n"
    "con [BASE] DITTA=<societa> e [PATH] DIRINI=<cartella dati>{/} (percorso\n"
    "assoluto). Un file INI esistente non viene mai sovrascritto: il comando\n"
    "dice quale file userà il programma e che cosa contiene, ed esce con stato 1\n"
    "se quel file non indica già questa società e questa cartella.\n"
    "--demo aggiunge alcuni tipi documento e alcuni registri di esempio a una\n"
    "società nuova.\n"
    "Con --server <connessione> (stringa di connessione libpq o URI, senza\n"
    "password: quella va in {pgpass}) la postazione usa la società sul server\n"
    "dell'ufficio: il comando scrive il file INI personale con [BASE]\n"
    "DITTA=<societa> e [DATABASE] SERVER=<connessione> (mai sopra un file\n"
    "esistente) e dice se la società c'è già sul server.\n"
    "{ini-ufficio}\n"
    "Esempi: quenvol-admin setup {dati} DEMO --demo\n"
    "        quenvol-admin setup --server {server-ufficio} DEMO\n",
    RunSetup};
const admin::Registration registration(Setup);

// The INI file that names the company and its data folder.
QByteArray IniContent(const QString& company, const QString& dataDir)
{
    return "[BASE]\r\nDITTA=" + shell::ToAnsi(company) + "\r\n[PATH]\r\nDIRINI=" +
           shell::ToAnsi(dataDir) + "\r\n";
}

// Whether the program, reading such a file, gets both values back unchanged:
// the INI values are 8-bit text of at most 99 characters without surrounding
// blanks, so a longer or foreign-script value would name another place.
bool ReadsBackUnchanged(const QString& company, const QString& dataDir)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        return false;
    const QString path = folder.filePath(QStringLiteral("Morvanex.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(IniContent(company, dataDir)) < 0)
        return false;
    file.close();
    return shell::ReadIni(path, "BASE", "DITTA") == company &&
           shell::ReadIni(path, "PATH", "DIRINI") == dataDir;
}

// A connection string or URI as it may be shown: any password left out.
QString WithoutPassword(QString server)
{
    static const QRegularExpression keyword(QStringLiteral("password\\s*=\\s*('([^'\\\\]|\\\\.)*'|\\S*)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression uri(QStringLiteral("^(postgres(?:ql)?://[^:/@]*):[^@/]*@"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression parameter(QStringLiteral("([?&]password=)[^&]*"),
                                              QRegularExpression::CaseInsensitiveOption);
    server.replace(keyword, QStringLiteral("password=***"));
    server.replace(uri, QStringLiteral("\\1:***@"));
    server.replace(parameter, QStringLiteral("\\1***"));
    return server;
}

// Creates the INI file; fails rather than replace one that appears meanwhile.
QString WriteNewIni(const QString& path, const QString& company, const QString& dataDir)
{
    if (const QString refused = company::MakeFolders(QFileInfo(path).absolutePath()); !refused.isEmpty())
        return refused;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return QStringLiteral("impossibile creare %1: %2").arg(path, file.errorString());
    const QByteArray content = IniContent(company, dataDir);
    if (file.write(content) != content.size() || !file.flush()) {
        const QString error = QStringLiteral("impossibile scrivere %1: %2").arg(path, file.errorString());
        file.remove();
        return error;
    }
    return QString();
}

// Says which INI file the program reads when a personal one hides the office's.
void TellHiddenOfficeFile(const QString& iniFile)
{
    const QString hidden = shell::HiddenOfficeIniFile(iniFile);
    if (hidden.isEmpty() || !shell::IniFileExists(iniFile))
        return;
    std::printf("il programma legge %s; il file INI dell'ufficio %s non viene letto (è nascosto da quello): "
                "per usare quello dell'ufficio, togliere o rinominare %s\n",
                qUtf8Printable(iniFile), qUtf8Printable(hidden), qUtf8Printable(iniFile));
}

// Whether `company` is on `server`: 1 yes, 0 no, -1 the server refused (the
// reason in `why`).
int CompanyOnServer(const QString& server, const QString& company, QString* why)
{
    try {
        company::location::OpenCompany(server, company);
        return 1;
    } catch (const store::EngineError& error) {
        if (error.number() == store::EngineErrorNumber::CannotOpenDatabase)
            return 0;
        *why = error.description();
        return -1;
    }
}

// What the server says of the company, for the operator: it is there, it is
// not (and how it is made), or why the server could not be asked.
int ReportCompanyOnServer(const QString& server, const QString& company, const QString& iniFile)
{
    QString why;
    switch (CompanyOnServer(server, company, &why)) {
    case 1:
        std::printf("la società %s esiste già sul server %s: il programma la aprirà (avviarlo con: quenvol)\n",
                    qUtf8Printable(company), qUtf8Printable(WithoutPassword(server)));
        return admin::ExitOk;
    case 0:
        return admin::Fail(QStringLiteral(
            "il file INI %1, che il programma userà, indica il server %2 ([DATABASE] SERVER), dove la società "
            "%3 non c'è ancora: nulla è stato creato in una cartella dati. Per creare la società sul server: "
            "quenvol-admin init --server '<connessione>' %3")
                               .arg(iniFile, WithoutPassword(server), company));
    default:
        return admin::Fail(QStringLiteral("il file INI %1, che il programma userà, indica il server %2 "
                                          "([DATABASE] SERVER), che non risponde:\n%3")
                               .arg(iniFile, WithoutPassword(server), why));
    }
}

// setup --server: the personal INI file naming the office's server.
int SetupServer(const QString& server, const QString& company)
{
    if (const QString missing = store::LoadLibpq(); !missing.isEmpty())
        return admin::Fail(missing);
    if (const QString problem = store::ConninfoProblem(server); !problem.isEmpty())
        return admin::Fail(problem);
    if (!store::ConninfoPassword(server).isEmpty())
        return admin::Fail(store::PasswordInConninfoRefusal());
    const QString personal = shell::WindowsFolder() + QStringLiteral("Morvanex.ini");
    if (!QFileInfo(personal).isAbsolute())
        return admin::Fail(QStringLiteral("la cartella delle impostazioni personali non è determinata "
                                          "(HOME non impostata, o XDG_CONFIG_HOME che termina con \"/\")"));
    if (QFileInfo::exists(personal))
        return admin::Fail(QStringLiteral("il file INI personale %1 esiste già e non viene modificato: per usare "
                                          "il server, scrivere in quel file [BASE] DITTA=%2 e [DATABASE] SERVER=%3, "
                                          "o toglierlo e ripetere il comando")
                               .arg(personal, company, server));
    if (const QString refused = company::MakeFolders(QFileInfo(personal).absolutePath()); !refused.isEmpty())
        return admin::Fail(refused);
    QFile file(personal);
    const QByteArray content = "[BASE]\r\nDITTA=" + shell::ToAnsi(company) + "\r\n[DATABASE]\r\nSERVER=" +
                               shell::ToAnsi(server) + "\r\n";
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(content) != content.size() ||
        !file.flush()) {
        const QString error = QStringLiteral("impossibile scrivere %1: %2").arg(personal, file.errorString());
        if (file.isOpen())
            file.remove();
        return admin::Fail(error);
    }
    file.close();
    std::printf("scritto %s: società %s sul server %s\n", qUtf8Printable(personal), qUtf8Printable(company),
                qUtf8Printable(server));
    TellHiddenOfficeFile(shell::FindIniFile());
    return ReportCompanyOnServer(server, company, personal);
}

int RunSetup(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Setup, arguments, {{"--demo"}, {"--server"}, 1, 2}, given))
        return *status;
    const QStringList& rest = given.operands;
    if (given.values.contains("--server")) {
        if (rest.size() != 1 || given.has("--demo"))
            return admin::UsageError(Setup);
        if (const auto refused = admin::RefuseCompanyCode(rest[0]))
            return *refused;
        return SetupServer(given.value("--server"), rest[0]);
    }
    if (rest.size() != 2)
        return admin::UsageError(Setup);
    const bool demo = given.has("--demo");
    const QString company = rest[1];
    if (const auto refused = admin::RefuseCompanyCode(company))
        return *refused;
    if (const auto refused = admin::RefusePath(rest[0]))
        return *refused;

    // The program joins DIRINI and the company with nothing in between. On
    // Windows the folder is written with backslashes ("C:\\DATI\\").
    QString dataDir = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(rest[0]).absoluteFilePath()));
    if (!dataDir.endsWith(QDir::separator()))
        dataDir += QDir::separator();
    if (!ReadsBackUnchanged(company, dataDir))
        return admin::Fail(QStringLiteral(
            "la società \"%1\" o la cartella dati \"%2\" non si possono scrivere nel file INI "
            "così che il programma le rilegga uguali (al massimo 99 caratteri, niente spazi "
            "iniziali o finali, solo caratteri dell'alfabeto latino)")
                               .arg(company, dataDir));

    const QString iniFile = shell::FindIniFile();
    const bool iniExists = shell::IniFileExists(iniFile);
    if (!iniExists && !QFileInfo(iniFile).isAbsolute())
        return admin::Fail(QStringLiteral(
            "la cartella delle impostazioni personali non è determinata (HOME non impostata, "
            "o XDG_CONFIG_HOME che termina con \"/\"): il programma cercherebbe %1 nella "
            "cartella da cui viene avviato")
                               .arg(iniFile));

    // An INI file that names a server sends the program there, whatever the
    // data folder: a company file made here would never be read.
    TellHiddenOfficeFile(iniFile);
    // An INI file that names a server sends the program there, whatever the
    // data folder: a company file made here would never be read. The server
    // is asked whether the company is already there.
    if (iniExists) {
        const QString server = shell::FromAnsi(shell::GetProfileValue(iniFile, "DATABASE", "SERVER")).trimmed();
        if (!server.isEmpty()) {
            // This string was read from the INI file: a refusal points there.
            store::SetConninfoSource(store::ConninfoSource::IniServerLine);
            return ReportCompanyOnServer(server, company, iniFile);
        }
    }

    const QString database = QDir::toNativeSeparators(dataDir + company + QStringLiteral("/quelda.mdb"));
    if (store::IsJetFile(database)) {
        // The suite's own company file, which its other programs keep
        // reading: never replaced. Its data go into a data folder of
        // Quenvol's own, named by an INI file beside the program.
        const QString own = QDir::toNativeSeparators(
            QFileInfo(QDir::cleanPath(QDir::fromNativeSeparators(dataDir))).dir().filePath(QStringLiteral("Quenvol")));
        return admin::Fail(QStringLiteral(
            "%1 è il database Jet della suite, che i suoi altri programmi continuano a leggere: Quenvol "
            "non lo sostituisce mai. Importarlo in una cartella dati di Quenvol con\n  %2 import %3 %4 %5\n"
            "poi avviare il programma con un file %6 che indichi [BASE] DITTA=%5 e [PATH] DIRINI=%7 "
            "(lo legge solo Quenvol, prima degli altri); oppure importarlo sul server dell'ufficio.")
                               .arg(database, shell::AdminCommand(), shell::ShellWord(database), shell::ShellWord(own),
                                    shell::ShellWord(company),
                                    QDir::toNativeSeparators(
                                        QDir(QDir::fromNativeSeparators(shell::ProgramFolder()))
                                            .filePath(QStringLiteral("Morvanex.ini"))),
                                    own + QDir::separator()));
    }
    if (QFileInfo::exists(database)) {
        std::printf("la società %s esiste già (%s): resta com'è%s\n", qUtf8Printable(company), qUtf8Printable(database),
                    demo ? ", senza dati dimostrativi aggiunti" : "");
    } else {
        const QString error = company::file::CreateCompany(database, demo);
        if (!error.isEmpty())
            return admin::Fail(error);
        std::printf("creato %s\n", qUtf8Printable(database));
        if (const int status = admin::RecordStartingState(dataDir, company); status != admin::ExitOk)
            return status;
    }

    if (iniExists) {
        const QString usedCompany = shell::ReadIni(iniFile, "BASE", "DITTA");
        const QString usedDataDir = shell::ReadIni(iniFile, "PATH", "DIRINI");
        if (usedCompany == company && usedDataDir == dataDir) {
            std::printf("il programma userà %s, che indica già la società %s nella cartella %s\n",
                        qUtf8Printable(iniFile), qUtf8Printable(company), qUtf8Printable(dataDir));
            return admin::ExitOk;
        }
        return admin::Fail(QStringLiteral(
            "il file INI %1 esiste già e non viene modificato: il programma userà quello, che "
            "indica [BASE] DITTA=%2 e [PATH] DIRINI=%3. Per aprire la società %4, scrivere "
            "in quel file DITTA=%4 e DIRINI=%5.")
                               .arg(iniFile, usedCompany, usedDataDir, company, dataDir));
    }

    const QString error = WriteNewIni(iniFile, company, dataDir);
    if (!error.isEmpty())
        return admin::Fail(error);
    std::printf("scritto %s: società %s, cartella dati %s\n%s\n", qUtf8Printable(iniFile), qUtf8Printable(company),
                qUtf8Printable(dataDir), qUtf8Printable(shell::StartAdvice()));
    return admin::ExitOk;
}

}  // namespace
