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

void WaitSeconds(Clock& clock, double seconds) {
    const long deadline = WaitDeadline(clock.secondsSinceMidnight(), seconds);
    for (;;) {
        const double now = clock.secondsSinceMidnight();
        if (DeadlineReached(now, deadline)) return;
        double remaining = static_cast<double>(deadline) - now;
        if (remaining <= 0) remaining += kDay;
        // A deadline more than the window behind "now" lies ahead across midnight.
        clock.idle(remaining);
    }
}

} // namespace dilato
