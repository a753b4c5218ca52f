// The database engine, one set of cases run on both engines (the file and the
// office server): keyed seek, row changes, transactions, snapshots with prefix
// filters, and the errors callers rely on. Then what only the server has:
// connections, passwords, the least privilege.
#include "company/company_server.h"
#include "store/engine/engine.h"
#include "store/schema/table_description.h"
#include "support/test_company.h"

#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

using namespace store;
using testing_support::AddDocType;
using testing_support::ErrorNumberOf;
using testing_support::Engine;
using testing_support::TestCompany;

namespace {

std::unique_ptr<TableCursor> docTypes(Database& db)
{
    auto cursor = db.openTable(DocTypeTable);
    cursor->setIndex(PrimaryIndex);
    return cursor;
}

QStringList codesMatching(Database& db, const QString& pattern, const QString& column = "Codice")
{
    QStringList codes;
    auto snap = db.openSnapshot(DocTypeTable, column, pattern);
    for (; !snap->atEnd(); snap->moveNext())
        codes << snap->field("Codice").toString();
    snap->close();
    return codes;
}

QSet<QString> setOf(const QStringList& list)
{
    return QSet<QString>(list.begin(), list.end());
}

class EngineTest : public testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        company = testing_support::MakeTestCompany(GetParam());
        if (!company)
            GTEST_SKIP() << testing_support::NoTestServer;
        db = company->open();
    }

    std::unique_ptr<TestCompany> company;
    std::unique_ptr<Database> db;
};

std::string nameOf(const testing::TestParamInfo<Engine>& info)
{
    return testing_support::EngineName(info.param);
}

}  // namespace

TEST_P(EngineTest, SeekFindsKeysWithoutRegardToAsciiCaseAndReportsMisses)
{
    auto cursor = docTypes(*db);
    AddDocType(*cursor, "DAU", "DOCUMENTO UNICO");
    AddDocType(*cursor, "ÀB", "ACCENTATO");

    cursor->seek("=", "dau");
    ASSERT_FALSE(cursor->noMatch());
    EXPECT_EQ(cursor->field("Codice").toString(), "DAU");
    EXPECT_EQ(cursor->field("descrizione").toString(), "DOCUMENTO UNICO");
    EXPECT_TRUE(cursor->field("tipo").isNull());

    // Only ASCII letters are folded, as the file's key does.
    cursor->seek("=", "àB");
    EXPECT_TRUE(cursor->noMatch());
    cursor->seek("=", "Àb");
    EXPECT_FALSE(cursor->noMatch());

    cursor->seek("=", "XYZ");
    EXPECT_TRUE(cursor->noMatch());
    EXPECT_EQ(ErrorNumberOf([&] { cursor->field("Codice"); }), EngineErrorNumber::NoCurrentRecord);
}

TEST_P(EngineTest, EditUpdateAndDeleteChangeTheRowUnderTheCursor)
{
    auto cursor = docTypes(*db);
    AddDocType(*cursor, "T1", "TRANSITO");
    AddDocType(*cursor, "T2", "ALTRO");

    cursor->seek("=", "t1");
    cursor->edit();
    cursor->setField("tipo", "X");
    cursor->update();
    EXPECT_EQ(company->scalar("SELECT \"tipo\" FROM \"TabellaDocScorta\" WHERE \"Codice\"='T1'").toString(), "X");
    EXPECT_EQ(cursor->field("tipo").toString(), "X");

    cursor->deleteRow();
    EXPECT_EQ(company->count(DocTypeTable), 1);
    EXPECT_EQ(company->scalar("SELECT \"Codice\" FROM \"TabellaDocScorta\"").toString(), "T2");
}

