// quenvol-admin setup with the office's INI file (in $XDG_CONFIG_DIRS) that
// names a server: it says which file the program will use and which server,
// asks the server for the company, and creates nothing; setup --server writes
// the personal file naming the server, which then hides the office's. On the
// suite's own Jet file it writes nothing.
#include "admin_run.h"
#include "company/company_server.h"
#include "support/test_company.h"

#include <QCoreApplication>
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
                  "SERVER=host=" + scratch.filePath("spento").toUtf8() +
                  " dbname=quenvol user=operatore password=segreta\r\n");
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
    EXPECT_TRUE(run.err.startsWith("quenvol-admin: il file INI " + office +
                                   "/Morvanex.ini, che il programma userà, indica il server host=" +
                                   scratch.filePath("spento") +
                                   " dbname=quenvol user=operatore password=*** ([DATABASE] SERVER), che non "
                                   "risponde:\nNessun server del database risponde su questo computer"))
        << run.err.toStdString();
    // The string came from the INI file: the cure points there, not at the command line.
    EXPECT_TRUE(run.err.contains("con host= nella riga SERVER del file INI")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("segreta"));
    EXPECT_FALSE(QFileInfo::exists(scratch.filePath("dati")));
    EXPECT_FALSE(QFileInfo::exists(scratch.filePath("casa/.config/Morvanex.ini")));
}
#endif

TEST(ServerAdminSetup, SetupServerWritesThePersonalFileAndFindsTheCompanyThatIsThere)
{
    const QString server = testing_support::TestServer();
    if (server.isEmpty())
        GTEST_SKIP() << testing_support::NoTestServer;
    const QString company = QStringLiteral("SETUP%1").arg(QCoreApplication::applicationPid());
    QTemporaryDir scratch;
    const QString office = scratch.filePath("etc");
    ASSERT_TRUE(QDir().mkpath(office));
    {
        QFile ini(office + "/Morvanex.ini");
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[BASE]\r\nDITTA=" + company.toUtf8() + "\r\n[DATABASE]\r\nSERVER=" + server.toUtf8() + "\r\n");
    }
    const QByteArray saved[] = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME"), qgetenv("XDG_CONFIG_DIRS")};
    qputenv("HOME", scratch.filePath("casa").toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_DIRS", office.toLocal8Bit());
    const QString personal = scratch.filePath("casa/.config/Morvanex.ini");

    // The second operator of an office whose company is already on the server.
    company::server::DropCompanySchema(server, company);
    AdminRun run = Admin({"init", "--server", server, company});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_FALSE((run.out + run.err).contains("NOTICE")) << (run.out + run.err).toStdString();
    run = Admin({"setup", scratch.filePath("dati"), company});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("la società " + company + " esiste già sul server")) << run.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(scratch.filePath("dati")));

    // A password in the connection is refused; then the personal file is
    // written, never over one that exists, and it hides the office's.
    run = Admin({"setup", "--server", server + "&password=segreta", company});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QDir::homePath() + "/.pgpass") && run.err.contains("PGPASSFILE"))
        << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(personal));
    run = Admin({"setup", "--server", server, company});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    QFile written(personal);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "[BASE]\r\nDITTA=" + company.toUtf8() + "\r\n[DATABASE]\r\nSERVER=" + server.toUtf8() + "\r\n");
    EXPECT_TRUE(run.out.contains("il file INI dell'ufficio " + office + "/Morvanex.ini non viene letto"))
        << run.out.toStdString();
    run = Admin({"setup", "--server", server, company});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("esiste già e non viene modificato")) << run.err.toStdString();

    qputenv("HOME", saved[0]);
    qputenv("XDG_CONFIG_HOME", saved[1]);
    qputenv("XDG_CONFIG_DIRS", saved[2]);
    company::server::DropCompanySchema(server, company);
}

}  // namespace
