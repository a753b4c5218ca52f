// The manual's pictures: the real window on the demonstration company, driven
// by real key events as an operator drives it, photographed in each state the
// manual describes. The build runs it (offscreen) before rendering the manual,
// so a picture always shows the window as it is. A box nobody expected, or a
// state not reached, fails the run: a picture is never taken of the wrong thing.
// Usage: manual_pictures FOLDER    (writes FOLDER/<name>.png, prints each file)
#include "company/company_file.h"
#include "runtime/form_runtime.h"
#include "screen/help_window.h"
#include "screen/startup.h"
#include "shell/platform.h"
#include "store/record/screen_fields.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

namespace Field = store::Field;

class Photographer {
public:
    Photographer(const QDir& folder, screen::Startup& form) : folder_(folder), form_(form)
    {
        // Any box that opens is answered by the step that expects it; one
        // that no step expects is recorded as a failure and put away.
        watch_.setInterval(20);
        QObject::connect(&watch_, &QTimer::timeout, [this] { answerBox(); });
        watch_.start();
    }

    bool failed() const { return failed_; }

    void fail(const QString& why)
    {
        std::fprintf(stderr, "manual_pictures: %s\n", qPrintable(why));
        failed_ = true;
    }

    // Waits until `condition` holds; a state never reached fails the run.
    void waitFor(const std::function<bool()>& condition, const char* what)
    {
        if (!QTest::qWaitFor(condition, 10000))
            fail(QStringLiteral("never reached: %1").arg(QString::fromLatin1(what)));
    }

    // The keys the window's routines sent have acted and the screen is drawn.
    void settle()
    {
        waitFor([this] { return !form_.runtime().KeysWaiting(); }, "the window's own keys");
        // A closed box gives the window back its activation, as a window
        // manager does (the offscreen platform does not).
        if (!QApplication::activeWindow() && !QApplication::activeModalWidget()) {
            form_.c.window->activateWindow();
            waitFor([this] { return QApplication::activeWindow() == form_.c.window; }, "the window active again");
        }
        QCoreApplication::processEvents();
    }

    // A key typed where the keyboard is, as the operator types it.
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form_.c.window;
        QTest::keyClick(target, k, modifiers);
        settle();
    }

    void type(const QString& text)
    {
        for (const QChar ch : text) {
            QTest::keyClicks(QApplication::focusWidget(), QString(ch));
            settle();
        }
    }

    void click(QWidget* widget)
    {
        QTest::mouseClick(widget, Qt::LeftButton);
        settle();
    }

    // The window as it stands, or one window of its own.
    void shoot(const char* name) { save(name, form_.c.window); }
    void shoot(const char* name, QWidget* widget) { save(name, widget); }

    // The next box gets its picture taken, then `answer` typed into it.
    void expectBox(const char* name, Qt::Key answer)
    {
        boxName_ = name;
        boxAnswer_ = answer;
    }

    // True once the box expected was shown and answered.
    bool boxDone()
    {
        const bool done = boxName_ == nullptr;
        if (!done) {
            fail(QStringLiteral("the box for %1 never opened").arg(QString::fromLatin1(boxName_)));
            boxName_ = nullptr;
        }
        return done;
    }

private:
    void save(const char* name, QWidget* widget)
    {
        const QString path = folder_.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
        if (widget->grab().toImage().convertToFormat(QImage::Format_RGB32).save(path))
            std::printf("%s\n", qPrintable(path));
        else
            fail(QStringLiteral("cannot write %1").arg(path));
    }

    void answerBox()
    {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible() || box == form_.helpWindow() || answering_)
            return;
        answering_ = true;
        if (boxName_) {
            save(boxName_, box);
            boxName_ = nullptr;
            // Escape to the dialog itself (the print preview's page view would
            // keep it); a letter to the box's own focus, its default button,
            // whether or not the box is active yet.
            QWidget* target = boxAnswer_ == Qt::Key_Escape || !box->focusWidget() ? box : box->focusWidget();
            QTest::keyClick(target, boxAnswer_);
        } else {
            const auto* message = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            fail(QStringLiteral("a box nobody expected: %1 %2")
                     .arg(box->windowTitle(), message ? message->text() : QString()));
            QTest::keyClick(box, Qt::Key_Escape);
        }
        answering_ = false;
    }

    QDir folder_;
    screen::Startup& form_;
    QTimer watch_;
    const char* boxName_ = nullptr;
    Qt::Key boxAnswer_ = Qt::Key_Escape;
    bool answering_ = false;
    bool failed_ = false;
};

