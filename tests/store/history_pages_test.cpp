// The history read a page at a time, as the window's panel reads it, on both
// engines: the pages read down to the end give exactly the changes of the
// whole read, each once and whole, newest first, another code's left out.
#include "two_sessions.h"

#include "store/history/history_reader.h"
#include "store/record/screen_fields.h"

#include <gtest/gtest.h>

using namespace store;
using store_tests::Session;

namespace {

class HistoryPages : public testing::TestWithParam<testing_support::Engine> {
protected:
    void SetUp() override
    {
        company = testing_support::MakeTestCompany(GetParam());
        if (!company)
            GTEST_SKIP() << testing_support::NoTestServer;
    }
    std::unique_ptr<testing_support::TestCompany> company;
};

}  // namespace

TEST_P(HistoryPages, ReadDownToTheEndThePagesGiveEveryChangeOnceWholeAndNewestFirst)
{
    // Two register sets changed in turn: each created (every column in one
    // change, larger than a small page), then changed in one or two columns.
    store_tests::Seed(*company, "P1", "PRIMA");
    store_tests::Seed(*company, "P2", "ALTRA");
    Session session(*company);
    for (int i = 0; i < 5; ++i) {
        for (const QString& code : {QStringLiteral("P1"), QStringLiteral("P2")}) {
            ScreenValues screen = session.open(code);
            screen.Txt[Field::Description] = QStringLiteral("%1 %2").arg(code).arg(i);
            if (i % 2 == 1)
                screen.Txt[Field::Cron(Arrivi)] = QString::number(i);
            ASSERT_TRUE(session.confirm(screen));
        }
    }
    Database& db = *session.db.database;
    const std::vector<Change> whole = ReadHistory(db, QStringLiteral("P1"));
    ASSERT_EQ(whole.size(), 6u);

    for (int rows : {1, 2, 3, 4, 1000}) {
        std::vector<Change> paged;
        Value below;
        int pages = 0;
        do {
            HistoryPage page = ReadHistoryPage(db, QStringLiteral("p1"), below, rows);
            ASSERT_FALSE(page.changes.empty()) << rows << " rows a page, page " << pages;
            paged.insert(paged.end(), page.changes.begin(), page.changes.end());
            below = page.below;
        } while (!below.isNull() && ++pages < 100);
        EXPECT_EQ(HistoryLines(paged), HistoryLines(whole)) << rows << " rows a page";
    }
    // A code with no history: one empty page, nothing below it.
    const HistoryPage none = ReadHistoryPage(db, QStringLiteral("P3"), Value(), 10);
    EXPECT_TRUE(none.changes.empty());
    EXPECT_TRUE(none.below.isNull());
}

INSTANTIATE_TEST_SUITE_P(File, HistoryPages, testing::Values(testing_support::Engine::File),
                         [](const auto& info) { return testing_support::EngineName(info.param); });
INSTANTIATE_TEST_SUITE_P(Server, HistoryPages, testing::Values(testing_support::Engine::Server),
                         [](const auto& info) { return testing_support::EngineName(info.param); });
