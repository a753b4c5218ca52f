// The per-user settings store, the folders standing for the Windows ones, and
// the order in which the INI file is looked for.
#include "shell/ini_location.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/user_settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace shell;

namespace {

// Points XDG_CONFIG_HOME (and HOME) at a fresh folder for one test, and puts
// the previous values back afterwards.
class ConfigFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        oldHome_ = qgetenv("HOME");
        oldConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home_.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", config().toLocal8Bit());
    }
    void TearDown() override
    {
        qputenv("HOME", oldHome_);
        qputenv("XDG_CONFIG_HOME", oldConfig_);
        SetProgramFolderForTesting(QString());
    }
    QString config() const { return home_.path() + "/cfg"; }

    static void touch(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[BASE]\nDITTA=X\n");
    }

    QTemporaryDir home_;
    QByteArray oldHome_;
    QByteArray oldConfig_;
};

// The folders that stand for the Windows ones on Linux (windows_location_test.cpp
// has the Windows ones).
#ifndef _WIN32
TEST_F(ConfigFolderTest, SettingsRoundTripInOneFilePerApplication)
{
    EXPECT_EQ(GetSetting("Quenvol", "Setting", "ExePath"), "");
    const QString folder = QString::fromUtf8("/opt/Società/quenvol/文件");
    SaveSetting("Quenvol", "Setting", "ExePath", folder);
    EXPECT_EQ(GetSetting("QUENVOL", "setting", "exepath"), folder);
    EXPECT_EQ(GetSetting("MORVANEX", "Setting", "ExePath"), "");
    EXPECT_EQ(SettingsFolder(), config() + "/morvanex-settings");
    EXPECT_TRUE(QFile::exists(config() + "/morvanex-settings/quenvol.ini"));

    // A value longer than the INI routines' 99 characters is kept whole.
    const QString longPath = "/" + QString(150, u'p');
    SaveSetting("Quenvol", "Setting", "ExePath", longPath);
    EXPECT_EQ(GetSetting("Quenvol", "Setting", "ExePath"), longPath);

    // Names that are not plain file names are never written.
    SaveSetting("../escape", "Setting", "ExePath", "x");
    SaveSetting("", "Setting", "ExePath", "x");
    EXPECT_EQ(GetSetting("../escape", "Setting", "ExePath"), "");
    EXPECT_FALSE(QFile::exists(config() + "/escape.ini"));
    EXPECT_EQ(QDir(SettingsFolder()).entryList(QDir::Files).size(), 2);  // quenvol.ini + lock
}

TEST_F(ConfigFolderTest, FoldersFollowXdgConfigHomeThenHome)
{
    EXPECT_EQ(SystemWindowsFolder(), config());
    EXPECT_EQ(WindowsFolder(), config() + "/");

    // A folder that already ends in "/" gives empty text, as the suite expects.
    qputenv("XDG_CONFIG_HOME", (config() + "/").toLocal8Bit());
    EXPECT_EQ(WindowsFolder(), "");

    // Unset or relative: the default under HOME.
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(WindowsFolder(), home_.path() + "/.config/");
    EXPECT_EQ(SettingsFolder(), home_.path() + "/.config/morvanex-settings");
    qputenv("XDG_CONFIG_HOME", "relative/cfg");
    EXPECT_EQ(SystemWindowsFolder(), home_.path() + "/.config");

    qunsetenv("HOME");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(WindowsFolder(), "");
    EXPECT_EQ(CurrentDriveRoot(), "/");
}

#endif

TEST_F(ConfigFolderTest, IniFileExistsWantsAnOrdinaryVisibleFile)
{
    const QString folder = home_.path();
    touch(folder + "/Morvanex.ini");
    touch(folder + "/.hidden.ini");
    QDir().mkdir(folder + "/Folder.ini");
    EXPECT_TRUE(IniFileExists(folder + "/Morvanex.ini"));
    EXPECT_FALSE(IniFileExists(folder + "/.hidden.ini"));
    EXPECT_FALSE(IniFileExists(folder + "/Folder.ini"));
    EXPECT_FALSE(IniFileExists(folder + "/missing.ini"));
    EXPECT_FALSE(IniFileExists(QString()));

    EXPECT_TRUE(DirectoryExists(folder + "/Folder.ini"));
    EXPECT_FALSE(DirectoryExists(folder + "/new"));
    EXPECT_TRUE(CreateDirectoryOneLevel(folder + "/new/"));
    EXPECT_TRUE(DirectoryExists(folder + "/new"));
    EXPECT_FALSE(CreateDirectoryOneLevel(folder + "/a/b"));  // one level only
}

#ifndef _WIN32
TEST_F(ConfigFolderTest, FindIniFileTriesProgramFolderThenExePathThenWindowsFolder)
{
    const QString program = home_.path() + "/bin";
    const QString suite = home_.path() + "/suite";
    QDir().mkpath(program);
    QDir().mkpath(suite);
    SetProgramFolderForTesting(program);

    // Nothing anywhere: the Windows folder's name, though it does not exist.
    EXPECT_EQ(FindIniFile(), config() + "/Morvanex.ini");

    // "Torlaven.ini" in the folder of "ExePath" of MORVANEX.
    SaveSetting("MORVANEX", "Setting", "ExePath", suite);
    EXPECT_EQ(FindIniFile(), config() + "/Morvanex.ini");
    touch(suite + "/Torlaven.ini");
    EXPECT_EQ(FindIniFile(), suite + "/Torlaven.ini");

    // The program's own folder comes first.
    touch(program + "/Morvanex.ini");
    EXPECT_EQ(FindIniFile(), program + "/Morvanex.ini");

    // With the Windows folder ending in "/", the bare name is used.
    QFile::remove(program + "/Morvanex.ini");
    SaveSetting("MORVANEX", "Setting", "ExePath", "");
    qputenv("XDG_CONFIG_HOME", (config() + "/").toLocal8Bit());
    EXPECT_EQ(FindIniFile(), "Morvanex.ini");
}

// With no per-user file, the office's file in $XDG_CONFIG_DIRS is read; a
// per-user file, once there, comes first.
TEST_F(ConfigFolderTest, WithoutAPersonalIniTheOfficeIniOfTheSystemFoldersIsUsed)
{
    const QByteArray oldDirs = qgetenv("XDG_CONFIG_DIRS");
    SetProgramFolderForTesting(home_.path() + "/bin");
    const QString first = home_.path() + "/etc1";
    const QString second = home_.path() + "/etc2";
    qputenv("XDG_CONFIG_DIRS", ("relativa:" + first + ":" + second + "/").toLocal8Bit());
    EXPECT_EQ(SystemConfigFolders(), QStringList({first, second}));
    EXPECT_EQ(FindIniFile(), config() + "/Morvanex.ini");
    touch(second + "/Morvanex.ini");
    EXPECT_EQ(FindIniFile(), second + "/Morvanex.ini");
    touch(first + "/Morvanex.ini");
    EXPECT_EQ(FindIniFile(), first + "/Morvanex.ini");
    touch(config() + "/Morvanex.ini");
    EXPECT_EQ(FindIniFile(), config() + "/Morvanex.ini");
    qunsetenv("XDG_CONFIG_DIRS");
    EXPECT_EQ(SystemConfigFolders(), QStringList({"/etc/xdg"}));
    qputenv("XDG_CONFIG_DIRS", oldDirs);
}

#endif

}  // namespace
