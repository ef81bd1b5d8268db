// How honest the expanded uncertainty is: seeded simulated tests of each reference material,
// run whole in-process on the virtual clock, and for every reported result whether
// CTE +/- U (k = 2) holds the simulated truth. Prints, per material and interval, the mean
// reported CTE and truth, the results table's accuracy estimate, U, the coverage of U and of
// the estimate, and the simulated minutes of the steps.
//
//   bench_uncertainty_coverage [--runs N] [--materials copper,pmma] [--plans 20/50/80,-20/40/100]
//                              [--class auto|unknown] [--type-b on|off] [--reference NAME]
//                              [--per-seed FILE]
//
// --class auto (the default) names each sample's material class as an operator would (metal,
// glass, polymer), so that its steps end at equilibrium; unknown leaves them to the drift
// criteria. --type-b on (the default) draws the bench's Type B inputs for every seed (the
// fixture frame's expansion, the sensor's and the thermistor's gain, the sample's true
// length, the calibrator's share and the sample's lag behind the stage, the sample's time
// constant against its class's) from the distributions the budget gives them, so that
// coverage tests the whole budget and not the readings' noise alone. Beside the coverage it
// prints the mean and spread of z = error / u_c, and how many results were flagged as not at
// equilibrium.
//
// --per-seed FILE writes a line per result and per fitted step of every seed (see
// WritePerSeed).
//
// --reference NAME (SRM736): before each seed's test, a reference run of that material on the
// same drawn instrument (its own noise), whose measured correction the test then uses. With
// the Type B inputs drawn, the specimen is one of its own: its true length and time constant
// are drawn apart from the test sample's (mounted apart, its contact is its own), and its own
// alpha about the certified one from the certificate's uncertainty.
//
// The defaults are 200 runs of copper, aluminium, fused silica and the polymer over the plans
// 20/50/80 and -20/40/100 °C (whose overall result spans -20 to 100 °C). Temporary files go
// to /dev/shm unless TMPDIR says otherwise.

#include "analysis/ReferenceMaterial.h"
#include "core/SeededRun.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <unistd.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, separator))
        if (!part.empty()) parts.push_back(part);
    return parts;
}

struct Tally {
    int results = 0, coveredU = 0, coveredEstimate = 0, below = 0;
    double cte = 0, truth = 0, accuracy = 0, expanded = 0, from = 0, to = 0, squaredError = 0;
    double relativeU = 0;
    double z = 0, squaredZ = 0;
    int flagged = 0;

    void add(const dilato::test::MeasuredResult& m) {
        ++results;
        coveredU += m.coveredByU() ? 1 : 0;
        coveredEstimate += m.coveredByEstimate() ? 1 : 0;
        below += m.belowRange ? 1 : 0;
        cte += m.cte;
        truth += m.truth;
        accuracy += m.accuracy;
        expanded += m.expanded;
        from += m.from;
        to += m.to;
        squaredError += m.error() * m.error();
        relativeU += m.truth != 0 ? m.expanded / std::abs(m.truth) : 0;
        const double zi = m.combined > 0 ? m.error() / m.combined : 0;
        z += zi;
        squaredZ += zi * zi;
        flagged += m.atEquilibrium ? 0 : 1;
    }
    [[nodiscard]] double meanZ() const { return results ? z / results : 0; }
    [[nodiscard]] double spreadZ() const {
        if (results < 2) return 0;
        const double mean = meanZ();
        return std::sqrt(std::max(0.0, (squaredZ - results * mean * mean) / (results - 1)));
    }
};

// The contact the simulated bench gives a sample before its time constant is drawn: the
// per-seed lines give a drawn time constant as a ratio to it.
const double kExpectedContactSeconds = dilato::sim::SampleParams{}.contactSeconds;

