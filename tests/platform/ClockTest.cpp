#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/VirtualClock.h"
#include "platform/Wait.h"

#include "support/HeapInUse.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace dilato {
namespace {

TEST(WaitSeconds, DeadlineIsRoundedToWholeSecondsModuloADay) {
    EXPECT_EQ(WaitDeadline(100.4, 0.5), 101);
    EXPECT_EQ(WaitDeadline(100.2, 0.2), 100) << "a short wait may end at once";
    EXPECT_EQ(WaitDeadline(86399.5, 2.0), 2);
    EXPECT_TRUE(DeadlineReached(2.0, 2));
    EXPECT_FALSE(DeadlineReached(86399.5, 2)) << "before midnight: the deadline lies ahead";
    EXPECT_TRUE(DeadlineReached(80002.0, 2));
    EXPECT_FALSE(DeadlineReached(80002.5, 2));
}

TEST(WaitSeconds, AWaitAcrossMidnightEndsJustAfterIt) {
    VirtualClock clock(QDateTime(QDate(2026, 1, 5), QTime(23, 59, 59, 500)));
    WaitSeconds(clock, 2.0);
    EXPECT_EQ(clock.now().date(), QDate(2026, 1, 6));
    EXPECT_EQ(clock.now().time(), QTime(0, 0, 2));
}

TEST(WallClock, AShortWaitOnAFastClockSleepsInsteadOfSpinning) {
    // A wait in steps of 0.002 s is 0.1 ms of the wall at twenty times: each step must still
    // give the processor back.
    const auto clock = MakeWallClock(20.0);
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < 200; ++i)
        clock->idle(0.002);
    EXPECT_GE(wall.elapsed(), 200) << "milliseconds for 200 waits";
}

TEST(VirtualClock, FiresDueTimersInOrderAndAllowsReentrantWaits) {
    VirtualClock clock;
    std::vector<std::string> log;
    TimerId tick = 0;
    tick = clock.startTimer(1.0, [&] {
        log.push_back("tick@" + std::to_string(static_cast<int>(clock.elapsedSeconds())));
        if (log.size() == 2) {
            clock.stopTimer(tick); // the tick suspends itself and waits
            WaitSeconds(clock, 3.0);
            tick = clock.startTimer(1.0, [&] {
                log.push_back("again@" + std::to_string(static_cast<int>(clock.elapsedSeconds())));
            });
        }
    });
    clock.startTimer(2.5, [&] { log.push_back("slow"); });
    clock.advance(7.0);
    EXPECT_EQ(log,
              (std::vector<std::string>{"tick@1", "tick@2", "slow", "slow", "again@6", "again@7"}))
        << "the slow timer fires at 2.5 s and 5 s, inside the wait as well";
    EXPECT_DOUBLE_EQ(clock.elapsedSeconds(), 7.0);
}

TEST(Desktop, ErrorBoxesPointerAndSounds) {
    test::RecordingOperator op;
    VirtualClock clock;
    ReportError(op, 0, "modFileUtils.ReadWriteSysFile", " Reading file: bad");
    EXPECT_EQ(op.last().text, "Error in modFileUtils.ReadWriteSysFile: \n Reading file: bad");
    EXPECT_EQ(op.last().icon, MessageIcon::Critical);
    ReportError(op, 1, "x", "plain");
    EXPECT_EQ(op.last().text, "plain");
    EXPECT_EQ(op.last().icon, MessageIcon::Exclamation);
    ReportError(op, 2, "x", "silent");
    EXPECT_EQ(op.messages.size(), 2u);

    const QDateTime before = clock.now();
    SetBusyPointer(op, clock, false);
    EXPECT_TRUE(op.busyPointerShown());
    SetBusyPointer(op, clock, false); // already the hourglass: no change, no wait
    EXPECT_EQ(op.pointerChanges, 1);
    EXPECT_LE(before.msecsTo(clock.now()), 1000);

    test::TempFolder app;
    app.write("Sounds/TurnON.wav", "RIFF");
    PlayEventSound(op, app.path(), "TurnON.wav");
    PlayEventSound(op, app.path(), "Missing.wav");
    EXPECT_EQ(op.sounds, (std::vector<std::string>{app.path() + "Sounds/TurnON.wav"}));
}

} // namespace
} // namespace dilato

namespace dilato {
namespace {

// A tick stops its timer inside the timer's own callback, waits for its readings while events
// run, and starts a new timer, every second of a run. Objects left for a later turn of an
// event loop are never released by a loop that only processes events (the headless
// runner's): 1500 ticks must leave the heap where 100 left it (the leak was 0.9 kB a tick).
TEST(WallClock, TicksThatRestartTheirTimerHoldFlatMemory) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    auto clock = MakeWallClock(1000.0); // 1 ms per tick
    std::optional<TimerId> timer;
    long ticks = 0;
    std::function<void()> tick = [&] {
        ++ticks;
        clock->stopTimer(*timer);
        clock->idle(0.0); // the tick's reads wait, letting events run meanwhile
        timer = clock->startTimer(1.0, tick);
    };
    timer = clock->startTimer(1.0, tick);
    const auto runTo = [&](long n) {
        while (ticks < n)
            clock->idle(0.001);
    };
    runTo(100);
    const size_t before = test::HeapInUse();
    runTo(1600);
    const long after = static_cast<long>(test::HeapInUse()) - static_cast<long>(before);
    clock->stopTimer(*timer);
    EXPECT_LT(after, 32 * 1024) << "bytes gained over 1500 ticks";
}

} // namespace
} // namespace dilato
