// Whole simulated tests with the sample's material class named: each step ends when the fit
// of its approach to equilibrium tells what is still to come, the results are taken at that
// equilibrium, and a step that never gets there is flagged rather than claimed.

#include "SimulatedProgram.h"

#include "analysis/EquilibriumGuard.h"
#include "platform/IniFile.h"
#include "sim/Truth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace dilato {
namespace {

struct ClassRun {
    std::vector<StepEvidence> steps;
    std::vector<ResultEvidence> results;
    std::vector<double> truths; // mean alpha over each result's true interval
    std::vector<std::string> flags; // the summary's "CTE k Equilibrium" of each result
};

ClassRun RunWithClass(sim::BenchParams bench, const std::string& plan, int steps,
                      const std::string& materialClass, double maxHours = 48) {
    test::SimulatedProgram p{bench, plan, steps};
    p.program.session.window.view().materialClass = materialClass;
    p.RunTest({}, maxHours);
    ClassRun out;
    const TestRun& run = p.program.session.run;
    EXPECT_EQ(run.StepsSaved, steps) << materialClass;
    out.steps = run.evidence;
    const auto& evidence = p.program.session.files.lastEvidence();
    if (!evidence) {
        ADD_FAILURE() << "no evidence";
        return out;
    }
    out.results = evidence->results;
    const sim::SampleTruth truth(bench);
    for (const ResultEvidence& r : out.results)
        out.truths.push_back(truth.meanAlpha(truth.actualStageTemp(r.fromTemp),
                                             truth.actualStageTemp(r.toTemp)));
    // The folder goes with the program: read the summary while it is there.
    const std::string summary = p.program.folders.DataRoot() + "Demo/Sample1_CTE.txt";
    for (const ResultEvidence& r : out.results)
        out.flags.push_back(ReadIniValue(summary, "CTE Test Evidence #",
                                         "CTE " + std::to_string(r.key) + " Equilibrium"));
    return out;
}

std::string Minutes(const ClassRun& run) {
    std::string text;
    for (const StepEvidence& e : run.steps) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s%.0f", text.empty() ? "" : "/", e.facts.stepMinutes);
        text += buf;
    }
    return text;
}

TEST(Equilibrium, APolymerSampleGivesItsEquilibriumCteOnBothPlans) {
    struct Plan {
        const char* batch;
        int steps;
    };
    for (const Plan plan : {Plan{"20/50/80/0/0/0/0/0/0", 3}, Plan{"-20/40/100/0/0/0/0/0/0", 3}}) {
        SCOPED_TRACE(plan.batch);
        const ClassRun run =
            RunWithClass(sim::SimulatedSampleBench({"pmma", 2.0, 5}), plan.batch, plan.steps,
                         "polymer");
        ASSERT_EQ(run.results.size(), 3u);
        for (size_t i = 0; i < run.results.size(); ++i) {
            const ResultEvidence& r = run.results[i];
            const double error = (r.cte - run.truths[i]) / run.truths[i];
            std::printf("polymer %s CTE %d: %.3f against %.3f (%+.2f %%), last reading %.3f, "
                        "U %.3f\n",
                        plan.batch, r.key, r.cte, run.truths[i], 100 * error, r.lastReadingCte,
                        r.budget.expanded);
            EXPECT_LT(std::fabs(error), 0.01) << "CTE " << r.key;
            EXPECT_TRUE(r.atEquilibrium) << "CTE " << r.key;
            EXPECT_EQ(run.flags[i], "at equilibrium") << "CTE " << r.key;
            EXPECT_LE(std::fabs(r.cte - run.truths[i]), r.budget.expanded) << "CTE " << r.key;
        }
        for (const StepEvidence& e : run.steps) {
            ASSERT_TRUE(e.equilibrium.has_value());
            EXPECT_TRUE(e.equilibrium->reached) << e.step;
            EXPECT_EQ(e.facts.ending, StepEnding::DriftCriteria) << e.step;
        }
        std::printf("polymer %s step minutes %s\n", plan.batch, Minutes(run).c_str());
    }
}

TEST(Equilibrium, FusedSilicaNeverEndsAStepBeforeHalfItsExpectedTimeConstant) {
    const double tauPrior = PriorTimeConstantMinutes(MaterialClass::Glass, 2.0);
    const ClassRun run = RunWithClass(sim::SimulatedSampleBench({"fused-silica", 2.0, 2}),
                                      "20/50/80/0/0/0/0/0/0", 3, "glass");
    ASSERT_EQ(run.steps.size(), 3u);
    for (const StepEvidence& e : run.steps) {
        ASSERT_TRUE(e.equilibrium.has_value());
        EXPECT_GE(e.equilibrium->fit.windowMinutes(), 0.5 * tauPrior) << e.step;
        EXPECT_GE(e.facts.stepMinutes, tauPrior) << "the window is the later half of the step";
    }
    std::printf("fused silica step minutes %s (expected tau %.1f min)\n", Minutes(run).c_str(),
                tauPrior);
}

TEST(Equilibrium, AMetalSampleWaitsForTheFixtureAndNoLonger) {
    for (const char* material : {"copper", "aluminium"}) {
        const sim::BenchParams bench = sim::SimulatedSampleBench({material, 2.0, 4});
        const ClassRun before = RunWithClass(bench, "20/50/80/0/0/0/0/0/0", 3, "unknown");
        const ClassRun after = RunWithClass(bench, "20/50/80/0/0/0/0/0/0", 3, "metal");
        ASSERT_EQ(before.steps.size(), after.steps.size());
        // A metal sample settles before the fixture does: its steps last until the later half
        // of the step starts after the fixture has settled, or as long as the drift criteria
        // need.
        for (size_t s = 0; s < before.steps.size(); ++s) {
            const double expected =
                std::max(before.steps[s].facts.stepMinutes, 2.0 * kFixtureSettledMinutes);
            EXPECT_NEAR(after.steps[s].facts.stepMinutes, expected, 0.05 * expected)
                << material << " step " << s + 1;
        }
        // Taken at equilibrium the results come no further from the truth.
        for (size_t i = 0; i < after.results.size(); ++i)
            EXPECT_LE(std::fabs(after.results[i].cte - after.truths[i]),
                      std::fabs(before.results[i].cte - before.truths[i]) + 0.1)
                << material << " CTE " << i + 1;
        std::printf("%s step minutes %s, with the class %s\n", material, Minutes(before).c_str(),
                    Minutes(after).c_str());
    }
}

TEST(Equilibrium, ASampleThatKeepsDriftingReachesTheHoldLimitAndIsFlagged) {
    sim::BenchParams bench = sim::SimulatedSampleBench({"copper", 2.0, 1});
    // 6 µm an hour: 39 µin per 10 minutes, for ever, more than the drift criteria allow
    // any sample.
    bench.sample.driftMicronsPerHour = 6.0;
    const ClassRun run = RunWithClass(bench, "20/50/0/0/0/0/0/0/0", 2, "metal", 70);
    ASSERT_EQ(run.steps.size(), 2u);
    ASSERT_EQ(run.results.size(), 1u);
    EXPECT_EQ(run.steps[0].facts.ending, StepEnding::TimeLimit);
    EXPECT_GT(run.steps[0].facts.stepMinutes, 1800.0);
    const ResultEvidence& r = run.results[0];
    EXPECT_FALSE(r.atEquilibrium);
    const std::string& flag = run.flags.at(0);
    EXPECT_EQ(flag.rfind("not at equilibrium: ", 0), 0u) << flag;
    EXPECT_NE(flag.find(" still to come"), std::string::npos) << flag;
}

} // namespace
} // namespace dilato
