// quenvol-admin init refuses a company code that would lead out of the data
// folder, before it creates anything.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(AdminInit, ACompanyCodeLeadingOutOfTheDataFolderIsRefusedBeforeAnyFileIsCreated)
{
    QTemporaryDir top;
    const QString data = top.filePath("dati");
    for (const QString code : {".", "..", "../x", "A/B"}) {
        QProcess admin;
        admin.start(qEnvironmentVariable("QUENVOL_BIN_DIR") + "/quenvol-admin", {"init", data, code});
        ASSERT_TRUE(admin.waitForFinished(60000));
        EXPECT_EQ(admin.exitCode(), 1) << code.toStdString();
        EXPECT_TRUE(QString::fromLocal8Bit(admin.readAllStandardError()).contains("CODICE SOCIETA' NON VALIDO"));
        EXPECT_EQ(QDir(top.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
}
