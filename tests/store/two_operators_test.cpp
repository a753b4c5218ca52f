// Two workstations on one register set: a change, a delete or an insert made
// by one is told to the other, never lost or replaced untold; and no box ever
// stands open with the database held (a third connection that does not wait
// writes while every box is open).
#include "two_sessions.h"
#include "store/engine/workstation.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace store;
using store_tests::Seed;
using store_tests::Session;

namespace {

class TwoOperators : public testing::TestWithParam<testing_support::Engine> {
protected:
    void SetUp() override
    {
        company = testing_support::MakeTestCompany(GetParam());
        if (!company)
            GTEST_SKIP() << testing_support::NoTestServer;
        probe = std::make_unique<Session>(*company, 0);
    }
    // A workstation whose every box checks that the database is free.
    std::unique_ptr<Session> workstation()
    {
        auto session = std::make_unique<Session>(*company);
        session->boxes.whileOpen = [this](const testing_support::SeenBox& box) {
            EXPECT_NO_THROW({
                probe->db.database->beginTrans();
                probe->db.database->commitTrans();
            }) << "the database is held while this box is open: " << box.prompt.toStdString();
        };
        return session;
    }
    // Workstations A and B open `code`; A confirms `description` for it.
    // Returns B's screen as B opened it.
    ScreenValues changedFirstByA(const QString& code, const QString& description)
    {
        a = workstation();
        b = workstation();
        ScreenValues onA = a->open(code);
        ScreenValues onB = b->open(code);
        onA.Txt[1] = description;
        EXPECT_TRUE(a->confirm(onA)) << "A's own confirm";
        return onB;
    }
    // Whether a box names who made the last change of the set, and today.
    bool saysWhoAndWhen(const QString& prompt) const
    {
        const QString who = GetParam() == testing_support::Engine::Server
                                ? QStringLiteral(", DAL RUOLO postgres (POSTAZIONE %1)").arg(ThisWorkstation().host)
                                : QStringLiteral(", DALLA POSTAZIONE %1 (UTENTE ").arg(ThisWorkstation().host);
        return prompt.contains(QStringLiteral("ULTIMA MODIFICA: %1").arg(QDate::currentDate().toString("dd/MM/yyyy"))) &&
               prompt.contains(who);
    }
    std::unique_ptr<testing_support::TestCompany> company;
    std::unique_ptr<Session> probe;
    std::unique_ptr<Session> a, b;
};

}  // namespace

TEST_P(TwoOperators, AChangeMadeElsewhereIsToldWithItsValueAndWrittenOverOnlyWhenChosen)
{
    Seed(*company, "R1", "VECCHIA");
    ScreenValues onB = changedFirstByA("R1", "NUOVA DI A");

    onB.Txt[23] = "77";  // B changes only a number
    b->boxes.expect(BoxAnswer::No);
    EXPECT_FALSE(b->confirm(onB));
    ASSERT_EQ(b->boxes.seen().size(), 1u);
    EXPECT_EQ(b->boxes.seen()[0].code, BoxCode::YesNoExclaimNoDefault);
    EXPECT_TRUE(b->boxes.seen()[0].prompt.contains("MODIFICATO DA UN'ALTRA POSTAZIONE"));
    EXPECT_TRUE(b->boxes.seen()[0].prompt.contains("DESCRIZIONE: \"NUOVA DI A\""));
    // Who made it and when, as the history has it: the server's role, or the workstation.
    const QString who = GetParam() == testing_support::Engine::Server
                            ? QStringLiteral(", DAL RUOLO postgres (POSTAZIONE %1)").arg(ThisWorkstation().host)
                            : QStringLiteral(", DALLA POSTAZIONE %1 (UTENTE ").arg(ThisWorkstation().host);
    EXPECT_TRUE(b->boxes.seen()[0].prompt.contains(QStringLiteral("L'APERTURA.\nULTIMA MODIFICA: %1")
                                                       .arg(QDate::currentDate().toString("dd/MM/yyyy"))))
        << b->boxes.seen()[0].prompt.toStdString();
    EXPECT_TRUE(b->boxes.seen()[0].prompt.contains(who)) << b->boxes.seen()[0].prompt.toStdString();
    EXPECT_FALSE(b->boxes.seen()[0].prompt.contains("ULT. CRONOL."));  // B's own edit is no difference
    EXPECT_EQ(probe->storedRow("R1")->SspDescrizione, "NUOVA DI A");
    EXPECT_EQ(probe->storedRow("R1")->Registers[Arrivi].Cron, 0);

    // Asked again, B chooses to write its screen over A's version.
    b->boxes.expect(BoxAnswer::Yes);
    EXPECT_TRUE(b->confirm(onB));
    EXPECT_EQ(probe->storedRow("R1")->SspDescrizione, "VECCHIA");
    EXPECT_EQ(probe->storedRow("R1")->Registers[Arrivi].Cron, 77);
}

