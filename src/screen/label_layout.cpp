// The label array Label4: the captions of the register and header panels.
// No routine changes them after they are placed.
#include "screen/startup_layout.h"

#include <QLabel>

#include <iterator>

namespace screen::layout {

namespace {

constexpr double LabelPoints = 9.75;

struct Caption {
    const char* text;
    int panel;  // index into Pict
    int left;
    int top;
    bool bold;
};

// Indexed by the Label4 index.
constexpr Caption Captions[] = {
    {"Ult. Scarico", 1, 7965, 5445, false},
    {"DEPOSITO", 1, 9090, 1035, true},
    {"Descrizione", 1, 3225, 585, false},
    {"Codice", 1, 450, 585, false},
    {"CUSTODIA", 1, 5085, 1035, true},
    {"ARRIVI", 1, 1440, 1035, true},
    {"Garanzia", 1, 135, 4635, false},
    {"ARRIVI", 2, 5130, 180, true},
    {"Serie", 1, 1215, 1350, false},
    {"DEPOSITO", 2, 5130, 1890, true},
    {"CUSTODIA", 2, 5130, 3600, true},
    {"Intestazione Preavviso", 2, 270, 5310, true},
    {"Docum.", 1, 360, 2115, false},
    {"Ult. Carico", 1, 8070, 5040, false},
    {"Serie", 1, 5085, 1350, false},
    {"Garanzia", 1, 4005, 4635, false},
    {"Autorizzazione Cod. meccanogr.", 1, 90, 7470, false},
    {"Preavviso trasmesso da", 2, 270, 6705, true},
    {"Ult. Cronol.", 1, 1935, 1350, false},
    {"Ult. Cronol.", 1, 5805, 1350, false},
    {"Riga", 1, 4365, 4185, false},
    {"Riga", 1, 495, 4185, false},
    {"Docum.", 1, 4230, 2115, false},
    {"Serie", 1, 9090, 1350, false},
    {"Garanzia", 1, 7995, 4635, false},
    {"Ult. Cronol.", 1, 9810, 1350, false},
    {"Riga", 1, 8355, 4185, false},
    {"Docum.", 1, 8220, 2115, false},
    {"Sigla per uscita", 1, 4005, 6300, false},
    {"Periodi:", 1, 90, 6555, true},
    {"dal", 1, 4395, 6885, false},
    {"dal", 1, 525, 6885, false},
    {"Magazzino", 1, 8010, 5895, false},
    {"Sigla per uscita", 1, 7935, 6300, false},
    {"dal", 1, 8325, 6885, false},
    {"mesi", 1, 2370, 6885, false},
    {"mesi", 1, 6210, 6885, false},
    {"mesi", 1, 10125, 6885, false},
};

static_assert(std::size(Captions) == std::tuple_size_v<decltype(StartupControls::Label4)>);

// The block headings of the header panel are centred over 1425 twips.
constexpr int BlockHeadingWidth = 1425;
// "Autorizzazione Cod. meccanogr." is written on two lines in this width.
constexpr int TwoLineIndex = 16;
constexpr int TwoLineWidth = 1605;

}  // namespace

void BuildLabels(StartupControls& c)
{
    for (int i = 0; i < int(std::size(Captions)); ++i) {
        const Caption& caption = Captions[i];
        const bool blockHeading = i == 7 || i == 9 || i == 10;
        const int width = blockHeading ? BlockHeadingWidth : 0;
        QLabel* label = MakeLabel(c.Pict[caption.panel], QStringLiteral("Label4(%1)").arg(i),
                                  QString::fromLatin1(caption.text), caption.left, caption.top,
                                  SansFont(LabelPoints, caption.bold), width,
                                  blockHeading ? Qt::AlignHCenter : Qt::AlignLeft);
        if (i == TwoLineIndex) {
            label->setWordWrap(true);
            const int px = Twips(TwoLineWidth);
            label->setGeometry(label->x(), label->y(), px, label->heightForWidth(px));
        }
        c.Label4[i] = label;
    }
}

}  // namespace screen::layout