void TakePictures(Photographer& p, screen::Startup& form)
{
    const screen::StartupControls& c = form.c;
    p.shoot("avvio");

    // Looking up: the code, then Enter.
    p.type(QStringLiteral("R1"));
    p.shoot("codice");
    p.key(Qt::Key_Return);
    p.waitFor([&] { return form.ScreenMode == screen::Mode::Variazione
                                    && QApplication::focusWidget() == c.Txt[Field::Description]; }, "R1 shown for change");
    p.shoot("registro");

    // Changing: a new description, confirmed with Alt+C.
    p.type(QStringLiteral("CUSTODIA PORTO NUOVO"));
    p.shoot("modifica");
    p.key(Qt::Key_C, Qt::AltModifier);
    p.waitFor([&] { return QApplication::focusWidget() == c.DicKod; }, "the change confirmed");

    // The history of R1: its code typed in the code field, then F7.
    p.type(QStringLiteral("R1"));
    p.key(Qt::Key_F7);
    p.waitFor([&] { return c.PictStorico && c.PictStorico->isVisible(); }, "the history panel");
    p.shoot("storico");
    p.key(Qt::Key_Escape);
    p.waitFor([&] { return !c.PictStorico->isVisible(); }, "the history panel closed");

    // The search panel: F4 in the code field, a few letters of the code.
    p.key(Qt::Key_Backspace);
    p.key(Qt::Key_Backspace);
    p.key(Qt::Key_F4);
    p.waitFor([&] { return c.Pict[0]->isVisible(); }, "the search panel");
    p.type(QStringLiteral("A"));
    p.waitFor([&] { return c.Lista->model() && c.Lista->model()->rowCount() > 0; }, "the search list filled");
    p.shoot("ricerca");
    p.key(Qt::Key_Escape);
    p.waitFor([&] { return !c.Pict[0]->isVisible(); }, "the search panel closed");

    // Inserting: a code that does not exist, the question answered Sì.
    p.key(Qt::Key_A, Qt::ControlModifier);
    p.type(QStringLiteral("NUOVO1"));
    p.expectBox("inserisco", Qt::Key_S);
    p.key(Qt::Key_Return);
    p.boxDone();
    p.waitFor([&] { return form.ScreenMode == screen::Mode::Inserimento
                                    && QApplication::focusWidget() == c.Txt[Field::Description]; }, "a new register set");
    p.type(QStringLiteral("MAGAZZINO DI PROVA"));
    p.shoot("inserimento");
    p.key(Qt::Key_A, Qt::AltModifier);
    p.waitFor([&] { return QApplication::focusWidget() == c.DicKod; }, "the insert dropped");

    // The document types: the list on a yellow field.
    p.type(QStringLiteral("R1"));
    p.key(Qt::Key_Return);
    p.waitFor([&] { return form.ScreenMode == screen::Mode::Variazione
                                    && QApplication::focusWidget() == c.Txt[Field::Description]; }, "R1 shown again");
    p.click(c.Txt[Field::WorkSerie(0, 0)]);
    p.key(Qt::Key_F4);
    p.waitFor([&] { return c.List1->isVisible(); }, "the document-type list");
    p.shoot("tipi-documento");
    p.key(Qt::Key_Escape);
    p.waitFor([&] { return !c.List1->isVisible(); }, "the document-type list closed");

    // The inspection sheet: F8 on the register set, Qt's print preview.
    p.expectBox("anteprima-scheda", Qt::Key_Escape);
    p.key(Qt::Key_F8);
    p.boxDone();

    // Deleting: Alt+E asks; answered No here, the screen goes back to the code.
    p.expectBox("elimina", Qt::Key_N);
    p.key(Qt::Key_E, Qt::AltModifier);
    p.boxDone();
    p.waitFor([&] { return QApplication::focusWidget() == c.DicKod; }, "back to the code after No");
    p.type(QStringLiteral("R1"));
    p.key(Qt::Key_Return);
    p.waitFor([&] { return form.ScreenMode == screen::Mode::Variazione
                           && QApplication::focusWidget() == c.Txt[Field::Description]; }, "R1 shown for its headers");

    // The header lines: Alt+T, then F8 for numbered pages.
    p.key(Qt::Key_T, Qt::AltModifier);
    p.waitFor([&] { return c.Pict[2]->isVisible(); }, "the header panel");
    p.shoot("testate");
    p.expectBox("stampa-pagine", Qt::Key_Escape);
    p.key(Qt::Key_F8);
    p.boxDone();
    p.key(Qt::Key_A, Qt::AltModifier);
    p.waitFor([&] { return !c.Pict[2]->isVisible(); }, "the header panel closed");

    // The key guide: F1.
    p.key(Qt::Key_F1);
    p.waitFor([&] { return form.helpWindow() && form.helpWindow()->isVisible(); }, "the key guide");
    p.shoot("guida", form.helpWindow());
    p.key(Qt::Key_Escape);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "uso: manual_pictures CARTELLA\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QElapsedTimer clock;
    clock.start();

    // The demonstration company, an INI file naming it and per-user settings,
    // all in a temporary folder: nothing of the user's is read or written.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "manual_pictures: no temporary folder\n");
        return 1;
    }
    const QString data = scratch.filePath(QStringLiteral("dati")) + QLatin1Char('/');
    const QString program = scratch.filePath(QStringLiteral("programma"));
    QDir().mkpath(program);
    qputenv("XDG_CONFIG_HOME", scratch.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", scratch.filePath(QStringLiteral("nessuno")).toLocal8Bit());
    if (const QString error = company::file::CreateCompany(data + QStringLiteral("DEMO/quelda.mdb"), true);
        !error.isEmpty()) {
        std::fprintf(stderr, "manual_pictures: %s\n", qPrintable(error));
        return 1;
    }
    QFile ini(program + QStringLiteral("/Morvanex.ini"));
    if (!ini.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "manual_pictures: cannot write %s\n", qPrintable(ini.fileName()));
        return 1;
    }
    ini.write(QStringLiteral("[BASE]\r\nDITTA=DEMO\r\n[PATH]\r\nDIRINI=%1\r\n").arg(data).toUtf8());
    ini.close();

    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    runtime::RuntimeApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quenvol"));
    shell::SetProgramFolderForTesting(program);
    int endings = 0;
    screen::Startup::EndProcess = [&endings](int) { ++endings; };

    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.path());
    screen::Startup form;
    form.Form_Load();
    form.Show();
    Photographer p(folder, form);
    p.waitFor([&] { return QApplication::activeWindow() == form.c.window; }, "the window active");
    form.runtime().SetFocus(form.c.DicKod);
    p.settle();
    TakePictures(p, form);
    if (endings != 0)
        p.fail(QStringLiteral("the program ended"));
    std::printf("immagini del manuale fatte in %.1f s\n", double(clock.elapsed()) / 1000.0);
    return p.failed() ? 1 : 0;
}