TEST_P(TwoOperators, ASetDeletedElsewhereIsToldAndWrittenAgainWithItsHeaderLinesOnlyWhenChosen)
{
    Seed(*company, "R2", "DA CANCELLARE", "TESTATA DI R2");
    a = workstation();
    b = workstation();
    a->open("R2");
    ScreenValues onB = b->open("R2");
    ASSERT_EQ(a->remove(), DeleteResult::Deleted);

    onB.Txt[1] = "CAMBIATA DA B";
    b->boxes.expect(BoxAnswer::No);
    EXPECT_FALSE(b->confirm(onB));
    EXPECT_TRUE(b->boxes.prompts().at(0).contains("CANCELLATO DA UN'ALTRA POSTAZIONE"));
    EXPECT_FALSE(probe->storedRow("R2"));

    b->boxes.expect(BoxAnswer::Yes);
    EXPECT_TRUE(b->confirm(onB));
    EXPECT_EQ(probe->storedRow("R2")->SspDescrizione, "CAMBIATA DA B");
    ASSERT_TRUE(probe->storedHeader("R2"));
    EXPECT_EQ(probe->storedHeader("R2")->at(2), "TESTATA DI R2 ");
}

TEST_P(TwoOperators, ASetDeletedElsewhereIsWrittenAgainAsTheScreenShowsIt)
{
    // A stored row with no CUSTODIA date and a Null document type, shown as
    // the window shows it: the date picker at its first day.
    Seed(*company, "R3", "ORIGINALE");
    const QString docType = RegisterTableDescription().columnName(RegisterColumns::WorkSerie(Custodia, 0));
    TableCursor& stored = *probe->db.RegisterCursor;
    stored.setIndex(PrimaryIndex);
    stored.seek("=", "R3");
    stored.edit();
    stored.setField(docType, Value());
    stored.update();
    a = workstation();
    b = workstation();
    a->open("R3");
    ScreenValues onB = b->open("R3");
    for (int k = 0; k < 3; ++k) {
        onB.pickerDate[k] = QDate(2000, 1, 1);
        onB.pickerText[k] = "01/01/2000";
    }
    b->shown.screen = onB;
    ASSERT_EQ(a->remove(), DeleteResult::Deleted);

    onB.Txt[1] = "DI B";
    b->boxes.expect(BoxAnswer::Yes);
    EXPECT_TRUE(b->confirm(onB));
    EXPECT_TRUE(b->boxes.prompts().at(0).contains("CANCELLATO DA UN'ALTRA POSTAZIONE"));
    EXPECT_TRUE(saysWhoAndWhen(b->boxes.prompts().at(0))) << b->boxes.prompts().at(0).toStdString();
    ASSERT_TRUE(probe->storedRow("R3"));
    EXPECT_EQ(probe->storedRow("R3")->SspDescrizione, "DI B");
    EXPECT_EQ(probe->storedRow("R3")->Registers[Custodia].Data, 0);
    EXPECT_TRUE(stored.field(docType).isNull()) << stored.field(docType).toString().toStdString();
}

