// The commands of quenvol-admin. Each command lives in its own file and
// registers itself here with its name, its line in the usage text, its help
// and its routine; quenvol_admin.cpp dispatches on the first argument.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
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

// The command's usage line and help on standard error, then what was wrong
// (`reason`, when given); returns ExitUsage.
int UsageError(const Command& command, const QString& reason = QString());

// The arguments of a command, split by the rules every command shares.
struct Arguments {
    QStringList operands;           // in the order given
    QStringList switches;           // the switches given
    QMap<QString, QString> values;  // the value of each option given
    bool has(const QString& name) const { return switches.contains(name); }
    QString value(const QString& name) const { return values.value(name); }
};

// What a command takes besides --help: switches that stand alone (--demo),
// options whose value is the next argument (--server X), and from `least` to
// `most` operands.
struct Accepted {
    QStringList switches;
    QStringList options;
    qsizetype least = 0;
    qsizetype most = 0;
};

// The start of every command. Asked for its help (--help or -h) it prints the
// help on standard output and returns ExitOk. An unknown "--" argument, an
// option without its value, a blank operand or value, or too few or too many
// operands print the usage and return ExitUsage. Otherwise it fills `parsed`
// and returns nothing: the command goes on.
std::optional<int> ReadArguments(const Command& command, const QStringList& arguments,
                                 const Accepted& accepted, Arguments& parsed);

// The company code given to a command, checked by the one rule for codes
// (store::CompanyCodeProblem) before anything is opened or created: its
// refusal told as Fail tells it, or nothing when the code is usable.
std::optional<int> RefuseCompanyCode(const QString& code);

// A folder or file named to a command, checked before it is used
// (shell::PathArgumentProblem): a server's connection string is left to the
// server's own checks. Its refusal told as Fail tells it, or nothing.
std::optional<int> RefusePath(const QString& path);

// Records the starting state of the company just filled or upgraded
// (company::starting_state) and says what it recorded; ExitOk, or the
// failure told as Fail tells it.
int RecordStartingState(const QString& location, const QString& company);

}  // namespace admin
