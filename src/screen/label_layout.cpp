// The label array Label4: the captions of the register and header panels, a
// field's from the register-field table. No routine changes them after they
// are placed.
#include "screen/startup_layout.h"

#include "runtime/accessible_names.h"
#include "store/record/register_fields.h"
#include "store/record/screen_fields.h"
#include "store/schema/table_description.h"

#include <QHash>
#include <QLabel>
#include <QLineEdit>

#include <iterator>

namespace screen::layout {

namespace {

constexpr double LabelPoints = 9.75;

// Where a caption's text comes from: a field's caption in the register-field
// table, a register's or a header block's name, or the text given here for
// the captions that belong to no one field.
enum class From { Text, Field, Code, Register, HeaderBlock };

struct Caption {
    From from;
    int which;         // the Txt index, the register or the header block
    const char* text;  // From::Text only
    int panel;         // index into Pict
    int left;
    int top;
    bool bold;
};

namespace Field = store::Field;
constexpr Caption FieldCaption(int field, int left, int top)
{
    return {From::Field, field, nullptr, 1, left, top, false};
}
constexpr Caption TextCaption(const char* text, int panel, int left, int top, bool bold = false)
{
    return {From::Text, 0, text, panel, left, top, bold};
}

// Indexed by the Label4 index.
constexpr Caption Captions[] = {
    FieldCaption(Field::UltimoScarico, 7965, 5445),
    {From::Register, store::Deposito, nullptr, 1, 9090, 1035, true},
    FieldCaption(Field::Description, 3225, 585),
    {From::Code, 0, nullptr, 1, 450, 585, false},
    {From::Register, store::Custodia, nullptr, 1, 5085, 1035, true},
    {From::Register, store::Arrivi, nullptr, 1, 1440, 1035, true},
    FieldCaption(Field::Garanz(0), 135, 4635),
    {From::HeaderBlock, 0, nullptr, 2, 5130, 180, true},
    FieldCaption(Field::Serie(0), 1215, 1350),
    {From::HeaderBlock, 1, nullptr, 2, 5130, 1890, true},
    {From::HeaderBlock, 2, nullptr, 2, 5130, 3600, true},
    TextCaption("Intestazione Preavviso", 2, 270, 5310, true),
    TextCaption("Docum.", 1, 360, 2115),
    FieldCaption(Field::UltimoCarico, 8070, 5040),
    FieldCaption(Field::Serie(1), 5085, 1350),
    FieldCaption(Field::Garanz(1), 4005, 4635),
    FieldCaption(Field::MeccanogNum, 90, 7470),
    TextCaption("Preavviso trasmesso da", 2, 270, 6705, true),
    FieldCaption(Field::Cron(0), 1935, 1350),
    FieldCaption(Field::Cron(1), 5805, 1350),
    FieldCaption(Field::Riga(1), 4365, 4185),
    FieldCaption(Field::Riga(0), 495, 4185),
    TextCaption("Docum.", 1, 4230, 2115),
    FieldCaption(Field::Serie(2), 9090, 1350),
    FieldCaption(Field::Garanz(2), 7995, 4635),
    FieldCaption(Field::Cron(2), 9810, 1350),
    FieldCaption(Field::Riga(2), 8355, 4185),
    TextCaption("Docum.", 1, 8220, 2115),
    FieldCaption(Field::SiglUC, 4005, 6300),
    TextCaption("Periodi:", 1, 90, 6555, true),
    TextCaption("dal", 1, 4395, 6885),
    TextCaption("dal", 1, 525, 6885),
    FieldCaption(Field::MagNum, 8010, 5895),
    FieldCaption(Field::SiglUD, 7935, 6300),
    TextCaption("dal", 1, 8325, 6885),
    TextCaption("mesi", 1, 2370, 6885),
    TextCaption("mesi", 1, 6210, 6885),
    TextCaption("mesi", 1, 10125, 6885),
};

QString CaptionText(const Caption& caption)
{
    switch (caption.from) {
    case From::Field:
        return store::FieldOfText(caption.which)->caption;
    case From::Code:
        return store::FieldOfColumn(store::RegisterColumns::Code)->caption;
    case From::Register:
        return store::RegisterName(caption.which);
    case From::HeaderBlock:
        return store::HeaderBlockName(caption.which);
    case From::Text:
        break;
    }
    return QString::fromLatin1(caption.text);
}

static_assert(std::size(Captions) == DesignedCaptions);

// The block headings of the header panel are centred over 1425 twips.
constexpr int BlockHeadingWidth = 1425;
// "Autorizzazione Cod. meccanogr." is written on two lines in this width.
constexpr int TwoLineIndex = 16;
constexpr int TwoLineWidth = 1605;

}  // namespace

void BuildLabels(StartupControls& c)
{
    // "dal", "mesi", "Docum." and each register's field captions come three
    // times: each caption is measured once, bold and plain apart.
    QHash<QString, QSize> measured[2];
    for (int i = 0; i < int(std::size(Captions)); ++i) {
        const Caption& caption = Captions[i];
        const bool blockHeading = i == 7 || i == 9 || i == 10;
        const int width = blockHeading ? BlockHeadingWidth : 0;
        const QString text = CaptionText(caption);
        const Qt::Alignment alignment = blockHeading ? Qt::AlignHCenter : Qt::AlignLeft;
        QSize& size = measured[caption.bold][QString::number(int(alignment)) + QLatin1Char(' ') + text];
        QLabel* label = MakeLabel(c.Pict[caption.panel], QStringLiteral("Label4(%1)").arg(i), text,
                                  caption.left, caption.top, SansFont(LabelPoints, caption.bold), width,
                                  alignment, size);
        if (!size.isValid())
            size = label->sizeHint();  // kept by the label: asking again measures nothing
        if (i == TwoLineIndex) {
            label->setWordWrap(true);
            const int px = Twips(TwoLineWidth);
            label->setGeometry(label->x(), label->y(), px, label->heightForWidth(px));
        }
        c.Label4[i] = label;
        // A caption that names one field is its label for a screen reader.
        if (caption.from == From::Field)
            runtime::LabelControl(label, c.Txt[std::size_t(caption.which)]);
        else if (caption.from == From::Code)
            runtime::LabelControl(label, c.DicKod);
    }
}

}  // namespace screen::layout
