// Several processes writing the same INI file at once: no write is lost, and a
// reader never sees an empty, partial or mixed-up file.
#include "shell/profile.h"
#include "test_programs.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace shell;

namespace {

constexpr int WritesPerProcess = 200;

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
        ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
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
    EXPECT_EQ(ReadIni(file, "Data", "alpha_count"), "199");
    EXPECT_EQ(ReadIni(file, "Data", "beta_count"), "199");
    EXPECT_EQ(ReadIni(file, "Head", "first"), "1");
}

}  // namespace
