// Instrument faults through the real serial adapter, with the simulated instruments behind
// pseudo-terminals: a silent sensor and a stage whose cable is pulled, two minutes into a
// test and never cleared, end the test through the instrument abort with nothing stored
// meanwhile.

#include "PtyProgram.h"

#include "core/ReadingWatch.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace dilato {
namespace {

struct PtyOutcome {
    int storedDuringFault = 0;
    double minutesFromFaultToEnd = 0;
    int stepsSaved = 0;
    std::vector<std::string> seen;
    bool sawAbort = false;
};

PtyOutcome RunWithPtyFault(const std::function<void(test::PtyProgram&)>& fault, int abortType) {
    test::PtyProgram f{sim::BenchParams{}};
    PtyOutcome o;
    EXPECT_TRUE(test::PrepareSimulatedTest(f.program, f.op, "PtyFault"));
    const TestRun& run = f.program.session.run;
    const auto stored = [&] {
        return std::accumulate(run.stats.readingCount.begin(), run.stats.readingCount.end(), 0);
    };
    f.program.StartInstruments();
    f.program.session.start.StartPressed();
    f.runFor(120.0);
    EXPECT_GT(stored(), 0) << "readings before the fault";
    const QDateTime faultStarted = f.clock->now();
    fault(f);
    f.runFor(3.0); // a pass may still store the readings taken just before the fault
    const int before = stored();
    f.runFor(3600.0);
    o.storedDuringFault = stored() - before;
    o.minutesFromFaultToEnd = faultStarted.msecsTo(f.clock->now()) / 60000.0;
    o.stepsSaved = run.StepsSaved;
    o.seen = f.op.texts();
    o.sawAbort = f.op.sawText(AbortMessageFor(abortType).text);
    return o;
}

void ExpectAbortedWithNothingStored(const PtyOutcome& o) {
    EXPECT_EQ(o.storedDuringFault, 0);
    EXPECT_EQ(o.stepsSaved, 0);
    EXPECT_TRUE(o.sawAbort) << testing::PrintToString(o.seen);
    EXPECT_LE(o.minutesFromFaultToEnd, kLostInstrumentSeconds / 60.0 + 3.0);
}

TEST(PtyFaults, ASilentSensorEndsTheTestThroughTheAbort) {
    ExpectAbortedWithNothingStored(RunWithPtyFault(
        [](test::PtyProgram& f) {
            f.host.withLock([&] { f.instruments.sensor.inject(sim::Fault::Silence); });
        },
        kSensorLost));
}

TEST(PtyFaults, AStagePulledOutEndsTheTestThroughTheAbort) {
    ExpectAbortedWithNothingStored(RunWithPtyFault(
        [](test::PtyProgram& f) { f.host.vanish(f.instruments.controller); }, kStageLost));
}

} // namespace
} // namespace dilato
