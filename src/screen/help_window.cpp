// The help window: its text, made from the keys the window answers and the
// session it runs in, and the read-only window that shows it.
#include "screen/help_window.h"

#include "runtime/accessible_names.h"
#include "screen/startup_layout.h"
#include "shell/ini_location.h"
#include "shell/manual_location.h"
#include "shell/platform.h"
#include "version.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace screen {

namespace {

// One key and what it does, the key in a column of its own.
QString Line(const QString& keys, const QString& what)
{
    return QStringLiteral("  %1 %2\n").arg(keys.leftJustified(22), what);
}

QString WhereDataLives(const shell::Session& session)
{
    if (!session.Server.trimmed().isEmpty())
        return QStringLiteral("sul server indicato in [DATABASE] SERVER del file INI (schema \"%1\")")
            .arg(session.CompanyCode);
    return session.DatabasePath;
}

}  // namespace

QString HelpText(const shell::Session& session)
{
    QString t;
    t += QStringLiteral("QUENVOL - TASTI\n\n");
    t += QStringLiteral("SCHERMATA DEI REGISTRI\n");
    t += Line(QStringLiteral("Invio"), QStringLiteral("nel campo Codice cerca il registro; negli altri campi passa al successivo"));
    t += Line(QStringLiteral("Freccia su / giù"), QStringLiteral("campo precedente / successivo"));
    t += Line(QStringLiteral("Tab / Maiusc+Tab"), QStringLiteral("campo successivo / precedente nell'ordine di tabulazione"));
    t += Line(QStringLiteral("F4 o doppio clic"), QStringLiteral("nel campo Codice apre il pannello di ricerca;"));
    t += Line(QString(), QStringLiteral("su un campo giallo apre l'elenco dei tipi documento"));
    t += Line(QStringLiteral("F7"), QStringLiteral("storico delle modifiche del registro (dal campo Codice: del codice scritto)"));
    t += Line(QStringLiteral("F8"), QStringLiteral("stampa la scheda del registro"));
    t += Line(QStringLiteral("F2 o F9"), QStringLiteral("USCITA: chiude il programma"));
    t += Line(QStringLiteral("Alt+C"), QStringLiteral("CONFERMA: scrive il registro"));
    t += Line(QStringLiteral("Alt+A"), QStringLiteral("ANNULLA: lascia le modifiche e torna al campo Codice"));
    t += Line(QStringLiteral("Alt+E"), QStringLiteral("ELIMINA: cancella il registro (chiede conferma)"));
    t += Line(QStringLiteral("Alt+T"), QStringLiteral("TESTATE: apre il pannello delle testate"));
    t += Line(QStringLiteral("Alt+U"), QStringLiteral("USCITA: chiude il programma"));
    t += Line(QStringLiteral("Ctrl+Maiusc+L"), QStringLiteral("avvia Pavoxa o lo porta in primo piano"));
    t += Line(QStringLiteral("Ctrl+Maiusc+S"), QStringLiteral("avvia Rimbelo o lo porta in primo piano"));
    t += Line(QStringLiteral("F1"), QStringLiteral("questa guida (Esc o F1 la chiude)"));
    t += Line(QStringLiteral("M in questa guida"), QStringLiteral("apre il manuale con le figure (anche Alt+M o il pulsante MANUALE)"));
    t += QStringLiteral("\nPANNELLO DI RICERCA DEI REGISTRI\n");
    t += Line(QStringLiteral("lettere e cifre"), QStringLiteral("l'elenco mostra i codici (o le descrizioni) che iniziano così"));
    t += Line(QStringLiteral("Invio o Tab"), QStringLiteral("lasciando vuoto un filtro si passa all'altro (codice / descrizione)"));
    t += Line(QStringLiteral("Alt+X"), QStringLiteral("SELEZIONA: passa all'elenco; RICERCA: torna al filtro"));
    t += Line(QStringLiteral("Invio nell'elenco"), QStringLiteral("sceglie il registro (anche il doppio clic)"));
    t += Line(QStringLiteral("Alt+N"), QStringLiteral("NUOVO: inserisce il codice scritto, se non esiste"));
    t += Line(QStringLiteral("Esc"), QStringLiteral("chiude il pannello senza scegliere e torna al campo Codice"));
    t += Line(QStringLiteral("Alt+U, F2 o F9"), QStringLiteral("USCITA: chiude il programma"));
    t += QStringLiteral("\nELENCO DEI TIPI DOCUMENTO\n");
    t += Line(QStringLiteral("doppio clic"), QStringLiteral("scrive il tipo scelto nel campo e passa al successivo"));
    t += Line(QStringLiteral("Esc o F2"), QStringLiteral("chiude l'elenco e torna al campo com'era"));
    t += QStringLiteral("\nPANNELLO DELLE TESTATE\n");
    t += Line(QStringLiteral("Frecce, Invio"), QStringLiteral("riga precedente / successiva"));
    t += Line(QStringLiteral("Alt+C"), QStringLiteral("CONFERMA: scrive le righe"));
    t += Line(QStringLiteral("Alt+A"), QStringLiteral("ANNULLA: rimette le righe com'erano"));
    t += Line(QStringLiteral("F8"), QStringLiteral("stampa le pagine di un registro"));
    t += QStringLiteral("\nPANNELLO DELLO STORICO\n");
    t += Line(QStringLiteral("Freccia su / giù"), QStringLiteral("scorre le modifiche"));
    t += Line(QStringLiteral("Esc, Alt+C, F2 o F9"), QStringLiteral("CHIUDI: chiude il pannello"));
    t += QStringLiteral("\nFINESTRE DI MESSAGGIO (la lettera da sola o con Alt)\n");
    t += Line(QStringLiteral("S / N"), QStringLiteral("Sì / No"));
    t += Line(QStringLiteral("A / R / I / T"), QStringLiteral("Annulla / Riprova / Ignora / Interrompi"));
    t += Line(QStringLiteral("Invio"), QStringLiteral("il pulsante evidenziato (anche OK)"));
    t += Line(QStringLiteral("Esc"), QStringLiteral("la risposta di annullamento (OK se è l'unico pulsante)"));
    t += QStringLiteral("\nPROGRAMMA\n");
    t += Line(QStringLiteral("Versione"), QStringLiteral("%1.%2.%3")
                                              .arg(QUENVOL_VERSION_MAJOR)
                                              .arg(QUENVOL_VERSION_MINOR)
                                              .arg(QUENVOL_VERSION_PATCH));
    t += Line(QStringLiteral("File INI"), session.IniFile);
    if (const QString hidden = shell::HiddenOfficeIniFile(session.IniFile); !hidden.isEmpty())
        t += Line(QStringLiteral("File INI non letto"),
                  hidden + QStringLiteral(" (dell'ufficio: lo nasconde il file sopra; per usarlo, "
                                          "togliere o rinominare quello)"));
    t += Line(QStringLiteral("Società"), session.CompanyCode);
    t += Line(QStringLiteral("Dati"), WhereDataLives(session));
    const QString manual = shell::ManualFile();
    t += Line(QStringLiteral("Manuale"), manual.isEmpty() ? QStringLiteral("non trovato") : manual);
    t += QLatin1Char('\n') + shell::ManualAdvice() + QLatin1Char('\n');
    return t;
}

