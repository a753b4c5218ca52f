// The history panel: F7 shows, read-only and newest first, the confirmed
// changes of the register set on the screen (or of the code typed in the code
// field); Escape or "&USCITA" closes it and gives the focus back.
#include "screen/startup.h"

#include "screen/history_list_model.h"
#include "store/history_reader.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace screen {

QString Startup::HistoryCode() const
{
    // The code field is enabled exactly while no register set is open.
    return (c.DicKod->isEnabled() ? c.DicKod->text() : RegisterRecord.SspCodice).trimmed();
}

void Startup::OpenHistoryPanel()
{
    const QString code = HistoryCode();
    if (!company.HistoryTableOpen || code.isEmpty())
        return;
    std::vector<store::Change> changes;
    try {
        changes = store::ReadHistory(*company.database, code);
    } catch (const store::EngineError& error) {
        runtime_->MsgBox(QStringLiteral("ERRORE NELLA LETTURA DELLO STORICO") + QLatin1Char('\n') +
                             error.description(),
                         store::BoxCode::OkOnly);
        return;
    }
    buildHiddenPanels();
    historyModel_->reset(std::move(changes), QStringLiteral("Nessuna modifica registrata."));
    c.IEStorico->setText(QStringLiteral("Storico modifiche del registro %1").arg(code));

    // The field left for the panel keeps its edits and skips its exit checks.
    historyReturn_ = runtime_->ActiveControl();
    SkipExitCheck = true;
    c.Pict[1]->setEnabled(false);
    c.PictStorico->show();
    c.PictStorico->setEnabled(true);
    c.PictStorico->raise();
    c.ListaStorico->setCurrentIndex(historyModel_->index(0, 0));
    runtime_->SetFocus(c.ListaStorico);
}

void Startup::CloseHistoryPanel()
{
    c.PictStorico->hide();
    c.PictStorico->setEnabled(false);
    c.Pict[1]->setEnabled(true);
    historyModel_->clear();
    SkipExitCheck = false;
    QWidget* back = historyReturn_;
    historyReturn_ = nullptr;
    if (back && runtime_->SetFocus(back))
        return;
    runtime_->SetFocus(c.DicKod->isEnabled() ? static_cast<QWidget*>(c.DicKod) : c.Txt[store::Field::Description]);
}

void Startup::cmdStorico_Click()
{
    CloseHistoryPanel();
}

}  // namespace screen
