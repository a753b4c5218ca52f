// The words of the commands the program shows the operator come back whole
// when the system's shell reads them: on Windows as the program's arguments
// are split (CommandLineToArgvW), on Linux as sh reads them.
#include "shell/platform.h"

#include <QProcess>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

// The arguments a program gets from "program <word>".
QStringList ReadBack(const QString& word)
{
#ifdef _WIN32
    const std::wstring line = (QStringLiteral("programma ") + word).toStdWString();
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(line.c_str(), &count);
    QStringList words;
    for (int i = 1; i < count; ++i)
        words << QString::fromWCharArray(arguments[i]);
    LocalFree(arguments);
    return words;
#else
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("printf '%s\\n' ") + word});
    EXPECT_TRUE(shell.waitForFinished(30000));
    return QString::fromUtf8(shell.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
#endif
}

TEST(ShellWord, FoldersWithBlanksQuotesAndSpecialCharactersComeBackAsOneWord)
{
#ifdef _WIN32
    const QStringList words{QStringLiteral("C:\\Program Files\\Quenvol\\"), QStringLiteral("C:\\Dati\\ROSSI & C"),
                            QStringLiteral("C:\\Dati"), QStringLiteral("host=server dbname=quenvol")};
#else
    const QStringList words{QStringLiteral("/home/anna/i miei dati/"), QStringLiteral("/srv/l'ufficio"),
                            QStringLiteral("/srv/dati"), QStringLiteral("host=server dbname=quenvol")};
#endif
    for (const QString& word : words)
        EXPECT_EQ(ReadBack(shell::ShellWord(word)), QStringList{word}) << shell::ShellWord(word).toStdString();
}

}  // namespace
