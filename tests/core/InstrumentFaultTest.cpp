// Instrument faults during a test, against the simulated instruments on the virtual clock: a
// reading is a measurement or nothing. Each fault comes three minutes into the second step of
// a 20/50 °C test and either lasts (the test must end through the instrument abort, keep the
// first step's files as they were and never count as completed) or is cleared after two
// minutes (the test must complete and measure the sample's true expansion). Either way no
// reading is stored while the fault lasts.

#include "SimulatedProgram.h"

#include "core/ReadingWatch.h"
#include "platform/Files.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <numeric>

namespace dilato {
namespace {

using test::SimulatedProgram;

struct FaultCase {
    const char* name;
    std::function<void(SimulatedProgram&)> begin, end;
    int abortType; // the instrument abort when the fault lasts
    bool abortsAtOnce = false;
};

std::vector<FaultCase> Faults() {
    const auto sensor = [](SimulatedProgram& p) -> sim::SimDevice& { return p.instruments.sensor; };
    const auto stage = [](SimulatedProgram& p) -> sim::SimDevice& {
        return p.instruments.controller;
    };
    const auto inject = [](auto device, sim::Fault fault) {
        return [device, fault](SimulatedProgram& p) { device(p).inject(fault); };
    };
    const auto clear = [](auto device) {
        return [device](SimulatedProgram& p) { device(p).clearFaults(); };
    };
    const auto vanish = [](int com) { return [com](SimulatedProgram& p) { p.board.vanish(com); }; };
    const auto restore = [](int com) {
        return [com](SimulatedProgram& p) { p.board.restore(com); };
    };
    return {
        {"sensor silent", inject(sensor, sim::Fault::Silence), clear(sensor), kSensorLost},
        {"sensor unplugged", vanish(1), restore(1), kSensorLost},
        {"sensor garbage", inject(sensor, sim::Fault::Garbled), clear(sensor), kSensorLost},
        {"sensor negative", inject(sensor, sim::Fault::Negative), clear(sensor), kSensorNegative,
         true},
        {"stage silent", inject(stage, sim::Fault::Silence), clear(stage), kStageLost},
        {"stage unplugged", vanish(2), restore(2), kStageLost},
    };
}

int StoredReadings(const TestRun& run) {
    return std::accumulate(run.stats.readingCount.begin(), run.stats.readingCount.end(), 0);
}

struct Outcome {
    int storedDuringFault = 0;
    double minutesFromFaultToEnd = 0;
    bool completed = false;
    std::string rawAfterStep1, rawAtEnd;
};

// Runs the test with the fault from three minutes into step 2 until the test ends; a fault
// with a duration is cleared after it.
Outcome RunWithFault(SimulatedProgram& p, const FaultCase& fault, std::optional<double> lasts) {
    TestRun& run = p.program.session.run;
    const std::string raw = p.program.folders.DataRoot() + "Demo/Sample1_CTE.dat";
    const auto running = [&] { return run.StartRequested || run.testState != state::Idle; };
    p.program.StartInstruments();
    p.program.session.start.StartPressed();
    while (running() && run.StepsSaved < 1)
        p.clock.advance(1.0);
    Outcome o;
    o.rawAfterStep1 = ReadFileBytes(raw).value_or("");
    const double stepStarted = p.clock.elapsedSeconds();
    while (running() && p.clock.elapsedSeconds() < stepStarted + 180)
        p.clock.advance(1.0);
    EXPECT_TRUE(running()) << fault.name << ": step 2 lasts longer than three minutes";

    fault.begin(p);
    const double faultStarted = p.clock.elapsedSeconds();
    // The pass of this tick still works on the readings taken before the fault.
    p.clock.advance(1.0);
    const int before = StoredReadings(run);
    while (running() && (!lasts || p.clock.elapsedSeconds() < faultStarted + *lasts))
        p.clock.advance(1.0);
    o.storedDuringFault = StoredReadings(run) - before;
    if (lasts) fault.end(p);
    while (running() && p.clock.elapsedSeconds() < faultStarted + 12 * 3600.0)
        p.clock.advance(1.0);
    o.minutesFromFaultToEnd = (p.clock.elapsedSeconds() - faultStarted) / 60.0;
    o.completed = run.StepsSaved == 2;
    o.rawAtEnd = ReadFileBytes(raw).value_or("");
    return o;
}

std::string Seen(const test::RecordingOperator& op) {
    std::string seen;
    for (const Message& m : op.messages)
        if (seen.find("[" + m.title + "]") == std::string::npos) seen += "[" + m.title + "] ";
    return seen;
}

TEST(InstrumentFaults, AFaultThatLastsEndsTheTestThroughTheAbortWithNothingStoredMeanwhile) {
    for (const FaultCase& fault : Faults()) {
        SCOPED_TRACE(fault.name);
        SimulatedProgram p{sim::BenchParams{}, "20/50/0/0/0/0/0/0/0", 2};
        const Outcome o = RunWithFault(p, fault, std::nullopt);
        std::printf("%-17s never cleared: stored during the fault %d, ended %.1f min after it, "
                    "%s; operator saw %s\n",
                    fault.name, o.storedDuringFault, o.minutesFromFaultToEnd,
                    o.completed ? "completed" : "not completed", Seen(p.op).c_str());
        EXPECT_EQ(o.storedDuringFault, 0);
        EXPECT_FALSE(o.completed);
        EXPECT_FALSE(p.program.session.run.TestFinished);
        const double bound = kLostInstrumentSeconds / 60.0;
        EXPECT_LE(o.minutesFromFaultToEnd, fault.abortsAtOnce ? 1.0 : bound + 1.5);
        if (!fault.abortsAtOnce) {
            EXPECT_GE(o.minutesFromFaultToEnd, bound);
        }
        const AbortMessage abort = AbortMessageFor(fault.abortType);
        EXPECT_TRUE(p.op.sawText(abort.text)) << Seen(p.op);
        EXPECT_FALSE(o.rawAfterStep1.empty());
        EXPECT_EQ(o.rawAtEnd, o.rawAfterStep1) << "the raw data keeps the completed step";
        EXPECT_FALSE(IsFile(p.program.folders.SummaryFileName)) << "no result of a failed test";
    }
}

TEST(InstrumentFaults, AFaultClearedWithinTheBoundLeavesAGapAndATrueResult) {
    for (const FaultCase& fault : Faults()) {
        SCOPED_TRACE(fault.name);
        SimulatedProgram p{sim::BenchParams{}, "20/50/0/0/0/0/0/0/0", 2};
        const Outcome o = RunWithFault(p, fault, 120.0);
        const ResultTable& r = p.program.session.run.results;
        const double truth = p.instruments.bench.params().sample.expansion.meanAlpha(
            r.at(1, result::StartTemp), r.at(1, result::EndTemp));
        std::printf("%-17s cleared after 2 min: stored during the fault %d, %s, CTE %.2f +/- "
                    "%.1f%% (truth %.2f); operator saw %s\n",
                    fault.name, o.storedDuringFault, o.completed ? "completed" : "not completed",
                    r.at(1, result::Cte), 100 * r.at(1, result::Accuracy), truth,
                    Seen(p.op).c_str());
        EXPECT_EQ(o.storedDuringFault, 0);
        if (fault.abortsAtOnce) {
            EXPECT_FALSE(o.completed) << "a negative reading aborts at once";
            EXPECT_TRUE(p.op.sawText(AbortMessageFor(fault.abortType).text));
            continue;
        }
        EXPECT_TRUE(o.completed);
        for (const Message& m : p.op.messages)
            EXPECT_EQ(m.text.find("Check power connections"), std::string::npos) << m.text;
        EXPECT_NEAR(r.at(1, result::Cte), truth, r.at(1, result::Accuracy) * truth);
    }
}

} // namespace
} // namespace dilato
