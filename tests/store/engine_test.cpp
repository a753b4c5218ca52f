// The database engine over SQLite: keyed seek, row changes, transactions,
// snapshots with prefix filters, and the errors callers rely on.
#include "store/engine.h"
#include "store/table_description.h"
#include "support/temp_company.h"

#include <sqlite3.h>

#include <QSet>

#include <gtest/gtest.h>

using namespace store;
using testing_support::TempCompany;

namespace {

std::unique_ptr<TableCursor> docTypes(Database& db)
{
    auto cursor = db.openTable(DocTypeTable);
    cursor->setIndex(PrimaryIndex);
    return cursor;
}

void addDocType(TableCursor& cursor, const QString& code, const QVariant& description)
{
    cursor.addNew();
    cursor.setField("Codice", code);
    cursor.setField("Descrizione", description);
    cursor.update();
}

int errorNumberOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EngineError& error) {
        return error.number();
    }
    return 0;
}

QSet<QString> codesMatching(Database& db, const QString& pattern)
{
    QSet<QString> codes;
    auto snap = db.openSnapshot(DocTypeTable, "Codice", pattern);
    for (; !snap->atEnd(); snap->moveNext())
        codes << snap->field("Codice").toString();
    snap->close();
    return codes;
}

}  // namespace

TEST(Engine, SeekFindsKeysWithoutRegardToCaseAndReportsMisses)
{
    TempCompany company;
    auto db = openDatabase(company.databasePath());
    auto cursor = docTypes(*db);
    addDocType(*cursor, "DAU", "DOCUMENTO UNICO");

    cursor->seek("=", "dau");
    ASSERT_FALSE(cursor->noMatch());
    EXPECT_EQ(cursor->field("Codice").toString(), "DAU");
    EXPECT_EQ(cursor->field("descrizione").toString(), "DOCUMENTO UNICO");
    EXPECT_TRUE(cursor->field("tipo").isNull());

    cursor->seek("=", "XYZ");
    EXPECT_TRUE(cursor->noMatch());
    EXPECT_EQ(errorNumberOf([&] { cursor->field("Codice"); }), EngineErrorNumber::NoCurrentRecord);
}

TEST(Engine, EditUpdateAndDeleteChangeTheRowUnderTheCursor)
{
    TempCompany company;
    auto db = openDatabase(company.databasePath());
    auto cursor = docTypes(*db);
    addDocType(*cursor, "T1", "TRANSITO");
    addDocType(*cursor, "T2", "ALTRO");

    cursor->seek("=", "T1");
    cursor->edit();
    cursor->setField("tipo", "X");
    cursor->update();
    EXPECT_EQ(company.scalar("SELECT tipo FROM TabellaDocScorta WHERE Codice='T1'").toString(), "X");
    EXPECT_EQ(cursor->field("tipo").toString(), "X");

    cursor->deleteRow();
    EXPECT_EQ(company.count(DocTypeTable), 1);
    EXPECT_EQ(company.scalar("SELECT Codice FROM TabellaDocScorta").toString(), "T2");
}

TEST(Engine, MistakesAreErrorsWithNumbersNotCrashes)
{
    TempCompany company;
    auto db = openDatabase(company.databasePath());
    auto cursor = docTypes(*db);
    addDocType(*cursor, "T1", "TRANSITO");
    cursor->seek("=", "T1");

    EXPECT_EQ(errorNumberOf([&] { cursor->field("NonEsiste"); }), EngineErrorNumber::ItemNotFound);
    cursor->edit();
    EXPECT_EQ(errorNumberOf([&] { cursor->setField("NonEsiste", 1); }), EngineErrorNumber::ItemNotFound);
    EXPECT_EQ(errorNumberOf([&] { cursor->setIndex("secondaria"); }), EngineErrorNumber::NotAnIndex);
    EXPECT_EQ(errorNumberOf([&] { db->openTable("Manca"); }), EngineErrorNumber::TableNotFound);
    EXPECT_EQ(errorNumberOf([&] { openDatabase(company.folder() + "/nessuno.mdb"); }),
              EngineErrorNumber::CannotOpenDatabase);
    // A duplicate key is refused by the engine, and the file is unchanged.
    EXPECT_NE(errorNumberOf([&] { addDocType(*cursor, "t1", "DOPPIO"); }), 0);
    EXPECT_EQ(company.count(DocTypeTable), 1);
}