// For looking into what moves a row's errors (--per-seed): a line per result with its error,
// u_c, z and the time constants drawn for the test and its reference run (as ratios to the
// expected), and a line per fitted step with its end value's error against the bench's true
// resting indicator and the fit's uncertainty, window and time constant.
void WritePerSeed(FILE* out, const std::string& material, const std::string& plan, int seed,
                  const dilato::test::SeededRun& run, const dilato::sim::BenchParams& bench,
                  double referenceTau) {
    const double testTau = bench.sample.contactSeconds / kExpectedContactSeconds;
    for (const auto& m : run.results)
        std::fprintf(out, "result %s %s %d %d %.1f %.1f %.5f %.5f %.3f %.3f %.3f\n",
                     material.c_str(), plan.c_str(), seed, m.key, m.from, m.to, m.error(),
                     m.combined, m.combined > 0 ? m.error() / m.combined : 0.0, testTau,
                     referenceTau);
    // Where the indicator comes to rest (inches): the sample's growth less the frame's at the
    // actual stage temperature, through the sensor's gain, on the sensor's base.
    const dilato::sim::SampleTruth truth(bench);
    const auto resting = [&](double programTemp) {
        const double ambient = bench.stage.ambient, actual = truth.actualStageTemp(programTemp);
        const double frame = bench.sample.lengthInches + bench.fixture.reachInches;
        const double micro = bench.sample.lengthInches *
                                 bench.sample.expansion.integral(ambient, actual) -
                             frame * bench.fixture.expansion.integral(ambient, actual);
        return bench.sample.baseMillimetres / 25.4 + 1e-6 * micro * bench.sample.sensorGain;
    };
    for (const auto& step : run.steps) {
        if (!step.equilibrium) continue;
        const auto& fit = step.equilibrium->fit;
        std::fprintf(out, "step %s %s %d %d %.2f %.2f %.1f %.1f %.2f %.2f %d\n",
                     material.c_str(), plan.c_str(), seed, step.step,
                     1e6 * (fit.endValue - resting(step.resultTemperature())),
                     1e6 * fit.endValueUncertainty, fit.windowStart, fit.windowEnd, fit.tau,
                     fit.tauPrior, fit.tauResolved ? 1 : 0);
    }
}