TEST_P(EngineTest, NumbersDatesAndPaddedTextsComeBackAsWritten)
{
    auto cursor = db->openTable(RegisterTable);
    cursor->setIndex(PrimaryIndex);
    cursor->addNew();
    cursor->setField("SspCodice", "R1");
    cursor->setField("SspArrCron", 123456);
    cursor->setField("SspArrGaranz", 98000.5);
    cursor->setField("SspArrPeriodo", 12);
    cursor->setField("SspArrData", 44197);  // 1 January 2021
    cursor->setField("SspCusData", 0);      // no date
    cursor->setField("SspMagNum", "12    ");
    cursor->update();

    cursor->seek("=", "R1");
    ASSERT_FALSE(cursor->noMatch());
    EXPECT_EQ(cursor->field("SspArrCron").toLongLong(), 123456);
    EXPECT_DOUBLE_EQ(cursor->field("SspArrGaranz").toDouble(), 98000.5);
    EXPECT_EQ(cursor->field("SspArrPeriodo").toInt(), 12);
    EXPECT_EQ(cursor->field("SspArrData").toLongLong(), 44197);
    EXPECT_EQ(cursor->field("SspCusData").toLongLong(), 0);
    EXPECT_TRUE(cursor->field("SspDepData").isNull());
    EXPECT_EQ(cursor->field("SspMagNum").toString(), "12    ");
}

TEST_P(EngineTest, MistakesAreErrorsWithNumbersNotCrashes)
{
    auto cursor = docTypes(*db);
    AddDocType(*cursor, "T1", "TRANSITO");
    cursor->seek("=", "T1");

    EXPECT_EQ(ErrorNumberOf([&] { cursor->field("NonEsiste"); }), EngineErrorNumber::ItemNotFound);
    cursor->edit();
    EXPECT_EQ(ErrorNumberOf([&] { cursor->setField("NonEsiste", 1); }), EngineErrorNumber::ItemNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { cursor->setIndex("secondaria"); }), EngineErrorNumber::NotAnIndex);
    EXPECT_EQ(ErrorNumberOf([&] { db->openTable("Manca"); }), EngineErrorNumber::TableNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { db->openSnapshot("Manca"); }), EngineErrorNumber::TableNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { company->openMissing(); }), EngineErrorNumber::CannotOpenDatabase);
    // A duplicate key, in another case, is refused by the engine; the table is unchanged.
    EXPECT_EQ(ErrorNumberOf([&] { AddDocType(*cursor, "t1", "DOPPIO"); }), EngineErrorNumber::WriteFailed);
    EXPECT_EQ(company->count(DocTypeTable), 1);
}

TEST_P(EngineTest, RollbackLeavesTheTableAsItWasAndCommitSurvivesReopening)
{
    auto cursor = docTypes(*db);
    AddDocType(*cursor, "KEEP", "PRIMA");

    db->beginTrans();
    AddDocType(*cursor, "GONE", "MAI");
    cursor->seek("=", "KEEP");
    cursor->edit();
    cursor->setField("Descrizione", "DOPO");
    cursor->update();
    db->rollback();
    EXPECT_EQ(company->count(DocTypeTable), 1);
    EXPECT_EQ(company->scalar("SELECT \"Descrizione\" FROM \"TabellaDocScorta\"").toString(), "PRIMA");

    db->beginTrans();
    AddDocType(*cursor, "NEW", "SCRITTO");
    db->commitTrans();
    cursor.reset();
    db.reset();

    auto reopened = company->open();
    auto again = docTypes(*reopened);
    again->seek("=", "NEW");
    ASSERT_FALSE(again->noMatch());
    EXPECT_EQ(again->field("Descrizione").toString(), "SCRITTO");
}

TEST_P(EngineTest, AFailingStepInsideATransactionIsSkippedAndTheOthersCommit)
{
    auto cursor = docTypes(*db);
    AddDocType(*cursor, "T1", "TRANSITO");

    db->beginTrans();
    EXPECT_NE(ErrorNumberOf([&] { AddDocType(*cursor, "T1", "DOPPIO"); }), 0);
    AddDocType(*cursor, "T2", "DOPO L'ERRORE");
    cursor->seek("=", "T2");
    EXPECT_FALSE(cursor->noMatch());
    db->commitTrans();
    EXPECT_EQ(company->count(DocTypeTable), 2);
}

