// Whole simulated tests of the reference materials, one run each, to see what the program
// makes of samples that follow the stage at their own pace: the simulated duration of every
// step (how the drift and projection rules end a copper step in minutes and a polymer step
// in hours) and each reported CTE beside the simulated truth. The virtual clock makes a
// day-long polymer test take seconds; the counters are the figures, the time is its cost.
//
//   bench_simulated_materials --benchmark_counters_tabular=true

#include "core/SimulatedProgram.h"
#include "sim/Truth.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace dilato {
namespace {

const char* const kMaterials[] = {"copper", "aluminium", "fused-silica", "pmma"};
struct Plan {
    const char* batch;
    int steps;
    const char* name;
};
const Plan kPlans[] = {{"20/50/80/0/0/0/0/0/0", 3, "20/50/80"},
                       {"-20/20/60/100/0/0/0/0/0", 4, "-20/20/60/100"}};

void BM_SimulatedMaterialTest(benchmark::State& state) {
    const char* material = kMaterials[state.range(0)];
    const Plan& plan = kPlans[state.range(1)];
    const sim::BenchParams bench = sim::SimulatedSampleBench({material, 2.0, 1});
    const sim::SampleTruth truth(bench);
    for (auto _ : state) {
        test::SimulatedProgram p{bench, plan.batch, plan.steps};
        std::vector<double> saved{p.clock.elapsedSeconds()};
        const TestRun& run = p.program.session.run;
        p.RunTest(
            [&] {
                if (run.StepsSaved >= static_cast<int>(saved.size()))
                    saved.push_back(p.clock.elapsedSeconds());
            },
            8 * 24.0);
        if (run.StepsSaved != plan.steps) {
            state.SkipWithError("the test did not complete");
            return;
        }
        std::printf("%s over %s, %.2f h thermal time constant\n", material, plan.name,
                    truth.thermalTimeConstantSeconds() / 3600.0);
        for (size_t s = 1; s < saved.size(); ++s) {
            const double minutes = (saved[s] - saved[s - 1]) / 60.0;
            state.counters["step" + std::to_string(s) + "_min"] = minutes;
            std::printf("  step %zu: %7.1f min\n", s, minutes);
        }
        // Pairs of steps, then the whole range.
        const ResultTable& r = run.results;
        for (int k = 1; k <= plan.steps; ++k) {
            const double from = truth.actualStageTemp(r.at(k, result::StartTemp));
            const double to = truth.actualStageTemp(r.at(k, result::EndTemp));
            const double cte = r.at(k, result::Cte), estimate = r.at(k, result::Accuracy);
            const double mean = truth.meanAlpha(from, to);
            const std::string key = "cte" + std::to_string(k);
            state.counters[key] = cte;
            state.counters[key + "_truth"] = mean;
            std::printf("  CTE %d  %6.2f to %6.2f °C: %8.3f, truth %8.3f (%+.3f, %+.2f %%), "
                        "fixture residual %+.3f, estimate +/- %.1f %%\n",
                        k, from, to, cte, mean, cte - mean, 100.0 * (cte - mean) / mean,
                        truth.fixtureResidual(from, to), 100.0 * estimate);
        }
    }
}
BENCHMARK(BM_SimulatedMaterialTest)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->ArgNames({"material", "plan"})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

} // namespace
} // namespace dilato
