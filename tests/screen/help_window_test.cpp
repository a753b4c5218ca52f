// The help window through real keys: F1 opens it from the screen and from the
// search panel, it lists the keys with the version and the session, and
// Escape or F1 closes it, giving the focus back where it was.
#include "startup_fixture.h"

#include "screen/help_window.h"
#include "version.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QTest>

namespace screen_tests {

class HelpWindowTest : public StartupFixture {
protected:
    screen::HelpWindow* help() const { return form->helpWindow(); }
    bool helpShown() const { return help() && help()->isVisible(); }
    // A key to the help window, which has the keyboard while it is open.
    void keyToHelp(Qt::Key k)
    {
        QTest::keyClick(help(), k);
        settle();
    }
};

// An office file in the system folders, hidden by the file the program reads.
TEST_F(HelpWindowTest, F1SaysWhichOfficeIniFileIsHidden)
{
    QTemporaryDir office;
    QFile officeIni(office.path() + "/Morvanex.ini");
    ASSERT_TRUE(officeIni.open(QIODevice::WriteOnly));
    officeIni.write("[BASE]\r\nDITTA=ALTRA\r\n");
    officeIni.close();
    const QByteArray saved = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_DIRS", office.path().toLocal8Bit());
    Start();
    key(Qt::Key_F1);
    ASSERT_TRUE(helpShown());
    const QString shown = help()->text();
    qputenv("XDG_CONFIG_DIRS", saved);
    EXPECT_TRUE(shown.contains("File INI               " + programFolder.path() + "/Morvanex.ini\n"));
    EXPECT_TRUE(shown.contains("File INI non letto     " + office.path() + "/Morvanex.ini (dell'ufficio: lo "
                               "nasconde il file sopra"))
        << shown.toStdString();
    keyToHelp(Qt::Key_Escape);
}

TEST_F(HelpWindowTest, F1ShowsTheKeysAndTheSessionAndEscapeOrF1ClosesIt)
{
    Start();
    type("r");
    key(Qt::Key_F1);
    ASSERT_TRUE(helpShown());
    const QString shown = help()->text();
    for (const char* expected : {"F4 o doppio clic", "F7", "stampa la scheda del registro",
                                 "stampa le pagine di un registro", "Ctrl+Maiusc+L", "Alt+X",
                                 "chiude il pannello senza scegliere", "Annulla / Riprova / Ignora / Interrompi"})
        EXPECT_TRUE(shown.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_TRUE(shown.contains(QStringLiteral("Versione               %1.%2.%3\n")
                                  .arg(QUENVOL_VERSION_MAJOR)
                                  .arg(QUENVOL_VERSION_MINOR)
                                  .arg(QUENVOL_VERSION_PATCH)));
    EXPECT_TRUE(shown.contains("File INI               " + programFolder.path() + "/Morvanex.ini\n"));
    EXPECT_TRUE(shown.contains(QString::fromUtf8("Società                DEMO\n")));
    EXPECT_TRUE(shown.contains("Dati                   " + company.databasePath() + "\n"));

    keyToHelp(Qt::Key_Escape);
    EXPECT_FALSE(helpShown());
    ASSERT_TRUE(QTest::qWaitFor([this] { return focused() == form->c.DicKod; }));
    EXPECT_EQ(text(0), "R");
    EXPECT_TRUE(boxes->seen().empty());  // nothing looked up meanwhile

    // From the search panel, closed by F1 itself; the panel stays open.
    key(Qt::Key_F4);
    ASSERT_TRUE(form->c.Pict[0]->isVisible());
    key(Qt::Key_F1);
    ASSERT_TRUE(helpShown());
    keyToHelp(Qt::Key_F1);
    EXPECT_FALSE(helpShown());
    EXPECT_TRUE(form->c.Pict[0]->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([this] { return focused() == form->c.CodTab; }));
    EXPECT_EQ(endings, 0);
}

}  // namespace screen_tests
