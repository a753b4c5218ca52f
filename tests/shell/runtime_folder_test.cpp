// The private runtime folder that stands in when the session names none: one
// per user, closed to others and used again, never one somebody else made.
#include "shell/platform.h"
#include "support/scoped_environment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

TEST(PrivateRuntimeFolder, IsTheUsersOwnClosedFolderUsedAgainAndNeverAnotherThing)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows has no runtime folder";
#else
    QTemporaryDir temp;
    const testing_support::ScopedEnvironment tempFolder("TMPDIR", QFile::encodeName(temp.path()));
    const QString name = temp.filePath(QStringLiteral("quenvol-runtime-%1").arg(getuid()));
    const QByteArray native = QFile::encodeName(name);

    // A folder open to others, a link and a file under that name are not used.
    ASSERT_EQ(mkdir(native.constData(), 0777), 0);
    ASSERT_EQ(chmod(native.constData(), 0777), 0);
    EXPECT_EQ(shell::PrivateRuntimeFolder(), QString());
    ASSERT_EQ(rmdir(native.constData()), 0);
    QDir(temp.path()).mkdir(QStringLiteral("elsewhere"));
    ASSERT_EQ(chmod(QFile::encodeName(temp.filePath("elsewhere")).constData(), 0700), 0);
    ASSERT_TRUE(QFile::link(temp.filePath("elsewhere"), name));
    EXPECT_EQ(shell::PrivateRuntimeFolder(), QString());
    ASSERT_TRUE(QFile::remove(name));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(shell::PrivateRuntimeFolder(), QString());
    ASSERT_TRUE(QFile::remove(name));

    // Made closed to others, then found and used again.
    EXPECT_EQ(shell::PrivateRuntimeFolder(), name);
    struct stat info {};
    ASSERT_EQ(lstat(native.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(shell::PrivateRuntimeFolder(), name);
#endif
}

}  // namespace
