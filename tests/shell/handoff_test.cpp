// The hand-off to sibling programs: starting one, bringing its running
// instance forward, handing it the company code, and the two messages, with a
// stand-in sibling program (tests/programs/fake_sibling).
#include "shell/moduli_opzionali.h"
#include "shell/platform.h"
#include "shell/session.h"
#include "shell/profile.h"
#include "support/scripted_boxes.h"
#include "test_programs.h"
#include "x11_probe.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <set>

#include <signal.h>

using namespace shell;
using testing_support::ScriptedBoxes;

namespace {

struct Started {
    long long pid = 0;
    QStringList arguments;
};

class HandoffTest : public ::testing::Test {
protected:
    Session session_;
    QString& IniFile = session_.IniFile;
    QString& CompanyCode = session_.CompanyCode;

    void SetUp() override
    {
        IniFile = dir_.filePath("Morvanex.ini");
        CompanyCode = "Acme";
        record_ = dir_.filePath("pavoxa.record");
        command_ = '"' + shell_tests::TestProgram("fake_sibling") + "\" \"" + record_
                   + "\" --ditta \"due parole\" --nota " + QString(100, 'N');
        ASSERT_TRUE(QFile::exists(shell_tests::TestProgram("fake_sibling")));
    }

    void TearDown() override
    {
        for (const Started& s : recorded())
            pids_.insert(s.pid);
        for (long long pid : pids_) {
            if (pid > 0)
                ::kill(pid_t(pid), SIGKILL);
        }
    }

    void configure() { WriteIni(IniFile, "APPLICATIVI", "Pavoxa", command_); }

    // The instances of the stand-in started so far, in order.
    QList<Started> recorded() const
    {
        QList<Started> list;
        QFile file(record_);
        if (!file.open(QIODevice::ReadOnly))
            return list;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            QStringList fields = QString::fromUtf8(line).split('\t');
            Started s;
            s.pid = fields.takeFirst().toLongLong();
            fields.removeFirst();  // the record file itself
            s.arguments = fields;
            list << s;
        }
        return list;
    }

    // Waits until `count` instances have recorded themselves.
    QList<Started> waitForInstances(int count) const
    {
        // The callers check how many came.
        static_cast<void>(QTest::qWaitFor([&] { return recorded().size() >= count; }, 10000));
        return recorded();
    }

    // An instance started as if by an earlier hand-off, its window up.
    long long startInstance()
    {
        const std::optional<long long> pid = StartProgram(command_);
        EXPECT_TRUE(pid.has_value());
        if (!pid)
            return 0;
        pids_.insert(*pid);
        const int before = int(recorded().size());
        waitForInstances(before + 1);
        return *pid;
    }

    QString handle() const { return ReadIni(IniFile, "Pavoxa", "HANDLE"); }

    QTemporaryDir dir_;
    QString record_;
    QString command_;
    std::set<long long> pids_;
    ScriptedBoxes boxes_;
};

TEST_F(HandoffTest, NoRecordedInstanceStartsTheProgramAndHandsOverTheCompany)
{
    // The command line is longer than ReadIni's 99 characters: it must
    // reach the program whole.
    ASSERT_GT(command_.size(), 99);
    configure();
    WriteIni(IniFile, "Pavoxa", "HANDLE", "   ");
    WriteIni(IniFile, "Pavoxa", "DITTA", "VECCHIA");
    LaunchModule("Pavoxa", session_, boxes_);

    const QList<Started> started = waitForInstances(1);
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0].arguments, QStringList({"--ditta", "due parole", "--nota", QString(100, 'N')}));
    EXPECT_EQ(handle(), QString::number(started[0].pid));
    // The caller's code was not read on this path: the program's own company
    // goes over, not an empty code.
    EXPECT_EQ(ReadIni(IniFile, "Pavoxa", "DITTA"), "Acme");
    EXPECT_TRUE(boxes_.seen().empty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(HandoffTest, TheSameCompanysInstanceIsWaitedForWhileStartingThenBroughtForward)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    configure();
    WriteIni(IniFile, "BASE", "DITTA", "Acme");
    WriteIni(IniFile, "Pavoxa", "DITTA", "acme");
    // The first hand-off has just started the program; it maps its window a
    // moment later, while the second hand-off looks for it.
    // The hand-off waits a bounded time for the window: the test goes on once
    // the program has made its window (the file below), however slowly the
    // machine started it, so only the map delay is left to wait for.
    const QString created = dir_.filePath(QStringLiteral("window-created"));
    qputenv("FAKE_SIBLING_MAP_DELAY_MS", "300");
    qputenv("FAKE_SIBLING_CREATED_FILE", created.toLocal8Bit());
    const std::optional<long long> starting = StartProgram(command_);
    qunsetenv("FAKE_SIBLING_MAP_DELAY_MS");
    qunsetenv("FAKE_SIBLING_CREATED_FILE");
    ASSERT_TRUE(starting.has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(created); }, 60000))
        << "the program never made its window";
    pids_.insert(*starting);
    WriteIni(IniFile, "Pavoxa", "HANDLE", QString::number(*starting));

    for (const char* state : {"still starting", "running"}) {
        SCOPED_TRACE(state);
        shell_tests::FocusRootWindow();
        LaunchModule("Pavoxa", session_, boxes_);
        EXPECT_EQ(shell_tests::FocusedWindowPid(), *starting);
        // A second instance would have been recorded as the "HANDLE".
        EXPECT_EQ(handle(), QString::number(*starting));
        EXPECT_EQ(ReadIni(IniFile, "Pavoxa", "DITTA"), "ACME");
    }
    EXPECT_TRUE(boxes_.seen().empty());
    const QList<Started> started = waitForInstances(1);
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0].pid, *starting) << "a second instance was started";
}

