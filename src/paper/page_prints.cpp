// Reading and recording the prints of numbered register pages in the change
// history.
#include "paper/page_prints.h"

#include "store/history/history_event.h"
#include "store/history/history_reader.h"
#include "store/record/register_fields.h"

#include <algorithm>

namespace paper {

QString RegisterName(PageRegister reg)
{
    // The pages follow the header blocks' order.
    return store::HeaderBlockName(int(reg));
}

QStringList RegisterNames()
{
    QStringList names;
    for (int r = 0; r < PageRegisterCount; ++r)
        names << RegisterName(PageRegister(r));
    return names;
}

std::optional<PageRegister> RegisterNamed(const QString& name)
{
    for (int r = 0; r < PageRegisterCount; ++r)
        if (name.trimmed().compare(RegisterName(PageRegister(r)), Qt::CaseInsensitive) == 0)
            return PageRegister(r);
    return std::nullopt;
}

std::vector<PagePrint> EarlierPrints(store::Database& database, const QString& code, PageRegister reg)
{
    std::vector<PagePrint> prints;
    const QString name = RegisterName(reg);
    for (const store::Change& change : store::ReadHistory(database, code)) {
        const bool reprint = change.action == ReprintAction;
        if (change.action != PrintAction && !reprint)
            continue;
        for (const store::ColumnChange& column : change.columns) {
            if (column.column != name)
                continue;
            bool firstRead = false;
            bool lastRead = false;
            const int first = column.before.toString().toInt(&firstRead);
            const int last = column.after.toString().toInt(&lastRead);
            if (firstRead && lastRead)
                prints.push_back({change.number, change.when, change.user, change.host, reprint, first, last});
        }
    }
    return prints;
}

std::vector<PagePrint> Overlapping(const std::vector<PagePrint>& prints, int first, int last)
{
    std::vector<PagePrint> shared;
    for (const PagePrint& print : prints)
        if (print.first <= last && first <= print.last)
            shared.push_back(print);
    return shared;
}

int NextPage(const std::vector<PagePrint>& prints)
{
    int highest = 0;
    for (const PagePrint& print : prints)
        highest = std::max(highest, print.last);
    return highest + 1;
}

std::vector<int> PrintedBefore(const std::vector<PagePrint>& prints, int first, int last)
{
    std::vector<int> pages;
    for (int page = first; page <= last; ++page)
        if (std::any_of(prints.begin(), prints.end(),
                        [page](const PagePrint& p) { return p.first <= page && page <= p.last; }))
            pages.push_back(page);
    return pages;
}

QString PrintText(const PagePrint& print)
{
    const QString pages = print.first == print.last ? QStringLiteral("pagina %1").arg(print.first)
                                                    : QStringLiteral("pagine %1-%2").arg(print.first).arg(print.last);
    const QString verb = print.first == print.last ? (print.reprint ? QStringLiteral("ristampata") : QStringLiteral("stampata"))
                                                   : (print.reprint ? QStringLiteral("ristampate") : QStringLiteral("stampate"));
    return QStringLiteral("%1 %2 il %3 da %4@%5 (storico n. %6)")
        .arg(pages, verb, store::ShownTime(print.when), print.user, print.host)
        .arg(print.number);
}

QString OverlapText(const std::vector<PagePrint>& prints, PageRegister reg, int first, int last)
{
    const std::vector<PagePrint> shared = Overlapping(prints, first, last);
    if (shared.empty())
        return {};
    QStringList earlier;
    for (const PagePrint& print : shared)
        earlier << PrintText(print);
    return QStringLiteral("PAGINE GIA' STAMPATE DEL REGISTRO %1: %2")
        .arg(RegisterName(reg), earlier.join(QStringLiteral("; ")));
}

QString RangeProblem(int first, int last)
{
    if (first < 1)
        return QStringLiteral("la prima pagina deve essere almeno 1");
    if (last < first)
        return QStringLiteral("l'ultima pagina (%1) viene prima della prima (%2)").arg(last).arg(first);
    if (qlonglong(last) - first + 1 > MostPagesAtOnce)
        return QStringLiteral("al massimo %1 pagine per stampa").arg(MostPagesAtOnce);
    return {};
}

void RecordPagePrint(store::Database& database, const QString& code, PageRegister reg, int first, int last,
                     bool reprint, const std::vector<PagePrint>& known)
{
    std::vector<PagePrint> meanwhile;
    for (const PagePrint& print : Overlapping(EarlierPrints(database, code, reg), first, last))
        if (std::none_of(known.begin(), known.end(), [&](const PagePrint& k) { return k.number == print.number; }))
            meanwhile.push_back(print);
    if (!meanwhile.empty())
        throw PrintedMeanwhile{OverlapText(meanwhile, reg, first, last)};
    store::RecordHistoryEvent(database, {code, reprint ? ReprintAction : PrintAction, RegisterName(reg),
                                         store::Value(first), store::Value(last)});
}

}  // namespace paper
