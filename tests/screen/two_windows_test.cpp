// Two windows on one company, as two workstations: a change saved in one is
// told in the other, whose edits stay on the screen until its operator chooses.
#include "startup_fixture.h"

#include <QLineEdit>
#include <QPushButton>

namespace screen_tests {

TEST_F(StartupFixture, AChangeSavedInAnotherWindowIsToldAndTheEditsStayOnScreen)
{
    Start();
    screen::Startup other;  // the second workstation, driven through its routines
    other.Form_Load();
    ASSERT_TRUE(other.company.RegisterTableOpen);

    lookUp("R1");
    other.RegisterRecord.SspCodice = "R1";
    other.FindRegister();
    other.runtime().SetText(other.c.Txt[store::Field::Description], "SCRITTA ALTROVE");
    other.cmdD_Click(screen::CmdD::Conferma);
    ASSERT_EQ(column("SspDescrizione", "R1").toString(), "SCRITTA ALTROVE");

    form->runtime().SetText(form->c.Txt[store::Field::Cron(0)], "77");
    boxes->expect(store::BoxAnswer::No);
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_TRUE(boxes->prompts().last().contains("DESCRIZIONE: \"SCRITTA ALTROVE\""));
    EXPECT_EQ(text(store::Field::Cron(0)), "77");  // the edit is still on the screen
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
    EXPECT_EQ(column("SspDescrizione", "R1").toString(), "SCRITTA ALTROVE");

    boxes->expect(store::BoxAnswer::Yes);
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(column("SspArrCron", "R1").toInt(), 77);
    EXPECT_EQ(text(0), " ");  // back to the code field
}

}  // namespace screen_tests
