// The waits inside an instrument exchange: the thread sleeps until what it waits for has
// arrived or the deadline comes, and none of the clock's timers runs inside; a timer that fell
// due meanwhile fires once afterwards.

#include "platform/Clock.h"
#include "platform/VirtualClock.h"
#include "platform/Wait.h"

#include "support/EventLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <time.h>

namespace dilato {
namespace {

using test::EventLoop;

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

TEST(Pause, OnTheWallClockSleepsToItsDeadlineAndHoldsTheTimersTillAfter) {
    EventLoop loop;
    const auto clock = MakeWallClock(10.0);
    int ticks = 0;
    const TimerId tick = clock->startTimer(0.3, [&] { ++ticks; }); // every 30 ms of the wall
    const double cpu0 = ThreadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    clock->pause(1.0, {}); // 100 ms of the wall
    const qint64 paused = wall.elapsed();
    EXPECT_GE(paused, 99);
    EXPECT_LT(paused, 400);
    EXPECT_LT(ThreadCpuSeconds() - cpu0, 0.03) << "the pause sleeps";
    EXPECT_EQ(ticks, 0) << "no timer runs inside a pause";
    QCoreApplication::processEvents(); // back in the event loop
    EXPECT_EQ(ticks, 1) << "the held timer fires once, not once for each period it missed";
    clock->stopTimer(tick);
}

TEST(Pause, ReturnsAsSoonAsWhatItWaitsForHasArrived) {
    EventLoop loop;
    const auto clock = MakeWallClock();
    bool arrived = false;
    // Stands for a serial port's data: an event that wakes the sleeping thread.
    QTimer::singleShot(20, [&] { arrived = true; });
    QElapsedTimer wall;
    wall.start();
    clock->pause(2.0, [&] { return arrived; });
    EXPECT_TRUE(arrived);
    EXPECT_LT(wall.elapsed(), 500);
}

TEST(Pause, OnTheVirtualClockStepsTwoMillisecondsAndFiresNothing) {
    VirtualClock clock;
    int ticks = 0;
    clock.startTimer(1.0, [&] { ++ticks; });
    int looks = 0;
    clock.pause(3.5, [&] { return ++looks == 100; }); // ready at the 100th look
    EXPECT_NEAR(clock.elapsedSeconds(), 99 * VirtualClock::kPauseStep, 1e-9);
    clock.pause(3.5, {});
    EXPECT_NEAR(clock.elapsedSeconds(), 3.698, 1e-9);
    EXPECT_EQ(ticks, 0);
    clock.advance(0.1);
    EXPECT_EQ(ticks, 1) << "the three missed periods fire once, late";
    clock.advance(1.0);
    EXPECT_EQ(ticks, 2) << "and the timer goes on from there";
}

TEST(Pause, UntilADeadlineInWholeSecondsAcrossMidnight) {
    VirtualClock clock(QDateTime(QDate(2026, 1, 5), QTime(23, 59, 59, 500)));
    EXPECT_TRUE(PauseUntil(clock, 1, [] { return true; }));
    EXPECT_DOUBLE_EQ(clock.elapsedSeconds(), 0.0) << "ready at once costs nothing";
    EXPECT_FALSE(PauseUntil(clock, WaitDeadline(clock.secondsSinceMidnight(), 1.0), {}));
    EXPECT_EQ(clock.now().date(), QDate(2026, 1, 6));
    EXPECT_EQ(clock.now().time(), QTime(0, 0, 1));
    PauseSeconds(clock, 2.0);
    EXPECT_EQ(clock.now().time(), QTime(0, 0, 3));
}

} // namespace
} // namespace dilato
