#include "LoopSampler.h"

#include <QProcess>

#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <pthread.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <map>

namespace dilato::bench {

namespace {

constexpr auto kLoopPass = std::chrono::milliseconds(10);
// The sampler looks this often; it takes a stack once the loop has missed a few passes, and
// then at most this often.
constexpr auto kLook = std::chrono::milliseconds(2);
constexpr long long kSampleAfterNs = 30'000'000;
constexpr long long kSampleEveryNs = 8'000'000;
constexpr int kDepth = 64;
constexpr int kSamples = 8192;
// Frames shown a sample: the innermost one and the program's own.
constexpr size_t kShownFrames = 9;

struct StackSample {
    long long ns = 0;
    int depth = 0;
    void* frames[kDepth]{};
};

// Written by the signal handler on the program thread only; read on that thread too.
StackSample gSamples[kSamples];
std::atomic<int> gTaken{0};

long long MonotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The program thread's time waiting for a processor so far (ms), from the kernel's
// scheduler statistics: on the processor, waiting on the run queue, time slices.
double QueuedMs() {
    std::ifstream in("/proc/thread-self/schedstat");
    long long running = 0, waiting = 0;
    in >> running >> waiting;
    return static_cast<double>(waiting) / 1e6;
}

void TakeStack(int) {
    const int at = gTaken.load(std::memory_order_relaxed);
    if (at >= kSamples) return;
    StackSample& s = gSamples[at];
    s.ns = MonotonicNs();
    s.depth = backtrace(s.frames, kDepth);
    gTaken.store(at + 1, std::memory_order_release);
}

// The executable's own symbols, local ones included (dladdr sees only the exported ones).
class ProgramSymbols {
  public:
    ProgramSymbols() {
        Dl_info self{};
        if (dladdr(reinterpret_cast<void*>(&MonotonicNs), &self) == 0) return;
        base_ = reinterpret_cast<uintptr_t>(self.dli_fbase);
        file_ = self.dli_fname;
        QProcess nm;
        nm.start(QStringLiteral("nm"), {"--defined-only", "-C", QString::fromLocal8Bit(file_)});
        nm.waitForFinished(60000);
        for (const QByteArray& line : nm.readAllStandardOutput().split('\n')) {
            const int space = line.indexOf(' ');
            if (space <= 0 || line.size() < space + 3) continue;
            const char kind = line.at(space + 1);
            if (kind != 't' && kind != 'T' && kind != 'W' && kind != 'w') continue;
            bool ok = false;
            const uintptr_t address = line.left(space).toULongLong(&ok, 16);
            if (ok) names_[address] = line.mid(space + 3).toStdString();
        }
    }
    // The program's function at `pc`, or empty when `pc` is outside the executable.
    [[nodiscard]] std::string name(void* pc) const {
        Dl_info info{};
        if (dladdr(pc, &info) == 0 || info.dli_fname != file_ || names_.empty()) return {};
        auto it = names_.upper_bound(reinterpret_cast<uintptr_t>(pc) - base_);
        if (it == names_.begin()) return {};
        return Shorten(std::prev(it)->second);
    }

    static std::string Shorten(std::string name) {
        const size_t args = name.find('(');
        if (args != std::string::npos && name.compare(0, 8, "operator") != 0) name.resize(args);
        for (const std::string& drop :
             {std::string("dilato::"), std::string("(anonymous namespace)::")})
            for (size_t at; (at = name.find(drop)) != std::string::npos;)
                name.erase(at, drop.size());
        return name;
    }

  private:
    uintptr_t base_ = 0;
    const char* file_ = nullptr;
    std::map<uintptr_t, std::string> names_;
};

const ProgramSymbols& Symbols() {
    static const ProgramSymbols symbols;
    return symbols;
}

std::string LibraryName(void* pc) {
    Dl_info info{};
    if (dladdr(pc, &info) == 0) return "?";
    if (info.dli_sname) {
        int status = 0;
        char* plain = abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status);
        std::string name = status == 0 && plain ? plain : info.dli_sname;
        std::free(plain);
        return ProgramSymbols::Shorten(name);
    }
    const std::string file = info.dli_fname ? info.dli_fname : "?";
    return file.substr(file.rfind('/') + 1);
}

std::string Describe(const StackSample& s, const ProgramSymbols& symbols) {
    // Frame 0 is the handler, frame 1 the signal's return trampoline.
    std::string line;
    size_t shown = 0;
    for (int f = 2; f < s.depth && shown < kShownFrames; ++f) {
        std::string name = symbols.name(s.frames[f]);
        if (name.empty()) {
            if (f != 2) continue;
            name = LibraryName(s.frames[f]);
        }
        if (!line.empty()) line += " < ";
        line += name;
        ++shown;
    }
    return line;
}

} // namespace

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one;
    in >> one;
    return one;
}

