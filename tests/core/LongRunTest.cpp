// A day-long test on the virtual clock holds flat memory: a sample that keeps drifting holds
// the first step for as long as the test runs, with a reading stored every 6 s and the
// instruments asked every second. After its first hour the heap may grow by the readings
// themselves (20 bytes each, a few hundred kilobytes a day) and nothing else: the simulated
// instruments keep no history of what they exchanged beyond a bounded tail.
//
// DILATO_LONG_RUN_HOURS sets the length (default 24) for measuring longer runs by hand.

#include "SimulatedProgram.h"

#include "support/HeapInUse.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace dilato {
namespace {

using test::SimulatedProgram;

// The peak resident memory of this process so far, in kilobytes (0 where unknown).
long PeakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

double Hours() {
    const char* text = std::getenv("DILATO_LONG_RUN_HOURS");
    const double hours = text ? std::atof(text) : 24.0;
    return hours > 1.0 ? hours : 24.0;
}

TEST(LongRun, ADayLongTestEndsWithTheMemoryItHadAfterItsFirstHour) {
    sim::BenchParams bench;
    bench.sample.driftMicronsPerHour = 50.0; // never steady: the hold goes on
    SimulatedProgram p{bench, "20/50/0/0/0/0/0/0/0", 2};
    TestRun& run = p.program.session.run;
    p.program.StartInstruments();
    p.program.session.start.StartPressed();
    const double started = p.clock.elapsedSeconds();
    const auto runTo = [&](double hours) {
        while (p.clock.elapsedSeconds() < started + hours * 3600.0)
            p.clock.advance(1.0);
    };
    runTo(1.0);
    ASSERT_EQ(run.testState, state::Hold);
    const size_t afterFirstHour = test::HeapInUse();
    const int readingsAfterFirstHour = run.stats.readingCount.at(0);
    const double hours = Hours();
    runTo(hours);
    ASSERT_EQ(run.testState, state::Hold) << "still the first step";
    ASSERT_EQ(run.StepIndex, 0);
    const long grown = static_cast<long>(test::HeapInUse()) - static_cast<long>(afterFirstHour);
    const int readings = run.stats.readingCount.at(0) - readingsAfterFirstHour;
    std::printf("%.0f h simulated test: heap after the first hour %.2f MB, grown since by %.3f MB "
                "(%d readings stored meanwhile); peak resident memory %.1f MB\n",
                hours, afterFirstHour / 1048576.0, grown / 1048576.0, readings,
                PeakResidentKilobytes() / 1024.0);
    EXPECT_GT(readings, static_cast<int>((hours - 1.0) * 600 * 0.95)) << "a reading every 6 s";
    if (hours <= 24.0) {
        EXPECT_LT(grown, 1024 * 1024) << "bytes gained after the first hour";
    }
}

} // namespace
} // namespace dilato
