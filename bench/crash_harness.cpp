// Kills a process that is saving register sets and header lines, at random
// moments, and checks the company file after each kill: the file passes
// SQLite's integrity check, and every register row and header row is wholly
// the version committed last or wholly the one being written, never a mix.
// The child saves through the register set as the window does
// (store::RegisterSet: its lookup, then WriteRegister or WriteHeader). Prints
// kills, kills inside a write, damaged files and torn rows.
// Usage: crash_harness [kills, default 1000] [folder, default a temporary one]
#include "company/company_file.h"
#include "store/registers/header_lines.h"
#include "store/registers/register_set.h"
#include "store/registers/write_conflicts.h"

#include <sqlite3.h>

#include <QLocale>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <random>

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The register sets the child cycles through.
constexpr int Codes = 6;
// A kill comes after a random wait of up to this many microseconds: a few
// synced commits (each takes some milliseconds), so kills fall before, inside
// and between writes.
constexpr int MaxWaitMicroseconds = 120000;

QString CodeOf(int i)
{
    return QStringLiteral("K%1").arg(i);
}

// What the child tells the parent, in memory both share. A generation is
// "pending" from just before its write begins until it is committed.
struct Shared {
    std::atomic<int> writing;  // 1 while a write (register or header) is under way
    std::atomic<int> writes;   // writes committed since the start
    std::atomic<int> committedRow[Codes];
    std::atomic<int> pendingRow[Codes];
    std::atomic<int> committedHeader[Codes];
    std::atomic<int> pendingHeader[Codes];
};

// Every field of generation g carries g, so a row mixing two writes shows.
store::RegisterRecord RecordOf(const QString& code, int g)
{
    store::RegisterRecord r;
    r.SspCodice = code;
    r.SspDescrizione = QStringLiteral("GENERAZIONE %1").arg(g);
    for (int k = 0; k < 3; ++k) {
        auto& reg = r.Registers[k];
        reg.Serie = QStringLiteral("%1").arg(g % 100, 2, 10, QLatin1Char('0'));
        reg.Cron = g;
        reg.Riga = g + k;
        reg.Garanz = g + 0.5;
        reg.Periodo = std::int16_t(g % 12 + 1);
        reg.Data = 36526 + g % 5000;
        for (int n = 0; n < 5; ++n) {
            reg.WkSerie[n] = QStringLiteral("%1").arg(g % 1000, 3, 10, QLatin1Char('0'));
            reg.WkCron[n] = g + n;
        }
    }
    r.SspUltimoCarico = g;
    r.SspUltimoScarico = g;
    r.SspMagNum = QStringLiteral("%1").arg(g % 1000000, 6, 10, QLatin1Char('0'));
    r.SspMagCin = QString::number(g % 10);
    r.SspMeccanogNum = g;
    r.SspMeccanogCin = QString::number(g % 10);
    r.SspSiglUC = QStringLiteral("%1").arg(g % 1000, 3, 10, QLatin1Char('0'));
    r.SspSiglUD = r.SspSiglUC;
    return r;
}

store::ScreenValues ScreenOf(const store::RegisterRecord& record)
{
    store::ScreenValues screen = store::RegisterToScreen(record);
    for (int k = 0; k < 3; ++k) {
        screen.comboText[k] = QString::number(record.Registers[k].Periodo);
        screen.pickerText[k] = screen.pickerDate[k].toString();
    }
    return screen;
}

store::HeaderLines HeaderOf(int g)
{
    store::HeaderLines lines;
    for (int i = 2; i <= 21; ++i)
        lines[i] = QStringLiteral("GENERAZIONE %1 RIGA %2").arg(g).arg(i);
    return lines;
}

// Answers every box with No (nothing is written over) and counts them.
class CountingBoxes : public store::MessageBoxes {
public:
    int MsgBox(const QString&, int, const QString&) override
    {
        ++shown;
        return store::BoxAnswer::No;
    }
    int shown = 0;
};

struct Session {
    explicit Session(const QString& path) : db(store::openDatabase(path))
    {
        store::OpenRegisterTable(db, boxes);
        store::OpenHeaderTable(db, boxes);
    }
    CountingBoxes boxes;
    store::CompanyDatabase db;
};

// One register set written whole at generation g, and its header lines.
bool Save(Session& s, const QString& code, int g, bool header)
{
    store::RegisterSet set(s.db);
    if (set.lookUp(code, s.boxes) == store::LookupResult::Failed)
        return false;
    if (header)
        return set.writeHeader(HeaderOf(g), s.boxes);
    set.record = RecordOf(code, 0);
    return set.write(ScreenOf(RecordOf(code, g)), store::BlankHeaderLines(), s.boxes);
}

