// Every text of the window and of its boxes reads against the background it
// is drawn on at the WCAG 2.1 AA contrast for text (4.5 to 1), measured on
// the colours the program paints with: the application's palette as the
// runtime leaves it and the colours the layout gives its controls.
#include "runtime/message_box.h"
#include "runtime/readable_palette.h"
#include "screen/startup_layout.h"
#include "store/engine/message_boxes.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// The colour behind `widget`: its own background where it fills it, else
// that of the nearest control around it that does.
QColor BackgroundOf(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w->autoFillBackground() || w->isWindow())
            return w->palette().color(QPalette::Active, w->backgroundRole());
    return widget->palette().color(QPalette::Active, QPalette::Window);
}

// The text and background pairs of every control under `root` that an
// operator can use, each below the minimum contrast told as "name: ratio".
// A control disabled for good is exempt, as WCAG exempts inactive controls.
QStringList Unreadable(const QWidget* root)
{
    QStringList failures;
    auto check = [&](const QWidget* w, const QString& what, const QColor& text, const QColor& back) {
        const double ratio = runtime::ContrastRatio(text, back);
        if (ratio < runtime::ReadableContrast)
            failures << QStringLiteral("%1 %2: %3 su %4, %5:1")
                            .arg(w->objectName(), what, text.name(), back.name())
                            .arg(ratio, 0, 'f', 2);
    };
    QList<const QWidget*> widgets{root};
    for (const QWidget* w : root->findChildren<const QWidget*>())
        widgets << w;
    for (const QWidget* w : widgets) {
        if (w->testAttribute(Qt::WA_ForceDisabled))
            continue;
        const QPalette& p = w->palette();
        const auto colour = [&](QPalette::ColorRole role) { return p.color(QPalette::Active, role); };
        if (qobject_cast<const QLabel*>(w)) {
            check(w, "testo", colour(w->foregroundRole()), BackgroundOf(w));
        } else if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
                   qobject_cast<const QAbstractSpinBox*>(w)) {
            check(w, "testo", colour(QPalette::Text), colour(QPalette::Base));
            check(w, "selezione", colour(QPalette::HighlightedText), colour(QPalette::Highlight));
        } else if (qobject_cast<const QAbstractItemView*>(w)) {
            check(w, "righe", colour(QPalette::Text), colour(QPalette::Base));
            check(w, "riga scelta", colour(QPalette::HighlightedText), colour(QPalette::Highlight));
        } else if (qobject_cast<const QPushButton*>(w)) {
            check(w, "didascalia", colour(QPalette::ButtonText), colour(QPalette::Button));
        }
    }
    return failures;
}

}  // namespace

TEST(Contrast, EveryTextOfTheWindowReads)
{
    QWidget window;
    screen::StartupControls c = screen::BuildStartupLayout(&window);
    screen::BuildHiddenPanels(c);
    const QStringList failures = Unreadable(&window);
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
}

TEST(Contrast, EveryTextOfABoxReads)
{
    const auto box = runtime::BuildMessageBox(QStringLiteral("IL REGISTRO R1 E' STATO MODIFICATO"),
                                              store::BoxCode::YesNoExclaimNoDefault, QStringLiteral("QUENVOL"),
                                              nullptr);
    const QStringList failures = Unreadable(box.get());
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
}
