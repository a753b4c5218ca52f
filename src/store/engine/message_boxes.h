// How the store's routines talk to the user: modal message boxes only, reached
// through this small interface so the routines run and are tested without a
// window. The window runtime implements it; tests answer it by script.
#pragma once

#include <QString>

namespace store {

// Button-and-icon codes, as the suite's toolkit numbered them: a code is the
// sum of its buttons, its icon and its default button.
namespace BoxCode {
// The buttons (code & ButtonsMask).
constexpr int ButtonsMask = 7;
constexpr int OkButton = 0;
constexpr int OkCancelButtons = 1;
constexpr int AbortRetryIgnoreButtons = 2;
constexpr int YesNoCancelButtons = 3;
constexpr int YesNoButtons = 4;
constexpr int RetryCancelButtons = 5;
// The icon (code & IconMask).
constexpr int IconMask = 0x70;
constexpr int CriticalIcon = 16;
constexpr int QuestionIcon = 32;
constexpr int ExclamationIcon = 48;
constexpr int InformationIcon = 64;
// The default button: 0 the first, 1 the second, 2 the third
// ((code >> DefaultButtonShift) & DefaultButtonMask).
constexpr int DefaultButtonShift = 8;
constexpr int DefaultButtonMask = 3;

// The codes in use.
constexpr int OkOnly = 0;                 // OK alone, no icon
constexpr int OkCritical = 16;            // OK alone, stop icon
constexpr int RetryCancelCritical = 21;   // Retry, Cancel, stop icon
constexpr int RetryCancelExclaim = 53;    // Retry, Cancel, exclamation icon
constexpr int YesNoQuestionNoDefault = 292;  // Yes, No (default), question icon
constexpr int YesNoExclaimNoDefault = 308;   // Yes, No (default), exclamation icon
}  // namespace BoxCode

// Answers a box returns.
namespace BoxAnswer {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Abort = 3;
constexpr int Retry = 4;
constexpr int Ignore = 5;
constexpr int Yes = 6;
constexpr int No = 7;
}  // namespace BoxAnswer

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal box and returns the answer. An empty title means the
    // program's own title.
    virtual int MsgBox(const QString& prompt, int code, const QString& title = {}) = 0;
};

}  // namespace store
