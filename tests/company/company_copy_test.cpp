// Copying a company between a data folder and the office server, both ways:
// identical rows, all or nothing, never over an existing company.
#include "company/company_copy.h"
#include "company/company_file.h"
#include "company/company_server.h"
#include "store/schema/table_description.h"
#include "support/test_company.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <libpq-fe.h>

#include <gtest/gtest.h>

using namespace store;
using company::copy::CopiedTable;

namespace {

// Every row of every table, in key order, as the engine reads them.
std::vector<std::vector<Value>> rowsOf(Database& db)
{
    std::vector<std::vector<Value>> rows;
    for (const TableDescription* table : CompanyTables()) {
        auto snap = db.openSnapshot(table->name, table->key().name, QStringLiteral("*"));
        for (; !snap->atEnd(); snap->moveNext()) {
            std::vector<Value> row{table->name};
            for (const ColumnDescription& column : table->columns)
                row.push_back(snap->field(column.name));
            rows.push_back(row);
        }
    }
    return rows;
}

class ServerCopy : public testing::Test {
protected:
    void SetUp() override
    {
        server = testing_support::TestServer();
        if (server.isEmpty())
            GTEST_SKIP() << testing_support::NoTestServer;
        code = QStringLiteral("C%1").arg(QCoreApplication::applicationPid());
        company::server::DropCompanySchema(server, code);
        const QString path = company::copy::CompanyFilePath(folder.path(), code);
        ASSERT_EQ(company::file::CreateCompanyDatabase(path), "");
        ASSERT_EQ(company::file::AddDemonstrationData(path), "");
        ASSERT_EQ(company::file::Execute(path, {QStringLiteral(
                      "INSERT INTO \"TabellaDocScorta\" VALUES ('ÀÉ', 'ACCENTI È NULL', NULL)"),
                                                 QStringLiteral(
                      "INSERT INTO \"StoricoSerieSemplificata\" (\"StoId\", \"StoModifica\", \"StoCodice\", "
                      "\"StoAzione\", \"StoColonna\", \"StoPrima\", \"StoDopo\") "
                      "VALUES (7, 'M7', 'R1', 'variazione', 'DesSerie', 'PRIMA, \"A\"', NULL)")}),
                  "");
    }
    void TearDown() override
    {
        if (!server.isEmpty())
            company::server::DropCompanySchema(server, code);
    }

    QString server;
    QString code;
    QTemporaryDir folder;
    QTemporaryDir back;
};

}  // namespace

TEST_F(ServerCopy, BothWaysLeaveIdenticalRowsAndNeverOverwrite)
{
    std::vector<CopiedTable> copied;
    ASSERT_EQ(company::copy::CopyCompany(folder.path(), server, code, &copied), "");
    ASSERT_EQ(copied.size(), 4u);
    EXPECT_EQ(copied[0].rows, 5);
    EXPECT_EQ(copied[1].rows, 1);
    EXPECT_EQ(copied[2].rows, 11);
    EXPECT_EQ(copied[3].rows, 1);
    {
        // The server numbers the next history row after the ones copied.
        auto onServer = openServerDatabase(server, code);
        auto history = onServer->openTable(HistoryTable);
        history->addNew();
        history->setField(QStringLiteral("StoModifica"), QStringLiteral("M8"));
        history->setField(QStringLiteral("StoCodice"), QStringLiteral("R1"));
        history->update();
        auto added = onServer->openSnapshot(HistoryTable, QStringLiteral("StoModifica"), QStringLiteral("M8"));
        ASSERT_FALSE(added->atEnd());
        EXPECT_EQ(added->field(QStringLiteral("StoId")).toLongLong(), 8);
    }
    ASSERT_EQ(company::file::Execute(company::copy::CompanyFilePath(folder.path(), code),
                                    {QStringLiteral("INSERT INTO \"StoricoSerieSemplificata\" (\"StoId\", "
                                                    "\"StoModifica\", \"StoCodice\") VALUES (8, 'M8', 'R1')")}),
              "");

    ASSERT_EQ(company::copy::CopyCompany(server, back.path(), code, &copied), "");
    const auto original = rowsOf(*openDatabase(company::copy::CompanyFilePath(folder.path(), code)));
    EXPECT_EQ(rowsOf(*openServerDatabase(server, code)), original);
    EXPECT_EQ(rowsOf(*openDatabase(company::copy::CompanyFilePath(back.path(), code))), original);

    // Neither way overwrites a company that is there.
    EXPECT_NE(company::copy::CopyCompany(folder.path(), server, code, nullptr), "");
    EXPECT_NE(company::copy::CopyCompany(server, back.path(), code, nullptr), "");
    EXPECT_EQ(rowsOf(*openServerDatabase(server, code)), original);
}

