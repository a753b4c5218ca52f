// The suite-wide hot keys of the window Startup, pressed as real keys:
// Ctrl+Shift+L and Ctrl+Shift+S start or bring forward the sibling programs
// through the shared INI file. (F2 and F9, which press the screen's exit
// button, are checked with the other ways out and on the panels they reach.)
#include "startup_fixture.h"

#include "shell/profile.h"
#include "shell/test_programs.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <signal.h>

namespace screen_tests {

namespace {

class HotKeysTest : public StartupFixture {
protected:
    // A letter chord as the X11 keyboard delivers it: with Ctrl held its text
    // is the control character (QTest would give the plain letter).
    void chord(Qt::Key letter, Qt::KeyboardModifiers modifiers)
    {
        const QChar plain{char16_t(letter)};
        const QString text = (modifiers & Qt::ControlModifier) ? QString(QChar(char16_t(letter - Qt::Key_A + 1)))
                             : (modifiers & Qt::ShiftModifier) ? QString(plain)
                                                               : QString(plain.toLower());
        QTest::sendKeyEvent(QTest::Press, QApplication::focusWidget(), letter, text, modifiers);
        QTest::sendKeyEvent(QTest::Release, QApplication::focusWidget(), letter, text, modifiers);
        settle();
    }

    // Presses `k` and expects the one box it shows to be the missing-program message.
    void expectNotConfigured(Qt::Key k, Qt::KeyboardModifiers modifiers, const QString& program)
    {
        const size_t before = boxes->seen().size();
        boxes->expect(store::BoxAnswer::Ok);
        chord(k, modifiers);
        ASSERT_EQ(boxes->seen().size(), before + 1) << program.toStdString();
        EXPECT_EQ(boxes->seen().back().prompt, program + " non presente su " + form->session.IniFile);
        EXPECT_EQ(boxes->seen().back().code, store::BoxCode::OkOnly);
    }
};

}  // namespace

TEST_F(HotKeysTest, SiblingHotKeysWithoutAnEntryNameTheProgramAndTheIniFile)
{
    Start();
    ASSERT_EQ(form->session.IniFile, programFolder.path() + "/Morvanex.ini");
    expectNotConfigured(Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier, "Pavoxa");
    // Alt held as well changes nothing.
    expectNotConfigured(Qt::Key_L, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier,
                        "Pavoxa");
    expectNotConfigured(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, "Rimbelo");

    // Without both Ctrl and Shift there is no hand-off, and nothing is typed.
    for (Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::ShiftModifier),
          Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier)})
        chord(Qt::Key_L, modifiers);
    EXPECT_EQ(boxes->seen().size(), 3u);
    EXPECT_EQ(text(0), "L") << "Shift+L types the letter, nothing else does";
    EXPECT_EQ(endings, 0);
}

TEST_F(HotKeysTest, CtrlShiftLStartsTheConfiguredProgramAndRecordsItsProcess)
{
    const QString program = shell_tests::TestProgram("fake_sibling");
    ASSERT_TRUE(QFile::exists(program)) << program.toStdString();
    const QString record = programFolder.filePath("pavoxa.record");
    Start();
    shell::WriteIni(form->session.IniFile, "APPLICATIVI", "Pavoxa",
                    '"' + program + "\" \"" + record + "\" --prova");

    chord(Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);

    // The program writes its line in one append once it runs: the file may be
    // there, still empty, for a moment before the line is.
    QByteArray line;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        if (QFile file(record); file.open(QIODevice::ReadOnly))
            line = file.readAll();
        return line.endsWith('\n');
    }, 10000)) << "the program was not started";
    const QStringList fields = QString::fromUtf8(line).trimmed().split('\t');
    const long long pid = fields.value(0).toLongLong();
    ASSERT_GT(pid, 0);
#ifndef _WIN32  // on Windows the case is left out: its stand-in program is POSIX
    ::kill(pid_t(pid), SIGKILL);
#endif
    EXPECT_EQ(fields.value(2), "--prova");
    EXPECT_EQ(shell::ReadIni(form->session.IniFile, "Pavoxa", "HANDLE"), QString::number(pid));
    EXPECT_EQ(shell::ReadIni(form->session.IniFile, "Pavoxa", "DITTA"), "DEMO");
    EXPECT_TRUE(boxes->seen().empty());
    EXPECT_EQ(focused(), form->c.DicKod);
}

}  // namespace screen_tests
