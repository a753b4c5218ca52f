// A company database that another program holds locked beyond the engine's
// wait, or that is damaged: the operator reads the engine's number and text,
// the busy pointer shows while the engine waits, and the window stays usable
// where it was (tests/programs/lock_holder holds the lock).
#include "startup_fixture.h"

#include "shell/test_programs.h"

#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace screen_tests {
namespace {

class DatabaseErrors : public StartupFixture {
protected:
    void SetUp() override
    {
        StartupFixture::SetUp();
        // Every box is answered OK; the pointer it would open over is noted.
        runtime::FormRuntime::SetBoxAnswerer([this](const runtime::BoxRequest& request) {
            seen.push_back(request);
            const QCursor* cursor = QGuiApplication::overrideCursor();
            pointers.push_back(cursor ? cursor->shape() : Qt::ArrowCursor);
            return store::BoxAnswer::Ok;
        });
    }

    // Another program takes the exclusive lock and keeps it until release().
    void lock()
    {
        holder.start(shell_tests::TestProgram(QStringLiteral("lock_holder")), {company.databasePath()});
        ASSERT_TRUE(holder.waitForStarted());
        while (!holder.canReadLine() && holder.state() == QProcess::Running)
            holder.waitForReadyRead(30000);
        ASSERT_EQ(holder.readLine(), QByteArray("locked\n")) << holder.readAllStandardError().toStdString();
    }
    void release()
    {
        holder.closeWriteChannel();
        ASSERT_TRUE(holder.waitForFinished(30000));
    }

    QProcess holder;
    std::vector<runtime::BoxRequest> seen;
    std::vector<Qt::CursorShape> pointers;
};

// Under the lock the lookup shows the error and returns to the code field; the
// document-type check keeps its field. Once the lock is gone both work.
TEST_F(DatabaseErrors, ALockedFileIsReportedAndTheLookupAndTheDocumentTypeCheckWorkOnceItIsFree)
{
    Start();
    lock();
    type(QStringLiteral("R1"));
    key(Qt::Key_Return);

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].prompt.startsWith(QStringLiteral("ERRORE 3261\n"))) << seen[0].prompt.toStdString();
    EXPECT_EQ(seen[0].code, store::BoxCode::OkCritical);
    EXPECT_EQ(seen[0].title, QStringLiteral("Quenvol"));
    EXPECT_EQ(pointers[0], Qt::WaitCursor);  // shown while the engine waited
    // Gone once the event loop runs again.
    EXPECT_TRUE(QTest::qWaitFor([] { return QGuiApplication::overrideCursor() == nullptr; }, 10000));
    EXPECT_EQ(focused(), form->c.DicKod);
    EXPECT_TRUE(form->c.DicKod->isEnabled());
    EXPECT_EQ(form->ScreenMode, screen::Mode::Gestione);
    EXPECT_EQ(text(1).trimmed(), QString());
    EXPECT_FALSE(form->c.cmdD[1]->isVisible());
    EXPECT_EQ(endings, 0);

    release();
    type(QStringLiteral("R1"));
    key(Qt::Key_Return);
    ASSERT_EQ(form->ScreenMode, screen::Mode::Variazione);
    EXPECT_EQ(seen.size(), 1u);

    form->runtime().SetFocus(form->c.Txt[24]);
    form->runtime().SetText(form->c.Txt[24], QStringLiteral("fat"));
    settle();
    lock();
    key(Qt::Key_Return);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[1].prompt.startsWith(QStringLiteral("ERRORE 3261\n"))) << seen[1].prompt.toStdString();
    EXPECT_EQ(seen[1].title, QStringLiteral("Quenvol"));
    EXPECT_EQ(focused(), form->c.Txt[24]);
    EXPECT_EQ(text(24), QStringLiteral("fat"));

    release();
    key(Qt::Key_Return);
    EXPECT_EQ(focused(), form->c.Txt[25]);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(DatabaseErrors, ADamagedFileIsReportedOnTheFirstLookup)
{
    // Zero the first page of the register table.
    const int pageSize = company.scalar(QStringLiteral("PRAGMA page_size")).toInt();
    const int root = company.scalar(QStringLiteral(
        "SELECT rootpage FROM sqlite_master WHERE name = 'TabellaSerieSemplificata'")).toInt();
    ASSERT_GT(root, 1);
    {
        QFile file(company.databasePath());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.seek(qint64(root - 1) * pageSize));
        ASSERT_EQ(file.write(QByteArray(pageSize, '\0')), pageSize);
    }
    Start();
    ASSERT_TRUE(form->company.RegisterTableOpen);
    type(QStringLiteral("R1"));
    key(Qt::Key_Return);

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].prompt, QStringLiteral("ERRORE 3146\ndatabase disk image is malformed"));
    EXPECT_EQ(focused(), form->c.DicKod);
    EXPECT_EQ(form->ScreenMode, screen::Mode::Gestione);
    EXPECT_EQ(endings, 0);
}

// The register row is read, then the header row cannot be (its table renamed
// by another program): the lookup fails whole and the window is back at the
// code field, usable, with nothing of the register shown.
TEST_F(DatabaseErrors, AHeaderReadThatFailsAfterTheRegisterRowReturnsToTheCodeField)
{
    Start();
    company.exec(QStringLiteral("ALTER TABLE TestataRegistriPS RENAME TO TestataAltrove"));
    type(QStringLiteral("R1"));
    key(Qt::Key_Return);

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].prompt.startsWith(QStringLiteral("ERRORE "))) << seen[0].prompt.toStdString();
    EXPECT_EQ(seen[0].code, store::BoxCode::OkCritical);
    EXPECT_EQ(focused(), form->c.DicKod);
    EXPECT_TRUE(form->c.DicKod->isEnabled());
    EXPECT_EQ(form->ScreenMode, screen::Mode::Gestione);
    EXPECT_EQ(text(1).trimmed(), QString());
    EXPECT_FALSE(form->c.cmdD[1]->isVisible());
    EXPECT_EQ(endings, 0);

    // Once the table is back, the same code is shown for change.
    company.exec(QStringLiteral("ALTER TABLE TestataAltrove RENAME TO TestataRegistriPS"));
    type(QStringLiteral("R1"));
    key(Qt::Key_Return);
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
    EXPECT_EQ(seen.size(), 1u);
}

}  // namespace
}  // namespace screen_tests
