// Sessions on one company database.
#include "two_sessions.h"

#include <gtest/gtest.h>

namespace store_tests {

Session::Session(const testing_support::TestCompany& company, int busyTimeoutMs) : db(company.open(busyTimeoutMs))
{
    store::OpenRegisterTable(db, boxes);
    store::OpenHeaderTable(db, boxes);
    store::OpenDocTypeTable(db, boxes);
    store::OpenHistoryTable(db, boxes);  // as the window opens it: the writes record their changes
}

store::ScreenValues Session::open(const QString& wanted)
{
    code = wanted;
    EXPECT_NE(set.lookUp(wanted, boxes), store::LookupResult::Failed);
    headerOnScreen = set.headerLines();
    return store::RegisterToScreen(record);
}

bool Session::confirm(const store::ScreenValues& screen)
{
    return set.write(screen, headerOnScreen, boxes);
}

bool Session::confirmHeader(const store::HeaderLines& lines)
{
    headerOnScreen = lines;
    return set.writeHeader(lines, boxes);
}

store::DeleteResult Session::remove()
{
    return set.remove(boxes);
}

std::optional<store::RegisterRecord> Session::storedRow(const QString& wanted)
{
    return store::StoredRegister(*db.RegisterCursor, wanted);
}

std::optional<store::HeaderLines> Session::storedHeader(const QString& wanted)
{
    return store::StoredHeader(*db.HeaderCursor, wanted);
}

void Seed(const testing_support::TestCompany& company, const QString& code, const QString& description,
          const QString& header)
{
    Session seeder(company);
    store::ScreenValues screen = seeder.open(code);
    screen.Txt[1] = description;
    ASSERT_TRUE(seeder.confirm(screen));
    if (!header.isEmpty()) {
        store::HeaderLines lines = store::BlankHeaderLines();
        lines[2] = header;
        ASSERT_TRUE(seeder.confirmHeader(lines));
    }
}

}  // namespace store_tests
