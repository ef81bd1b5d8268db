#pragma once
// One whole test of a simulated sample, seeded, in-process on the virtual clock: the program's
// real links against the simulated instruments, from the Start button to the end of the batch.
// It hands back every reported result with its accuracy estimate, its expanded uncertainty and
// the simulated truth (the mean of the sample's alpha between the actual stage temperatures
// behind the two reported ones), and how long each step took. The coverage benchmark and the
// coverage test share it.

#include "CoreFakes.h"
#include "SimulatedSetup.h"

#include "core/Program.h"
#include "platform/VirtualClock.h"
#include "sim/SimInstruments.h"
#include "sim/SimSerialPort.h"
#include "sim/Truth.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dilato::test {

struct MeasuredResult {
    int key = 0;             // "CTE k:"
    double from = 0, to = 0; // reported temperatures, °C
    double cte = 0;          // reported CTE
    double accuracy = 0;     // the results table's estimate, fraction
    double expanded = 0;     // U (k = 2), µ/°C
    double truth = 0;        // mean alpha over the true interval
    bool belowRange = false;

    [[nodiscard]] double error() const { return cte - truth; }
    [[nodiscard]] bool coveredByU() const { return std::abs(error()) <= expanded; }
    [[nodiscard]] bool coveredByEstimate() const {
        return std::abs(error()) <= accuracy * std::abs(truth);
    }
};

struct SeededRun {
    bool completed = false;
    std::vector<MeasuredResult> results;
    std::vector<double> stepMinutes; // simulated minutes of each step
    std::vector<std::string> messages;
};

struct SeededTest {
    std::string material = "copper"; // a name the simulator knows, or a CTE
    std::string plan = "20/50/80/0/0/0/0/0/0";
    int temperatures = 3;
    uint64_t seed = 1;
    double maxHours = 48;
};

inline SeededRun RunSeededTest(const SeededTest& t) {
    TempFolder dir;
    VirtualClock clock;
    RecordingOperator op;
    RecordingTermination termination;
    NoComDialog comDialog;
    const sim::BenchParams bench = sim::SimulatedSampleBench({t.material, 2.0, t.seed});
    sim::SimInstruments instruments(clock, bench);
    sim::SimPortBoard board;
    sim::SimSerialPort p1(board, clock), p2(board, clock), p3(board, clock);
    board.plug(1, instruments.sensor);
    board.plug(2, instruments.controller);
    board.plug(3, instruments.calibrator);
    Program p(ProgramAdapters{clock,
                              op,
                              termination,
                              comDialog,
                              p1,
                              p2,
                              p3,
                              dir.path() + "app/",
                              dir.path() + "sys/",
                              {}});
    SeededRun out;
    if (!PrepareSimulatedTest(p, op, "Seeded", t.plan, t.temperatures)) return out;
    p.StartInstruments();
    p.session.start.StartButtonHit();

    double stepStarted = clock.elapsedSeconds();
    int saved = 0;
    RunUntilTestEnds(
        p,
        [&] {
            clock.advance(1.0);
            if (p.session.run.StepsSaved > saved) {
                ++saved;
                out.stepMinutes.push_back((clock.elapsedSeconds() - stepStarted) / 60.0);
                stepStarted = clock.elapsedSeconds();
            }
        },
        t.maxHours * 3600.0, clock);
    for (const auto& m : op.messages)
        out.messages.push_back(m.title + ": " + m.text);
    const auto& evidence = p.session.files.lastEvidence();
    out.completed = p.session.run.StepsSaved == t.temperatures && evidence.has_value();
    if (!out.completed) return out;
    const sim::SampleTruth truth(bench);
    for (const ResultEvidence& r : evidence->results) {
        MeasuredResult m;
        m.key = r.key;
        m.from = r.fromTemp;
        m.to = r.toTemp;
        m.cte = r.cte;
        m.accuracy = r.accuracy;
        m.expanded = r.budget.expanded;
        m.truth =
            truth.meanAlpha(truth.actualStageTemp(r.fromTemp), truth.actualStageTemp(r.toTemp));
        m.belowRange = r.belowMethodRange;
        out.results.push_back(m);
    }
    return out;
}

} // namespace dilato::test