TEST_P(EngineTest, PrefixFilterMatchesTheBeginningWithOnlyStarAsWildcard)
{
    auto cursor = docTypes(*db);
    for (const char* code : {"AB1", "ab2", "XAB", "O'B", "O'C", "50%", "500", "A_B", "AXB", "[X]", "X", "a\\b"})
        AddDocType(*cursor, code, "D");
    AddDocType(*cursor, "NUL", QVariant());

    EXPECT_EQ(setOf(codesMatching(*db, "AB*")), (QSet<QString>{"AB1", "ab2"}));
    EXPECT_EQ(setOf(codesMatching(*db, "O'B*")), (QSet<QString>{"O'B"}));
    EXPECT_EQ(setOf(codesMatching(*db, "50%*")), (QSet<QString>{"50%"}));
    EXPECT_EQ(setOf(codesMatching(*db, "A_B*")), (QSet<QString>{"A_B"}));
    EXPECT_EQ(setOf(codesMatching(*db, "a\\*")), (QSet<QString>{"a\\b"}));
    EXPECT_EQ(setOf(codesMatching(*db, "[X]*")), (QSet<QString>{"[X]"}));
    EXPECT_EQ(setOf(codesMatching(*db, "A*B*")), (QSet<QString>{"AB1", "ab2", "A_B", "AXB", "a\\b"}));
    EXPECT_EQ(codesMatching(*db, "*").size(), 13);

    // An empty filter on a column lists every row whose column is not Null.
    EXPECT_EQ(codesMatching(*db, "*", "Descrizione").size(), 12);
}

TEST_P(EngineTest, FilteredRowsComeInTheFilesOrder)
{
    auto cursor = docTypes(*db);
    for (const char* code : {"b2", "Z9", "A1", "é1", "_x", "a3"})
        AddDocType(*cursor, code, code);
    // The key ignores the case of ASCII letters; other texts compare as bytes.
    EXPECT_EQ(codesMatching(*db, "*"), (QStringList{"_x", "A1", "a3", "b2", "Z9", "é1"}));
    EXPECT_EQ(codesMatching(*db, "*", "Descrizione"), (QStringList{"A1", "Z9", "_x", "a3", "b2", "é1"}));
}

TEST_P(EngineTest, ALockThatOutlastsTheWaitIsError3261WithTheEnginesText)
{
    db = company->open(50);
    auto read = [&] {
        auto cursor = db->openTable(RegisterTable);
        cursor->setIndex(PrimaryIndex);
        cursor->seek("=", "R1");
    };
    {
        const auto lock = company->lockTable(RegisterTable);
        try {
            read();
            ADD_FAILURE() << "the locked table was read";
        } catch (const EngineError& error) {
            EXPECT_EQ(error.number(), EngineErrorNumber::TableLocked);
            EXPECT_EQ(error.description(), company->lockText());
        }
    }
    EXPECT_NO_THROW(read());
}

TEST_P(EngineTest, SnapshotReadsEveryRowByNameOrPositionAndAppendsFieldTextsTellingNullApart)
{
    company->exec("INSERT INTO \"TabellaDocScorta\" (\"Codice\", \"Descrizione\", \"tipo\") VALUES ('ÀB', NULL, 42)");
    company->exec("INSERT INTO \"TabellaDocScorta\" (\"Codice\", \"Descrizione\") VALUES ('T1', 'TRANSITO')");
    auto snap = db->openSnapshot(DocTypeTable);
    const int code = snap->fieldIndex("codice");
    EXPECT_EQ(ErrorNumberOf([&] { snap->fieldIndex("Manca"); }), EngineErrorNumber::ItemNotFound);
    QStringList codes;
    for (; !snap->atEnd(); snap->moveNext()) {
        EXPECT_EQ(snap->field(code), snap->field("Codice"));
        codes << snap->field(code).toString();
        if (codes.last() != "ÀB")
            continue;
        QString out = "x";
        EXPECT_EQ(snap->appendText(code, out), 2);  // decoded, not bytes
        EXPECT_EQ(snap->appendText(snap->fieldIndex("Descrizione"), out), -1);
        EXPECT_EQ(snap->appendText(snap->fieldIndex("tipo"), out), 2);
        EXPECT_EQ(out, "xÀB42");
    }
    EXPECT_EQ(setOf(codes), (QSet<QString>{"ÀB", "T1"}));
}

