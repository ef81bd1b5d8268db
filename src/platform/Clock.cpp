#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace dilato {

double Clock::secondsSinceMidnight() const {
    const QTime t = now().time();
    return t.msecsSinceStartOfDay() / 1000.0;
}

namespace {

constexpr int kShortestSleepMs = 1;
// How long a pause sleeps between looks at `ready` when there is no event loop to wake it.
constexpr int kLookWithoutLoopMs = 1;

// Wall time, optionally sped up. Timers are QTimers with their interval divided by the factor.
// Waiting sleeps in the event loop until an event arrives or a timer set for the wait's end
// fires: an idle program wakes only for its ticks, serial data and the window.
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
        const int wallMs = WallMs(maxSeconds);
        if (!QCoreApplication::instance()) {
            QThread::msleep(static_cast<unsigned long>(wallMs));
            return;
        }
        QTimer wake; // its expiry only wakes the event loop
        Arm(wake, wallMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }

    void pause(double maxSeconds, const std::function<bool()>& ready) override {
        const Hold hold(*this);
        QDeadlineTimer end(WallMs(maxSeconds), Qt::PreciseTimer);
        const bool loop = QCoreApplication::instance() != nullptr;
        std::optional<QTimer> wake; // its expiry only wakes the event loop
        if (loop) Arm(wake.emplace(), static_cast<int>(end.remainingTime()));
        for (;;) {
            if (ready && ready()) return;
            if (end.hasExpired()) return;
            if (loop && !wake->isActive()) // fired a shade early
                Arm(*wake, std::max(1, static_cast<int>(end.remainingTime())));
            if (loop)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                                QEventLoop::ExcludeUserInputEvents);
            else
                QThread::msleep(kLookWithoutLoopMs);
        }
    }

    TimerId startTimer(double intervalSeconds, std::function<void()> onTimeout) override {
        ReleaseStopped();
        const TimerId id = nextId_++;
        auto timer = std::make_unique<QTimer>();
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(
            std::max(1, static_cast<int>(std::lround(intervalSeconds * 1000.0 / factor_))));
        QObject::connect(timer.get(), &QTimer::timeout, [this, id] { Fire(id); });
        callbacks_[id] = std::move(onTimeout);
        timer->start();
        timers_[id] = std::move(timer);
        return id;
    }

    void stopTimer(TimerId id) override {
        callbacks_.erase(id);
        deferred_.erase(id);
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

    double timeFactor() const override { return factor_; }

  private:
    // Timers falling due while a pause holds them are kept and fired once it ends.
    struct Hold {
        explicit Hold(EventLoopClock& c) : clock(c) { ++clock.holding_; }
        ~Hold() {
            if (--clock.holding_ == 0) clock.FireDeferred();
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        EventLoopClock& clock;
    };

    [[nodiscard]] int WallMs(double seconds) const {
        const double ms = std::ceil(std::max(0.0, seconds) / factor_ * 1000.0);
        return static_cast<int>(std::clamp(ms, static_cast<double>(kShortestSleepMs), 8.64e7));
    }

    static void Arm(QTimer& timer, int ms) {
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        timer.start(std::max(0, ms));
    }

    void Fire(TimerId id) {
        if (holding_ > 0) {
            deferred_.insert(id);
            return;
        }
        const auto it = callbacks_.find(id);
        if (it == callbacks_.end()) return;
        const std::function<void()> callback = it->second; // the timer may be stopped inside
        ++firing_[id];
        struct Done {
            EventLoopClock& clock;
            TimerId id;
            ~Done() {
                if (--clock.firing_[id] == 0) clock.firing_.erase(id);
            }
        } done{*this, id};
        callback();
    }

    // Hands the timers held by a pause to the event loop: they run once control is back
    // there, never inside the code that paused.
    void FireDeferred() {
        if (deferred_.empty()) return;
        std::set<TimerId> due;
        due.swap(deferred_);
        QTimer::singleShot(0, &context_, [this, due] {
            for (const TimerId id : due)
                Fire(id);
        });
    }

    // Deletes the stopped timers whose callbacks are not running.
    void ReleaseStopped() {
        std::erase_if(stopped_, [this](const auto& entry) { return !firing_.contains(entry.first); });
    }

    double factor_;
    QDateTime origin_;
    QElapsedTimer started_;
    TimerId nextId_ = 1;
    std::map<TimerId, std::unique_ptr<QTimer>> timers_;
    std::map<TimerId, std::function<void()>> callbacks_;
    std::vector<std::pair<TimerId, std::unique_ptr<QTimer>>> stopped_;
    std::map<TimerId, int> firing_; // timers whose callbacks run now (nested runs counted)
    int holding_ = 0;               // pauses in progress
    std::set<TimerId> deferred_;    // timers that fell due during a pause
    QObject context_;               // owns the hand-over of held timers
};

} // namespace

std::unique_ptr<Clock> MakeWallClock(double factor) {
    return std::make_unique<EventLoopClock>(factor > 0 ? factor : 1.0);
}

} // namespace dilato
