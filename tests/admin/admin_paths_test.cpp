// What quenvol-admin tells and takes as paths is written for the system it
// runs on: folders written with quotes the shell keeps are refused before
// anything is made, and every command's help gives that system's folders,
// files and quoting.
#include "admin_run.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

TEST(AdminPaths, EveryCommandRefusesAFolderWrittenWithQuotesTheShellKeptBeforeMakingAnything)
{
    QTemporaryDir top;
    const QString folder = QDir::toNativeSeparators(top.filePath("dati"));
#ifdef _WIN32
    // cmd.exe hands single quotes on; ":" past the drive names no folder.
    const QStringList written{"'" + folder + "\\'", folder + ":2026"};
#else
    const QStringList written{"'" + folder + "'"};
#endif
    const QList<QStringList> commands{
        {"setup", "%", "ROSSI", "--demo"},
        {"init", "%", "ROSSI"},
        {"backup", folder, "ROSSI", "%"},
        {"copy", "%", folder, "ROSSI"},
        {"verify", "%", "ROSSI"},
        {"history", "%", "ROSSI"},
        {"import", top.filePath("suite.mdb"), "%", "ROSSI"},
        {"inspect", "%"},
    };
    for (const QStringList& command : commands)
        for (const QString& path : written) {
            QStringList arguments = command;
            arguments.replace(arguments.indexOf("%"), path);
            SCOPED_TRACE(arguments.join(' ').toStdString());
            const AdminRun run = Admin(arguments);
            EXPECT_EQ(run.status, 1);
            EXPECT_TRUE(run.err.startsWith("quenvol-admin: il percorso " + path + " ")) << run.err.toStdString();
            EXPECT_EQ(QDir(top.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        }
}

TEST(AdminPaths, EveryCommandsHelpNamesThisSystemsFoldersAndFiles)
{
    const QStringList commands{"backup", "copy", "grant",  "guard",   "history", "import", "init",
                               "inspect", "print", "seal", "setup", "upgrade", "verify", "verify-pdf"};
#ifdef _WIN32
    const QStringList foreign{"~/", ".pgpass", "$XDG", "/etc/", "/srv/", "/mnt/", "sudo", "chmod", "sha256sum", "'host=", "\\\n"};
#else
    const QStringList foreign{"%APPDATA%", "C:\\", "\"host="};
#endif
    for (const QString& command : commands) {
        SCOPED_TRACE(command.toStdString());
        const AdminRun run = Admin({command, "--help"});
        EXPECT_EQ(run.status, 0);
        EXPECT_FALSE(run.out.contains('{') || run.out.contains('}')) << run.out.toStdString();
        for (const QString& word : foreign)
            EXPECT_FALSE(run.out.contains(word)) << word.toStdString() << "\n" << run.out.toStdString();
    }
#ifdef _WIN32
    EXPECT_TRUE(Admin({"setup", "--help"}).out.contains("%APPDATA%\\postgresql\\pgpass.conf"));
    EXPECT_TRUE(Admin({"init", "--help"}).out.contains("init C:\\Dati DEMO --demo"));
#else
    EXPECT_TRUE(Admin({"setup", "--help"}).out.contains("~/.pgpass"));
#endif
}

}  // namespace
