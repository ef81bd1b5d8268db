#include "platform/DiskFlush.h"

#include "platform/Clock.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <system_error>
#include <thread>

namespace dilato {

namespace {

// The longest a pause lasts before the flush is looked at again, wall seconds (the worker's
// end wakes it sooner).
constexpr double kLookSeconds = 1.0;

std::atomic<Clock*> gAsideClock{nullptr};
std::atomic<QThread*> gProgramThread{nullptr};

int FlushHere(int fd, int (*flush)(int)) {
    return flush(fd) == 0 ? 0 : errno;
}

} // namespace

int FlushToDisk(int fd, int (*flush)(int)) {
    Clock* clock = gAsideClock.load();
    if (!clock || QThread::currentThread() != gProgramThread.load() ||
        !QCoreApplication::instance())
        return FlushHere(fd, flush);
    std::atomic<bool> done{false};
    int result = 0;
    std::thread worker;
    try {
        worker = std::thread([&] {
            result = FlushHere(fd, flush); // errno is the worker's own: read there
            done = true;
            // An event for the paused thread: it looks at `done` as soon as this arrives.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        return FlushHere(fd, flush); // no thread to be had: wait here
    }
    const double look = kLookSeconds * clock->timeFactor();
    while (!done)
        clock->pause(look, [&] { return done.load(); });
    worker.join();
    return result;
}

FlushesAside::FlushesAside(Clock& clock) {
    if (clock.timeFactor() <= 0) return;
    gProgramThread = QThread::currentThread();
    gAsideClock = &clock;
}

FlushesAside::~FlushesAside() {
    gAsideClock = nullptr;
}

} // namespace dilato
