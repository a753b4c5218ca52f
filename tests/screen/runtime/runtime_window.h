// A small window for the runtime's tests: three fields, two panels that each
// hold a "&CONFERMA" and a "&USCITA" button and a field, a list, a drop-down
// list and a date picker, every control logging its events in order.
#pragma once

#include "screen/runtime/form_runtime.h"
#include "support/runtime_boxes.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace runtime_tests {

inline const QString ProgramTitle = QStringLiteral("Quenvol prova");

struct RuntimeWindow {
    RuntimeWindow();
    ~RuntimeWindow();

    // Shows the window and waits until it is the active one.
    void showActive();
    // Works off posted events and timers (queued keys among them).
    static void settle();
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
    std::unique_ptr<screen::FormRuntime> runtime;
    std::vector<std::string> log;
};

}  // namespace runtime_tests
