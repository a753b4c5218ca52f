// The header panel Pict(2): the twenty header lines of a register set in four
// blocks (ARRIVI, DEPOSITO, CUSTODIA, pre-advice) and the panel's two buttons.
#include "screen/startup_layout.h"

#include <QLineEdit>
#include <QPushButton>

namespace screen::layout {

namespace {

namespace Field = store::Field;

// Header lines start at this left edge of the panel.
constexpr int LineLeft = 85;

struct Block {
    int first;        // index of the block's first line
    int count;
    int firstTop;     // top of the first line; the others follow every 270 twips
    int width;
    int height;
    int maxLength;
    double points;
};

// The blocks in their order on the panel (not the column order of the
// register panel).
constexpr Block Blocks[] = {
    {Field::HeaderLine(0, 1), 5, 450, 11415, 315, 160, 8.25},    // ARRIVI
    {Field::HeaderLine(1, 1), 5, 2160, 11415, 315, 160, 8.25},   // DEPOSITO
    {Field::HeaderLine(2, 1), 5, 3870, 11415, 315, 160, 8.25},  // CUSTODIA
    {Field::HeaderLine(3, 1), 4, 5580, 11010, 315, 80, 11.25},  // pre-advice heading
    {Field::HeaderLine(3, 5), 1, 6975, 11010, 375, 80, 11.25},  // pre-advice sender
};
constexpr int LineStep = 270;

}  // namespace

void BuildHeaderPanel(StartupControls& c)
{
    QWidget* panel = c.Pict[2];
    for (const Block& block : Blocks) {
        for (int n = 0; n < block.count; ++n) {
            const int index = block.first + n;
            QLineEdit* line = MakeField(panel, QStringLiteral("Txt(%1)").arg(index), LineLeft,
                                        block.firstTop + LineStep * n, block.width,
                                        block.height, block.maxLength, Qt::AlignLeft,
                                        FixedFont(block.points));
            QPalette palette = line->palette();
            palette.setColor(QPalette::Base, Qt::white);
            line->setPalette(palette);
            c.Txt[index] = line;
        }
    }
    c.cmdD[CmdD::ConfermaTestata] = MakeButton(panel, QStringLiteral("cmdD(5)"),
                                               QStringLiteral("&CONFERMA"), 8550, 45, 1455, 375);
    c.cmdD[CmdD::AnnullaTestata] = MakeButton(panel, QStringLiteral("cmdD(6)"),
                                              QStringLiteral("&ANNULLA"), 9990, 45, 1455, 375);
}

}  // namespace screen::layout
