// The real window Startup on a temporary company, for the window tests.
#include "startup_fixture.h"

#include "shell/platform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace screen_tests {

void StartupFixture::SetUp()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    shell::SetProgramFolderForTesting(programFolder.path());
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    screen::Startup::EndProcess = [this](int) { ++endings; };
    boxes = std::make_unique<testing_support::RuntimeBoxes>();
    WriteIni();
}

void StartupFixture::TearDown()
{
    form.reset();
    EXPECT_TRUE(boxes->allAnswered()) << "a box the test expected was never shown";
    boxes.reset();
    shell::SetProgramFolderForTesting(QString());
}

void StartupFixture::WriteIni(const QString& companyCode, const QString& dataDir)
{
    QFile ini(programFolder.path() + QStringLiteral("/Morvanex.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(QStringLiteral("[BASE]\nDITTA=%1\n[PATH]\nDIRINI=%2\n")
                  .arg(companyCode, dataDir.isEmpty() ? company.dataDir() : dataDir)
                  .toUtf8());
}

void StartupFixture::Load()
{
    form = std::make_unique<screen::Startup>();
    form->Form_Load();
}

void StartupFixture::Start()
{
    Load();
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form->c.window));
    settle();
    if (form->company.RegisterTableOpen)
        form->runtime().SetFocus(form->c.DicKod);
    settle();
}

void StartupFixture::settle()
{
    if (!form)
        return;
    EXPECT_TRUE(QTest::qWaitFor([this] { return !form->runtime().KeysWaiting(); }, 10000))
        << "the keys the window sent never acted";
}

QWidget* StartupFixture::focused() const
{
    return form->runtime().ActiveControl();
}

void StartupFixture::type(const QString& text)
{
    for (const QChar ch : text) {
        QTest::keyClicks(QApplication::focusWidget(), QString(ch));
        settle();
    }
}

void StartupFixture::key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    settle();
}

void StartupFixture::click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
    settle();
}

void StartupFixture::doubleClick(QWidget* widget)
{
    QTest::mouseDClick(widget, Qt::LeftButton);
    settle();
}

void StartupFixture::doubleClickLine(QListView* list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    list->setCurrentIndex(index);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    settle();
}

QStringList StartupFixture::Lines(const QListView* list)
{
    QStringList lines;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        lines << list->model()->index(row, 0).data().toString();
    return lines;
}

void StartupFixture::lookUp(const QString& code, int answerToInsert)
{
    if (answerToInsert)
        boxes->expect(answerToInsert);
    type(code);
    key(Qt::Key_Return);
}

QString StartupFixture::text(int index) const
{
    return index == 0 ? form->c.DicKod->text() : form->c.Txt[index]->text();
}

QVariant StartupFixture::column(const QString& name, const QString& code) const
{
    return company.scalar(QStringLiteral("SELECT \"%1\" FROM TabellaSerieSemplificata WHERE SspCodice = '%2'")
                              .arg(name, code));
}

void StartupFixture::EscapeTheNextBox(bool* closed)
{
    *closed = false;
    auto* timer = new QTimer;
    timer->setInterval(5);
    auto* waited = new QElapsedTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, waited, closed] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        if (!waited->isValid())
            waited->start();
        // The box takes the keyboard in a moment of the platform's own.
        if (QApplication::activeWindow() != box && !waited->hasExpired(5000))
            return;
        timer->stop();
        timer->deleteLater();
        delete waited;
        QWidget* keyboard = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
        if (keyboard)
            QTest::keyClick(keyboard, Qt::Key_Escape);
        *closed = !box->isVisible();
        if (!*closed)
            box->done(0);
    });
    timer->start();
}

}  // namespace screen_tests
