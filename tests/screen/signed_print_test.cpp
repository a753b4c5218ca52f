// F8 with the office's signing key named in the INI ([FIRMA] CHIAVE): the
// passphrase typed in a masked box, the certificate shown before signing, a
// wrong passphrase refused with nothing written or recorded, and the sheet
// written signed with the signature in the history. The key is a PKCS#12
// file made with openssl (tools/signing_test_keys.sh).
#include "startup_fixture.h"

#include "support/signing_keys.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QSpinBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using screen_tests::StartupFixture;

namespace {

// Once the dialog `name` shows and is active, hands it to `act`.
void WhenAsked(const QString& name, std::function<void(QDialog*)> act)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act, name] {
        auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!window || window->objectName() != name || !window->isActiveWindow())
            return;
        timer->stop();
        timer->deleteLater();
        act(window);
    });
    timer->start(5);
}

class SignedPrint : public StartupFixture {
protected:
    void SetUp() override
    {
        StartupFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(testing_support::MakeSigningKeys(keys.path()));
        QFile ini(programFolder.path() + QStringLiteral("/Morvanex.ini"));
        ASSERT_TRUE(ini.open(QIODevice::Append));
        ini.write(("[FIRMA]\nCHIAVE=" + keys.filePath("bianchi.p12") + "\n").toUtf8());
        ini.close();
        qputenv("QUENVOL_STAMPA_PDF", pdf().toLocal8Bit());
    }
    void TearDown() override
    {
        qunsetenv("QUENVOL_STAMPA_PDF");
        StartupFixture::TearDown();
    }
    QString pdf() const { return keys.filePath("scheda.pdf"); }
    int signatures() const
    {
        return company.scalar("SELECT count(*) FROM StoricoSerieSemplificata WHERE StoAzione = 'firma'").toInt();
    }
    // `passphrase` typed in the PIN box once it shows; whether the box was masked.
    void answerPin(const QString& passphrase, bool* masked)
    {
        WhenAsked("PinFirma", [masked, passphrase](QDialog* box) {
            auto* pin = box->findChild<QLineEdit*>("Pin");
            *masked = pin->echoMode() == QLineEdit::Password;
            QTest::keyClicks(pin, passphrase);
            QTest::keyClick(pin, Qt::Key_Return);
        });
    }
    // F8 on R1 with `passphrase` typed in the PIN box; whether the box was masked.
    bool printWith(const QString& passphrase)
    {
        bool masked = false;
        answerPin(passphrase, &masked);
        key(Qt::Key_F8);
        return masked;
    }

    QTemporaryDir keys;
};

}  // namespace

TEST_F(SignedPrint, AWrongPassphraseIsToldAndNothingIsWrittenOrRecorded)
{
    Start();
    lookUp("R1");
    form->runtime().SetFocus(form->c.Txt[23]);
    boxes->expect(store::BoxAnswer::Ok);
    EXPECT_TRUE(printWith("sbagliata"));
    ASSERT_EQ(boxes->seen().size(), 1u);
    EXPECT_TRUE(boxes->seen()[0].prompt.startsWith("PASSPHRASE ERRATA")) << boxes->seen()[0].prompt.toStdString();
    EXPECT_TRUE(boxes->seen()[0].prompt.endsWith("NESSUN DOCUMENTO FIRMATO"));
    EXPECT_FALSE(QFile::exists(pdf()));
    EXPECT_EQ(signatures(), 0);
}

TEST_F(SignedPrint, TheCertificateIsShownBeforeTheSheetIsSignedAndTheHistoryNamesTheSigner)
{
    Start();
    lookUp("R1");
    form->runtime().SetFocus(form->c.Txt[23]);
    boxes->expect(store::BoxAnswer::No);  // whose certificate: not this time
    printWith("segreto");
    EXPECT_FALSE(QFile::exists(pdf()));
    // Back to the field F8 was pressed in, once the window is active again
    // (the test's platform has no window manager to give it back).
    form->c.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form->c.window));
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr; }));
    EXPECT_EQ(focused(), form->c.Txt[23]);

    boxes->expect(store::BoxAnswer::Yes);
    boxes->expect(store::BoxAnswer::Ok);  // written
    printWith("segreto");
    ASSERT_EQ(boxes->seen().size(), 3u);
    const QString shown = boxes->seen()[1].prompt;
    EXPECT_TRUE(shown.contains("CN=ANNA BIANCHI") && shown.contains("RILASCIATO DA CN=CA-DI-PROVA") &&
                shown.contains("VALIDO FINO AL"))
        << shown.toStdString();
    EXPECT_TRUE(boxes->seen()[2].prompt.startsWith("DOCUMENTO FIRMATO SCRITTO IN"));
    QFile file(pdf());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.contains("/SubFilter /ETSI.CAdES.detached"));
    EXPECT_TRUE(content.contains("pdfaid:part"));
    EXPECT_EQ(signatures(), 1);
    EXPECT_EQ(focused(), form->c.Txt[23]);
}