LoopSampler::LoopSampler(std::chrono::milliseconds threshold) : threshold_(threshold) {
    void* warm[4];
    (void)backtrace(warm, 4); // loads the unwinder now, not inside the signal handler
    (void)Symbols();
    gTaken = 0;
    struct sigaction act {};
    act.sa_handler = TakeStack;
    act.sa_flags = SA_RESTART;
    sigemptyset(&act.sa_mask);
    sigaction(SIGPROF, &act, nullptr);
    startNs_ = MonotonicNs();
    lastPassNs_ = startNs_;
    lastCpuMs_ = ThreadCpuMs();
    lastQueuedMs_ = QueuedMs();
    QObject::connect(&watchdog_, &QTimer::timeout, [this] { Pass(); });
    watchdog_.start(kLoopPass);
    sampler_ = std::thread([this, target = pthread_self()] {
        long long lastSample = 0;
        while (!stopping_) {
            std::this_thread::sleep_for(kLook);
            const long long now = MonotonicNs();
            if (now - lastPassNs_.load() > kSampleAfterNs && now - lastSample > kSampleEveryNs) {
                pthread_kill(target, SIGPROF);
                lastSample = now;
            }
        }
    });
}

LoopSampler::~LoopSampler() {
    watchdog_.stop();
    stopping_ = true;
    sampler_.join();
    signal(SIGPROF, SIG_IGN);
}

void LoopSampler::Pass() {
    const long long now = MonotonicNs();
    const long long last = lastPassNs_.exchange(now);
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    const double cpu = ThreadCpuMs();
    const double queued = QueuedMs();
    const auto gap = std::chrono::milliseconds((now - last) / 1'000'000);
    longest_ = std::max(longest_, gap);
    if (gap > threshold_) {
        Block b;
        b.startS = static_cast<double>(last - startNs_) / 1e9;
        b.wallMs = static_cast<double>(now - last) / 1e6;
        b.cpuMs = cpu - lastCpuMs_;
        b.queuedMs = queued - lastQueuedMs_;
        b.preempted = u.ru_nivcsw - lastPreempted_;
        b.waited = u.ru_nvcsw - lastWaited_;
        const int taken = gTaken.load(std::memory_order_acquire);
        for (int i = 0; i < taken; ++i)
            if (gSamples[i].ns >= last && gSamples[i].ns <= now)
                b.stacks.push_back(Describe(gSamples[i], Symbols()));
        blocks_.push_back(std::move(b));
    }
    gTaken.store(0, std::memory_order_release);
    // The work above is the sampler's own: not counted in the next block.
    lastPassNs_ = MonotonicNs();
    lastCpuMs_ = ThreadCpuMs();
    lastQueuedMs_ = QueuedMs();
    getrusage(RUSAGE_THREAD, &u);
    lastPreempted_ = u.ru_nivcsw;
    lastWaited_ = u.ru_nvcsw;
}

void LoopSampler::Print(std::ostream& out) const {
    for (const Block& b : blocks_) {
        out << "  block at " << b.startS << " s: " << b.wallMs << " ms wall: " << b.cpuMs
            << " ms processor, " << b.queuedMs << " ms waiting for a processor, " << b.asleepMs()
            << " ms asleep; preempted " << b.preempted << "x, waited " << b.waited << "x\n";
        std::map<std::string, int> counted;
        for (const std::string& s : b.stacks)
            ++counted[s];
        for (const auto& [stack, n] : counted)
            out << "    " << n << " x " << stack << "\n";
    }
}

} // namespace dilato::bench