TEST_F(ServerCopy, ACopyThatFailsHalfWayLeavesNoCompanyBehind)
{
    // The file takes a code longer than its column; the server refuses it.
    ASSERT_EQ(company::file::Execute(company::copy::CompanyFilePath(folder.path(), code),
                                    {QStringLiteral("INSERT INTO \"TestataRegistriPS\" (\"TpsCodice\") "
                                                    "VALUES ('UNDICI_CHAR')")}),
              "");
    const QString error = company::copy::CopyCompany(folder.path(), server, code, nullptr);
    EXPECT_TRUE(error.contains(HeaderTable)) << error.toStdString();
    QString problem;
    EXPECT_FALSE(company::server::SchemaExists(server, code, &problem));
    EXPECT_EQ(problem, "");
}

TEST_F(ServerCopy, UpgradeAddsTheHistoryToAnOlderServerCompanyOnly)
{
    ASSERT_EQ(company::copy::CopyCompany(folder.path(), server, code, nullptr), "");
    {
        auto db = openServerDatabase(server, code);
        auto history = db->openTable(HistoryTable);
        history->addNew();
        history->setField(QStringLiteral("StoCodice"), QStringLiteral("R1"));
        history->update();
        auto row = db->openSnapshot(HistoryTable);
        history->setIndex(PrimaryIndex);
        history->seek(QStringLiteral("="), row->field(QStringLiteral("StoId")));
        history->edit();
        history->setField(QStringLiteral("StoCodice"), QStringLiteral("R2"));
        EXPECT_THROW(history->update(), EngineError);  // not even the owner alters it
        EXPECT_THROW(history->deleteRow(), EngineError);
    }
    bool added = true;
    EXPECT_EQ(company::server::AddHistoryTable(server, code, &added), "");
    EXPECT_FALSE(added);  // already there: nothing done
    // A company made before the history: upgrade adds the table, empty.
    PGconn* conn = PQconnectdb(server.toUtf8().constData());
    PQclear(PQexec(conn, QStringLiteral("DROP TABLE \"%1\".\"StoricoSerieSemplificata\"").arg(code).toUtf8().constData()));
    PQfinish(conn);
    EXPECT_THROW(openServerDatabase(server, code)->openTable(HistoryTable), EngineError);
    EXPECT_EQ(company::server::AddHistoryTable(server, code, &added), "");
    EXPECT_TRUE(added);
    auto db = openServerDatabase(server, code);
    EXPECT_TRUE(db->openSnapshot(HistoryTable)->atEnd());
    EXPECT_FALSE(company::server::AddHistoryTable(server, QStringLiteral("NESSUNA%1").arg(code), &added).isEmpty());
}

TEST_F(ServerCopy, TabsBackslashesAndLineBreaksInAValueComeBackExactly)
{
    // The rows reach the server as one stream in which these characters, and
    // Null, have forms of their own.
    ASSERT_EQ(company::file::Execute(company::copy::CompanyFilePath(folder.path(), code),
                                    {QStringLiteral("INSERT INTO \"TabellaDocScorta\" VALUES "
                                                    "('T9', 'A' || char(9) || 'B\\C' || char(10) || 'D' || char(13) || '\\N', NULL)")}),
              "");
    ASSERT_EQ(company::copy::CopyCompany(folder.path(), server, code, nullptr), "");
    ASSERT_EQ(company::copy::CopyCompany(server, back.path(), code, nullptr), "");
    const auto original = rowsOf(*openDatabase(company::copy::CompanyFilePath(folder.path(), code)));
    EXPECT_EQ(rowsOf(*openServerDatabase(server, code)), original);
    EXPECT_EQ(rowsOf(*openDatabase(company::copy::CompanyFilePath(back.path(), code))), original);
}

TEST_F(ServerCopy, AFileMadeBeforeAColumnIsCopiedWithTheColumnNull)
{
    const QString path = company::copy::CompanyFilePath(folder.path(), code);
    ASSERT_EQ(company::file::Execute(path, {QStringLiteral("ALTER TABLE \"TabellaSerieSemplificata\" "
                                                           "DROP COLUMN \"SspMeccanogCin\"")}),
              "");
    std::vector<CopiedTable> copied;
    ASSERT_EQ(company::copy::CopyCompany(folder.path(), server, code, &copied), "");
    EXPECT_EQ(copied[0].rows, 5);
    auto onServer = openServerDatabase(server, code);
    auto registers = onServer->openTable(RegisterTable);
    registers->setIndex(PrimaryIndex);
    registers->seek(QStringLiteral("="), QStringLiteral("R1"));
    ASSERT_FALSE(registers->noMatch());
    EXPECT_TRUE(registers->field(QStringLiteral("SspMeccanogCin")).isNull());
    EXPECT_FALSE(registers->field(QStringLiteral("SspDescrizione")).isNull());
}
