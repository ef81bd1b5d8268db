// Whole tests against the simulated instruments: the program's real instrument links talk to
// the simulated Temp-Stage controller and displacement sensor, in-process on the virtual
// clock, and the reported CTE is compared with the simulated sample's.

#include "CoreFakes.h"
#include "SimulatedProgram.h"

#include "core/Program.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/LeadingNumber.h"
#include "platform/TextFile.h"
#include "platform/VirtualClock.h"
#include "sim/SimInstruments.h"
#include "sim/SimSerialPort.h"
#include "sim/Truth.h"
#include "storage/Provisioning.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace dilato {
namespace {

using test::SimulatedProgram;

struct Measured {
    double cte, accuracy;
};

// "CTE k:" of the summary: "20.0°C to  50.0°C: 16.7 µ/°C +/- 8.8%" -> cte and fraction.
Measured SummaryLine(const std::string& file, int k) {
    const std::string line =
        ReadIniValue(file, "CTE Test Summary #", "CTE " + std::to_string(k) + ":");
    const auto colon = line.find(": ");
    const auto pm = line.find("+/- ");
    EXPECT_NE(colon, std::string::npos) << line;
    return {LeadingNumber(line.substr(colon + 2)), LeadingNumber(line.substr(pm + 4)) / 100.0};
}

// Each reference material over the plan 20/50/80 °C, 2.000 in, with its own alpha(T) and
// thermal diffusivity: every reported CTE (the two pairs and the whole range) lies within its
// own accuracy estimate of the simulated truth, the mean of the material's alpha over the
// interval. (A polymer sample is slower: see the next test.)
TEST(EndToEnd, ReferenceMaterialsMeasureTheirTrueExpansionWithinTheAccuracyEstimate) {
    for (const char* material : {"copper", "aluminium", "fused-silica"}) {
        SimulatedProgram p{sim::SimulatedSampleBench({material, 2.0, 1})};
        const double minutes = p.RunTest();
        EXPECT_TRUE(p.op.messages.empty()) << material << ": " << p.op.last().text;
        const std::string summary = p.program.folders.DataRoot() + "Demo/Sample1_CTE.txt";
        ASSERT_TRUE(IsFile(summary)) << material;
        const auto raw = ReadTextLines(p.program.folders.DataRoot() + "Demo/Sample1_CTE.dat");
        ASSERT_TRUE(raw.has_value());
        EXPECT_EQ((*raw)[0], "Sample Length = 2.000");
        EXPECT_EQ((*raw)[2], "Test #1");
        const auto interim = ReadTextLines(p.program.folders.DataRoot() + "Demo/TempDat.txt");
        ASSERT_TRUE(interim.has_value());
        EXPECT_EQ(interim->size(), 5u) << "indicator, pair, indicator, pair, indicator";
        // The hour meter has counted each step at its end, before any shutdown.
        const auto meter = ReadTextLines(p.program.logs.MeterFile());
        ASSERT_TRUE(meter && meter->size() == 2) << material;
        EXPECT_NEAR(LeadingNumber((*meter)[1]), minutes / 60.0, 0.05) << material;

        const sim::SampleTruth truth(p.instruments.bench.params());
        const ResultTable& r = p.program.session.run.results;
        for (int k = 1; k <= 3; ++k) {
            const Measured m = SummaryLine(summary, k);
            const double from = r.at(k, result::StartTemp), to = r.at(k, result::EndTemp);
            const double mean = truth.meanAlpha(from, to);
            const double error = std::fabs(r.at(k, result::Cte) - mean);
            std::printf(
                "%-12s CTE %d  %5.1f to %5.1f °C  measured %7.3f  reported %5.1f +/- %4.1f%%  "
                "truth %7.3f  error %6.3f (%5.1f%% of the estimate)  %.0f min\n",
                material, k, from, to, r.at(k, result::Cte), m.cte, m.accuracy * 100, mean, error,
                100.0 * error / (m.accuracy * std::fabs(mean)), minutes);
            EXPECT_LE(error, m.accuracy * std::fabs(mean)) << material << " CTE " << k;
        }
    }
}

// A 2-inch polymer sample follows the stage in hours (its slowest thermal mode takes about
// 2.7 h), so the drift and projection rules decide when each step ends: every step lasts
// hours and ends by the drift criteria, long before the hold's time limit. Those criteria (a
// threshold of at most 35 µin per 10 minutes) are met while part of the step's expansion is
// still to come; the program reports the expansion that had come, faithfully.
TEST(EndToEnd, APolymerSampleTakesHoursAStepAndTheDriftCriteriaEndEachStep) {
    SimulatedProgram p{sim::SimulatedSampleBench({"pmma", 2.0, 1})};
    const sim::Bench& bench = p.instruments.bench;
    const TestRun& run = p.program.session.run;
    struct End {
        double seconds, stage, sample, frame, settledSample;
    };
    const auto now = [&] {
        const double t = bench.stageTemp(); // settled sample's growth at this temperature:
        const double settled =
            2.0e-6 * bench.params().sample.expansion.integral(bench.params().stage.ambient, t);
        return End{p.clock.elapsedSeconds(), t, bench.sampleGrowthInches(),
                   bench.fixtureGrowthInches(), settled};
    };
    // The bench as the hold's last tick left it (the tick that saves a step also sends the
    // next set point).
    std::vector<End> ends{now()};
    End held = ends.front();
    const double minutes = p.RunTest(
        [&] {
            if (run.StepsSaved >= static_cast<int>(ends.size())) ends.push_back(held);
            if (run.testState == state::Hold) held = now();
        },
        48.0);
    ASSERT_EQ(run.StepsSaved, 3) << (p.op.messages.empty() ? "" : p.op.last().text);
    EXPECT_TRUE(p.op.messages.empty()) << p.op.last().text;
    ASSERT_EQ(ends.size(), 4u);
    // Step 1 only settles the sample from the room's 22 °C to 20 °C; steps 2 and 3 are 30 °C.
    std::printf("pmma step 1: %.1f h\n", (ends[1].seconds - ends[0].seconds) / 3600.0);
    for (size_t s = 2; s < ends.size(); ++s) {
        const double hours = (ends[s].seconds - ends[s - 1].seconds) / 3600.0;
        const double toCome =
            (ends[s].settledSample - ends[s].sample) / (ends[s].settledSample - ends[s - 1].sample);
        std::printf("pmma step %zu: %.1f h, %.1f %% of its expansion still to come\n", s, hours,
                    100.0 * toCome);
        EXPECT_GT(hours, 2.0) << "step " << s;
        EXPECT_LT(hours, 30.0) << "step " << s << " ended before the hold's time limit";
        EXPECT_GT(toCome, 0.02) << "step " << s;
        EXPECT_LT(toCome, 0.3) << "step " << s;
    }
    // Each pair's CTE is the change the sample and the frame truly showed between the step
    // ends, corrected as the program corrects: within the accuracy estimate of it.
    const sim::SampleTruth truth(bench.params());
    const ResultTable& r = run.results;
    for (int k = 1; k <= 2; ++k) {
        const End& a = ends[static_cast<size_t>(k)];
        const End& b = ends[static_cast<size_t>(k) + 1];
        const double dT = b.stage - a.stage;
        const double shown = (b.sample - b.frame) - (a.sample - a.frame);
        const double cte = (shown + sim::ProgramFixtureCorrection(dT, 2.0)) / 2.0 / dT * 1e6;
        const double mean = truth.meanAlpha(a.stage, b.stage);
        std::printf("pmma CTE %d: reported %.2f, shown by the sample %.2f, truth %.2f "
                    "(%.1f %% low), %.0f min in all\n",
                    k, r.at(k, result::Cte), cte, mean, 100.0 * (1 - r.at(k, result::Cte) / mean),
                    minutes);
        EXPECT_NEAR(r.at(k, result::Cte), cte, r.at(k, result::Accuracy) * cte) << "CTE " << k;
    }
}

// With PDF reports on, the test of a simulated sample leaves a report that a PDF checker
// finds no fault in, beside its data files.
TEST(EndToEnd, ASimulatedTestWritesAReportThatChecksClean) {
    SimulatedProgram p{sim::BenchParams{}, "20/50/0/0/0/0/0/0/0", 2, DILATO_PROGRAM_FOLDER};
    p.program.params.SysParam(slot::PdfDataWrite) = 1;
    p.program.params.SysParam(slot::TesterModel) = 300;
    p.RunTest();
    EXPECT_TRUE(p.op.messages.empty()) << p.op.last().title << ": " << p.op.last().text;
    const std::string pdf = p.program.folders.DataRoot() + "Demo/Sample1.pdf";
    ASSERT_TRUE(IsFile(pdf));
    const std::string check = "qpdf --check '" + pdf + "' > /dev/null 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << "qpdf --check " << pdf;
    const auto bytes = ReadFileBytes(pdf);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_NE(bytes->find("(Raw Data File = Sample1_CTE.dat)"), std::string::npos);
}

TEST(EndToEnd, AControllerThatFallsSilentAtTheNextSetPointStopsTheTest) {
    SimulatedProgram p{sim::BenchParams{}, "20/50/0/0/0/0/0/0/0", 2};
    test::ExpectAbortKeepsTheFirstStep(
        p.program, p.op, p.clock, [&] { p.clock.advance(1.0); },
        [&] { p.instruments.controller.inject(sim::Fault::Silence); });
}

} // namespace
} // namespace dilato
