// The modal message box of the suite's codes, built as a QMessageBox: the
// buttons and icon a code asks for, Italian button texts, the default button,
// and the answer numbers the routines test.
#pragma once

#include <QString>

#include <memory>

class QMessageBox;
class QWidget;

namespace runtime {

// Codes (store::BoxCode): the buttons (OK, OK/Cancel, Abort/Retry/Ignore,
// Yes/No/Cancel, Yes/No, Retry/Cancel), the icon (critical, question,
// exclamation, information) and the default button (the first, second or
// third). Escape and the close button give Cancel, or No on a Yes/No box, or
// OK on an OK box.
std::unique_ptr<QMessageBox> BuildMessageBox(const QString& prompt, int code, const QString& title,
                                             QWidget* parent);

// Answers (store::BoxAnswer): the answer of the button pressed, or the Escape
// answer when none was.
int MessageBoxAnswer(const QMessageBox& box);

}  // namespace runtime
