// Cost of judging a step's approach to equilibrium, as the hold does once a minute: the fit of
// I_inf + A e^(-t/tau) over the later half of a step of 1,440 to 14,400 readings (2.4 to 24
// hours at one reading every 6 s), for a polymer sample (the slowest) still on its way.

#include "analysis/EquilibriumGuard.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using namespace dilato;

std::vector<Reading> PolymerStep(int count) {
    std::mt19937_64 engine(11);
    std::normal_distribution<double> noise(0.0, 0.1e-3 / 25.4);
    std::vector<Reading> readings;
    readings.reserve(static_cast<size_t>(count));
    for (int k = 1; k <= count; ++k) {
        const double t = 0.1 * k;
        Reading r;
        r.elapsedMinutes = static_cast<float>(std::fmod(t, 1440.0));
        r.indicator = static_cast<float>(0.0123 - 4000e-6 * std::exp(-t / 160.0) +
                                         150e-6 * std::exp(-t / 3.0) + noise(engine));
        r.temperature = 50.0f;
        readings.push_back(r);
    }
    return readings;
}

void BM_JudgeEquilibrium(benchmark::State& state) {
    const auto readings = PolymerStep(static_cast<int>(state.range(0)));
    const double minutes = 0.1 * static_cast<double>(readings.size());
    const double tauPrior = PriorTimeConstantMinutes(MaterialClass::Polymer, 2.0);
    for (auto _ : state) {
        StepEquilibrium e = JudgeEquilibrium(readings, FitWindowStart(minutes, 8.0), tauPrior);
        e.HoldTo(21e-6, false);
        benchmark::DoNotOptimize(e);
    }
    state.counters["readings"] = static_cast<double>(readings.size());
}
BENCHMARK(BM_JudgeEquilibrium)->Arg(1440)->Arg(4800)->Arg(14400)->Unit(benchmark::kMicrosecond);

} // namespace
