// The runtime's test window: built, registered and logged.
#include "runtime_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

namespace runtime_tests {

bool waitFor(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 10000);
}

void deliverPosted()
{
    bool reached = false;
    QTimer::singleShot(0, [&reached] { reached = true; });
    EXPECT_TRUE(waitFor([&reached] { return reached; }));
}

RuntimeWindow::RuntimeWindow() : window(std::make_unique<QWidget>())
{
    window->setWindowTitle(ProgramTitle);
    auto* layout = new QVBoxLayout(window.get());
    auto field = [](QWidget* parent, const char* name) {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(QString::fromLatin1(name));
        return edit;
    };
    first = field(window.get(), "first");
    second = field(window.get(), "second");
    third = field(window.get(), "third");
    layout->addWidget(first);
    layout->addWidget(second);
    layout->addWidget(third);

    auto panel = [&](const char* suffix, QLineEdit*& edit, QPushButton*& conferma, QPushButton*& uscita) {
        auto* frame = new QFrame(window.get());
        auto* inner = new QVBoxLayout(frame);
        edit = field(frame, (std::string("field") + suffix).c_str());
        conferma = new QPushButton(QStringLiteral("&CONFERMA"), frame);
        conferma->setObjectName(QStringLiteral("conferma") + QString::fromLatin1(suffix));
        uscita = new QPushButton(QStringLiteral("&USCITA"), frame);
        uscita->setObjectName(QStringLiteral("uscita") + QString::fromLatin1(suffix));
        inner->addWidget(edit);
        inner->addWidget(conferma);
        inner->addWidget(uscita);
        layout->addWidget(frame);
        return frame;
    };
    panelA = panel("A", fieldA, confermaA, uscitaA);
    panelB = panel("B", fieldB, confermaB, uscitaB);

    list = new QListView(window.get());
    list->setObjectName(QStringLiteral("list"));
    listModel.setStringList({QStringLiteral("uno"), QStringLiteral("due"), QStringLiteral("tre")});
    list->setModel(&listModel);
    combo = new QComboBox(window.get());
    combo->setObjectName(QStringLiteral("combo"));
    combo->addItems({QStringLiteral("Gennaio"), QStringLiteral("Febbraio")});
    date = new QDateEdit(QDate(2024, 3, 15), window.get());
    date->setObjectName(QStringLiteral("date"));
    date->setCalendarPopup(true);
    layout->addWidget(list);
    layout->addWidget(combo);
    layout->addWidget(date);

    runtime = std::make_unique<runtime::FormRuntime>(window.get(), ProgramTitle);
    std::vector<QWidget*> order{first, second, third, fieldA, confermaA, uscitaA,
                                fieldB, confermaB, uscitaB, list, combo, date};
    runtime->setTabOrder(order);
    for (QWidget* control : order) {
        const std::string name = control->objectName().toStdString();
        runtime->onGotFocus(control, [this, name] { log.push_back("Got " + name); });
        runtime->onLostFocus(control, [this, name] { log.push_back("Lost " + name); });
        runtime->onDblClick(control, [this, name] { log.push_back("DblClick " + name); });
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            runtime->onChange(edit, [this, name] { log.push_back("Change " + name); });
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            runtime->onClick(button, [this, name] { log.push_back("Click " + name); });
            runtime->onMouseDown(button, [this, name] { log.push_back("MouseDown " + name); });
        }
    }
    runtime->onMouseDown(list, [this] { log.push_back("MouseDown list"); });
}

RuntimeWindow::~RuntimeWindow()
{
    runtime.reset();
    window.reset();
}

void RuntimeWindow::showActive()
{
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    deliverPosted();
}

bool RuntimeWindow::backTo(QWidget* control)
{
    const bool back = waitFor([&] {
        return !QApplication::activePopupWidget() && QGuiApplication::focusWindow() == window->windowHandle()
               && control->hasFocus();
    });
    deliverPosted();
    return back;
}

void RuntimeWindow::keysActed() const
{
    EXPECT_TRUE(waitFor([this] { return !runtime->KeysWaiting(); })) << "the keys sent never acted";
}

QWidget* RuntimeWindow::focused()
{
    return QApplication::focusWidget();
}

std::vector<std::string> RuntimeWindow::take()
{
    std::vector<std::string> taken;
    taken.swap(log);
    return taken;
}

}  // namespace runtime_tests
