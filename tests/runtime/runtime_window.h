// A small window for the runtime's tests: three fields, two panels that each
// hold a "&CONFERMA" and a "&USCITA" button and a field, a list, a drop-down
// list and a date picker, every control logging its events in order; and the
// fixture that shows it with the focus on the first field.
#pragma once

#include "runtime/form_runtime.h"
#include "support/runtime_boxes.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace runtime_tests {

inline const QString ProgramTitle = QStringLiteral("Quenvol prova");

using Log = std::vector<std::string>;

// Works off events until `condition` holds; false after ten seconds.
bool waitFor(const std::function<bool()>& condition);
// Delivers every event posted so far: waits until a call posted now has run.
void deliverPosted();

struct RuntimeWindow {
    RuntimeWindow();
    ~RuntimeWindow();

    // Shows the window and waits until it is the active one.
    void showActive();
    // Waits until no popup is open, the window is the active one again and
    // `control` has Qt's focus, then delivers what is posted; false after ten seconds.
    bool backTo(QWidget* control);
    // Waits until the keys sent through the runtime have acted.
    void keysActed() const;
    // The widget that holds Qt's focus: where a typed key goes.
    static QWidget* focused();
    // The events logged since the last take(), in order.
    std::vector<std::string> take();

    std::unique_ptr<QWidget> window;
    QLineEdit* first = nullptr;
    QLineEdit* second = nullptr;
    QLineEdit* third = nullptr;
    QFrame* panelA = nullptr;
    QLineEdit* fieldA = nullptr;
    QPushButton* confermaA = nullptr;
    QPushButton* uscitaA = nullptr;
    QFrame* panelB = nullptr;
    QLineEdit* fieldB = nullptr;
    QPushButton* confermaB = nullptr;
    QPushButton* uscitaB = nullptr;
    QListView* list = nullptr;
    QStringListModel listModel;
    QComboBox* combo = nullptr;
    QDateEdit* date = nullptr;
    std::unique_ptr<runtime::FormRuntime> runtime;
    std::vector<std::string> log;
};

// The window shown and active, the focus on the first field, the log empty,
// boxes answered by script.
class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.showActive();
        ASSERT_TRUE(w.runtime->SetFocus(w.first));
        w.take();
    }

    // A key typed where a person's key goes: the control with Qt's focus.
    static void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(RuntimeWindow::focused(), key, modifiers);
    }

    testing_support::RuntimeBoxes boxes;
    RuntimeWindow w;
};

}  // namespace runtime_tests
