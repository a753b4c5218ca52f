// Opening the three tables at start-up: the box of each table, Retry without
// limit, Cancel leaving the flag False, the engine's text for a locked table.
#include "store/schema/table_description.h"
#include "store/tables/tables.h"
#include "support/scripted_boxes.h"
#include "support/temp_company.h"
#include "support/test_company.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::ScriptedBoxes;
using testing_support::TempCompany;

TEST(Tables, AllThreeOpenOnAGoodDatabase)
{
    TempCompany company(true);
    CompanyDatabase db{openDatabase(company.databasePath())};
    ScriptedBoxes boxes;
    OpenRegisterTable(db, boxes);
    OpenHeaderTable(db, boxes);
    OpenDocTypeTable(db, boxes);
    EXPECT_TRUE(db.RegisterTableOpen && db.HeaderTableOpen && db.DocTypeTableOpen);
    // The header and document-type cursors come with their index set.
    db.DocTypeCursor->seek("=", "DAU");
    EXPECT_FALSE(db.DocTypeCursor->noMatch());
    EXPECT_TRUE(boxes.seen().empty());
}

TEST(Tables, AMissingHeaderTableShowsItsBoxAndCancelLeavesTheFlagFalse)
{
    TempCompany company;
    company.exec("DROP TABLE TestataRegistriPS");
    CompanyDatabase db{openDatabase(company.databasePath())};
    ScriptedBoxes boxes;
    boxes.expect(BoxAnswer::Retry);
    boxes.expect(BoxAnswer::Retry);
    boxes.expect(BoxAnswer::Cancel);
    OpenHeaderTable(db, boxes);
    EXPECT_FALSE(db.HeaderTableOpen);
    ASSERT_EQ(boxes.seen().size(), 3u);  // every Retry repeats the open
    EXPECT_EQ(boxes.seen()[0].prompt, "ERRORE IN APERTURA TESTATA REGISTRI PROC. SEMPLIFICATA");
    EXPECT_EQ(boxes.seen()[0].code, 53);
    EXPECT_EQ(boxes.seen()[0].title, "TESTATA REGISTRI PROCEDURA SEMPLIFICATA");
}

TEST(Tables, ALockedRegisterTableShowsTheEngineTextAndRetryAfterReleaseOpensIt)
{
    const auto company = testing_support::MakeTestCompany(testing_support::Engine::File);
    CompanyDatabase db{company->open(50)};

    // The box is answered by a script that releases the lock before Retry.
    struct ReleasingBoxes : ScriptedBoxes {
        std::unique_ptr<testing_support::Held> lock;
        int MsgBox(const QString& prompt, int code, const QString& title) override
        {
            lock.reset();
            return ScriptedBoxes::MsgBox(prompt, code, title);
        }
    } boxes;
    boxes.lock = company->lockTable(RegisterTable);
    boxes.expect(BoxAnswer::Retry);
    OpenRegisterTable(db, boxes);

    EXPECT_TRUE(db.RegisterTableOpen);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].prompt,
              "ERRORE IN APERTURA REGISTRI PROC. SEMPLIFICATA\ndatabase is locked");
    EXPECT_EQ(boxes.seen()[0].title, "REGISTRI PROCEDURA SEMPLIFICATA");
}
