// The history panel: F7 shows, read-only and newest first, the confirmed
// changes of the register set on the screen (or of the code typed in the code
// field); Escape, F2, F9 or "&CHIUDI" closes it and gives the focus back.
#include "lookups/history_panel.h"

#include "lookups/history_list_model.h"
#include "store/history/history_reader.h"
#include "store/record/screen_fields.h"
#include "store/schema/register_code.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace lookups {

HistoryPanel::HistoryPanel(const HistoryPanelControls& controls, runtime::FormRuntime& runtime,
                           store::CompanyDatabase& company, const store::RegisterSet& set, PanelWindow& window)
    : c(controls), runtime_(runtime), company_(company), set_(set), window_(window),
      historyModel_(new HistoryListModel(controls.panel))
{
}

HistoryPanel::~HistoryPanel() = default;

void HistoryPanel::wireEvents()
{
    c.ListaStorico->setModel(historyModel_);
    runtime_.onClick(c.cmdStorico, [this] { cmdStorico_Click(); });
}

bool HistoryPanel::isOpen() const
{
    return c.panel->isVisible();
}

QString HistoryPanel::HistoryCode() const
{
    // The code field is enabled exactly while no register set is open: a
    // typed code is trimmed, the open set's code taken as stored (one stored
    // before the code rule with a blank at an end is not the trimmed one).
    return c.DicKod->isEnabled() ? c.DicKod->text().trimmed() : set_.record.SspCodice;
}

void HistoryPanel::OpenHistoryPanel()
{
    const QString code = HistoryCode();
    if (!company_.HistoryTableOpen || code.isEmpty())
        return;
    const QString emptyText = QStringLiteral("Nessuna modifica registrata.");
    store::HistoryPage first;
    try {
        first = store::ReadHistoryPage(*company_.database, code, store::Value(), HistoryPageRows);
    } catch (const store::EngineError& error) {
        ShowReadError(error);
        return;
    }
    historyModel_->open(std::move(first),
                        [this, code](const store::Value& below) {
                            try {
                                return store::ReadHistoryPage(*company_.database, code, below, HistoryPageRows);
                            } catch (const store::EngineError& error) {
                                ShowReadError(error);
                                return store::HistoryPage();
                            }
                        },
                        emptyText);
    // A code breaking the code rule quoted and escaped, as its lines show it.
    c.IEStorico->setText(QStringLiteral("Storico modifiche del registro %1")
                             .arg(store::RegisterCodeProblem(code).isEmpty() ? code : store::ShownCode(code)));

    // The field left for the panel keeps its edits and skips its exit checks.
    historyReturn_ = runtime_.ActiveControl();
    window_.setSkipExitCheck(true);
    c.registerPanel->setEnabled(false);
    c.panel->show();
    c.panel->setEnabled(true);
    c.panel->raise();
    c.ListaStorico->setCurrentIndex(historyModel_->index(0, 0));
    runtime_.SetFocus(c.ListaStorico);
}

void HistoryPanel::ShowReadError(const store::EngineError& error)
{
    runtime_.MsgBox(QStringLiteral("ERRORE NELLA LETTURA DELLO STORICO") + QLatin1Char('\n') + error.description(),
                    store::BoxCode::OkOnly);
}

void HistoryPanel::CloseHistoryPanel()
{
    c.panel->hide();
    c.panel->setEnabled(false);
    c.registerPanel->setEnabled(true);
    historyModel_->clear();
    window_.setSkipExitCheck(false);
    QWidget* back = historyReturn_;
    historyReturn_ = nullptr;
    if (back && runtime_.SetFocus(back))
        return;
    runtime_.SetFocus(c.DicKod->isEnabled() ? static_cast<QWidget*>(c.DicKod) : c.description);
}

void HistoryPanel::cmdStorico_Click()
{
    CloseHistoryPanel();
}

}  // namespace lookups
