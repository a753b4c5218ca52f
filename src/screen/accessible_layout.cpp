// What a screen reader says of each control of the window Startup: the field's
// register and caption in words ("ARRIVI, serie", "Testata CUSTODIA riga 3"),
// what a date, an amount or a document type takes, the buttons by their
// captions, and the panels and lists by what they hold.
#include "screen/startup_layout.h"

#include "runtime/accessible_names.h"
#include "store/record/register_fields.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>

namespace screen::layout {

namespace {

namespace Field = store::Field;
using runtime::NameControl;

const QString AmountHint = QStringLiteral("importo con due decimali, per esempio 1.234,56");
const QString NumberHint = QStringLiteral("numero intero, solo cifre");
const QString DocTypeHint =
    QStringLiteral("tipo documento: F4 o doppio clic apre l'elenco dei tipi documento");

// A caption of the register-field table as it is said: its abbreviations
// written out, in lower case after a register's name.
QString Spoken(QString caption)
{
    static const QRegularExpression workNumber(QStringLiteral("^Docum\\. (\\d+) numero$"));
    static const QRegularExpression workType(QStringLiteral("^Docum\\. (\\d+)$"));
    caption.replace(workNumber, QStringLiteral("numero documento \\1"));
    caption.replace(workType, QStringLiteral("tipo documento \\1"));
    caption.replace(QStringLiteral("Ult. Cronol."), QStringLiteral("ultimo numero cronologico"));
    caption.replace(QStringLiteral("Ult. "), QStringLiteral("ultimo "));
    caption.replace(QStringLiteral("Cod. meccanogr."), QStringLiteral("codice meccanografico"));
    caption.replace(QStringLiteral(" (cin)"), QStringLiteral(", carattere di controllo"));
    return caption;
}

QString FieldName(const store::RegisterFieldRow& field)
{
    const QString caption = Spoken(field.caption);
    if (field.heading.isEmpty())
        return caption.left(1).toUpper() + caption.mid(1);
    return field.heading + QStringLiteral(", ") + caption.left(1).toLower() + caption.mid(1);
}

QString FieldHint(const store::RegisterFieldRow& field, const QLineEdit* control)
{
    if (control->palette().color(QPalette::Base) == DocTypeColour)
        return DocTypeHint;
    switch (field.keys) {
    case store::KeyClass::Decimal:
        return AmountHint;
    case store::KeyClass::Digits:
        return NumberHint;
    case store::KeyClass::UpperCase:
    case store::KeyClass::None:
        break;
    }
    return {};
}

void NameRegisterPanel(StartupControls& c)
{
    NameControl(c.Pict[1], QStringLiteral("Registro"));
    NameControl(c.DicKod, QStringLiteral("Codice registro"),
                QStringLiteral("Invio cerca il registro; F4 o doppio clic apre la ricerca"));
    for (const store::RegisterFieldRow& field : store::RegisterFields()) {
        if (field.control != store::FieldControl::Text)
            continue;
        QLineEdit* control = c.Txt[std::size_t(field.index)];
        if (field.index == Field::Description)
            NameControl(control, QStringLiteral("Descrizione registro"));
        else
            NameControl(control, FieldName(field), FieldHint(field, control));
    }
    for (int k = 0; k < 3; ++k) {
        const QString reg = store::RegisterName(k);
        NameControl(c.lbData[k], reg + QStringLiteral(", periodo dal"),
                    k == 0 ? QStringLiteral("data nel formato giorno/mese/anno, gg/mm/aaaa")
                           : QStringLiteral("data nel formato giorno/mese/anno, gg/mm/aa"));
        NameControl(c.Combo1[k], reg + QStringLiteral(", periodo in mesi"),
                    QStringLiteral("durata del periodo, da 1 a 12 mesi"));
    }
    for (QPushButton* button : c.cmdD)
        runtime::NameButton(button);
    NameControl(c.List1, QStringLiteral("Elenco dei tipi documento"),
                QStringLiteral("Invio o doppio clic scrive il tipo scelto nel campo"));
    NameControl(c.Label1, c.Label1->text());
}

void NameHeaderPanel(StartupControls& c)
{
    NameControl(c.Pict[2], QStringLiteral("Testate"));
    for (int block = 0; block < 4; ++block)
        for (int line = 1; line <= Field::HeaderLinesPerBlock; ++line)
            NameControl(c.Txt[std::size_t(Field::HeaderLine(block, line))],
                        QStringLiteral("Testata %1 riga %2").arg(store::HeaderBlockName(block)).arg(line));
}

}  // namespace

void NameControls(StartupControls& c)
{
    NameRegisterPanel(c);
    NameHeaderPanel(c);
    if (c.Lista) {
        NameControl(c.Pict[0], QStringLiteral("Ricerca dei registri"));
        NameControl(c.CodTab, QStringLiteral("Ricerca per codice"),
                    QStringLiteral("l'elenco mostra i codici che iniziano così"));
        NameControl(c.DescTab, QStringLiteral("Ricerca per descrizione"),
                    QStringLiteral("l'elenco mostra le descrizioni che iniziano così"));
        for (QPushButton* button : c.cmd_r)
            runtime::NameButton(button);
        NameControl(c.Lista, QStringLiteral("Elenco dei registri trovati"),
                    QStringLiteral("Invio o doppio clic sceglie il registro"));
    }
    if (c.ListaStorico) {
        NameControl(c.PictStorico, QStringLiteral("Storico modifiche"));
        NameControl(c.ListaStorico, QStringLiteral("Elenco delle modifiche del registro"));
        runtime::NameButton(c.cmdStorico);
    }
}

}  // namespace screen::layout
