// The register panel Pict(1): the top band (mode title, version, code and
// description), the three register columns ARRIVI, CUSTODIA and DEPOSITO, the
// single fields beside them, the periods row, the buttons, the document-type
// list and the rules that frame the columns.
#include "screen/startup_layout.h"

#include "runtime/accessible_names.h"
#include "store/record/register_fields.h"

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace screen::layout {

namespace {

namespace Field = store::Field;

// Every field of the register panel is this tall.
constexpr int FieldHeight = 375;
constexpr double FieldPoints = 11.25;

const QColor TitleText(0, 0, 128);
const QColor TitleBack(128, 255, 128);

QString Indexed(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

void SetBase(QLineEdit* field, const QColor& colour)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);  // every colour group, disabled included
    field->setPalette(palette);
}

// A field of the register table: its length is the register-field table's.
void MakeTxt(StartupControls& c, int index, int left, int top, int width, Qt::Alignment alignment)
{
    // The field table was checked at start-up; a layout that names an index
    // twice or past the array stops here rather than replace another control.
    if (index < 0 || std::size_t(index) >= c.Txt.size() || c.Txt[std::size_t(index)] || !store::FieldOfText(index))
        qFatal("Txt(%d) è posto due volte, è fuori dai controlli o non ha la sua riga nella tabella dei campi",
               index);
    c.Txt[std::size_t(index)] = MakeField(c.Pict[1], Indexed("Txt", index), left, top, width, FieldHeight,
                             store::FieldOfText(index)->length, alignment, FixedFont(FieldPoints));
}

// A single field added after the designed ones (past MeccanogCin), with its
// caption from the register-field table at (captionLeft, captionTop): the
// caption is Label4(DesignedCaptions + n) for the n-th added field.
[[maybe_unused]] void MakeTxt(StartupControls& c, int index, int left, int top, int width,
                              Qt::Alignment alignment, int captionLeft, int captionTop)
{
    const int label = DesignedCaptions + index - Field::MeccanogCin - 1;
    if (index <= Field::MeccanogCin || label >= int(c.Label4.size()))
        qFatal("Txt(%d) non è un campo aggiunto: la sua didascalia è fra quelle disegnate", index);
    MakeTxt(c, index, left, top, width, alignment);
    c.Label4[std::size_t(label)] = MakeLabel(c.Pict[1], Indexed("Label4", label), store::FieldOfText(index)->caption,
                                             captionLeft, captionTop, SansFont(9.75));
    runtime::LabelControl(c.Label4[std::size_t(label)], c.Txt[std::size_t(index)]);
}

void BuildTopBand(StartupControls& c)
{
    QWidget* panel = c.Pict[1];

    c.Label1 = MakeSizedLabel(panel, QStringLiteral("Label1"),
                              QStringLiteral("GESTIONE REGISTRI PROCEDURA SEMPLIFICATA"), 480, 90, 7920,
                              300, SansFont(12, true), Qt::AlignHCenter);
    QPalette title = c.Label1->palette();
    title.setColor(QPalette::WindowText, TitleText);
    c.Label1->setPalette(title);
    FillBackground(c.Label1, TitleBack);

    c.lbVer = MakeSizedLabel(panel, QStringLiteral("lbVer"), QStringLiteral("Vers."), 9495, 135, 1905, 257,
                             SansFont(8.25), Qt::AlignHCenter);
    QPalette version = c.lbVer->palette();
    version.setColor(QPalette::WindowText, TitleText);
    c.lbVer->setPalette(version);

    c.DicKod = MakeField(panel, QStringLiteral("DicKod"), 1215, 495, 1635, FieldHeight,
                         store::FieldOfColumn(store::RegisterColumns::Code)->length,
                         Qt::AlignLeft, FixedFont(FieldPoints, true));
    SetBase(c.DicKod, DocTypeColour);

    MakeTxt(c, Field::Description, 4410, 495, 4470, Qt::AlignLeft);
    SetBase(c.Txt[Field::Description], Qt::white);
}

// One register column: series and last chronological number, five pairs of
// document type and number, row and guarantee amount.
void BuildColumn(StartupControls& c, int k, int left, int numberLeft)
{
    MakeTxt(c, Field::Serie(k), left, 1620, 465, Qt::AlignLeft);
    MakeTxt(c, Field::Cron(k), numberLeft, 1620, 1000, Qt::AlignRight);
    for (int n = 0; n < Field::WorkPositions; ++n) {
        const int top = 2025 + 405 * n;
        MakeTxt(c, Field::WorkSerie(k, n), left, top, 600, Qt::AlignLeft);
        SetBase(c.Txt[Field::WorkSerie(k, n)], DocTypeColour);
        MakeTxt(c, Field::WorkCron(k, n), numberLeft, top, 1000, Qt::AlignRight);
    }
    MakeTxt(c, Field::Riga(k), left, 4095, 1000, Qt::AlignRight);
    MakeTxt(c, Field::Garanz(k), left, 4545, 2310, Qt::AlignRight);
}

void BuildColumns(StartupControls& c)
{
    BuildColumn(c, store::Arrivi, 1215, 1875);
    BuildColumn(c, store::Custodia, 5085, 5745);
    BuildColumn(c, store::Deposito, 9075, 9750);

    // The CUSTODIA document types copy those of ARRIVI; the first four are
    // never typed into. The fifth stays enabled like every other field.
    for (int n = 0; n < Field::DisabledCustodyWorkSeries; ++n)
        c.Txt[Field::WorkSerie(store::Custodia, n)]->setEnabled(false);
}

void BuildSingleFields(StartupControls& c)
{
    MakeTxt(c, Field::UltimoCarico, 9075, 4965, 1000, Qt::AlignRight);   // last load number
    MakeTxt(c, Field::UltimoScarico, 9075, 5370, 1000, Qt::AlignRight);   // last unload number
    MakeTxt(c, Field::MagNum, 9075, 5805, 1005, Qt::AlignRight);   // warehouse number
    MakeTxt(c, Field::MagCin, 10080, 5805, 340, Qt::AlignHCenter); // its check character
    MakeTxt(c, Field::SiglUC, 5535, 6255, 600, Qt::AlignLeft);     // exit abbreviation, CUSTODIA
    MakeTxt(c, Field::SiglUD, 9480, 6255, 600, Qt::AlignLeft);     // exit abbreviation, DEPOSITO
    MakeTxt(c, Field::MeccanogNum, 1815, 7560, 940, Qt::AlignRight);    // authorisation number
    MakeTxt(c, Field::MeccanogCin, 2745, 7560, 330, Qt::AlignHCenter);  // its check character
    SetBase(c.Txt[Field::SiglUC], DocTypeColour);
    SetBase(c.Txt[Field::SiglUD], DocTypeColour);
}

// The period of each register: the start date and the length in months.
void BuildPeriods(StartupControls& c)
{
    constexpr int PickerLeft[3] = {900, 4785, 8730};
    constexpr int ListLeft[3] = {2865, 6690, 10635};
    constexpr int Top = 6825;
    const QDate first(2000, 1, 1);
    const QDate last(2099, 12, 31);

    for (int i = 0; i < 3; ++i) {
        auto* picker = new QDateEdit(c.Pict[1]);
        picker->setObjectName(Indexed("lbData", i));
        picker->setFont(SansFont(9.75));
        picker->setDateRange(first, last);
        picker->setCalendarPopup(false);
        // Italian dates whatever the locale; ARRIVI with the whole year.
        picker->setDisplayFormat(i == 0 ? QStringLiteral("dd/MM/yyyy") : QStringLiteral("dd/MM/yy"));
        Place(picker, PickerLeft[i], Top, 1350, FieldHeight);
        c.lbData[i] = picker;

        auto* months = new QComboBox(c.Pict[1]);
        months->setObjectName(Indexed("Combo1", i));
        months->setEditable(false);
        months->setFont(FixedFont(FieldPoints));
        Place(months, ListLeft[i], Top, 660, FieldHeight);
        c.Combo1[i] = months;
    }
}

void BuildButtons(StartupControls& c)
{
    struct Button {
        int index;
        const char* caption;
        int left;
    };
    static constexpr Button Buttons[] = {
        {CmdD::Conferma, "&CONFERMA", 3510}, {CmdD::Annulla, "&ANNULLA", 5040},
        {CmdD::Elimina, "&ELIMINA", 6570},   {CmdD::Testate, "&TESTATE", 8100},
        {CmdD::Uscita, "&USCITA", 9630},
    };
    for (const Button& b : Buttons) {
        c.cmdD[b.index] = MakeButton(c.Pict[1], Indexed("cmdD", b.index),
                                     QString::fromLatin1(b.caption), b.left, 7530, 1545, 420);
    }
}

void BuildDocTypeList(StartupControls& c)
{
    auto* list = new QListView(c.Pict[1]);
    list->setObjectName(QStringLiteral("List1"));
    list->setFont(FixedFont(9.75));
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    Place(list, 1530, 5445, 5440, 300);
    c.List1 = list;
}

void BuildRules(StartupControls& c)
{
    QWidget* panel = c.Pict[1];
    c.Line1[1] = MakeLine(panel, Indexed("Line1", 1), 0, 945, 11565, 945);
    c.Line1[0] = MakeLine(panel, Indexed("Line1", 0), 0, 1305, 11565, 1305);
    c.Line1[2] = MakeLine(panel, Indexed("Line1", 2), 0, 7290, 11565, 7290);
    c.Line1[3] = MakeLine(panel, Indexed("Line1", 3), 1005, 6705, 11570, 6705);
    c.Line2[0] = MakeLine(panel, Indexed("Line2", 0), 3735, 945, 3735, 7290);
    c.Line2[1] = MakeLine(panel, Indexed("Line2", 1), 7605, 945, 7605, 7290);
}

}  // namespace

void BuildRegisterPanel(StartupControls& c)
{
    BuildRules(c);
    BuildTopBand(c);
    BuildColumns(c);
    BuildSingleFields(c);
    BuildPeriods(c);
    BuildButtons(c);
    // Created last so that, once shown, it lies over the fields it drops below.
    BuildDocTypeList(c);
}

}  // namespace screen::layout
