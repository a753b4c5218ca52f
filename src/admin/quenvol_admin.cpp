// quenvol-admin: creates and looks after company databases. The commands
// live in tools/admin_*.cpp and register themselves (admin_command.h).
#include "admin/admin_command.h"
#include "company/starting_state.h"
#include "shell/platform.h"
#include "store/engine/system_files.h"
#include "store/postgres/libpq_on_demand.h"
#include "store/postgres/pg_conninfo.h"
#include "store/tables/company_code.h"
#include "store/tables/company_open.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QGuiApplication>

#include <optional>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace admin {

namespace {

std::vector<Command>& Table()
{
    static std::vector<Command> table;
    return table;
}

void PrintUsage(std::FILE* out)
{
    std::fputs("uso: quenvol-admin COMANDO ...\n\nComandi:\n", out);
    for (const Command& command : Commands())
        std::fprintf(out, "  %s\n", command.synopsis);
    std::fputs("  --help\n"
               "      Mostra questo aiuto; quenvol-admin COMANDO --help mostra quello del comando.\n",
               out);
}

// Whether an argument is a connection string (or URI) that holds a password:
// the process list shows every argument to every account of the machine.
bool HoldsPassword(const QString& argument)
{
    if (!argument.contains(QLatin1Char('=')) && !argument.contains(QLatin1String("://")))
        return false;
    // Without libpq there is no server to connect to, and the command says so.
    return store::LoadLibpq().isEmpty() && !store::ConninfoPassword(argument).isEmpty();
}

}  // namespace

Registration::Registration(const Command& command) { Table().push_back(command); }

std::vector<Command> Commands()
{
    std::vector<Command> commands = Table();
    std::sort(commands.begin(), commands.end(),
              [](const Command& a, const Command& b) { return std::string_view(a.name) < b.name; });
    return commands;
}

int Fail(const QString& message)
{
    std::fprintf(stderr, "quenvol-admin: %s\n", message.toUtf8().constData());
    return ExitFailed;
}

std::optional<int> RefuseCompanyCode(const QString& code)
{
    if (const QString problem = store::CompanyCodeProblem(code); !problem.isEmpty())
        return Fail(QString(problem).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    return std::nullopt;
}

std::optional<int> RefusePath(const QString& path)
{
    if (store::NamesServer(path))
        return std::nullopt;  // a connection string quotes and names ports by rule
    if (const QString problem = shell::PathArgumentProblem(path); !problem.isEmpty())
        return Fail(problem);
    return std::nullopt;
}

int RecordStartingState(const QString& location, const QString& company)
{
    QString said;
    if (const QString error = company::starting_state::Record(location, company, &said); !error.isEmpty())
        return Fail(error);
    if (!said.isEmpty())
        std::printf("%s\n", said.toUtf8().constData());
    return ExitOk;
}

int UsageError(const Command& command, const QString& reason)
{
    std::fprintf(stderr, "uso: quenvol-admin %s\n\n%s", command.synopsis, qUtf8Printable(shell::CommandHelp(QString::fromUtf8(command.help))));
    // What was wrong, last: where the eye lands after a long help.
    if (!reason.isEmpty())
        std::fprintf(stderr, "\nquenvol-admin %s: %s\n", command.name, qUtf8Printable(reason));
    return ExitUsage;
}

std::optional<int> ReadArguments(const Command& command, const QStringList& arguments,
                                 const Accepted& accepted, Arguments& parsed)
{
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::printf("uso: quenvol-admin %s\n\n%s", command.synopsis,
                    qUtf8Printable(shell::CommandHelp(QString::fromUtf8(command.help))));
        return ExitOk;
    }
    parsed = Arguments();
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (accepted.switches.contains(argument)) {
            parsed.switches << argument;
        } else if (accepted.options.contains(argument)) {
            if (i + 1 >= arguments.size() || arguments[i + 1].trimmed().isEmpty())
                return UsageError(command, QStringLiteral("%1 vuole un valore").arg(argument));
            parsed.values[argument] = arguments[++i];
        } else if (argument.startsWith(QLatin1String("--"))) {
            return UsageError(command, QStringLiteral("opzione sconosciuta: %1").arg(argument));
        } else if (argument.trimmed().isEmpty()) {
            return UsageError(command, QStringLiteral("un argomento è vuoto"));
        } else {
            parsed.operands << argument;
        }
    }
    if (parsed.operands.size() < accepted.least)
        return UsageError(command, QStringLiteral("mancano degli argomenti"));
    if (parsed.operands.size() > accepted.most)
        return UsageError(command, QStringLiteral("argomenti in più: %1")
                                       .arg(parsed.operands.mid(accepted.most).join(QLatin1Char(' '))));
    return std::nullopt;
}

}  // namespace admin

int main(int argc, char** argv)
{
    // Every text is written as UTF-8; a Windows console is told to read it so.
    const shell::Utf8Console console;
    store::system::KeepFromOtherAccounts();
    // Printing lays text out in Qt's fonts, which need the GUI application; on
    // the offscreen platform it needs no display.
    std::unique_ptr<QCoreApplication> app;
    // Without XDG_RUNTIME_DIR (root from sudo, a cron job) Qt would warn on
    // the terminal and make its own: the user's private folder stands in, or
    // where there is none a folder of this run.
    std::optional<QTemporaryDir> runtimeDir;
    if (argc > 1 && std::strcmp(argv[1], "print") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            QString folder = shell::PrivateRuntimeFolder();
            if (folder.isEmpty()) {
                runtimeDir.emplace(QDir::tempPath() + QStringLiteral("/quenvol-runtime-XXXXXX"));
                if (runtimeDir->isValid())
                    folder = runtimeDir->path();
            }
            if (!folder.isEmpty())
                qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
        }
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    const QStringList args = app->arguments().mid(1);
    if (args.isEmpty()) {
        admin::PrintUsage(stderr);
        return admin::ExitUsage;
    }
    if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        admin::PrintUsage(stdout);
        return admin::ExitOk;
    }
    // A server named here is named on the command line: refusals say so.
    store::SetConninfoSource(store::ConninfoSource::CommandLine);
    for (const admin::Command& command : admin::Commands()) {
        if (args.first() != QLatin1String(command.name))
            continue;
        const QStringList rest = args.mid(1);
        if (!rest.contains(QStringLiteral("--help")) && !rest.contains(QStringLiteral("-h")) &&
            std::any_of(rest.begin(), rest.end(), admin::HoldsPassword))
            return admin::Fail(store::PasswordInConninfoRefusal());
        return command.run(rest);
    }
    std::fprintf(stderr, "quenvol-admin: comando sconosciuto: %s\n\n", args.first().toUtf8().constData());
    admin::PrintUsage(stderr);
    return admin::ExitUsage;
}
