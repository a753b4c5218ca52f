// Measures "&CONFERMA" on a changed register set up to its row committed, in
// the real window, on a company on the office server (local socket) and, for
// comparison, on the same company in the file; prints the medians and the
// target. It starts a server of its own; run it on an idle machine.
#include "bench_timing.h"
#include "bench_server.h"
#include "runtime/form_runtime.h"
#include "screen/startup.h"
#include "screen/startup_layout.h"
#include "shell/platform.h"
#include "store/engine/engine.h"

#include <libpq-fe.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr double ServerTargetMs = 20.0;
constexpr int Runs = 51;

// The median time of "&CONFERMA" for a window started with `ini`; each run
// changes the description of another register set. Returns -1 on a failure.
double confirmMedianMs(const QString& programFolder, const QString& ini,
                       const std::function<std::unique_ptr<store::Database>()>& openOther)
{
    QFile file(programFolder + QStringLiteral("/Morvanex.ini"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    file.write(ini.toUtf8());
    file.close();
    shell::SetProgramFolderForTesting(programFolder);
    std::vector<double> times;
    {
        screen::Startup form;
        form.Form_Load();
        form.Show();
        QCoreApplication::processEvents();
        if (form.ended() || !form.company.RegisterTableOpen)
            return -1;
        for (int run = 0; run <= Runs; ++run) {
            const QString code = QStringLiteral("R%1").arg(run * 7, 6, 10, QLatin1Char('0'));
            form.runtime().SetText(form.c.DicKod, code);  // as the operator types it
            form.RegisterRecord.SspCodice = code;
            form.FindRegister();
            if (form.ScreenMode != screen::Mode::Variazione)
                return -1;
            form.runtime().SetText(form.c.Txt[1], QStringLiteral("CAMBIATA %1").arg(run));
            QElapsedTimer timer;
            timer.start();
            form.cmdD_Click(screen::CmdD::Conferma);
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            if (run > 0)  // the first warms the statements and the caches
                times.push_back(ms);
            // Committed: another connection reads the new description.
            if (run == Runs) {
                auto other = openOther();
                auto cursor = other->openTable(QStringLiteral("TabellaSerieSemplificata"));
                cursor->setIndex(QStringLiteral("primaria"));
                cursor->seek(QStringLiteral("="), code);
                if (cursor->noMatch() ||
                    cursor->field(QStringLiteral("SspDescrizione")).toString() != QStringLiteral("CAMBIATA %1").arg(run))
                    return -1;
            }
        }
    }
    shell::SetProgramFolderForTesting(QString());
    return MedianOf(times);
}

// The same change bare through libpq (BEGIN, UPDATE of one description,
// COMMIT): what the server and its disk take to commit, whatever the program.
double bareCommitMedianMs(const QString& conninfo)
{
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    if (PQstatus(conn) != CONNECTION_OK) {
        PQfinish(conn);
        return -1;
    }
    PQclear(PQexec(conn, "SET search_path TO \"DEMO\""));
    std::vector<double> times;
    for (int run = 0; run <= Runs; ++run) {
        const QByteArray code = QStringLiteral("R%1").arg(run * 7 + 3, 6, 10, QLatin1Char('0')).toUtf8();
        const QByteArray text = "BARE " + QByteArray::number(run);
        const char* values[] = {text.constData(), code.constData()};
        QElapsedTimer timer;
        timer.start();
        PQclear(PQexec(conn, "BEGIN"));
        PQclear(PQexecParams(conn, "UPDATE \"TabellaSerieSemplificata\" SET \"SspDescrizione\" = $1 "
                                   "WHERE \"SspCodice\" = $2",
                             2, nullptr, values, nullptr, nullptr, 0));
        PQclear(PQexec(conn, "COMMIT"));
        if (run > 0)
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    PQfinish(conn);
    return MedianOf(times);
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    PrepareWindowBench(home);
    runtime::RuntimeApplication app(argc, argv);

    BenchServer server;
    QTemporaryDir data;
    QTemporaryDir programFolder;
    server.seed(data.path(), QStringLiteral("DEMO"), 10000);
    const QString fileIni = QStringLiteral("[BASE]\nDITTA=DEMO\n[PATH]\nDIRINI=%1/\n").arg(data.path());
    const double serverMs = confirmMedianMs(
        programFolder.path(), fileIni + QStringLiteral("[DATABASE]\nSERVER=%1\n").arg(server.conninfo()),
        [&] { return store::openServerDatabase(server.conninfo(), QStringLiteral("DEMO")); });
    const double fileMs = confirmMedianMs(programFolder.path(), fileIni, [&] {
        return store::openDatabase(company::copy::CompanyFilePath(data.path(), QStringLiteral("DEMO")));
    });
    const double bareMs = bareCommitMedianMs(server.conninfo());
    if (serverMs < 0 || fileMs < 0 || bareMs < 0) {
        std::fprintf(stderr, "the window did not write the register sets\n");
        return 1;
    }
    std::printf("\"&CONFERMA\" on a changed register set up to its row committed (read the\n"
                "screen, seek, edit, update, commit), in the real window; 10,000 register\n"
                "sets; median of %d runs, milliseconds.\n\n", Runs);
    std::printf("%-28s %8.2f\n", "office server (local socket)", serverMs);
    std::printf("%-28s %8.2f\n", "file", fileMs);
    std::printf("%-28s %8.2f   (BEGIN, one UPDATE, COMMIT through libpq)\n", "server, bare commit", bareMs);
    std::printf("\nTarget: server under %.0f ms: %s\n", ServerTargetMs, serverMs < ServerTargetMs ? "met" : "NOT met");
    return 0;
}
