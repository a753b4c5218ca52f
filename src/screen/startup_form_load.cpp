// Start-up and shut-down of the window Startup: the INI file, the company and
// its database, the three tables, the window's initial state; and the ending.
#include "screen/startup.h"

#include "screen/company_ahead.h"

#include "company/company_server.h"

#include "shell/ini_location.h"
#include "shell/moduli_opzionali.h"
#include "shell/operator_commands.h"
#include "shell/platform.h"
#include "shell/session.h"
#include "shell/startup_marks.h"
#include "shell/sub_routines.h"
#include "shell/user_settings.h"
#include "store/tables/company_code.h"
#include "store/tables/company_open.h"
#include "store/tables/jet_signature.h"
#include "version.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QScreen>

namespace screen {

namespace {

const QString DesignCaption = QStringLiteral("GESTIONE TABELLE PER PROCEDURE SEMPLIFICATE IMPORT");
const QString ModeSuffix = QStringLiteral(" PROC. SEMPLIFICATA IMPORT");

// Height of the document-type list once shown, in twips.
constexpr int DocTypeListHeightTwips = 1700;

using shell::ShellWord;

// The company's file is there but the engine cannot read it: its reason, and
// the cure (the last backup, checked by verify). The file is left as it is.
QString DamagedFileMessage(const shell::Session& session, const QString& reason)
{
    return QStringLiteral("ARCHIVIO DELLA SOCIETA' DANNEGGIATO: IL FILE %1 ESISTE MA NON SI PUO' LEGGERE.\n"
                          "MOTIVO: %2\n\n"
                          "RIMETTERE AL SUO POSTO L'ULTIMA COPIA DI SICUREZZA (%3 backup) "
                          "E CONTROLLARLA CON:\n%4")
        .arg(shell::PathAsShown(session.DatabasePath), reason, shell::AdminCommand(),
             shell::VerifyCompanyCommand(session));
}

// The company on the server lacks guards of its change history (half made by
// an earlier version, or its triggers dropped): the window would write into
// it with no history kept by the server. The problems, and the cure.
QString UnguardedCompanyMessage(const shell::Session& session, const QStringList& problems)
{
    QStringList lines;
    for (const QString& problem : problems)
        lines << QStringLiteral("- ") + problem;
    return QStringLiteral("LA SOCIETA' %1 SUL SERVER E' INCOMPLETA O IL SUO STORICO NON E' PROTETTO:\n%2\n\n"
                          "NULLA E' STATO SCRITTO. PER COMPLETARLA (DA UN TERMINALE):\n%3\n"
                          "(LA CONNESSIONE E' QUELLA DELLA RIGA [DATABASE] SERVER DEL FILE INI %4)")
        .arg(session.CompanyCode, lines.join(QLatin1Char('\n')), shell::UpgradeCompanyCommand(session),
             shell::PathAsShown(session.IniFile));
}

// The company's file is a Jet database from a Windows workstation: the program
// cannot use it, and the suite's other programs keep reading it, so it is
// never replaced. Its data come over into a data folder of Quenvol's own (the
// data folder's sibling "Quenvol"), which an INI file beside the program, read
// by this program alone and before any other, names.
QString JetFileMessage(const shell::Session& session)
{
    const QString dataDir = QDir::cleanPath(QDir::fromNativeSeparators(session.DataDir));
    const QString own = QDir::toNativeSeparators(QFileInfo(dataDir).dir().filePath(QStringLiteral("Quenvol")));
    const QString ini = QDir::toNativeSeparators(
        QDir(QDir::fromNativeSeparators(shell::ProgramFolder())).filePath(QStringLiteral("Morvanex.ini")));
    return QStringLiteral("IL FILE %1 E' UN ARCHIVIO JET (ACCESS) DELLE POSTAZIONI WINDOWS:\n"
                          "QUENVOL NON PUO' USARLO E NON LO SOSTITUISCE MAI, PERCHE' GLI ALTRI\n"
                          "PROGRAMMI DELLA SUITE CONTINUANO A LEGGERLO.\n"
                          "PER PORTARNE I DATI IN UNA CARTELLA DATI DI QUENVOL USARE IL COMANDO\n"
                          "%2 import %3 %4 %5\n"
                          "POI SCRIVERE [BASE] DITTA=%6 E [PATH] DIRINI=%7 NEL FILE %8,\n"
                          "CHE SOLO QUENVOL LEGGE, PRIMA DEGLI ALTRI.")
        .arg(shell::PathAsShown(session.DatabasePath), shell::AdminCommand(), ShellWord(shell::PathAsShown(session.DatabasePath)),
             ShellWord(own), ShellWord(session.CompanyCode), session.CompanyCode,
             own + QDir::separator(), ini);
}

// Where the start-up looked, for the boxes that refuse to start: the INI file
// read (or sought) and the one it hides, the company and its data folder or server.
QString WhereLooked(const shell::Session& session)
{
    QString text = shell::IniFileExists(session.IniFile)
                       ? QStringLiteral("FILE INI LETTO: %1").arg(shell::PathAsShown(session.IniFile))
                       : QStringLiteral("FILE INI: %1 (NON ESISTE)").arg(shell::PathAsShown(session.IniFile));
    if (const QString hidden = shell::HiddenOfficeIniFile(session.IniFile); !hidden.isEmpty())
        text += QStringLiteral("\nFILE INI DELL'UFFICIO NON LETTO (NASCOSTO DA QUELLO SOPRA): %1").arg(shell::PathAsShown(hidden));
    text += QStringLiteral("\nSOCIETA' ([BASE] DITTA): %1")
                .arg(session.CompanyCode.isEmpty() ? QStringLiteral("(NESSUNA)") : session.CompanyCode);
    if (!session.Server.trimmed().isEmpty())
        text += QStringLiteral("\nSERVER: QUELLO INDICATO IN [DATABASE] SERVER DEL FILE INI");
    else
        text += QStringLiteral("\nCARTELLA DATI ([PATH] DIRINI): %1\nFILE CERCATO: %2")
                    .arg(QDir::toNativeSeparators(session.DataDir), shell::PathAsShown(session.DatabasePath));
    return text;
}

// The command that creates the company the INI file names, and what it
// makes; with none named, the first try (a demonstration company in a folder
// of the system's own).
QString CreateCommand(const shell::Session& session)
{
    const QString command = shell::CreateCompanyCommand(session);
    if (!session.Server.trimmed().isEmpty())
        return command;
    if (session.CompanyCode.isEmpty())
        return command + QStringLiteral("\n(UNA SOCIETA' DI PROVA CON DATI DIMOSTRATIVI; PER LA PROPRIA: "
                                        "%1 setup <cartella> <societa>)")
                             .arg(shell::AdminCommand());
    return command + QStringLiteral("\n(SENZA --demo LA SOCIETA' NASCE VUOTA)");
}

}  // namespace

void Startup::Form_Load()
{
    SkipExitCheck = false;
    // Key preview is always on: the runtime hands every key to Form_KeyDown first.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window_->move(area.left() + (area.width() - window_->width()) / 2,
                      area.top() + (area.height() - window_->height()) / 3);
    }
    if (searchPanel_)
        searchPanel_->ListHasFocus = false;
    CurField = 1;
    shell::BusyPointerOff();
    window_->setWindowTitle(DesignCaption + QString(40, QLatin1Char(' ')) + QLatin1Char('(') +
                            QLocale().toString(QDate::currentDate(), QLocale::LongFormat) +
                            QLatin1Char(')'));
    // Retry reads the INI file again and tries the company again: the operator
    // may have created it (or corrected the INI file) while the box was open.
    bool openedAhead = false;
    for (;;) {
        session = shell::StartSession();
        shell::MarkStartup("ini");
        // A code that would lead outside the data folder is refused before any
        // folder is created or file opened; activation then ends the program.
        if (const QString problem = store::CompanyCodeProblem(session.CompanyCode); !problem.isEmpty()) {
            runtime_->MsgBox(problem + QStringLiteral("\n\n") + WhereLooked(session), store::BoxCode::OkCritical,
                             QStringLiteral("MORVANEX - ERRORE"));
            return;
        }
        // Opened ahead while the window was built, with nothing to ask.
        if (std::optional<store::CompanyDatabase> opened =
                companyAhead_ ? companyAhead_->take(session) : std::nullopt) {
            company = std::move(*opened);
            openedAhead = true;
            break;
        }
        try {
            company.database =
                store::OpenCompanyDatabase(session.Server, session.CompanyCode, session.DatabasePath, *runtime_);
            if (!company.database) {  // the server was not reached and the user cancelled
                Unload();
                return;
            }
            break;
        } catch (const store::EngineError& error) {
            shell::BusyPointerOff();
            if (store::IsJetFile(session.DatabasePath)) {
                runtime_->MsgBox(JetFileMessage(session), store::BoxCode::OkCritical,
                                 QStringLiteral("MORVANEX - ERRORE"));
                Unload();
                return;
            }
            // A file that is there but cannot be read is damaged, not missing:
            // creating the company again is not the cure.
            if (session.Server.trimmed().isEmpty() && QFileInfo(session.DatabasePath).isFile()) {
                runtime_->MsgBox(DamagedFileMessage(session, error.description()), store::BoxCode::OkCritical,
                                 QStringLiteral("MORVANEX - ERRORE"));
                Unload();
                return;
            }
        }
        // The first start after installing comes here: say where the program
        // looked and how the company is created.
        const QString message = QStringLiteral("SOCIETA' INESISTENTE\n\n") + WhereLooked(session) +
                                QStringLiteral("\n\nPER CREARE LA SOCIETA' (DA UN TERMINALE), POI \"RIPROVA\":\n") +
                                CreateCommand(session);
        const int answer =
            runtime_->MsgBox(message, store::BoxCode::RetryCancelCritical, QStringLiteral("MORVANEX - ERRORE"));
        if (answer != store::BoxAnswer::Retry) {
            Unload();
            return;
        }
    }

    // A company on the server is written only with the guards of its history
    // in place; guards an earlier version made (verify names them) are taken.
    if (!session.Server.trimmed().isEmpty()) {
        QStringList problems;
        const QString refusal = company::server::UnguardedCompany(
            session.Server.trimmed(), session.CompanyCode, company::server::GuardCheck::MissingOrDisabled, &problems);
        if (!refusal.isEmpty()) {
            shell::BusyPointerOff();
            runtime_->MsgBox(problems.isEmpty() ? store::ServerUnreachableMessage + QLatin1Char('\n') + refusal
                                                : UnguardedCompanyMessage(session, problems),
                             store::BoxCode::OkCritical, QStringLiteral("MORVANEX - ERRORE"));
            company.database.reset();
            Unload();
            return;
        }
    }

    // A company opened ahead comes with its tables open.
    if (!openedAhead) {
        store::OpenRegisterTable(company, *runtime_);
        if (!company.RegisterTableOpen)
            return;
        store::OpenHeaderTable(company, *runtime_);
        if (!company.HeaderTableOpen)
            return;
        store::OpenDocTypeTable(company, *runtime_);
        if (!company.DocTypeTableOpen)
            return;
        store::OpenHistoryTable(company, *runtime_);
        if (!company.HistoryTableOpen && !company.HistoryTableMissing)
            return;
    }
    // A company made before the history keeps working; the window says quietly
    // that no history is kept there.
    c.lbStorico->setVisible(company.HistoryTableMissing);
    shell::MarkStartup("company");

    c.List1->hide();
    c.List1->resize(c.List1->width(), Twips(DocTypeListHeightTwips));
    ModeCaption = {QStringLiteral("GESTIONE") + ModeSuffix, QStringLiteral("VARIAZIONE") + ModeSuffix,
                   QStringLiteral("INSERIMENTO") + ModeSuffix};
    for (QComboBox* months : c.Combo1) {
        months->clear();
        for (int n = 1; n <= 12; ++n)
            months->addItem(shell::PadLeft(QString::number(n), 2));
        months->setCurrentIndex(-1);
    }
    docTypeList_->FillDocTypeList();
    EnterMode = lookups::EnterMode::DownTheFields;
    c.Pict[0]->hide();
    c.Pict[0]->setEnabled(false);
    c.Pict[1]->setEnabled(true);
    c.Pict[2]->hide();
    c.Pict[2]->setEnabled(false);
    c.lbVer->setText(QStringLiteral("Versione %1.%2.%3")
                         .arg(QUENVOL_VERSION_MAJOR)
                         .arg(QUENVOL_VERSION_MINOR)
                         .arg(QUENVOL_VERSION_PATCH));
    ClearScreen();
}

void Startup::Form_Activate()
{
    if (company.RegisterTableOpen && company.HeaderTableOpen && company.DocTypeTableOpen &&
        (company.HistoryTableOpen || company.HistoryTableMissing))
        return;
    endProcess(0);
}

void Startup::Form_Unload()
{
    store::CloseTables(company);
    company.RegisterTableOpen = company.HeaderTableOpen = company.DocTypeTableOpen = false;
    company.HistoryTableOpen = false;
    shell::SaveSetting(shell::ExecutableName(), QStringLiteral("Setting"), QStringLiteral("ExePath"),
                       shell::ProgramFolder());
    endProcess(0);
}

}  // namespace screen
