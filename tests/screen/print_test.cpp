// F8 through the real window and real keys: on a register set it opens the
// print preview of its sheet, in the header panel it asks which pages of which
// register (proposing the page after the last printed, pointing out header
// lines not yet confirmed) and previews them;
// Escape closes each, and a preview closed without printing records nothing.
#include "startup_fixture.h"

#include "paper/page_prints.h"
#include "store/engine/engine.h"
#include "store/record/screen_fields.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using screen_tests::StartupFixture;

namespace {

// Once a modal window of type T shows and is active (looked for at every turn of the event
// loop the window's own loop runs), hands it to `act`.
template <typename T>
void WhenShown(std::function<void(T*)> act)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible() || !window->isActiveWindow())
            return;
        timer->stop();
        timer->deleteLater();
        act(window);
    });
    timer->start(5);
}

// A key as the operator types it: to the control that has the focus inside `window`.
void Press(QWidget* window, Qt::Key key)
{
    QWidget* focus = window->focusWidget();
    QTest::keyClick(focus ? focus : window, key);
}

}  // namespace

TEST_F(StartupFixture, F8PreviewsTheSheetOfTheRegisterOnScreenAndEscapeClosesIt)
{
    Start();
    lookUp("R1");
    form->runtime().SetFocus(form->c.Txt[23]);
    QString title;
    WhenShown<QPrintPreviewDialog>([&title](QPrintPreviewDialog* preview) {
        title = preview->windowTitle();
        Press(preview, Qt::Key_Escape);
    });
    key(Qt::Key_F8);
    EXPECT_EQ(title, QString::fromUtf8("Anteprima di stampa - Scheda del registro R1 - società DEMO"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(focused(), form->c.Txt[23]);
    EXPECT_TRUE(boxes->allAnswered());
}

TEST_F(StartupFixture, F8InTheHeaderPanelAsksThePagesProposingTheNextAndRecordsNothingWhenNotPrinted)
{
    {
        const auto database = store::openDatabase(company.databasePath());
        paper::RecordPagePrint(*database, "R1", paper::PageRegister::Deposito, 1, 4, false);
    }
    const int rows = company.count("StoricoSerieSemplificata");
    Start();
    lookUp("R1");
    key(Qt::Key_T, Qt::AltModifier);  // "&TESTATE"
    ASSERT_TRUE(form->c.Pict[2]->isVisible());
    // DEPOSITO's first line changed and not confirmed: the pages carry the stored one, and say so.
    form->runtime().SetFocus(form->c.Txt[store::Field::HeaderLine(1, 1)]);
    type("NUOVA");
    boxes->expect(store::BoxAnswer::Ok);

    int proposedArrivi = 0;
    int proposedDeposito = 0;
    QString title;
    WhenShown<QDialog>([&](QDialog* ask) {
        auto* first = ask->findChild<QSpinBox*>("DaPagina");
        proposedArrivi = first->value();
        Press(ask, Qt::Key_Down);  // the register list: ARRIVI, then DEPOSITO
        proposedDeposito = first->value();
        WhenShown<QPrintPreviewDialog>([&title](QPrintPreviewDialog* preview) {
            title = preview->windowTitle();
            Press(preview, Qt::Key_Escape);
        });
        Press(ask, Qt::Key_Return);
    });
    key(Qt::Key_F8);
    EXPECT_EQ(proposedArrivi, 1);
    EXPECT_EQ(proposedDeposito, 5);
    EXPECT_EQ(title, QString::fromUtf8("Anteprima di stampa - Pagina 5 del registro DEPOSITO di R1 - società DEMO"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(form->c.Pict[2]->isVisible());
    EXPECT_EQ(company.count("StoricoSerieSemplificata"), rows);
    EXPECT_TRUE(boxes->allAnswered());
    EXPECT_TRUE(boxes->prompts().join("|").contains("NON SONO CONFERMATE")) << boxes->prompts().join("|").toStdString();
}

// R2 has no header lines: its pages would not say whose they are, so F8 asks
// first, and "No" prints and records nothing.
TEST_F(StartupFixture, F8OnARegisterWithoutHeaderLinesAsksBeforeThePages)
{
    const int rows = company.count("StoricoSerieSemplificata");
    Start();
    lookUp("R2");
    key(Qt::Key_T, Qt::AltModifier);  // "&TESTATE"
    ASSERT_TRUE(form->c.Pict[2]->isVisible());
    boxes->expect(store::BoxAnswer::No);
    bool previewed = false;
    WhenShown<QDialog>([&](QDialog* ask) {
        if (qobject_cast<QPrintPreviewDialog*>(ask)) {
            previewed = true;
            Press(ask, Qt::Key_Escape);
            return;
        }
        Press(ask, Qt::Key_Return);  // ARRIVI, page 1
    });
    key(Qt::Key_F8);
    EXPECT_FALSE(previewed);
    ASSERT_EQ(boxes->seen().size(), 1u);
    EXPECT_TRUE(boxes->seen()[0].prompt.startsWith("LE CINQUE RIGHE DI TESTATA DEL REGISTRO ARRIVI DI R2 SONO VUOTE"))
        << boxes->seen()[0].prompt.toStdString();
    EXPECT_TRUE(boxes->seen()[0].prompt.endsWith("STAMPO COMUNQUE LE PAGINE SENZA TESTATA?"));
    EXPECT_EQ(boxes->seen()[0].code, store::BoxCode::YesNoExclaimNoDefault);
    EXPECT_EQ(company.count("StoricoSerieSemplificata"), rows);
}

// An office printing unattended names a PDF file in QUENVOL_STAMPA_PDF: F8
// writes the sheet there as a PDF/A file, and no preview or dialog opens.
TEST_F(StartupFixture, F8WithAPdfFileNamedInTheEnvironmentWritesTheSheetWithoutAPreview)
{
    QTemporaryDir folder;
    const QString pdf = folder.filePath("scheda R1.pdf");
    qputenv("QUENVOL_STAMPA_PDF", pdf.toLocal8Bit());
    struct Unset {
        ~Unset() { qunsetenv("QUENVOL_STAMPA_PDF"); }
    } unset;
    Start();
    lookUp("R1");
    bool dialog = false;
    QTimer closer;  // a dialog that opened all the same is closed, so the case ends
    QObject::connect(&closer, &QTimer::timeout, [&dialog] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            dialog = true;
            modal->close();
        }
    });
    closer.start(5);
    key(Qt::Key_F8);
    closer.stop();
    EXPECT_FALSE(dialog);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << pdf.toStdString();
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.startsWith("%PDF-"));
    EXPECT_TRUE(content.contains("pdfaid:part")) << "not a PDF/A file";
    EXPECT_TRUE(boxes->allAnswered());
}
