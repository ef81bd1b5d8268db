#include "platform/VirtualClock.h"

#include <cmath>

namespace dilato {

namespace {

// Virtual time has no time zone and no daylight-saving jumps: the reading given is kept as
// it stands (in UTC terms), which also spares the time zone look-ups of local time.
QDateTime Unzoned(const QDateTime& when) {
    return QDateTime(when.date(), when.time(), Qt::UTC);
}

} // namespace

VirtualClock::VirtualClock(QDateTime start) : origin_(Unzoned(start)) {}

QDateTime VirtualClock::now() const {
    return origin_.addMSecs(static_cast<qint64>(std::llround(elapsed_ * 1000.0)));
}

TimerId VirtualClock::startTimer(double intervalSeconds, std::function<void()> onTimeout) {
    const TimerId id = nextId_++;
    const double interval = intervalSeconds > 0 ? intervalSeconds : 0.001;
    timers_[id] = Timer{interval, elapsed_ + interval, std::move(onTimeout)};
    return id;
}

void VirtualClock::stopTimer(TimerId id) {
    timers_.erase(id);
}

void VirtualClock::advance(double seconds) {
    const double target = elapsed_ + std::max(0.0, seconds);
    for (;;) {
        // the earliest timer due by the target (ties go to the older timer)
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it)
            if (it->second.due <= target &&
                (next == timers_.end() || it->second.due < next->second.due))
                next = it;
        if (next == timers_.end()) break;
        elapsed_ = std::max(elapsed_, next->second.due);
        next->second.due += next->second.interval;
        // Periods missed during a pause are not made up, as on the event loop.
        if (next->second.due <= elapsed_) next->second.due = elapsed_ + next->second.interval;
        auto callback = next->second.callback; // the timer may be stopped inside
        callback();
        if (elapsed_ > target) return; // a re-entrant idle inside the callback went past it
    }
    elapsed_ = std::max(elapsed_, target);
}

void VirtualClock::pause(double maxSeconds, const std::function<bool()>& ready) {
    const double end = elapsed_ + std::max(0.0, maxSeconds);
    while (!(ready && ready()) && elapsed_ < end)
        elapsed_ = std::min(end, elapsed_ + kPauseStep);
}

void VirtualClock::setNow(const QDateTime& when) {
    origin_ = Unzoned(when);
    elapsed_ = 0.0;
    for (auto& [id, timer] : timers_)
        timer.due = timer.interval;
}

} // namespace dilato
