// Flushes to the disk set aside: the window program's thread waits for them in its clock's
// pause (the window served, no tick run), gets their failures as if it had flushed itself,
// and finds every write complete and in order when the call returns.

#include "platform/DiskFlush.h"
#include "platform/Clock.h"
#include "platform/TextFile.h"
#include "platform/VirtualClock.h"

#include "support/EventLoop.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>

namespace dilato {
namespace {

using test::EventLoop;

// The thread the last flush ran on.
std::thread::id gFlushedOn;

int SlowFlush(int) {
    gFlushedOn = std::this_thread::get_id();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    return 0;
}

int FailingFlush(int) {
    gFlushedOn = std::this_thread::get_id();
    errno = EIO;
    return -1;
}

TEST(FlushesAside, TheEventLoopRunsButNoTickWhileTheDiskTakesAFlush) {
    EventLoop loop;
    const auto clock = MakeWallClock();
    const FlushesAside aside(*clock);
    int ticks = 0;
    const TimerId tick = clock->startTimer(0.01, [&] { ++ticks; });
    int painted = 0; // stands for the window's own events
    QTimer paint;
    QObject::connect(&paint, &QTimer::timeout, [&] { ++painted; });
    paint.start(5);
    QElapsedTimer wall;
    wall.start();
    EXPECT_EQ(FlushToDisk(-1, SlowFlush), 0);
    EXPECT_GE(wall.elapsed(), 150) << "the call returns once the flush is done";
    EXPECT_NE(gFlushedOn, std::this_thread::get_id()) << "the flush ran aside";
    EXPECT_GE(painted, 5) << "the event loop ran during the flush";
    EXPECT_EQ(ticks, 0) << "no tick runs before the flush is done";
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 1);
    clock->stopTimer(tick);
}

TEST(FlushesAside, AFailedFlushGivesItsErrorWhereverItRan) {
    EventLoop loop;
    const auto wall = MakeWallClock();
    VirtualClock virtualClock;
    struct Case {
        const char* name;
        Clock* clock; // null: no flushes aside
        bool aside;   // expected to run on another thread
    };
    for (const Case& c : {Case{"here", nullptr, false}, Case{"aside", wall.get(), true},
                          Case{"virtual clock", &virtualClock, false}}) {
        SCOPED_TRACE(c.name);
        std::optional<FlushesAside> aside;
        if (c.clock) aside.emplace(*c.clock);
        errno = 0;
        EXPECT_EQ(FlushToDisk(-1, FailingFlush), EIO);
        EXPECT_EQ(gFlushedOn != std::this_thread::get_id(), c.aside);
    }
    EXPECT_EQ(virtualClock.elapsedSeconds(), 0.0) << "a flush moves no virtual time";
}

TEST(FlushesAside, AnotherThreadsFlushRunsOnThatThread) {
    EventLoop loop;
    const auto clock = MakeWallClock();
    const FlushesAside aside(*clock);
    std::thread::id caller;
    std::thread other([&] {
        caller = std::this_thread::get_id();
        EXPECT_EQ(FlushToDisk(-1, SlowFlush), 0);
    });
    other.join();
    EXPECT_EQ(gFlushedOn, caller) << "only the program's thread waits in the clock's pause";
}

TEST(FlushesAside, DurableWritesAreCompleteAndInOrderOnReturn) {
    EventLoop loop;
    const auto clock = MakeWallClock();
    const FlushesAside aside(*clock);
    test::TempFolder dir;
    WriteFileAtomic(dir.file("data.dat"), "first\r\n");
    AppendDurably(dir.file("data.dat"), "second\r\n");
    AppendDurably(dir.file("journal"), "a new file\r\n");
    EXPECT_EQ(dir.read("data.dat"), "first\r\nsecond\r\n");
    EXPECT_EQ(dir.read("journal"), "a new file\r\n");
    WriteFileAtomic(dir.file("data.dat"), "replaced");
    EXPECT_EQ(dir.read("data.dat"), "replaced");
}

} // namespace
} // namespace dilato
