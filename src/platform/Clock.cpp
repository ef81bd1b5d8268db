#include "platform/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace dilato {

double Clock::secondsSinceMidnight() const {
    const QTime t = now().time();
    return t.msecsSinceStartOfDay() / 1000.0;
}

namespace {

constexpr double kShortestSleepMs = 1.0;

// Wall time, optionally sped up. Timers are QTimers with their interval divided by the factor.
class EventLoopClock final : public Clock {
  public:
    explicit EventLoopClock(double factor)
        : factor_(factor), origin_(QDateTime::currentDateTime()) {
        started_.start();
    }

    QDateTime now() const override {
        if (factor_ == 1.0) return QDateTime::currentDateTime();
        const double ms = static_cast<double>(started_.nsecsElapsed()) / 1e6 * factor_;
        return origin_.addMSecs(static_cast<qint64>(ms));
    }

    void idle(double maxSeconds) override {
        // At least a millisecond of the wall: a wait that polls a silent instrument in short
        // steps would otherwise spin once the clock runs fast (0.002 s at 20 times is 0.1 ms).
        const double wallMs = std::clamp(maxSeconds / factor_ * 1000.0, kShortestSleepMs, 10.0);
        if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::usleep(static_cast<unsigned long>(wallMs * 1000.0));
    }

    TimerId startTimer(double intervalSeconds, std::function<void()> onTimeout) override {
        ReleaseStopped();
        const TimerId id = nextId_++;
        auto timer = std::make_unique<QTimer>();
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(
            std::max(1, static_cast<int>(std::lround(intervalSeconds * 1000.0 / factor_))));
        QObject::connect(timer.get(), &QTimer::timeout,
                         [this, id, callback = std::move(onTimeout)] {
                             ++firing_[id];
                             struct Done {
                                 EventLoopClock& clock;
                                 TimerId id;
                                 ~Done() {
                                     if (--clock.firing_[id] == 0) clock.firing_.erase(id);
                                 }
                             } done{*this, id};
                             callback();
                         });
        timer->start();
        timers_[id] = std::move(timer);
        return id;
    }

    void stopTimer(TimerId id) override {
        const auto it = timers_.find(id);
        if (it == timers_.end()) return;
        it->second->stop();
        // The callback may be the one running now: the timer is released once it has
        // returned, at the next start or stop. Not by deleteLater(): a loop that only
        // processes events (the headless runner's) never runs deferred deletions, and a
        // tick stops and starts its timer every second.
        stopped_.emplace_back(id, std::move(it->second));
        timers_.erase(it);
        ReleaseStopped();
    }

    [[nodiscard]] size_t timersHeld() const { return timers_.size() + stopped_.size(); }

    double timeFactor() const override { return factor_; }

  private:
    // Deletes the stopped timers whose callbacks are not running.
    void ReleaseStopped() {
        std::erase_if(stopped_, [this](const auto& entry) { return !firing_.contains(entry.first); });
    }

    double factor_;
    QDateTime origin_;
    QElapsedTimer started_;
    TimerId nextId_ = 1;
    std::map<TimerId, std::unique_ptr<QTimer>> timers_;
    std::vector<std::pair<TimerId, std::unique_ptr<QTimer>>> stopped_;
    std::map<TimerId, int> firing_; // timers whose callbacks run now (nested runs counted)
};

} // namespace

std::unique_ptr<Clock> MakeWallClock(double factor) {
    return std::make_unique<EventLoopClock>(factor > 0 ? factor : 1.0);
}

} // namespace dilato
