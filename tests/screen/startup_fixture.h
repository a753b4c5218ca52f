// The real window Startup on a temporary company, for tests that type into it
// and click it as an operator would: the INI file in a temporary program
// folder, boxes answered by script, the process ending watched, not done.
#pragma once

#include "screen/startup.h"
#include "support/runtime_boxes.h"
#include "support/temp_company.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

class QAbstractButton;
class QListView;

namespace screen_tests {

class StartupFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes Morvanex.ini in the program folder: company DEMO in the temp data folder.
    void WriteIni(const QString& company = QStringLiteral("DEMO"), const QString& dataDir = {});
    // Creates the window and runs Form_Load; Show() then activates it.
    void Load();
    void Start();  // Load, then Show, and wait until the window is active

    // Typing and keys go to the control that has the focus, through the runtime.
    void type(const QString& text);
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void click(QWidget* widget);
    void doubleClick(QWidget* widget);
    // Double-clicks line `row` of `list`, as the operator picks it.
    void doubleClickLine(QListView* list, int row);
    // The lines a list shows, top to bottom.
    static QStringList Lines(const QListView* list);
    // Waits until the keys the window's routines sent have acted.
    void settle();
    QWidget* focused() const;
    // Types a code into DicKod and leaves it with Enter (the question answered).
    void lookUp(const QString& code, int answerToInsert = 0);

    QString text(int index) const;
    QVariant column(const QString& column, const QString& code) const;
    // Closes the next box as a person would, with Escape typed where the keys go
    // (the focused widget of the active window), once it stands open; `closed` tells
    // whether Escape closed it. A box Escape leaves open is closed otherwise, so
    // the test fails rather than hangs.
    static void EscapeTheNextBox(bool* closed);

    testing_support::TempCompany company{true};
    QTemporaryDir programFolder;
    QTemporaryDir configHome;  // the per-user settings of this test alone
    std::unique_ptr<testing_support::RuntimeBoxes> boxes;
    std::unique_ptr<screen::Startup> form;
    int endings = 0;
};

}  // namespace screen_tests