TEST_P(TwoOperators, ACodeInsertedElsewhereIsToldAndNeverReplaced)
{
    ScreenValues onB = changedFirstByA("NUOVO", "DI A");
    onB.Txt[1] = "DI B";
    b->boxes.expect(BoxAnswer::Ok);
    EXPECT_FALSE(b->confirm(onB));
    EXPECT_TRUE(b->boxes.prompts().at(0).contains("INSERITO NEL FRATTEMPO"));
    EXPECT_TRUE(saysWhoAndWhen(b->boxes.prompts().at(0))) << b->boxes.prompts().at(0).toStdString();
    EXPECT_EQ(probe->storedRow("NUOVO")->SspDescrizione, "DI A");
}

TEST_P(TwoOperators, HeaderLinesChangedElsewhereAreToldLineByLine)
{
    Seed(*company, "R1", "X", "PRIMA");
    a = workstation();
    b = workstation();
    a->open("R1");
    b->open("R1");
    HeaderLines linesOfA = a->headerOnScreen;
    linesOfA[2] = "DI A";
    ASSERT_TRUE(a->confirmHeader(linesOfA));

    HeaderLines linesOfB = b->headerOnScreen;
    linesOfB[3] = "DI B";
    b->boxes.expect(BoxAnswer::No);
    EXPECT_FALSE(b->confirmHeader(linesOfB));
    EXPECT_TRUE(b->boxes.prompts().at(0).contains("TESTATA ARRIVI RIGA 1: \"DI A\""));
    EXPECT_EQ(probe->storedHeader("R1")->at(3), " ");

    b->boxes.expect(BoxAnswer::Yes);
    EXPECT_TRUE(b->confirmHeader(linesOfB));
    EXPECT_EQ(probe->storedHeader("R1")->at(2), "PRIMA ");
    EXPECT_EQ(probe->storedHeader("R1")->at(3), "DI B ");
}

TEST_P(TwoOperators, TheDeleteOfASetChangedOrDeletedElsewhereIsTold)
{
    Seed(*company, "R1", "VECCHIA");
    changedFirstByA("R1", "NUOVA DI A");

    b->boxes.expect(BoxAnswer::No);
    EXPECT_EQ(b->remove(), DeleteResult::NotDeleted);
    EXPECT_TRUE(b->boxes.prompts().at(0).contains("LO CANCELLO LO STESSO?"));
    EXPECT_TRUE(probe->storedRow("R1"));

    a->open("R1");
    ASSERT_EQ(a->remove(), DeleteResult::Deleted);
    b->boxes.expect(BoxAnswer::Ok);
    EXPECT_EQ(b->remove(), DeleteResult::AlreadyDeleted);
    EXPECT_TRUE(b->boxes.prompts().at(1).contains("GIA' STATO CANCELLATO"));
    EXPECT_TRUE(saysWhoAndWhen(b->boxes.prompts().at(1))) << b->boxes.prompts().at(1).toStdString();
}

TEST_P(TwoOperators, AFailedWriteIsRolledBackBeforeItsBoxAndTheBoxGivesTheEngineText)
{
    a = workstation();
    ScreenValues screen = a->open("R9");
    screen.Txt[23] = "99999999999";  // beyond the field's 32-bit number
    bool otherWrote = false;
    a->boxes.whileOpen = [&](const testing_support::SeenBox&) {
        Session other(*company, 0);  // does not wait for a lock
        ScreenValues onOther = other.open("ALTRO");
        otherWrote = other.confirm(onOther);
    };
    a->boxes.expect(BoxAnswer::Ok);
    EXPECT_FALSE(a->confirm(screen));
    EXPECT_TRUE(otherWrote);
    const QStringList lines = a->boxes.prompts().at(0).split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], WriteRegisterFailed);
    EXPECT_FALSE(lines[1].trimmed().isEmpty());
    EXPECT_FALSE(probe->storedRow("R9"));
}

const auto engineName = [](const testing::TestParamInfo<testing_support::Engine>& info) {
    return testing_support::EngineName(info.param);
};
INSTANTIATE_TEST_SUITE_P(File, TwoOperators, testing::Values(testing_support::Engine::File), engineName);
INSTANTIATE_TEST_SUITE_P(Server, TwoOperators, testing::Values(testing_support::Engine::Server), engineName);
