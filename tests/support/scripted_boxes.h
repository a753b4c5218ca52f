// Message boxes answered by script: a test lists the boxes it expects, with the
// answer to give; a box it did not expect fails the test instead of hanging it.
#pragma once

#include "store/engine/message_boxes.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

namespace testing_support {

struct SeenBox {
    QString prompt;
    int code = 0;
    QString title;
};

class ScriptedBoxes : public store::MessageBoxes {
public:
    // The next box gets this answer.
    void expect(int answer) { answers_.push_back(answer); }
    int MsgBox(const QString& prompt, int code, const QString& title = {}) override;

    const std::deque<SeenBox>& seen() const { return seen_; }
    QStringList prompts() const;
    bool allAnswered() const { return answers_.empty(); }
    // Runs while each box stands open, before it is answered.
    std::function<void(const SeenBox&)> whileOpen;

private:
    std::deque<int> answers_;
    std::deque<SeenBox> seen_;
};

}  // namespace testing_support