int Usage() {
    std::fprintf(stderr, "usage: bench_uncertainty_coverage [--runs N] [--materials a,b,...] "
                         "[--plans 20/50/80,...] [--class auto|unknown] [--type-b on|off] "
                         "[--reference NAME] [--per-seed FILE]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 200;
    std::vector<std::string> materials{"copper", "aluminium", "fused-silica", "pmma"};
    std::vector<std::string> plans{"20/50/80", "-20/40/100"};
    bool autoClass = true, typeB = true;
    std::string reference, perSeedPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string value = argv[++i];
        if (arg == "--runs")
            runs = std::atoi(value.c_str());
        else if (arg == "--materials")
            materials = Split(value, ',');
        else if (arg == "--plans")
            plans = Split(value, ',');
        else if (arg == "--class" && (value == "auto" || value == "unknown"))
            autoClass = value == "auto";
        else if (arg == "--type-b" && (value == "on" || value == "off"))
            typeB = value == "on";
        else if (arg == "--reference")
            reference = value;
        else if (arg == "--per-seed")
            perSeedPath = value;
        else
            return Usage();
    }
    if (runs < 1) return Usage();
    const dilato::ReferenceMaterial* certificate =
        reference.empty() ? nullptr : dilato::ShippedReferenceMaterial(reference);
    // Each run keeps its files in a temporary folder; the test journal puts every stored
    // reading on the disk at once, which on a disk takes far longer than the run itself.
    // Memory-backed storage keeps a polymer test (hours of readings) to a fraction of a second.
    std::error_code ec;
    if (!std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm", ec))
        ::setenv("TMPDIR", "/dev/shm", 0);

    std::printf("class %s, Type B inputs %s, %s\n", autoClass ? "by material" : "unknown",
                typeB ? "drawn per seed" : "fixed",
                reference.empty() ? "fixed fixture correction"
                                  : ("a " + reference + " reference run before each test").c_str());
    std::printf("%-13s %-11s %-15s %9s %9s %9s %9s %8s %9s %9s %8s %6s %6s %7s %s\n",
                "material", "plan", "interval (C)", "CTE", "truth", "rms err", "estimate",
                "U(k=2)", "U/truth", "cover U", "cover est", "mean z", "sd z", "flagged",
                "step minutes (mean)");
    FILE* perSeed = perSeedPath.empty() ? nullptr : std::fopen(perSeedPath.c_str(), "w");
    if (perSeed)
        std::fprintf(perSeed, "# result: material plan seed key from to error u_c z test_tau "
                              "reference_tau\n# step: material plan seed step end_error_uin "
                              "end_u_uin window_from window_to tau tau_prior resolved\n");
    const auto started = std::chrono::steady_clock::now();
    int incomplete = 0;
    for (const std::string& material : materials) {
        for (const std::string& plan : plans) {
            const auto temps = Split(plan, '/');
            std::string full = plan;
            for (size_t k = temps.size(); k < 9; ++k)
                full += "/0";
            std::map<int, Tally> byKey;
            std::vector<double> stepMinutes(temps.size() + 1, 0.0);
            int completed = 0;
            for (int seed = 1; seed <= runs; ++seed) {
                double referenceContact = 0.0;
                dilato::test::SeededTest t;
                t.material = material;
                t.plan = full;
                t.temperatures = static_cast<int>(temps.size());
                t.seed = static_cast<uint64_t>(seed);
                t.materialClass =
                    autoClass ? dilato::test::ClassOfMaterial(material) : std::string("unknown");
                t.drawTypeB = typeB;
                const std::string records =
                    std::filesystem::temp_directory_path().string() + "/dilato-coverage-records-" +
                    std::to_string(::getpid());
                if (!reference.empty()) {
                    // The same instrument with the reference specimen on it: a specimen of
                    // its own (length, contact) read with noise of its own.
                    dilato::test::SeededTest r = t;
                    r.bench = dilato::test::OtherSpecimen(dilato::test::SeededBench(t), "copper",
                                                          typeB, t.seed + 1000000);
                    // The specimen itself is known to its certificate's uncertainty.
                    if (typeB && certificate)
                        r.bench->sample.expansion = dilato::test::DrawnReferenceSpecimen(
                            r.bench->sample.expansion, certificate->alphaUncertainty, t.seed);
                    r.material = "copper";
                    r.materialClass = "metal";
                    r.seed = t.seed + 1000000;
                    r.reference = reference;
                    referenceContact = r.bench->sample.contactSeconds;
                    std::filesystem::remove_all(records, ec);
                    r.keepRecordsIn = records;
                    const auto ref = dilato::test::RunSeededTest(r);
                    if (!ref.completed || !ref.record) {
                        ++incomplete;
                        std::fprintf(stderr, "reference run for seed %d did not complete\n", seed);
                        continue;
                    }
                    t.recordsFrom = records;
                    t.start = QDateTime(QDate(2026, 1, 6), QTime(9, 0));
                }
                const auto run = dilato::test::RunSeededTest(t);
                if (!run.completed) {
                    ++incomplete;
                    std::fprintf(stderr, "%s %s seed %d did not complete%s%s\n", material.c_str(),
                                 plan.c_str(), seed, run.messages.empty() ? "" : ": ",
                                 run.messages.empty() ? "" : run.messages.back().c_str());
                    continue;
                }
                ++completed;
                for (const auto& m : run.results)
                    byKey[m.key].add(m);
                if (perSeed)
                    WritePerSeed(perSeed, material, plan, seed, run, dilato::test::SeededBench(t),
                                 referenceContact / kExpectedContactSeconds);
                for (size_t s = 0; s < run.stepMinutes.size() && s < stepMinutes.size(); ++s)
                    stepMinutes[s] += run.stepMinutes[s];
            }
            std::string minutes;
            for (size_t s = 0; s < temps.size(); ++s) {
                char buf[32];
                std::snprintf(buf, sizeof buf, "%s%.0f", s ? "/" : "",
                              completed ? stepMinutes[s] / completed : 0.0);
                minutes += buf;
            }
            for (const auto& [key, t] : byKey) {
                const double n = t.results;
                char interval[32];
                std::snprintf(interval, sizeof interval, "%.1f..%.1f", t.from / n, t.to / n);
                std::printf("%-13s %-11s %-15s %9.3f %9.3f %9.4f %8.1f%% %9.4f %8.2f%% %4d/%-4d "
                            "%4d/%-4d %6.2f %6.2f %7d %s%s\n",
                            material.c_str(), plan.c_str(), interval, t.cte / n, t.truth / n,
                            std::sqrt(t.squaredError / n), 100.0 * t.accuracy / n, t.expanded / n,
                            100.0 * t.relativeU / n, t.coveredU, t.results, t.coveredEstimate,
                            t.results, t.meanZ(), t.spreadZ(), t.flagged, minutes.c_str(),
                            t.below ? "  (below the range of the method)" : "");
            }
            std::fflush(stdout);
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%d runs per material and plan in %.1f s of wall time; %d did not complete\n", runs,
                seconds, incomplete);
    if (perSeed) std::fclose(perSeed);
    return incomplete == 0 ? 0 : 1;
}
