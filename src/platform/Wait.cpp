#include "platform/Wait.h"

#include <cmath>

namespace dilato {

namespace {
constexpr double kDay = 86400.0;
constexpr double kPastWindow = 80000.0;
} // namespace

long WaitDeadline(double secondsSinceMidnight, double seconds) {
    const long rounded = std::lround(secondsSinceMidnight + seconds);
    return ((rounded % 86400) + 86400) % 86400;
}

bool DeadlineReached(double now, long deadline) {
    const double past = now - static_cast<double>(deadline);
    return past >= 0.0 && past <= kPastWindow;
}

namespace {

// Seconds of the clock from `now` to `deadline`; a deadline more than the window behind "now"
// lies ahead across midnight.
double SecondsTo(double now, long deadline) {
    const double remaining = static_cast<double>(deadline) - now;
    return remaining <= 0 ? remaining + kDay : remaining;
}

} // namespace

void WaitSeconds(Clock& clock, double seconds) {
    const long deadline = WaitDeadline(clock.secondsSinceMidnight(), seconds);
    for (;;) {
        const double now = clock.secondsSinceMidnight();
        if (DeadlineReached(now, deadline)) return;
        clock.idle(SecondsTo(now, deadline));
    }
}

bool PauseUntil(Clock& clock, long deadline, const std::function<bool()>& ready) {
    for (;;) {
        if (ready && ready()) return true;
        const double now = clock.secondsSinceMidnight();
        if (DeadlineReached(now, deadline)) return false;
        clock.pause(SecondsTo(now, deadline), ready);
    }
}

void PauseSeconds(Clock& clock, double seconds) {
    (void)PauseUntil(clock, WaitDeadline(clock.secondsSinceMidnight(), seconds), {});
}

} // namespace dilato
