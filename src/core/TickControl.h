#pragma once
// The one-second tick that drives the program: the tick handler suspends the timer, runs one
// pass (the read cycle's dispatcher) and resumes, so ticks never overlap and the next tick
// comes one second after the previous one's work ended. ResumeTicks also takes the next two
// readings and records in the reading watch which of them were measured, so every pass knows
// whether it works on readings of the latest read cycle or on values left from before.

#include "core/ReadingWatch.h"
#include "core/TestInstruments.h"
#include "core/TestRun.h"
#include "platform/Clock.h"

#include <functional>
#include <optional>

namespace dilato {

class TickControl {
  public:
    TickControl(Clock& clock, TestInstruments& instruments, const TestRun& run)
        : clock_(clock), instruments_(instruments), run_(run), watch_(clock) {}
    ~TickControl() { SuspendTicks(); }
    TickControl(const TickControl&) = delete;
    TickControl& operator=(const TickControl&) = delete;

    // The pass each tick runs (ProcessReadSet).
    void setPass(std::function<void()> pass) { pass_ = std::move(pass); }

    void EnableTicks();
    void SuspendTicks();
    // Suspends, takes the displacement (not in calibration mode) and stage readings, running
    // the link check after a failed one, and enables the ticks again.
    void ResumeTicks();
    // What the latest read cycle measured.
    [[nodiscard]] ReadingWatch& watch() { return watch_; }
    [[nodiscard]] const ReadingWatch& watch() const { return watch_; }
    [[nodiscard]] bool TicksActive() const { return timer_.has_value(); }
    // Suspends the ticks until ReleaseHold, also past the end of the tick that asks: a
    // question opened from a tick (the termination question) holds the test until answered.
    // While held, ResumeTicks and EnableTicks do nothing, whoever calls them (a step saved
    // on the same tick goes no further than its next step's start).
    void HoldTicks();
    // The answer has come: the ticks may run again (ResumeTicks starts them).
    void ReleaseHold() { held_ = false; }
    [[nodiscard]] bool TicksHeld() const { return held_; }

    // The handler of one tick.
    void Tick();
    [[nodiscard]] long ticks() const { return ticks_; }

  private:
    Clock& clock_;
    TestInstruments& instruments_;
    const TestRun& run_;
    std::function<void()> pass_;
    ReadingWatch watch_;
    std::optional<TimerId> timer_;
    bool held_ = false;
    long ticks_ = 0;
};

} // namespace dilato
