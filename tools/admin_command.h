// The commands of quenvol-admin. Each command lives in its own file and
// registers itself here with its name, its line in the usage text, its help
// and its routine; quenvol_admin.cpp dispatches on the first argument.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace admin {

struct Command {
    const char* name;
    const char* synopsis;  // one line: the command with its arguments
    const char* help;      // what it does, its options and an example
    int (*run)(const QStringList& arguments);  // arguments after the name
};

// Every registered command, in the order of their names.
std::vector<Command> Commands();

// Adds a command to the table; used through a static Registration.
struct Registration {
    explicit Registration(const Command& command);
};

// Exit statuses shared by every command.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailed = 1;  // the command ran and failed
inline constexpr int ExitUsage = 2;   // wrong arguments

// "quenvol-admin: <message>" on standard error; returns ExitFailed.
int Fail(const QString& message);

// The command's usage line and help on standard error; returns ExitUsage.
int UsageError(const Command& command);

// True when the arguments ask for the command's help (--help or -h); the help
// is then printed on standard output.
bool PrintHelpIfAsked(const Command& command, const QStringList& arguments);

}  // namespace admin