TEST_F(SignedPrint, TheSheetOfASetWhoseCodeEndsInABlankIsRecordedUnderThatSetsCode)
{
    // A company from before the code rule, with a look-alike of R1.
    company.exec("DROP TRIGGER \"TabellaSerieSemplificata_codice_nuovo\"");
    company.exec("INSERT INTO TabellaSerieSemplificata (SspCodice, SspDescrizione) VALUES ('R1 ', 'SOSIA')");
    Start();
    key(Qt::Key_F4);
    type("r1");
    ASSERT_EQ(Lines(form->c.Lista).size(), 2);
    doubleClickLine(form->c.Lista, 1);  // "R1 "
    ASSERT_EQ(text(1), "SOSIA");
    boxes->expect(store::BoxAnswer::Yes);  // the certificate
    boxes->expect(store::BoxAnswer::Ok);   // written
    printWith("segreto");
    ASSERT_EQ(signatures(), 1);
    EXPECT_EQ(company.scalar("SELECT StoCodice FROM StoricoSerieSemplificata WHERE StoAzione = 'firma'").toString(),
              "R1 ");
}

TEST_F(SignedPrint, PagesAskedInTheHeaderPanelAreSignedAndRecordedWithTheSigner)
{
    Start();
    lookUp("R1");
    key(Qt::Key_T, Qt::AltModifier);  // "&TESTATE"
    ASSERT_TRUE(form->c.Pict[2]->isVisible());
    boxes->expect(store::BoxAnswer::Yes);  // the certificate
    boxes->expect(store::BoxAnswer::Ok);   // written
    bool masked = false;
    WhenAsked("StampaPagine", [this, &masked](QDialog* ask) {
        ask->findChild<QSpinBox*>("APagina")->setValue(3);
        answerPin("segreto", &masked);
        QTest::keyClick(ask->focusWidget(), Qt::Key_Return);
    });
    key(Qt::Key_F8);
    EXPECT_TRUE(masked);
    EXPECT_TRUE(boxes->allAnswered()) << boxes->prompts().join("|").toStdString();
    QFile file(pdf());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("/SubFilter /ETSI.CAdES.detached"));
    EXPECT_EQ(company.scalar("SELECT StoColonna || ' ' || StoPrima FROM StoricoSerieSemplificata "
                             "WHERE StoAzione = 'firma'").toString(),
              "pagine ARRIVI 1-3 CN=Anna Bianchi");
    EXPECT_EQ(company.scalar("SELECT count(*) FROM StoricoSerieSemplificata WHERE StoAzione = 'stampa pagine'")
                  .toInt(),
              1);
}

#ifdef _WIN32
TEST_F(SignedPrint, AKeyOnATokenIsRefusedOnWindowsWithoutAskingThePin)
{
    QFile ini(programFolder.path() + QStringLiteral("/Morvanex.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll().replace(QFile::encodeName(keys.filePath("bianchi.p12")),
                                                  "pkcs11:token=ufficio;object=firma");
    ini.close();
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(text);
    ini.close();
    Start();
    lookUp("R1");
    // A PIN box, were one shown, is closed at once and told.
    bool pinAsked = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&pinAsked] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (box && box->objectName() == "PinFirma") {
            pinAsked = true;
            box->reject();
        }
    });
    watch.start(5);
    boxes->expect(store::BoxAnswer::Ok);
    key(Qt::Key_F8);
    EXPECT_FALSE(pinAsked);
    ASSERT_EQ(boxes->seen().size(), 1u);
    EXPECT_TRUE(boxes->seen()[0].prompt.contains("NON SONO ANCORA DISPONIBILI SU WINDOWS") &&
                boxes->seen()[0].prompt.endsWith("NESSUN DOCUMENTO FIRMATO"))
        << boxes->seen()[0].prompt.toStdString();
    EXPECT_FALSE(QFile::exists(pdf()));
    EXPECT_EQ(signatures(), 0);
}
#endif
