// SearchPanel: the register search panel. It lists the register sets whose
// code or description begins with the filter text, refills at every
// keystroke, and hands the picked or new code to the window's lookup. Its
// handlers keep the names of the controls' events.
#pragma once

#include "lookups/list_window.h"
#include "runtime/form_runtime.h"
#include "store/tables/tables.h"

#include <QString>
#include <QTimer>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QListView;
class QObject;
class QPushButton;
class QWidget;

namespace lookups {

class SearchListModel;

// The controls of the panel, created by the window's layout.
struct SearchPanelControls {
    QWidget* panel = nullptr;          // Pict(0), the panel itself
    QWidget* registerPanel = nullptr;  // Pict(1), disabled while the panel is open
    QLineEdit* CodTab = nullptr;       // filter on the code
    QLineEdit* DescTab = nullptr;      // filter on the description
    QLabel* Lcod = nullptr;
    QLabel* Ldesc = nullptr;
    QLabel* IETab = nullptr;
    QListView* Lista = nullptr;
    std::array<QPushButton*, 2> cmd_r{};  // 0 select / new / back to the search, 1 exit
};

// Which filter the panel searches by.
namespace SearchBy {
constexpr int Code = 1;
constexpr int Description = 2;
}  // namespace SearchBy

class SearchPanel {
public:
    SearchPanel(const SearchPanelControls& controls, runtime::FormRuntime& runtime,
                store::CompanyDatabase& company, ListWindow& window);
    ~SearchPanel();
    SearchPanel(const SearchPanel&) = delete;
    SearchPanel& operator=(const SearchPanel&) = delete;

    // Connects the controls' events to the handlers below.
    void wireEvents();

    void OpenSearchPanel();
    void CloseSearchPanel();
    // Escape: puts the panel away with nothing looked up, back in the code
    // field as it was when the panel opened.
    void CancelSearchPanel();
    void FillSearchList(const QString& filter);
    void FocusSearchField();
    void CodTab_GotFocus();
    void CodTab_Change();
    void CodTab_LostFocus();
    void DescTab_GotFocus();
    void DescTab_Change();
    void DescTab_LostFocus();
    void Lista_GotFocus();
    void Lista_DblClick();
    void Lista_LostFocus();
    void Lista_MouseDown();
    void cmd_r_Click(int Index);
    void cmd_r_MouseDown(int Index);

    bool ListHasFocus = false;          // the list, not a filter, is being worked in
    int SearchField = SearchBy::Code;

private:
    void filterGotFocus(QLineEdit* field, int mode);
    void filterLostFocus(QLineEdit* field, QLabel* label, QLineEdit* other, QLabel* otherLabel);
    // Reads up to `rows` more rows of the fill under way (all when negative).
    void readMore(int rows);
    void stopReading();
    void showFailure(const store::EngineError& error);
    void setActionButton();

    SearchPanelControls c;
    runtime::FormRuntime& runtime_;
    store::CompanyDatabase& company_;
    ListWindow& window_;
    SearchListModel* model_ = nullptr;
    QString codeWhenOpened_;
    // The code of the line picked from the list, exactly as stored: a code
    // stored with a blank at an end (before the code rule) is the set picked,
    // never the one a trimmed code names.
    QString picked_;
    // Takes the rows of a long fill in steps between the operator's events.
    QTimer readTimer_;
    // Reads the rest of a fill before a key, click or wheel reaches the list.
    std::unique_ptr<QObject> readBeforeInput_;
};

}  // namespace lookups
