#pragma once
// What kept the event loop from running: a 10 ms watchdog on the loop notes each pass; a
// thread of its own, once the loop has not passed for a while, takes the program thread's call
// stack (a signal to that thread) every few milliseconds until it passes again. Each block
// over the threshold is kept with its wall time, the program thread's processor time in it
// (work of its own), its involuntary context switches (the machine's other work taking the
// processor) and its voluntary ones (waits on the disk or a lock), the time it was ready to
// run but other programs had the processors (the kernel's run-queue wait), and the stacks
// taken in it.
// One sampler at a time, on the program's (main) thread.

#include <QTimer>

#include <atomic>
#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace dilato::bench {

class LoopSampler {
  public:
    struct Block {
        double startS = 0; // seconds after the sampler started
        double wallMs = 0;
        double cpuMs = 0;    // the program thread's processor time in the block
        double queuedMs = 0; // its time ready to run but waiting for a processor
        long preempted = 0;  // involuntary context switches of the program thread
        long waited = 0;     // voluntary ones
        // The rest of the wall time, asleep: on the disk, a lock, or in the event loop.
        [[nodiscard]] double asleepMs() const { return wallMs - cpuMs - queuedMs; }
        std::vector<std::string> stacks; // one line a sample: the program's frames, inner first
    };

    explicit LoopSampler(std::chrono::milliseconds threshold = std::chrono::milliseconds(50));
    ~LoopSampler();
    LoopSampler(const LoopSampler&) = delete;
    LoopSampler& operator=(const LoopSampler&) = delete;

    [[nodiscard]] const std::vector<Block>& blocks() const { return blocks_; }
    [[nodiscard]] std::chrono::milliseconds longest() const { return longest_; }
    // Every block with the stacks taken in it, the same stacks counted once with their count.
    void Print(std::ostream& out) const;

  private:
    void Pass();
    void Sample();

    std::chrono::milliseconds threshold_;
    QTimer watchdog_;
    std::thread sampler_;
    std::atomic<bool> stopping_{false};
    std::atomic<long long> lastPassNs_{0};
    long long startNs_ = 0;
    double lastCpuMs_ = 0;
    double lastQueuedMs_ = 0;
    long lastPreempted_ = 0;
    long lastWaited_ = 0;
    std::chrono::milliseconds longest_{0};
    std::vector<Block> blocks_;
};

// The load average of the last minute, as the kernel reports it.
[[nodiscard]] std::string LoadAverage();

} // namespace dilato::bench
