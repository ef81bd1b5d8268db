#pragma once
// A clock that moves only when told: idle() and advance() jump straight to the next timer
// that falls due, run it, and go on. Timers started or stopped from inside a callback, and
// re-entrant idling (a wait inside a tick), behave as they would on the event loop.
// pause() moves time on in steps of 2 ms, looking at `ready` after each, and fires nothing:
// a timer that fell due meanwhile fires once, late, at the next idle() or advance().

#include "platform/Clock.h"

#include <map>

namespace dilato {

class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(QDateTime start = QDateTime(QDate(2026, 1, 5), QTime(9, 0, 0)));

    [[nodiscard]] QDateTime now() const override;
    void idle(double maxSeconds) override { advance(maxSeconds); }
    void pause(double maxSeconds, const std::function<bool()>& ready) override;
    TimerId startTimer(double intervalSeconds, std::function<void()> onTimeout) override;
    void stopTimer(TimerId id) override;
    [[nodiscard]] double timeFactor() const override { return 0.0; }

    // Moves time forward by `seconds`, firing due timers in time order.
    void advance(double seconds);
    // Sets the time directly (no timer fires); for tests that need a given moment.
    void setNow(const QDateTime& when);
    [[nodiscard]] double elapsedSeconds() const { return elapsed_; }
    [[nodiscard]] size_t activeTimers() const { return timers_.size(); }
    // The step of pause(): the resolution at which a paused exchange sees its answer.
    static constexpr double kPauseStep = 0.002;

  private:
    struct Timer {
        double interval;
        double due;
        std::function<void()> callback;
    };
    QDateTime origin_;
    double elapsed_ = 0.0; // seconds since origin_
    TimerId nextId_ = 1;
    std::map<TimerId, Timer> timers_;
};

} // namespace dilato
