#pragma once
// The program's clock as the window runs it: every timer callback (the tick above all) runs
// through Guarded, so that "the program ends" inside a tick ends the application cleanly
// instead of unwinding through Qt's event dispatch.

#include "platform/Clock.h"

namespace dilato::ui {

class GuardedClock final : public Clock {
  public:
    explicit GuardedClock(Clock& inner) : inner_(inner) {}
    [[nodiscard]] QDateTime now() const override { return inner_.now(); }
    void idle(double maxSeconds) override { inner_.idle(maxSeconds); }
    void pause(double maxSeconds, const std::function<bool()>& ready) override {
        inner_.pause(maxSeconds, ready);
    }
    TimerId startTimer(double intervalSeconds, std::function<void()> onTimeout) override;
    void stopTimer(TimerId id) override { inner_.stopTimer(id); }
    [[nodiscard]] double timeFactor() const override { return inner_.timeFactor(); }

  private:
    Clock& inner_;
};

} // namespace dilato::ui
