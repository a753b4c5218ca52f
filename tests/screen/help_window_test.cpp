// The help window through real keys: F1 opens it from the screen and from the
// search panel, it lists the keys with the version and the session, and
// Escape or F1 closes it, giving the focus back where it was; M opens the
// manual with the system's viewer, or says why it cannot.
#include "startup_fixture.h"

#include "screen/help_window.h"
#include "store/engine/message_boxes.h"
#include "version.h"

#include <QDir>
#include <QUrl>

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
    // The viewer the manual is handed to: records what it was given.
    void fakeViewer(bool opens)
    {
        screen::HelpWindow::OpenWithViewer = [this, opens](const QUrl& url) {
            handed << url.toLocalFile();
            return opens;
        };
    }
    void TearDown() override
    {
        screen::HelpWindow::OpenWithViewer = savedViewer;
        StartupFixture::TearDown();
    }
    void writeFile(const QString& name)
    {
        QFile file(programFolder.path() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\n");
    }
    // M typed where the help window has the keyboard (its text).
    void pressM()
    {
        ASSERT_NE(help()->focusWidget(), nullptr);
        QTest::keyClick(help()->focusWidget(), Qt::Key_M);
        settle();
    }
    std::function<bool(const QUrl&)> savedViewer = screen::HelpWindow::OpenWithViewer;
    QStringList handed;
};

TEST_F(HelpWindowTest, ManualMissingIsToldWithThePlacesSought)
{
    fakeViewer(true);
    Start();
    key(Qt::Key_F1);
    ASSERT_TRUE(helpShown());
    EXPECT_TRUE(help()->text().contains("Manuale                non trovato\n"));
    boxes->expect(store::BoxAnswer::Ok);
    pressM();
    ASSERT_EQ(boxes->seen().size(), 1u);
    const QString said = boxes->seen().front().prompt;
    EXPECT_TRUE(said.startsWith("MANUALE NON TROVATO\n")) << said.toStdString();
    EXPECT_TRUE(said.contains(QDir::toNativeSeparators(programFolder.path() + "/manuale.pdf")));
    EXPECT_TRUE(handed.isEmpty());
    EXPECT_TRUE(helpShown());
}

TEST_F(HelpWindowTest, ManualNoViewerOpensIsTold)
{
    fakeViewer(false);
    writeFile("manuale.pdf");
    Start();
    key(Qt::Key_F1);
    boxes->expect(store::BoxAnswer::Ok);
    pressM();
    ASSERT_EQ(boxes->seen().size(), 1u);
    EXPECT_TRUE(boxes->seen().front().prompt.startsWith("IMPOSSIBILE APRIRE IL MANUALE\n"));
    EXPECT_EQ(handed, QStringList{programFolder.path() + "/manuale.pdf"});
}

TEST_F(HelpWindowTest, ManualOpensWithTheViewerItsHtmlWhenThePdfHasNone)
{
    writeFile("manuale.pdf");
    writeFile("manuale.html");
    fakeViewer(true);
    Start();
    key(Qt::Key_F1);
    EXPECT_TRUE(help()->text().contains("Manuale                "
                                        + QDir::toNativeSeparators(programFolder.path() + "/manuale.pdf") + "\n"));
    pressM();
    EXPECT_EQ(handed, QStringList{programFolder.path() + "/manuale.pdf"});
    EXPECT_TRUE(boxes->seen().empty());

    // A system without a PDF viewer: the HTML version in the browser.
    handed.clear();
    screen::HelpWindow::OpenWithViewer = [this](const QUrl& url) {
        handed << url.toLocalFile();
        return url.toLocalFile().endsWith(".html");
    };
    pressM();
    EXPECT_EQ(handed, (QStringList{programFolder.path() + "/manuale.pdf", programFolder.path() + "/manuale.html"}));
    EXPECT_TRUE(boxes->seen().empty());
}

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