TEST_F(HandoffTest, AnInstanceOfAnotherCompanyGoneOrUnreadableIsNotUsedAndANewOneStarts)
{
    configure();
    const long long running = startInstance();
    ASSERT_GT(running, 0);
    WriteIni(IniFile, "Pavoxa", "HANDLE", QString::number(running));
    WriteIni(IniFile, "Pavoxa", "DITTA", "ALTRA");
    WriteIni(IniFile, "BASE", "DITTA", "acme");
    LaunchModule("Pavoxa", session_, boxes_);
    ASSERT_EQ(waitForInstances(2).size(), 2);
    EXPECT_NE(recorded()[1].pid, running);
    EXPECT_EQ(handle(), QString::number(recorded()[1].pid));
    EXPECT_EQ(ReadIni(IniFile, "Pavoxa", "DITTA"), "ACME");

    // Now the same company: a process that has ended (and been reaped), and
    // values that are no process id, including ones that would address
    // process groups, start anew too.
    QProcess ended;
    ended.start("true", {});
    ASSERT_TRUE(ended.waitForFinished());
    const long long gone = ended.processId() > 0 ? ended.processId() : 999999;
    EXPECT_FALSE(ActivateProgram(gone));
    int expected = 2;
    for (const QString& value : {QString::number(gone), QString("abc"), QString("12abc"), QString("0"), QString("-1"),
                                 QString("99999999999")}) {
        WriteIni(IniFile, "Pavoxa", "HANDLE", value);
        LaunchModule("Pavoxa", session_, boxes_);
        const QList<Started> started = waitForInstances(++expected);
        ASSERT_EQ(started.size(), expected) << value.toStdString();
        EXPECT_EQ(handle(), QString::number(started.last().pid)) << value.toStdString();
    }
    EXPECT_TRUE(boxes_.seen().empty());
}

TEST_F(HandoffTest, AProgramNotConfiguredOrThatCannotStartIsReportedAndTheSectionKept)
{
    WriteIni(IniFile, "BASE", "DITTA", "ACME");
    boxes_.expect(store::BoxAnswer::Ok);
    LaunchModule("Pavoxa", session_, boxes_);
    // The section of a program that is not there is not created.
    bool found = true;
    GetProfileValue(IniFile, "Pavoxa", "DITTA", &found);
    EXPECT_FALSE(found);

    const QString missing = dir_.filePath("nowhere/pavoxa") + " --ditta x";
    WriteIni(IniFile, "APPLICATIVI", "Pavoxa", missing);
    WriteIni(IniFile, "Pavoxa", "HANDLE", "777777");
    WriteIni(IniFile, "Pavoxa", "DITTA", "ALTRA");
    boxes_.expect(store::BoxAnswer::Ok);
    LaunchModule("Pavoxa", session_, boxes_);

    EXPECT_EQ(boxes_.prompts(), (QStringList{"Pavoxa non presente su " + IniFile, missing + " non trovato"}));
    for (const testing_support::SeenBox& box : boxes_.seen()) {
        EXPECT_EQ(box.code, store::BoxCode::OkOnly);
        EXPECT_EQ(box.title, "");
    }
    // The recorded instance still works for its own company.
    EXPECT_EQ(handle(), "777777");
    EXPECT_EQ(ReadIni(IniFile, "Pavoxa", "DITTA"), "ALTRA");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(PlatformProcessTest, StartAndActivateRefuseWhatTheyCannotReach)
{
    EXPECT_FALSE(StartProgram("").has_value());
    EXPECT_FALSE(StartProgram("   ").has_value());
    EXPECT_FALSE(StartProgram("/no/such/program arg").has_value());
    EXPECT_FALSE(ActivateProgram(0));
    EXPECT_FALSE(ActivateProgram(-1));
    // This process is alive but has no X window (offscreen platform).
    EXPECT_FALSE(ActivateProgram(CurrentProcessId()));

    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    EXPECT_FALSE(ActivateProgram(CurrentProcessId()));
    if (!display.isEmpty())
        qputenv("DISPLAY", display);
}

}  // namespace
