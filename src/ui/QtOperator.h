#pragma once
// The operator behind the window: message boxes are real modal boxes over the window that is
// active, the busy pointer is the application's override cursor and sounds go to the
// program's sound player.

#include "platform/Operator.h"

#include <functional>

namespace dilato::ui {

class QtOperator final : public Operator {
  public:
    MessageAnswer show(const Message& message) override;
    void setBusyPointer(bool busy) override;
    [[nodiscard]] bool busyPointerShown() const override { return busy_; }
    void playSound(const std::string& path) override;
    // A modeless box: the ticks go on while it is open.
    void notify(const Message& message) override;

    // Called with every box before it shows (tests answer boxes this way).
    void setBeforeShow(std::function<void()> hook) { beforeShow_ = std::move(hook); }
    // Plays a sound file to its end; without a player sounds are skipped.
    void setSoundPlayer(std::function<void(const std::string&)> player) {
        player_ = std::move(player);
    }

  private:
    bool busy_ = false;
    std::function<void()> beforeShow_;
    std::function<void(const std::string&)> player_;
};

} // namespace dilato::ui
