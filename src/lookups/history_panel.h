// HistoryPanel: F7 shows, read-only and newest first, the confirmed changes
// of the register set on the screen (or of the code typed in the code field);
// Escape, F2, F9 or "&CHIUDI" closes it and gives the focus back.
#pragma once

#include "lookups/panel_window.h"
#include "runtime/form_runtime.h"
#include "store/registers/register_set.h"
#include "store/tables/tables.h"

#include <QString>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QWidget;

namespace lookups {

class HistoryListModel;

// The controls of the panel, created by the window's layout.
struct HistoryPanelControls {
    QWidget* panel = nullptr;          // PictStorico
    QWidget* registerPanel = nullptr;  // Pict(1), disabled while the panel is open
    QLineEdit* DicKod = nullptr;       // the code field
    QLineEdit* description = nullptr;  // where the focus goes when none was left
    QLabel* IEStorico = nullptr;
    QListView* ListaStorico = nullptr;
    QPushButton* cmdStorico = nullptr;
};

class HistoryPanel {
public:
    HistoryPanel(const HistoryPanelControls& controls, runtime::FormRuntime& runtime, store::CompanyDatabase& company,
                 const store::RegisterSet& set, PanelWindow& window);
    ~HistoryPanel();
    HistoryPanel(const HistoryPanel&) = delete;
    HistoryPanel& operator=(const HistoryPanel&) = delete;

    // Connects the controls' events to the handlers below.
    void wireEvents();

    // The code whose history is shown: the register set's while one is open,
    // else the code typed in the code field.
    QString HistoryCode() const;
    // Reads the newest page of the history and shows it (the older pages come
    // as the list is scrolled to them); nothing happens without a history
    // table or a code, and a failed read is told and nothing is shown.
    void OpenHistoryPanel();
    void CloseHistoryPanel();
    void cmdStorico_Click();
    bool isOpen() const;

    // History rows read at a time: a few screenfuls.
    static constexpr int HistoryPageRows = 300;

private:
    void ShowReadError(const store::EngineError& error);

    HistoryPanelControls c;
    runtime::FormRuntime& runtime_;
    store::CompanyDatabase& company_;
    const store::RegisterSet& set_;
    PanelWindow& window_;
    HistoryListModel* historyModel_ = nullptr;
    QWidget* historyReturn_ = nullptr;
};

}  // namespace lookups