TEST(Engine, RollbackLeavesTheTableAsItWasAndCommitSurvivesReopening)
{
    TempCompany company;
    {
        auto db = openDatabase(company.databasePath());
        auto cursor = docTypes(*db);
        addDocType(*cursor, "KEEP", "PRIMA");

        db->beginTrans();
        addDocType(*cursor, "GONE", "MAI");
        cursor->seek("=", "KEEP");
        cursor->edit();
        cursor->setField("Descrizione", "DOPO");
        cursor->update();
        db->rollback();
        EXPECT_EQ(company.count(DocTypeTable), 1);
        EXPECT_EQ(company.scalar("SELECT Descrizione FROM TabellaDocScorta").toString(), "PRIMA");

        db->beginTrans();
        addDocType(*cursor, "NEW", "SCRITTO");
        db->commitTrans();
    }
    auto reopened = openDatabase(company.databasePath());
    auto cursor = docTypes(*reopened);
    cursor->seek("=", "NEW");
    ASSERT_FALSE(cursor->noMatch());
    EXPECT_EQ(cursor->field("Descrizione").toString(), "SCRITTO");
}

TEST(Engine, PrefixFilterMatchesTheBeginningWithOnlyStarAsWildcard)
{
    TempCompany company;
    auto db = openDatabase(company.databasePath());
    auto cursor = docTypes(*db);
    for (const char* code : {"AB1", "ab2", "XAB", "O'B", "O'C", "50%", "500", "A_B", "AXB", "[X]", "X"})
        addDocType(*cursor, code, "D");
    addDocType(*cursor, "NUL", QVariant());

    EXPECT_EQ(codesMatching(*db, "AB*"), (QSet<QString>{"AB1", "ab2"}));
    EXPECT_EQ(codesMatching(*db, "O'B*"), (QSet<QString>{"O'B"}));
    EXPECT_EQ(codesMatching(*db, "50%*"), (QSet<QString>{"50%"}));
    EXPECT_EQ(codesMatching(*db, "A_B*"), (QSet<QString>{"A_B"}));
    EXPECT_EQ(codesMatching(*db, "[X]*"), (QSet<QString>{"[X]"}));
    EXPECT_EQ(codesMatching(*db, "A*B*"), (QSet<QString>{"AB1", "ab2", "A_B", "AXB"}));
    EXPECT_EQ(codesMatching(*db, "*").size(), 12);

    // An empty filter on a column lists every row whose column is not Null.
    int described = 0;
    auto snap = db->openSnapshot(DocTypeTable, "Descrizione", "*");
    for (; !snap->atEnd(); snap->moveNext())
        ++described;
    EXPECT_EQ(described, 11);
}

TEST(Engine, SnapshotWithoutFilterReadsEveryRowByNameOrPosition)
{
    TempCompany company(true);
    auto db = openDatabase(company.databasePath());
    auto snap = db->openSnapshot(DocTypeTable);
    const int code = snap->fieldIndex("codice");
    int rows = 0;
    for (; !snap->atEnd(); snap->moveNext()) {
        EXPECT_EQ(snap->field(code), snap->field("Codice"));
        ++rows;
    }
    EXPECT_EQ(rows, company.count(DocTypeTable));
    EXPECT_EQ(errorNumberOf([&] { snap->fieldIndex("Manca"); }), EngineErrorNumber::ItemNotFound);
}

TEST(Engine, ATableLockedByAnotherProgramIsError3261WithSqliteText)
{
    TempCompany company;
    auto db = openDatabase(company.databasePath(), 50);

    sqlite3* other = nullptr;
    sqlite3_open_v2(company.databasePath().toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        db->openTable(RegisterTable);
        ADD_FAILURE() << "the locked table opened";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.number(), EngineErrorNumber::TableLocked);
        EXPECT_EQ(error.description(), "database is locked");
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(other);
    EXPECT_NO_THROW(db->openTable(RegisterTable));
}

TEST(Engine, SnapshotAppendsFieldTextsForListsAndTellsNullApart)
{
    TempCompany company;
    company.exec("INSERT INTO TabellaDocScorta (Codice, Descrizione, tipo) VALUES ('ÀB', NULL, 42)");
    auto db = openDatabase(company.databasePath());
    auto snap = db->openSnapshot(DocTypeTable);
    QString out = "x";
    EXPECT_EQ(snap->appendText(snap->fieldIndex("Codice"), out), 2);  // decoded, not bytes
    EXPECT_EQ(snap->appendText(snap->fieldIndex("Descrizione"), out), -1);
    EXPECT_EQ(snap->appendText(snap->fieldIndex("tipo"), out), 2);
    EXPECT_EQ(out, "xÀB42");
}
