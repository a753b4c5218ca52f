// An event is a print of pages or the signature of a printed document and
// nothing else: a register that is not one of the four, or page numbers that
// are not, or a first page after the last, a signature of anything else or
// without a certificate's subject and serial, are refused, by the program on either engine and by the server's own event
// function to whoever calls it; a refused event leaves no history row.
#include "support/test_company.h"

#include "store/history/history_event.h"
#include "store/schema/table_description.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

using testing_support::Engine;
using testing_support::MakeTestCompany;

namespace {

class EventPayload : public testing::TestWithParam<Engine> {};

struct Refused {
    const char* column;
    const char* before;
    const char* after;
};

const std::vector<Refused> RefusedPayloads{{"SspDescrizione", "DEPOSITO DOGANALE PORTO", "DEPOSITO FALSO"},
                                           {"ARRIVI", "1", "DUE"},
                                           {"ARRIVI", "0", "3"},
                                           {"ARRIVI", "-2", "3"},
                                           {"ARRIVI", "1.5", "3"},
                                           {"ARRIVI", "500", "1"},
                                           {"arrivi", "1", "2"}};

}  // namespace

TEST_P(EventPayload, AnythingButARegisterAndItsPagesInOrderIsRefused)
{
    auto company = MakeTestCompany(GetParam(), true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    auto db = company->open();
    const int rows = company->count(store::HistoryTable);
    for (const Refused& payload : RefusedPayloads) {
        SCOPED_TRACE(payload.column + std::string(" ") + payload.before + " " + payload.after);
        EXPECT_NE(testing_support::ErrorNumberOf([&] {
                      store::RecordHistoryEvent(*db, {"AB01", "ristampa pagine", payload.column,
                                                      QString::fromUtf8(payload.before),
                                                      QString::fromUtf8(payload.after)});
                  }),
                  0);
        if (GetParam() == Engine::Server) {
            // Called by hand, past the program's own check.
            const QString call = QStringLiteral("SELECT \"StoricoSerieSemplificata_evento\"('AB01', 'stampa pagine', "
                                                "'%1', '%2', '%3')")
                                     .arg(payload.column, payload.before, payload.after);
            EXPECT_NONFATAL_FAILURE(company->exec(call), "evento stampa pagine");
        }
    }
    EXPECT_EQ(company->count(store::HistoryTable), rows);
    store::RecordHistoryEvent(*db, {"AB01", "stampa pagine", "ARRIVI", 3, 3});
    EXPECT_EQ(company->count(store::HistoryTable), rows + 1);
}

// A signature names the document, the certificate's subject and its serial:
// anything else under that action is refused the same way.
TEST_P(EventPayload, ASignatureOfAnythingButAPrintedDocumentIsRefused)
{
    auto company = MakeTestCompany(GetParam(), true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    auto db = company->open();
    const int rows = company->count(store::HistoryTable);
    const std::vector<Refused> forged{{"SspDescrizione", "CN=Mario Rossi", "0A"},
                                      {"pagine ARRIVI 1", "CN=Mario Rossi", "0A"},
                                      {"scheda", "", "0A"},
                                      {"scheda", "CN=Mario Rossi", "non esadecimale"}};
    for (const Refused& payload : forged) {
        SCOPED_TRACE(payload.column + std::string(" ") + payload.before + " " + payload.after);
        EXPECT_NE(testing_support::ErrorNumberOf([&] {
                      store::RecordHistoryEvent(*db, {"AB01", "firma", payload.column, QString::fromUtf8(payload.before),
                                                      QString::fromUtf8(payload.after)});
                  }),
                  0);
        if (GetParam() == Engine::Server) {
            const QString call = QStringLiteral("SELECT \"StoricoSerieSemplificata_evento\"('AB01', 'firma', "
                                                "'%1', '%2', '%3')")
                                     .arg(payload.column, payload.before, payload.after);
            EXPECT_NONFATAL_FAILURE(company->exec(call), "evento firma");
        }
    }
    EXPECT_EQ(company->count(store::HistoryTable), rows);
    store::RecordHistoryEvent(*db, {"AB01", "firma", "pagine ARRIVI 1-3", "CN=Mario Rossi", "0A"});
    EXPECT_EQ(company->count(store::HistoryTable), rows + 1);
}

// A subject longer than the history keeps is refused in words, by the
// program and by the server; the server's function also refuses an event of a
// register set that is not there (an operator's call with nothing printed).
TEST_P(EventPayload, AnEventLongerThanTheHistoryHoldsOrOfARegisterSetNotThereIsRefused)
{
    auto company = MakeTestCompany(GetParam(), true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    auto db = company->open();
    const int rows = company->count(store::HistoryTable);
    const QString subject = QStringLiteral("CN=") + QString(300, QLatin1Char('x'));
    try {
        store::RecordHistoryEvent(*db, {"AB01", "firma", "scheda", subject, "0A"});
        ADD_FAILURE() << "recorded";
    } catch (const store::EngineError& error) {
        EXPECT_TRUE(error.description().contains("troppo lungo")) << error.description().toStdString();
    }
    if (GetParam() == Engine::Server) {
        EXPECT_NONFATAL_FAILURE(company->exec(QStringLiteral("SELECT \"StoricoSerieSemplificata_evento\"('AB01', "
                                                             "'firma', 'scheda', '%1', '0A')")
                                                  .arg(subject)),
                                "evento firma: troppo lungo");
        EXPECT_NONFATAL_FAILURE(company->exec("SELECT \"StoricoSerieSemplificata_evento\"('Q1', 'stampa pagine', "
                                              "'ARRIVI', '1', '500')"),
                                "evento stampa pagine: il registro 'Q1' non esiste");
    }
    EXPECT_EQ(company->count(store::HistoryTable), rows);
}

INSTANTIATE_TEST_SUITE_P(File, EventPayload, testing::Values(Engine::File), testing::PrintToStringParamName());
INSTANTIATE_TEST_SUITE_P(ServerCases, EventPayload, testing::Values(Engine::Server), testing::PrintToStringParamName());
