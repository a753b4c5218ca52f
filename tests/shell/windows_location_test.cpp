// On Windows (run under Wine by tools/windows.sh): the INI file looked for in
// the program's folder, then through the per-user "ExePath" the suite keeps in
// the registry, then in the Windows folder; DIRINI with a drive and
// backslashes; company codes that would name another folder or drive.
#ifdef _WIN32
#include "shell/ini_location.h"
#include "shell/platform.h"
#include "shell/session.h"
#include "shell/user_settings.h"
#include "store/tables/company_code.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace shell;

namespace {

const QString SuiteSettings = QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\");

void Touch(const QString& path, const QByteArray& content = "[BASE]\r\nDITTA=X\r\n")
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The test's own folders; whatever it puts in the Windows folder and the
// registry goes again at the end.
class WindowsLocationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        program_ = Native(dir_.path() + "/Programmi/Quenvol");
        suite_ = Native(dir_.path() + "/Programmi/Morvanex");
        QDir().mkpath(program_);
        QDir().mkpath(suite_);
        SetProgramFolderForTesting(program_);
    }
    void TearDown() override
    {
        SetProgramFolderForTesting(QString());
        QFile::remove(WindowsFolder() + "Morvanex.ini");
        QSettings(SuiteSettings + "MORVANEX", QSettings::NativeFormat).remove("Setting");
        QSettings(SuiteSettings + "Quenvol", QSettings::NativeFormat).remove("Setting");
    }
    QTemporaryDir dir_;
    QString program_;
    QString suite_;
};

TEST_F(WindowsLocationTest, IniFileIsProgramFolderThenRegistryExePathThenWindowsFolder)
{
    const QString windows = WindowsFolder();
    ASSERT_TRUE(windows.endsWith(u'\\')) << windows.toStdString();
    ASSERT_TRUE(DirectoryExists(windows));
    EXPECT_EQ(windows.at(1), u':');  // a drive, as GetWindowsDirectory gives it

    // Nothing anywhere: the Windows folder's name all the same.
    EXPECT_EQ(FindIniFile(), windows + "Morvanex.ini");
    Touch(windows + "Morvanex.ini");
    EXPECT_EQ(FindIniFile(), windows + "Morvanex.ini");

    // The suite's main program records its folder in the registry.
    QSettings morvanex(SuiteSettings + "MORVANEX", QSettings::NativeFormat);
    morvanex.setValue("Setting/ExePath", suite_);
    morvanex.sync();
    EXPECT_EQ(FindIniFile(), windows + "Morvanex.ini");  // no Torlaven.ini there yet
    Touch(suite_ + "\\Torlaven.ini");
    EXPECT_EQ(FindIniFile(), suite_ + "\\Torlaven.ini");

    Touch(program_ + "\\Morvanex.ini");
    EXPECT_EQ(FindIniFile(), program_ + "\\Morvanex.ini");
}

TEST_F(WindowsLocationTest, ExePathIsRecordedInTheRegistryWhereTheSuiteReadsIt)
{
    SaveSetting("Quenvol", "Setting", "ExePath", program_);
    EXPECT_EQ(QSettings(SuiteSettings + "Quenvol", QSettings::NativeFormat).value("Setting/ExePath").toString(),
              program_);
    EXPECT_EQ(GetSetting("QUENVOL", "Setting", "ExePath"), program_);  // keys ignore case
    EXPECT_EQ(GetSetting("Quenvol", "Setting", "Missing"), "");

    // A name that would reach another key is never written.
    SaveSetting("..\\Quenvol", "Setting", "ExePath", "x");
    EXPECT_EQ(GetSetting("..\\Quenvol", "Setting", "ExePath"), "");
}

TEST_F(WindowsLocationTest, DiriniWithADriveAndBackslashesNamesTheCompanyFile)
{
    const QString data = Native(dir_.path() + "/Dati") + "\\";
    Touch(program_ + "\\Morvanex.ini", "[BASE]\r\nDITTA=DEMO\r\n[PATH]\r\nDIRINI=" + data.toLocal8Bit() + "\r\n");
    const Session session = StartSession();
    EXPECT_EQ(session.CompanyCode, "DEMO");
    EXPECT_EQ(session.DatabasePath, data + "DEMO\\quelda.mdb");
    EXPECT_TRUE(DirectoryExists(data));  // made, one level, as on Linux

    // A blank DIRINI: the root of the current drive.
    Touch(program_ + "\\Morvanex.ini", "[BASE]\r\nDITTA=DEMO\r\n[PATH]\r\nDIRINI=\r\n");
    const QString drive = CurrentDriveRoot();
    EXPECT_EQ(drive, Native(QDir::currentPath()).left(2) + "\\");
    EXPECT_EQ(StartSession().DatabasePath, drive + "DEMO\\quelda.mdb");
}

TEST(WindowsCompanyCode, CodesNamingAnotherFolderOrDriveAreRefused)
{
    EXPECT_NE(store::CompanyCodeProblem("..\\ALTRA"), "");
    EXPECT_NE(store::CompanyCodeProblem("C:DEMO"), "");
    EXPECT_EQ(store::CompanyCodeProblem("DEMO"), "");
}

}  // namespace
#endif