std::function<bool(const QUrl&)> HelpWindow::OpenWithViewer = [](const QUrl& url) {
    return QDesktopServices::openUrl(url);
};

HelpWindow::HelpWindow(QWidget* parent, std::function<void(const QString&)> tell)
    : QDialog(parent), tell_(std::move(tell))
{
    setWindowTitle(QStringLiteral("QUENVOL - GUIDA AI TASTI"));
    setWindowModality(Qt::ApplicationModal);
    view_ = new QPlainTextEdit(this);
    view_->setReadOnly(true);
    // The columns of keys and meanings line up in a fixed-pitch face: the
    // window's own, which the program brings where the system lacks it.
    view_->setFont(layout::FixedFont(QFontDatabase::systemFont(QFontDatabase::FixedFont).pointSizeF()));
    // A line longer than the window (a long path, a large scale factor)
    // goes on below itself: the card never scrolls sideways.
    view_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    auto* manual = new QPushButton(QStringLiteral("&MANUALE"), this);
    manual->setAutoDefault(false);
    manual->setFocusPolicy(Qt::NoFocus);  // the keys stay with the text
    runtime::NameButton(manual);
    connect(manual, &QPushButton::clicked, this, &HelpWindow::OpenManual);
    layout->addWidget(manual, 0, Qt::AlignRight);
    resize(PreferredWidth, PreferredHeight);
}

void HelpWindow::OpenManual()
{
    const QString pdf = shell::ManualFile();
    if (pdf.isEmpty()) {
        tell_(QStringLiteral("MANUALE NON TROVATO\nIl manuale (manuale.pdf) non è in nessuno di questi "
                             "posti:\n  %1\nSi installa con il programma; compilando dai sorgenti lo "
                             "crea la compilazione, nella cartella manuale.")
                  .arg(shell::ManualCandidates().join(QStringLiteral("\n  "))));
        return;
    }
    if (OpenWithViewer(QUrl::fromLocalFile(QDir::fromNativeSeparators(pdf))))
        return;
    // No viewer for PDF files: the HTML version beside it, in the browser.
    const QString html = QFileInfo(pdf).path() + QStringLiteral("/manuale.html");
    if (QFileInfo(html).isFile() && OpenWithViewer(QUrl::fromLocalFile(QDir::fromNativeSeparators(html))))
        return;
    tell_(QStringLiteral("IMPOSSIBILE APRIRE IL MANUALE\nNessun programma ha aperto %1.\nAprirlo con "
                         "un lettore di file PDF, o installarne uno.")
              .arg(QDir::toNativeSeparators(pdf)));
}

void HelpWindow::showFor(const shell::Session& session)
{
    view_->setPlainText(HelpText(session));
    show();
    // Within the screen, frame included (known once shown): at a scale
    // factor of 1.5 a screen 1280 pixels wide is 853 wide to the window.
    if (const QScreen* where = screen()) {
        const QRect available = where->availableGeometry();
        const QSize frame = frameGeometry().size() - size();
        resize(std::min(PreferredWidth, available.width() - frame.width()),
               std::min(PreferredHeight, available.height() - frame.height()));
        move(available.topLeft() + QPoint((available.width() - frameGeometry().width()) / 2,
                                          (available.height() - frameGeometry().height()) / 2));
    }
    raise();
    activateWindow();
    view_->setFocus();
}

QString HelpWindow::text() const
{
    return view_->toPlainText();
}

void HelpWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape closes the dialog by itself; F1 closes it too, as it opened it.
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        reject();
        return;
    }
    // M alone or with Alt, as the boxes answer their letters.
    if (event->key() == Qt::Key_M && (event->modifiers() & ~Qt::AltModifier) == Qt::NoModifier) {
        OpenManual();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace screen
