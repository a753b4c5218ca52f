// The company opened on a second thread while the window is built: Form_Load
// takes it only when the INI file still names it and nothing needed a box,
// and otherwise opens the company itself with the boxes it always shows.
#include "startup_fixture.h"

#include "screen/company_ahead.h"

#include <QFile>
#include <QListView>

namespace screen_tests {

namespace BoxAnswer = store::BoxAnswer;

// The INI file names another company by the time Form_Load reads it: the one
// opened ahead is not used, and the missing one is told as always.
TEST_F(StartupFixture, ACompanyOpenedAheadIsNotTakenWhenTheIniFileNowNamesAnother)
{
    screen::CompanyAhead ahead;
    ahead.wait();
    WriteIni("NESSUNA");
    boxes->expect(BoxAnswer::Cancel);
    form = std::make_unique<screen::Startup>(&ahead);
    form->Form_Load();
    ASSERT_EQ(boxes->seen().size(), 1u);
    EXPECT_TRUE(boxes->seen()[0].prompt.startsWith("SOCIETA' INESISTENTE"));
    EXPECT_FALSE(form->company.RegisterTableOpen);
    EXPECT_EQ(endings, 1);
}

// A company that cannot be opened without a word to the operator is left to
// Form_Load, which asks once.
TEST_F(StartupFixture, ACompanyThatNeedsABoxIsOpenedByTheStartUpItself)
{
    WriteIni("NESSUNA");
    screen::CompanyAhead ahead;
    boxes->expect(BoxAnswer::Cancel);
    form = std::make_unique<screen::Startup>(&ahead);
    form->Form_Load();
    EXPECT_EQ(boxes->seen().size(), 1u);
    EXPECT_EQ(endings, 1);
}

// Opened ahead and taken: the start-up does not open the file again (it has
// been moved away since) and the window reads the company through it.
TEST_F(StartupFixture, TheCompanyOpenedAheadIsTheOneTheWindowWorksOn)
{
    screen::CompanyAhead ahead;
    ahead.wait();
    ASSERT_TRUE(QFile::rename(company.databasePath(), company.databasePath() + ".altrove"));
    form = std::make_unique<screen::Startup>(&ahead);
    form->Form_Load();
    EXPECT_TRUE(boxes->seen().empty());
    EXPECT_TRUE(form->company.RegisterTableOpen && form->company.HeaderTableOpen &&
                form->company.DocTypeTableOpen && form->company.HistoryTableOpen);
    EXPECT_FALSE(Lines(form->c.List1).isEmpty()) << "the document types are read from the company";
    EXPECT_FALSE(ahead.take(form->session)) << "it is handed over once";
}

}  // namespace screen_tests
