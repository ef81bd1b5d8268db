// The cost of the test journal: one stored reading appended and flushed to the disk
// (fdatasync), as the sequencer does before the next tick, with the median and the 99th
// percentile of single appends; and the journal's size for a step held 24 hours.
// The journal is written in $DILATO_BENCH_FOLDER, else the current folder: run it on the
// disk that holds the data folders (a memory file system would flatter it).

#include "storage/TestJournal.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace dilato {
namespace {

JournalStart Start() {
    JournalStart s;
    s.time = "12-09-2026 11:32:10";
    s.dataFolder = "Demo";
    s.testName = "Bench";
    s.sampleId = "PMMA bar 7";
    s.lengthBox = "2.000";
    s.sampleLength = 2.0f;
    s.batchTests = 3;
    s.plan = {"20", "50", "80", "", "", "", "", "", ""};
    return s;
}

// A reading late in a long hold: every column with its full precision.
Reading LateReading(int n) {
    return Reading{1439.9f - 0.1f * static_cast<float>(n % 100), 0.1004567f + 1e-7f * n,
                   79.99f, -3.2f, 0.1004589f};
}

void BM_JournalOneReading(benchmark::State& state) {
    const char* where = std::getenv("DILATO_BENCH_FOLDER");
    const std::string folder = where ? where : ".";
    const std::string path =
        folder + "/journal-bench-" + std::to_string(::getpid()) + kJournalEnding;
    JournalFile file(path);
    file.append(JournalStartLine(Start()));
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(state.max_iterations));
    int n = 0;
    for (auto _ : state) {
        const auto line = JournalReadingLine("12-09-2026 11:32:10", 2, LateReading(n++));
        const auto t0 = std::chrono::steady_clock::now();
        file.append(line);
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::filesystem::remove(path);
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    state.counters["max_us"] = micros.back();
}
BENCHMARK(BM_JournalOneReading)->Iterations(2000)->Unit(benchmark::kMicrosecond);

void BM_JournalSizeOfA24HourStep(benchmark::State& state) {
    constexpr int kReadings = 24 * 3600 / 6; // one stored reading every 6 s
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = JournalStartLine(Start()).size() + 2;
        for (int n = 0; n < kReadings; ++n)
            bytes += JournalReadingLine("12-09-2026 11:32:10", 2, LateReading(n)).size() + 2;
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["readings"] = kReadings;
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["bytes_per_reading"] = static_cast<double>(bytes) / kReadings;
}
BENCHMARK(BM_JournalSizeOfA24HourStep)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace dilato
