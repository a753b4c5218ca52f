// A first walk through the window: start, look up, change, confirm.
#include "startup_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace screen_tests {

TEST_F(StartupFixture, LooksUpChangesAndConfirmsARegister)
{
    Start();
    EXPECT_EQ(focused(), form->c.DicKod);
    lookUp("r1");
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
    EXPECT_EQ(text(0), "R1");
    EXPECT_EQ(text(1), "MAGAZZINO NORD");
    EXPECT_EQ(focused(), form->c.Txt[1]);
    type("MAGAZZINO OVEST");
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(column("SspDescrizione", "R1").toString(), "MAGAZZINO OVEST");
    EXPECT_EQ(focused(), form->c.DicKod);
    EXPECT_EQ(text(0), " ");
}

}  // namespace screen_tests
