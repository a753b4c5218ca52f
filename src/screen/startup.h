// The window Startup: the program's one window. Its state and its event
// handlers; the routines live in the files of this folder named after what
// they do (start-up, register lookup, buttons, keyboard); the header and
// history panels are components of their own here (PanelWindow), the look-up
// lists in src/lookups (ListWindow).
#pragma once

#include "lookups/doc_type_list.h"
#include "lookups/list_window.h"
#include "lookups/search_panel.h"
#include "screen/header_panel.h"
#include "screen/signed_print.h"
#include "paper/page_prints.h"
#include "paper/register_pages.h"
#include "lookups/history_panel.h"
#include "lookups/panel_window.h"
#include "runtime/form_runtime.h"
#include "screen/startup_layout.h"
#include "shell/session.h"
#include "store/registers/header_lines.h"
#include "store/record/register_record.h"
#include "store/registers/register_set.h"
#include "store/record/screen_values.h"
#include "store/tables/tables.h"
#include "store/registers/write_conflicts.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>


namespace screen {

class CompanyAhead;
class HelpWindow;

// Screen modes: what the register screen holds.
namespace Mode {
constexpr int Gestione = 0;     // no register, waiting for a code
constexpr int Variazione = 1;   // an existing register is being changed
constexpr int Inserimento = 2;  // a new register is being inserted
}  // namespace Mode

class Startup : public QObject, private lookups::ListWindow, private lookups::PanelWindow {
public:
    // `companyAhead`: the company being opened on a second thread, which
    // Form_Load takes when it can (company_ahead.h); null: Form_Load opens it.
    explicit Startup(CompanyAhead* companyAhead = nullptr);
    ~Startup() override;

    // --- Start-up and shut-down ---------------------------------------------
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    // Shows the window and raises Form_Activate, as loading the form did.
    void Show();
    // Unloads the window: Form_Unload, then the window closes.
    void Unload();
    // Ends the process at once. Tests replace it to watch the ending.
    static std::function<void(int)> EndProcess;
    bool ended() const { return ended_; }

    // --- Register lookup and screen (register_lookup.cpp, register_screen.cpp)
    void DicKod_GotFocus();
    void DicKod_LostFocus();
    void DicKod_DblClick();
    void FindRegister();
    void ClearScreen();
    void ClearRegister();
    void ShowRegister();
    store::ScreenValues ReadScreen() const;
    void ShowButtonsForMode();

    // --- Buttons (register_buttons.cpp) -----------------------------------------
    void cmdD_Click(int Index);
    void cmdD_MouseDown(int Index);
    void ReturnToCodeField();
    void DeleteRegisterAsked();

    // --- Printing (print_key.cpp) -----------------------------------------------
    void PrintKey();
    void PrintRegisterSheet();
    void PrintRegisterPages();
    // F8 in the header panel with a signing key: the pages signed, recorded with the signer.
    void PrintSignedPages(const SigningSettings& signing, const paper::RegisterPages& pages,
                          paper::PageRegister reg, const std::vector<paper::PagePrint>& prints);

    // --- Keyboard (keyboard.cpp) ------------------------------------------------
    void Form_KeyDown(int& KeyCode, int Shift);
    void Form_KeyPress(int& KeyAscii);
    void GlobalHotKeys(int KeyCode, int Shift);
    void Txt_GotFocus(int Index);
    void Txt_LostFocus(int Index);
    void Txt_DblClick(int Index);
    void PreviousField();
    void NextField();
    void MirrorCustodySeries(int Index);
    void AdvanceWhenFull(QLineEdit* field, int key);
    void EnterAsTab(int code);
    void SelectAllText(QLineEdit* control);
    // F1: the help window with every key, the version and the session.
    void ShowHelpWindow();
    HelpWindow* helpWindow() const { return helpWindow_; }

    // --- The look-up lists (src/lookups) --------------------------------------
    lookups::SearchPanel& searchPanel();
    lookups::DocTypeList& docTypeList() { return *docTypeList_; }

    // --- The header and history panels (header_panel.cpp, history_panel.cpp) --
    HeaderPanel& headerPanel() { return *headerPanel_; }
    lookups::HistoryPanel& historyPanel();

    // --- What the routines work on ---------------------------------------------
    StartupControls c;
    runtime::FormRuntime& runtime() { return *runtime_; }
    shell::Session session;  // made by Form_Load
    store::CompanyDatabase company;
    // The register set on the screen: its record, and the register row and
    // header row as they were read for the screen, which the writes compare
    // with the file so no change made elsewhere is lost.
    store::RegisterSet Set{company};
    store::RegisterRecord& RegisterRecord = Set.record;

    bool SkipExitCheck = false;
    int CurField = 1;
    int EnterMode = lookups::EnterMode::DownTheFields;
    int ScreenMode = Mode::Gestione;
    std::array<QString, 3> ModeCaption;

private:
    void wireEvents();
    // Makes the hidden search and history panels with their handlers (once).
    void buildHiddenPanels();
    void focusAfterSearch();
    void endProcess(int code);

    // What the look-up lists ask of the window.
    bool skipExitCheck() const override { return SkipExitCheck; }
    void setSkipExitCheck(bool skip) override { SkipExitCheck = skip; }
    void setEnterMode(int mode) override { EnterMode = mode; }
    void selectAllText(QLineEdit* field) override { SelectAllText(field); }
    QString typedCode() const override;
    void clearRegister() override { ClearRegister(); }
    void lookUpRegister(const QString& code) override;
    void returnToCodeField(const QString& code) override;
    void unload() override { Unload(); }
    int currentField() const override { return CurField; }
    void fieldFilled(int index) override { MirrorCustodySeries(index); }

    QWidget* window_ = nullptr;
    std::unique_ptr<runtime::FormRuntime> runtime_;
    std::unique_ptr<lookups::SearchPanel> searchPanel_;
    std::unique_ptr<lookups::DocTypeList> docTypeList_;
    std::unique_ptr<HeaderPanel> headerPanel_;
    std::unique_ptr<lookups::HistoryPanel> historyPanel_;
    HelpWindow* helpWindow_ = nullptr;  // made at the first F1, owned by the window
    CompanyAhead* companyAhead_ = nullptr;
    bool ended_ = false;
};

}  // namespace screen
