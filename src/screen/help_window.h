// The help window (F1): every key of the screen, the search panel, the lists,
// the header and history panels and the boxes, with the version, the INI file
// in use, the company and where its data lives. Escape or F1 closes it; M (or
// Alt+M, or its button) opens the operators' manual with the system's viewer.
#pragma once

#include "shell/session.h"

#include <QDialog>
#include <QString>

#include <functional>

class QKeyEvent;
class QPlainTextEdit;
class QUrl;
class QWidget;

namespace screen {

// The text the window shows, in Italian.
QString HelpText(const shell::Session& session);

class HelpWindow : public QDialog {
public:
    // `tell` shows the operator a message (a box of the window's runtime).
    HelpWindow(QWidget* parent, std::function<void(const QString&)> tell);
    // Shows the text for `session`, on top and with the focus.
    void showFor(const shell::Session& session);
    QString text() const;
    // Opens the manual (its PDF, else its HTML) with the system's viewer, or
    // tells the operator where it was sought, or that no viewer opened it.
    void OpenManual();
    // Hands a file to the system's viewer; tests replace it.
    static std::function<bool(const QUrl&)> OpenWithViewer;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The size that shows the whole card on a screen large enough.
    static constexpr int PreferredWidth = 860;
    static constexpr int PreferredHeight = 620;
    QPlainTextEdit* view_ = nullptr;
    std::function<void(const QString&)> tell_;
};

}  // namespace screen