[[noreturn]] void RunChild(const QString& path, Shared* shared, unsigned seed)
{
    Session s(path);
    std::mt19937 random(seed);
    for (;;) {
        const int i = int(random() % Codes);
        const bool header = random() % 2 == 0;
        std::atomic<int>& pending = header ? shared->pendingHeader[i] : shared->pendingRow[i];
        std::atomic<int>& committed = header ? shared->committedHeader[i] : shared->committedRow[i];
        const int g = std::max(pending.load(), committed.load()) + 1;
        pending = g;
        shared->writing = 1;
        const bool ok = Save(s, CodeOf(i), g, header);
        if (ok)
            committed = g;
        shared->writing = 0;
        if (ok)
            ++shared->writes;
        else
            pending = committed.load();
    }
}

// The file's own check: "ok" or the first problem.
QString IntegrityCheck(const QString& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const QString error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close_v2(db);
        return error;
    }
    sqlite3_stmt* stmt = nullptr;
    QString result = QStringLiteral("no answer");
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    else
        result = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    return result;
}

// Rows that are not wholly one of the two generations the child may have left.
int TornRows(const QString& path, const Shared& shared)
{
    int torn = 0;
    Session s(path);
    for (int i = 0; i < Codes; ++i) {
        const auto row = store::StoredRegister(*s.db.RegisterCursor, CodeOf(i));
        const int old = shared.committedRow[i], pending = shared.pendingRow[i];
        if (!row || (*row != RecordOf(CodeOf(i), old) && *row != RecordOf(CodeOf(i), pending))) {
            std::printf("  torn register row: %s\n", qPrintable(CodeOf(i)));
            ++torn;
        }
        const auto header = store::StoredHeader(*s.db.HeaderCursor, CodeOf(i));
        const int oldH = shared.committedHeader[i], pendingH = shared.pendingHeader[i];
        const bool none = !header && oldH == 0;
        if (!none && (!header || (*header != store::StoredForm(HeaderOf(oldH)) &&
                                  *header != store::StoredForm(HeaderOf(pendingH))))) {
            std::printf("  torn header row: %s\n", qPrintable(CodeOf(i)));
            ++torn;
        }
    }
    return torn;
}

}  // namespace

int main(int argc, char** argv)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    const int kills = argc > 1 ? std::atoi(argv[1]) : 1000;
    QTemporaryDir temp(argc > 2 ? QString::fromLocal8Bit(argv[2]) + "/crash-XXXXXX" : QString());
    const QString path = temp.filePath(QStringLiteral("CRASH/quelda.mdb"));
    if (const QString error = company::file::CreateCompanyDatabase(path); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    auto* shared = static_cast<Shared*>(
        mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    new (shared) Shared{};
    {
        // Generation 1 of every set, written here; it also proves the round trip
        // of a generation through the screen values and back.
        Session s(path);
        for (int i = 0; i < Codes; ++i) {
            if (!Save(s, CodeOf(i), 1, false) ||
                store::StoredRegister(*s.db.RegisterCursor, CodeOf(i)) != RecordOf(CodeOf(i), 1)) {
                std::fprintf(stderr, "generation 1 of %s does not read back the same\n", qPrintable(CodeOf(i)));
                return 1;
            }
            shared->committedRow[i] = shared->pendingRow[i] = 1;
        }
    }

    std::mt19937 random(20261209);
    int insideWrite = 0, damaged = 0, torn = 0;
    for (int k = 0; k < kills; ++k) {
        const unsigned seed = unsigned(random());
        const pid_t child = fork();
        if (child == 0)
            RunChild(path, shared, seed);
        usleep(useconds_t(random() % MaxWaitMicroseconds));
        const bool writing = shared->writing.load() != 0;
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        insideWrite += writing ? 1 : 0;
        shared->writing = 0;
        const QString check = IntegrityCheck(path);
        if (check != QLatin1String("ok")) {
            std::printf("  damaged file after kill %d: %s\n", k + 1, qPrintable(check));
            ++damaged;
            break;
        }
        torn += TornRows(path, *shared);
        // What the file holds now is the committed version of every set.
        Session s(path);
        for (int i = 0; i < Codes; ++i) {
            if (const auto row = store::StoredRegister(*s.db.RegisterCursor, CodeOf(i)))
                shared->committedRow[i] = shared->pendingRow[i] = row->Registers[0].Cron;
            if (const auto header = store::StoredHeader(*s.db.HeaderCursor, CodeOf(i))) {
                const int g = (*header)[2].section(QLatin1Char(' '), 1, 1).toInt();
                shared->committedHeader[i] = shared->pendingHeader[i] = g;
            }
        }
    }
    std::printf("kills:                 %d\n", kills);
    std::printf("kills inside a write:  %d\n", insideWrite);
    std::printf("writes committed:      %d\n", shared->writes.load());
    std::printf("damaged files:         %d\n", damaged);
    std::printf("torn rows:             %d\n", torn);
    const bool met = damaged == 0 && torn == 0;
    std::printf("target (0 damaged, 0 torn): %s\n", met ? "met" : "MISSED");
    return met ? 0 : 1;
}
