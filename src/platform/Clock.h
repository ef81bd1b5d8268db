#pragma once
// Time for the program's logic. Everything time-driven (ticks, phases, stores, holds, waits,
// midnight) reads a Clock and never the system clock directly:
//  - WallClock: the computer's local time; idling sleeps in the Qt event loop until an event
//    or the time is due;
//  - ScaledClock: starts at the wall time and runs `factor` times faster (simulated runs);
//  - VirtualClock: moves only when the program idles or a test advances it, firing the timers
//    that fall due on the way, so a day-long test runs in a moment and midnight can be
//    crossed on purpose.

#include <QDateTime>
#include <functional>
#include <memory>

namespace dilato {

using TimerId = int;

class Clock {
  public:
    virtual ~Clock() = default;

    // Local date and time now.
    [[nodiscard]] virtual QDateTime now() const = 0;
    // Seconds since local midnight, with the millisecond fraction.
    [[nodiscard]] double secondsSinceMidnight() const;
    [[nodiscard]] QDate today() const { return now().date(); }

    // Lets up to `maxSeconds` of this clock's time pass while the program stays responsive
    // (window events, timers, serial data). May return earlier.
    virtual void idle(double maxSeconds) = 0;

    // Lets up to `maxSeconds` pass with nothing of the program's own running meanwhile: the
    // clock's timers that fall due, and the operator's input, wait until the pause is over
    // (then each due timer fires once); the window is still painted. Returns as soon as
    // `ready` holds, which is asked again whenever something arrived (serial data above all).
    // The waits inside an instrument exchange, which no tick or button may interrupt.
    virtual void pause(double maxSeconds, const std::function<bool()>& ready) = 0;

    // A repeating timer on this clock's time; the callback runs on the program's thread.
    virtual TimerId startTimer(double intervalSeconds, std::function<void()> onTimeout) = 0;
    virtual void stopTimer(TimerId id) = 0;
    // How many of this clock's seconds pass in one wall-clock second (1 for the wall clock,
    // 0 for the virtual clock, which does not follow the wall at all).
    [[nodiscard]] virtual double timeFactor() const = 0;
};

// The wall clock, or with factor > 1 a clock that runs faster than the wall from now on.
[[nodiscard]] std::unique_ptr<Clock> MakeWallClock(double factor = 1.0);

} // namespace dilato