INSTANTIATE_TEST_SUITE_P(File, EngineTest, testing::Values(Engine::File), nameOf);
INSTANTIATE_TEST_SUITE_P(Server, EngineTest, testing::Values(Engine::Server), nameOf);

// ---------------------------------------------------------------------------
// The server alone.
// ---------------------------------------------------------------------------

TEST(ServerEngine, AnUnreachableServerIsError3151AndNoMessageShowsThePassword)
{
    for (const QString& conninfo : {QStringLiteral("host=/nonexistent/quenvol user=mario password=segreto99"),
                                   QStringLiteral("postgresql://mario:segreto99@/db?host=/nonexistent/quenvol")}) {
        try {
            openServerDatabase(conninfo, "DEMO");
            ADD_FAILURE() << "opened " << conninfo.toStdString();
        } catch (const EngineError& error) {
            EXPECT_EQ(error.number(), EngineErrorNumber::ServerUnreachable);
            EXPECT_FALSE(error.description().isEmpty());
            EXPECT_FALSE(error.description().contains("segreto99")) << error.description().toStdString();
        }
    }
}

TEST(ServerEngine, TheProgramWorksWithOnlyReadAndWriteRightsAndCannotAlterTheHistory)
{
    const auto company = testing_support::MakeTestCompany(Engine::Server);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const QString role = company->company().toLower() + "_operatore";
    const QString schema = "\"" + company->company() + "\"";
    company->exec(QStringLiteral("CREATE ROLE %1 LOGIN").arg(role));
    company->exec(QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schema, role));
    for (const QString& table : {RegisterTable, HeaderTable, DocTypeTable})
        company->exec(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON %1.\"%2\" TO %3")
                          .arg(schema, table, role));
    company->exec(QStringLiteral("GRANT SELECT, INSERT ON %1.\"%2\" TO %3").arg(schema, HistoryTable, role));
    {
        const QString location = company->location();
        const QString asRole = location.startsWith("postgres")
            ? location + (location.contains('?') ? "&user=" : "?user=") + role
            : location + " user=" + role;
        auto db = openServerDatabase(asRole, company->company());
        auto cursor = db->openTable(RegisterTable);
        cursor->setIndex(PrimaryIndex);
        db->beginTrans();
        cursor->seek("=", "R9");
        ASSERT_TRUE(cursor->noMatch());
        cursor->addNew();
        cursor->setField("SspCodice", "R9");
        cursor->update();
        db->commitTrans();
        db->beginTrans();
        cursor->seek("=", "r9");
        ASSERT_FALSE(cursor->noMatch());
        cursor->edit();
        cursor->setField("SspDescrizione", "VARIATO");
        cursor->update();
        db->commitTrans();
        auto snap = db->openSnapshot(RegisterTable, "SspCodice", "R*");
        ASSERT_FALSE(snap->atEnd());
        EXPECT_EQ(snap->field("SspDescrizione").toString(), "VARIATO");
        cursor->deleteRow();
        EXPECT_EQ(company->count(RegisterTable), 0);

        // The history takes new rows from the role, and nothing else.
        auto history = db->openTable(HistoryTable);
        history->setIndex(PrimaryIndex);
        history->addNew();
        history->setField("StoCodice", "R9");
        history->setField("StoAzione", "cancellazione");
        history->update();
        auto added = db->openSnapshot(HistoryTable, "StoCodice", "R9");
        ASSERT_FALSE(added->atEnd());
        history->seek("=", added->field("StoId"));
        ASSERT_FALSE(history->noMatch());
        history->edit();
        history->setField("StoAzione", "inserimento");
        EXPECT_THROW(history->update(), EngineError);
        EXPECT_THROW(history->deleteRow(), EngineError);
        // The server's own rows of the role's change and delete, and the one it added.
        EXPECT_EQ(company->count(HistoryTable), 3);
    }
    company::server::DropCompanySchema(company->location(), company->company());
    company->exec(QStringLiteral("DROP ROLE %1").arg(role));
}
