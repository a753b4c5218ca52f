// The modal message box of the suite's codes, built as a QMessageBox: the
// buttons and icon a code asks for, Italian button texts, the default button,
// and the answer numbers the routines test.
#pragma once

#include <QString>

#include <memory>

class QMessageBox;
class QWidget;

namespace screen {

// Codes: (code & 7) the buttons: 0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore,
// 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel; (code & 0x70) the icon: 16
// critical, 32 question, 48 exclamation, 64 information; (code & 0x300) the
// default button: 0x100 the second, 0x200 the third. Escape and the close
// button give Cancel, or No on a Yes/No box, or OK on an OK box.
std::unique_ptr<QMessageBox> BuildMessageBox(const QString& prompt, int code, const QString& title,
                                             QWidget* parent);

// Answers: 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No; the
// answer of the button pressed, or the Escape answer when none was.
int MessageBoxAnswer(const QMessageBox& box);

}  // namespace screen
