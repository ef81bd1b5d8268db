// The evidence, uncertainty and flags of whole simulated tests, in-process on the virtual
// clock: what the summary and the report show, and whether CTE +/- U holds the simulated
// truth as often as a k = 2 interval should.

#include "SeededRun.h"
#include "SimulatedProgram.h"

#include "platform/Files.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <sys/wait.h>

namespace dilato {
namespace {

// Runs a command line; its exit status, its output in `output`.
int RunShell(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Evidence, EveryStepOfASimulatedTestShowsHowItSettledInTheSummaryAndTheReport) {
    test::SimulatedProgram p{sim::BenchParams{}, "20/50/80/0/0/0/0/0/0", 3, DILATO_PROGRAM_FOLDER};
    p.program.params.SysParam(slot::PdfDataWrite) = 1;
    p.RunTest();
    EXPECT_TRUE(p.op.messages.empty()) << p.op.last().title << ": " << p.op.last().text;
    const TestRun& run = p.program.session.run;
    ASSERT_EQ(run.evidence.size(), 3u);
    for (const StepEvidence& e : run.evidence) {
        EXPECT_EQ(e.facts.ending, StepEnding::DriftCriteria) << e.step;
        EXPECT_GE(e.holdMinutes(), 5.0) << e.step;
        EXPECT_LT(e.holdMinutes(), e.facts.stepMinutes) << e.step;
        EXPECT_EQ(e.facts.steadyTicks, 10) << e.step;
        EXPECT_LT(std::fabs(e.facts.averageSlope), e.facts.threshold) << e.step;
        EXPECT_LT(std::fabs(e.facts.liveSlope), e.facts.threshold) << e.step;
        EXPECT_EQ(e.tempReadings, 30);
        EXPECT_LT(e.tempSpread, 0.2) << "the temperature was steady";
        // The simulated sensor's noise is 0.1 µm (3.9 µin) a reading.
        EXPECT_GT(e.indicatorSigma, 2.5e-6) << e.step;
        EXPECT_LT(e.indicatorSigma, 6e-6) << e.step;
    }

    const std::string summary = p.program.folders.DataRoot() + "Demo/Sample1_CTE.txt";
    const auto evidence = [&](const std::string& key) {
        return ReadIniValue(summary, "CTE Test Evidence #", key);
    };
    EXPECT_EQ(evidence("Step 2").rfind("50 \xC2\xB0"
                                       "C: ended by the drift criteria after ",
                                       0),
              0u)
        << evidence("Step 2");
    EXPECT_EQ(evidence("CTE 3 Uncertainty").substr(0, 4), "U = ");
    EXPECT_EQ(evidence("CTE 3 Flag"), "none");

    const std::string pdf = p.program.folders.DataRoot() + "Demo/Sample1.pdf";
    std::string out;
    ASSERT_EQ(RunShell("qpdf --check '" + pdf + "'", out), 0) << out;
    ASSERT_EQ(RunShell("pdftotext -f 2 -l 2 '" + pdf + "' -", out), 0) << out;
    EXPECT_NE(out.find("Evidence behind the results"), std::string::npos) << out;
    EXPECT_NE(out.find("Step 3 at 80"), std::string::npos) << out;
    EXPECT_NE(out.find("k = 2; steps 1 to 3"), std::string::npos) << out;
}

// Twenty seeded copper tests: the interval CTE +/- U holds the truth about as often as a
// k = 2 interval should, and it is far narrower than the results table's estimate.
TEST(Evidence, TheExpandedUncertaintyHoldsTheTruthAsOftenAsItClaims) {
    int results = 0, covered = 0;
    double narrower = 0;
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        const test::SeededRun run = test::RunSeededTest(test::SeededTest{.seed = seed});
        ASSERT_TRUE(run.completed) << seed << (run.messages.empty() ? "" : run.messages.back());
        for (const auto& m : run.results) {
            ++results;
            covered += m.coveredByU() ? 1 : 0;
            narrower += m.expanded / (m.accuracy * std::abs(m.cte));
            EXPECT_TRUE(m.coveredByEstimate()) << "seed " << seed << " CTE " << m.key;
        }
    }
    ASSERT_EQ(results, 60);
    EXPECT_GE(covered, 51) << "at least 85 % of 60";
    EXPECT_LE(covered, 60);
    EXPECT_LT(narrower / results, 0.5) << "U is not the estimate in another dress";
}

TEST(Evidence, FusedSilicaIsMarkedBelowTheRangeOfTheMethod) {
    const test::SeededRun run = test::RunSeededTest(test::SeededTest{.material = "fused-silica"});
    ASSERT_TRUE(run.completed);
    ASSERT_EQ(run.results.size(), 3u);
    for (const auto& m : run.results)
        EXPECT_TRUE(m.belowRange) << m.key << " " << m.cte;
    const test::SeededRun copper = test::RunSeededTest(test::SeededTest{});
    for (const auto& m : copper.results)
        EXPECT_FALSE(m.belowRange) << m.key;
}

} // namespace
} // namespace dilato
