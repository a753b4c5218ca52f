// The load an office server holds: N workstations (32 by default), each on its
// own connection and thread, look up one of a few register sets and confirm a
// change of its description as the window does (store::RegisterSet: the
// lookup, then the change in one statement, the full transaction of
// store::WriteRegister when the row changed meanwhile), again and again for a
// bounded time; with "full", every confirm through the full transaction. A
// change made meanwhile elsewhere is told (and answered "No", as a careful
// operator would, then looked up again). Prints commits, conflicts told,
// errors, the median, 99th percentile and longest commit latency, the history
// rows against the committed changes, and the lost updates: committed changes
// whose "before" in the history differs from what that workstation had read.
//
//   server_load [workstations] [seconds] [full]
#include "bench_server.h"
#include "bench_timing.h"
#include "store/tables/company_open.h"
#include "store/registers/register_save.h"
#include "store/registers/register_set.h"
#include "store/record/screen_values.h"
#include "store/tables/tables.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

constexpr int RegisterSets = 3;
constexpr double P99TargetMs = 50;

// What the boxes of one workstation were asked.
class CountingBoxes : public store::MessageBoxes {
public:
    int MsgBox(const QString& prompt, int code, const QString&) override
    {
        if (code == store::BoxCode::YesNoExclaimNoDefault) {
            ++conflicts;
            return store::BoxAnswer::No;
        }
        ++errors;
        lastError = prompt;
        return code == store::BoxCode::RetryCancelExclaim ? store::BoxAnswer::Cancel : store::BoxAnswer::Ok;
    }
    int conflicts = 0;
    int errors = 0;
    QString lastError;
};

// A committed change: the value the workstation read and the one it wrote.
struct Committed {
    QString code, read, wrote;
};

struct Totals {
    std::mutex lock;
    std::vector<double> latencies;
    std::vector<Committed> committed;
    int conflicts = 0, errors = 0;
    QString lastError;
};

void Workstation(int number, const QString& conninfo, bool full, qint64 untilMs, const QElapsedTimer& clock,
                 Totals& totals)
{
    CountingBoxes boxes;
    std::vector<double> latencies;
    std::vector<Committed> committed;
    try {
        store::CompanyDatabase db(store::openServerDatabase(conninfo, QStringLiteral("DEMO")));
        store::AskOnLostConnection(*db.database, boxes);
        store::OpenRegisterTable(db, boxes);
        store::OpenHeaderTable(db, boxes);
        store::OpenHistoryTable(db, boxes);
        store::RegisterSet set(db);
        for (int change = 0; clock.elapsed() < untilMs; ++change) {
            const QString code = QStringLiteral("R%1").arg((number + change) % RegisterSets, 6, 10, QLatin1Char('0'));
            // The lookup, as the window does it; the screen shows the set.
            if (set.lookUp(code, boxes) != store::LookupResult::Found)
                continue;
            set.shown.screen = store::RegisterToScreen(set.record);
            const QString read = set.record.SspDescrizione;
            store::ScreenValues screen = *set.shown.screen;
            const QString wrote = QStringLiteral("W%1-%2").arg(number).arg(change);
            screen.Txt[1] = wrote;
            QElapsedTimer timer;
            timer.start();
            const bool written = full
                ? store::WriteRegister(db, screen, set.record, set.shown, set.headerLines(), boxes)
                : set.write(screen, set.headerLines(), boxes);
            if (written) {
                latencies.push_back(double(timer.nsecsElapsed()) / 1e6);
                committed.push_back({code, read, wrote});
            }
        }
    } catch (const store::EngineError& error) {
        ++boxes.errors;
        boxes.lastError = error.description();
    }
    std::lock_guard<std::mutex> guard(totals.lock);
    totals.latencies.insert(totals.latencies.end(), latencies.begin(), latencies.end());
    totals.committed.insert(totals.committed.end(), committed.begin(), committed.end());
    totals.conflicts += boxes.conflicts;
    totals.errors += boxes.errors;
    if (!boxes.lastError.isEmpty())
        totals.lastError = boxes.lastError;
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(fraction * double(values.size())))];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int workstations = argc > 1 ? std::max(1, atoi(argv[1])) : 32;
    const int seconds = argc > 2 ? std::max(1, atoi(argv[2])) : 10;
    const bool full = argc > 3 && qstrcmp(argv[3], "full") == 0;

    BenchServer server;
    QTemporaryDir data;
    server.seed(data.path(), QStringLiteral("DEMO"), RegisterSets);

    Totals totals;
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> threads;
    for (int n = 0; n < workstations; ++n)
        threads.emplace_back(Workstation, n, server.conninfo(), full, qint64(seconds) * 1000, std::cref(clock),
                             std::ref(totals));
    for (std::thread& t : threads)
        t.join();

    // The history of the description, change by change: what each committed
    // change found before it ("StoPrima") against what its workstation read.
    QHash<QString, QString> beforeOf;  // by the value written
    int historyRows = 0;
    {
        auto db = store::openServerDatabase(server.conninfo(), QStringLiteral("DEMO"));
        auto history = db->openSnapshot(store::HistoryTable);
        for (; !history->atEnd(); history->moveNext()) {
            const QString after = history->field(QStringLiteral("StoDopo")).toString();
            if (history->field(QStringLiteral("StoColonna")).toString() != QStringLiteral("SspDescrizione") ||
                !after.startsWith(QLatin1Char('W')))
                continue;
            ++historyRows;
            beforeOf.insert(after, history->field(QStringLiteral("StoPrima")).toString());
        }
    }
    int lost = 0, unrecorded = 0;
    for (const Committed& c : totals.committed) {
        const auto found = beforeOf.constFind(c.wrote);
        if (found == beforeOf.constEnd())
            ++unrecorded;
        else if (*found != c.read)
            ++lost;
    }

    const double p50 = Percentile(totals.latencies, 0.5), p99 = Percentile(totals.latencies, 0.99);
    std::printf("%d workstations, %d register sets, %d s, the local socket; each workstation looks\n"
                "up a register set and confirms a new description %s, a\n"
                "change made meanwhile elsewhere answered \"No\".\n\n",
                workstations, RegisterSets, seconds,
                full ? "through the full transaction (WriteRegister)" : "as the window does (RegisterSet)");
    std::printf("commits:          %zu (%.0f a second)\n", totals.committed.size(),
                double(totals.committed.size()) / seconds);
    std::printf("conflicts told:   %d\n", totals.conflicts);
    std::printf("errors:           %d%s%s\n", totals.errors, totals.lastError.isEmpty() ? "" : "  last: ",
                qPrintable(totals.lastError.simplified()));
    std::printf("commit latency:   p50 %.2f ms, p99 %.2f ms, longest %.2f ms\n", p50, p99,
                Percentile(totals.latencies, 1.0));
    std::printf("history rows:     %d for %zu committed changes (%d without one)\n", historyRows,
                totals.committed.size(), unrecorded);
    std::printf("lost updates: %d\n", lost);
    const bool met = lost == 0 && totals.errors == 0 && p99 < P99TargetMs;
    std::printf("\nTarget: lost updates 0, no error, p99 under %.0f ms: %s\n", P99TargetMs, met ? "met" : "not met");
    return 0;
}
