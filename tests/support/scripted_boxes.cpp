// Message boxes answered by script for the tests.
#include "scripted_boxes.h"

#include <gtest/gtest.h>

namespace testing_support {

int ScriptedBoxes::MsgBox(const QString& prompt, int code, const QString& title)
{
    seen_.push_back({prompt, code, title});
    if (whileOpen)
        whileOpen(seen_.back());
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected message box: " << prompt.toStdString()
                      << " (code " << code << ", title " << title.toStdString() << ")";
        // The safe answer: nothing is inserted, deleted or retried.
        switch (code & 7) {
        case 4: return store::BoxAnswer::No;
        case 5: return store::BoxAnswer::Cancel;
        default: return store::BoxAnswer::Ok;
        }
    }
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

QStringList ScriptedBoxes::prompts() const
{
    QStringList list;
    for (const auto& box : seen_)
        list << box.prompt;
    return list;
}

}  // namespace testing_support
