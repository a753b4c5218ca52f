// Several processes writing the same INI file at once: no write is lost, and a
// reader never sees an empty, partial or mixed-up file.
#include "shell/profile.h"
#include "test_programs.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace shell;

namespace {

#ifdef _WIN32
// Under Wine a replacement waits for every reader to let go of the file, and
// this test's reader hardly ever does: fewer writes keep the case short.
constexpr int WritesPerProcess = 50;
#else
constexpr int WritesPerProcess = 200;
#endif

// Keys "TAG_i" present in the section's text (added lines end in CRLF).
int CountKeys(const QByteArray& content, const QByteArray& tag)
{
    int count = 0;
    for (int i = 0; i < WritesPerProcess; ++i) {
        if (content.contains("\n" + tag + '_' + QByteArray::number(i) + "=v\r\n"))
            ++count;
    }
    return count;
}

// Opens the file as the suite's other programs read it. On Windows such a
// reader does not let the file be renamed over, so for the instant a writer's
// replacement holds the name it is refused, and tries again (a bounded number
// of times: a writer that kept the file would fail the test).
bool OpenToRead(QFile& file)
{
#ifdef _WIN32
    for (int attempt = 0; attempt < 10000; ++attempt) {
        if (file.open(QIODevice::ReadOnly))
            return true;
        QThread::yieldCurrentThread();
    }
    return false;
#else
    return file.open(QIODevice::ReadOnly);
#endif
}

TEST(ProfileConcurrencyTest, TwoWriterProcessesLoseNothingAndReadersSeeWholeFiles)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Morvanex.ini");
    {
        QFile seed(file);
        ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
        seed.write("[Head]\nfirst=1\n[Data]\n[Tail]\nlast=1\n");
    }

    const QString writer = shell_tests::TestProgram("ini_writer");
    ASSERT_TRUE(QFile::exists(writer)) << writer.toStdString();
    QProcess a;
    QProcess b;
    const QString count = QString::number(WritesPerProcess);
    a.start(writer, {file, "Data", "alpha", count, "--pause-halfway"});
    b.start(writer, {file, "data", "beta", count, "--pause-halfway"});
    ASSERT_TRUE(a.waitForStarted());
    ASSERT_TRUE(b.waitForStarted());

    // Read while they write: the file only grows, both sentinels are always
    // there, and the keys each writer has made never go back. Once both are
    // midway (and waiting), a read sees exactly half of each writer's keys.
    const auto waitingMidway = [](QProcess& writer) {
        writer.waitForReadyRead(1);
        return writer.canReadLine();
    };
    bool aMidway = false;
    bool bMidway = false;
    bool released = false;
    bool sawBothMidway = false;
    qsizetype lastSize = 0;
    int lastAlpha = 0;
    int lastBeta = 0;
    while (a.state() != QProcess::NotRunning || b.state() != QProcess::NotRunning) {
        const bool bothMidway = aMidway && bMidway && !released;
        QFile reader(file);
        ASSERT_TRUE(OpenToRead(reader)) << reader.errorString().toStdString();
        const QByteArray content = reader.readAll();
        ASSERT_GE(content.size(), lastSize) << "a read saw a shorter file";
        ASSERT_TRUE(content.startsWith("[Head]\nfirst=1\n[Data]\n")) << content.left(80).data();
        ASSERT_TRUE(content.endsWith("[Tail]\nlast=1\n")) << content.right(80).data();
        EXPECT_EQ(GetProfileValue(file, "Tail", "last"), "1");
        const int alpha = CountKeys(content, "alpha");
        const int beta = CountKeys(content, "beta");
        ASSERT_GE(alpha, lastAlpha);
        ASSERT_GE(beta, lastBeta);
        lastSize = content.size();
        lastAlpha = alpha;
        lastBeta = beta;
        if (bothMidway) {
            EXPECT_EQ(alpha, WritesPerProcess / 2);
            EXPECT_EQ(beta, WritesPerProcess / 2);
            sawBothMidway = true;
        }
        // A writer that ended early must not leave the other waiting.
        const auto done = [](QProcess& p) { return p.state() == QProcess::NotRunning; };
        if (!released && (aMidway || done(a)) && (bMidway || done(b))) {
            a.write("go\n");
            b.write("go\n");
            a.waitForBytesWritten();
            b.waitForBytesWritten();
            released = true;
        }
        aMidway = aMidway || waitingMidway(a);
        bMidway = bMidway || waitingMidway(b);
        a.waitForFinished(1);
        b.waitForFinished(1);
    }
    EXPECT_TRUE(sawBothMidway);
    EXPECT_EQ(a.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(b.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().data();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().data();

    QFile result(file);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    const QByteArray content = result.readAll();
    EXPECT_EQ(CountKeys(content, "alpha"), WritesPerProcess);
    EXPECT_EQ(CountKeys(content, "beta"), WritesPerProcess);
    const QString last = QString::number(WritesPerProcess - 1).rightJustified(3, '0');
    EXPECT_EQ(ReadIni(file, "Data", "alpha_count"), last);
    EXPECT_EQ(ReadIni(file, "Data", "beta_count"), last);
    EXPECT_EQ(ReadIni(file, "Head", "first"), "1");
}

}  // namespace
