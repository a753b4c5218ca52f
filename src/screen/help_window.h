// The help window (F1): every key of the screen, the search panel, the lists,
// the header and history panels and the boxes, with the version, the INI file
// in use, the company and where its data lives. Escape or F1 closes it.
#pragma once

#include "shell/session.h"

#include <QDialog>
#include <QString>

class QKeyEvent;
class QPlainTextEdit;
class QWidget;

namespace screen {

// The text the window shows, in Italian.
QString HelpText(const shell::Session& session);

class HelpWindow : public QDialog {
public:
    explicit HelpWindow(QWidget* parent);
    // Shows the text for `session`, on top and with the focus.
    void showFor(const shell::Session& session);
    QString text() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The size that shows the whole card on a screen large enough.
    static constexpr int PreferredWidth = 860;
    static constexpr int PreferredHeight = 620;
    QPlainTextEdit* view_ = nullptr;
};

}  // namespace screen
