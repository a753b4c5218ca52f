// The numbered pages printed for the registers of a register set, as the
// change history records them: each print with its register, first and last
// page, who and when; a page printed again is a reprint.
#pragma once

#include "store/engine/engine.h"
#include "store/history/history_event.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace paper {

// The registers that have numbered pages, in the order of their header
// blocks (A, D, C, P).
enum class PageRegister { Arrivi = 0, Deposito = 1, Custodia = 2, Preavviso = 3 };
inline constexpr int PageRegisterCount = 4;

QString RegisterName(PageRegister reg);  // "ARRIVI" ...
// The register named (without regard to case), nothing for another name.
std::optional<PageRegister> RegisterNamed(const QString& name);
QStringList RegisterNames();

inline const QString PrintAction = store::HistoryEventActions().at(0);
inline const QString ReprintAction = store::HistoryEventActions().at(1);

// The most pages one print makes.
inline constexpr int MostPagesAtOnce = 5000;

struct PagePrint {
    qlonglong number = 0;  // its history number
    QDateTime when;        // UTC
    QString user;
    QString host;
    bool reprint = false;
    int first = 0;
    int last = 0;
};

// Every print of pages of `reg` of register set `code`, newest first. Throws
// the engine's error when the history cannot be read.
std::vector<PagePrint> EarlierPrints(store::Database& database, const QString& code, PageRegister reg);
// The prints that share a page with `first` to `last`.
std::vector<PagePrint> Overlapping(const std::vector<PagePrint>& prints, int first, int last);
// The page after the highest printed, 1 when none was.
int NextPage(const std::vector<PagePrint>& prints);
// The pages of `first` to `last` printed before.
std::vector<int> PrintedBefore(const std::vector<PagePrint>& prints, int first, int last);

// How a message names an earlier print: "pagine 1-10 stampate il 09/12/2026
// 10:15:00 da rossi@ufficio1 (storico n. 42)".
QString PrintText(const PagePrint& print);
// Why pages `first` to `last` of `reg` are refused (the earlier prints named);
// empty when none of them was printed.
QString OverlapText(const std::vector<PagePrint>& prints, PageRegister reg, int first, int last);
// What is wrong with a page range for the operator; empty when it is sound.
QString RangeProblem(int first, int last);

// Thrown by RecordPagePrint when pages of the range were printed elsewhere
// after the operator was shown the earlier prints: nothing is recorded.
struct PrintedMeanwhile {
    QString text;  // names that print, as OverlapText does
};

// Records the print of `first` to `last` of `reg` in the change history
// ("stampa pagine", or "ristampa pagine" when `reprint`). The history is read
// again first: a print of any of these pages that is not among `known` (the
// prints the decision was taken on; another workstation printed meanwhile)
// throws PrintedMeanwhile. Throws the engine's error when the history cannot
// be read or written.
void RecordPagePrint(store::Database& database, const QString& code, PageRegister reg, int first, int last,
                     bool reprint, const std::vector<PagePrint>& known = {});

}  // namespace paper
