// quenvol-admin setup with the office's INI file (in $XDG_CONFIG_DIRS) that
// names a server: it says which file the program will use and which server,
// and creates nothing. On the suite's own Jet file it writes nothing.
#include "admin_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

TEST(AdminSetup, TheSuitesJetFileInTheDataFolderIsLeftAsItIsAndNamedForImport)
{
    QTemporaryDir scratch;
    const QString folder = scratch.filePath("dati/ACME");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray jet = QByteArray("\0\1\0\0Standard Jet DB\0", 20) + QByteArray(2028, '\x5a');
    {
        QFile file(folder + "/quelda.mdb");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(jet);
    }
    const AdminRun run = Admin({"setup", scratch.filePath("dati"), "ACME"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("database Jet della suite")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("quenvol-admin import")) << run.err.toStdString();
    QFile file(folder + "/quelda.mdb");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), jet);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"quelda.mdb"});
}

#ifndef _WIN32
TEST(AdminSetup, AnOfficeIniNamingAServerIsReportedAndNothingIsCreated)
{
    QTemporaryDir scratch;
    const QString office = scratch.filePath("etc");
    ASSERT_TRUE(QDir().mkpath(office));
    {
        QFile ini(office + "/Morvanex.ini");
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[BASE]\r\nDITTA=ACME\r\n[DATABASE]\r\n"
                  "SERVER=host=server.ufficio dbname=quenvol user=operatore password=segreta\r\n");
    }
    const QByteArray saved[] = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME"), qgetenv("XDG_CONFIG_DIRS")};
    qputenv("HOME", scratch.filePath("casa").toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_DIRS", office.toLocal8Bit());
    const AdminRun run = Admin({"setup", scratch.filePath("dati"), "ACME"});
    qputenv("HOME", saved[0]);
    qputenv("XDG_CONFIG_HOME", saved[1]);
    qputenv("XDG_CONFIG_DIRS", saved[2]);

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "quenvol-admin: il file INI " + office +
                           "/Morvanex.ini, che il programma userà, indica il server host=server.ufficio "
                           "dbname=quenvol user=operatore password=*** ([DATABASE] SERVER) con la società ACME: "
                           "il programma apre le società su quel server, non nella cartella dati, e nulla è "
                           "stato creato. Per creare la società sul server: quenvol-admin init --server "
                           "'<connessione>' ACME\n");
    EXPECT_FALSE(QFileInfo::exists(scratch.filePath("dati")));
    EXPECT_FALSE(QFileInfo::exists(scratch.filePath("casa/.config/Morvanex.ini")));
}
#endif

}  // namespace
