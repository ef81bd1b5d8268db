#pragma once
// The operator of the tests: answers from a script (or a default answer per button set) and
// records every message it was shown, the pointer changes and the sounds played.

#include "platform/Operator.h"

#include <deque>
#include <string>
#include <vector>

namespace dilato::test {

class RecordingOperator final : public Operator {
  public:
    MessageAnswer show(const Message& message) override;
    void setBusyPointer(bool busy) override;
    bool busyPointerShown() const override { return busy_; }
    void playSound(const std::string& path) override { sounds.push_back(path); }
    // Recorded as a shown message too, and in `notices`.
    void notify(const Message& message) override;

    // Answers given in order to the next questions; when none is queued a box with an OK
    // button answers Ok and a question answers its default button.
    void queueAnswer(MessageAnswer answer) { answers_.push_back(answer); }

    [[nodiscard]] const Message& last() const;
    [[nodiscard]] bool sawText(const std::string& text) const;
    [[nodiscard]] std::vector<std::string> texts() const;

    std::vector<Message> messages;
    std::vector<Message> notices; // the messages that did not hold the program up
    std::vector<std::string> sounds;
    int pointerChanges = 0;

  private:
    std::deque<MessageAnswer> answers_;
    bool busy_ = false;
};

} // namespace dilato::test
