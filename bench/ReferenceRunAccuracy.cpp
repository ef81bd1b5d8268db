// What a reference run buys: one seeded copper reference run (SRM 736) on the simulated
// bench with the test's plan, then seeded tests of copper, aluminium and fused silica with
// the fixed fixture correction and with the run's measured correction. Prints, per material
// and interval, the simulated truth, the mean error and its spread with each correction, the
// largest error as a fraction of the truth, how many results lie within 0.3 % of the truth,
// and the fixed correction's own residual over that interval (what a noiseless test keeps).
//
//   bench_reference_runs [--runs N] [--plan 20/50/80] [--materials copper,aluminium,...]
//                        [--reference-seed S]
//
// The reference run is one seeded run: its readings' noise stays in its correction and so
// in every corrected test (a bias of one draw); --reference-seed draws another.
//
// Temporary files go to /dev/shm unless TMPDIR says otherwise.

#include "core/SeededRun.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <unistd.h>
#include <sstream>

namespace {

using dilato::test::MeasuredResult;
using dilato::test::RunSeededTest;
using dilato::test::SeededTest;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, separator))
        if (!part.empty()) parts.push_back(part);
    return parts;
}

struct Errors {
    int n = 0, within = 0, covered = 0;
    double truth = 0, sum = 0, squares = 0, worst = 0, residual = 0, from = 0, to = 0;
    void add(const MeasuredResult& m, double fixtureResidual) {
        ++n;
        truth += m.truth;
        sum += m.error();
        squares += m.error() * m.error();
        const double relative = m.truth != 0 ? std::fabs(m.error() / m.truth) : 0;
        worst = std::max(worst, relative);
        within += relative <= 0.003 ? 1 : 0;
        covered += m.coveredByU() ? 1 : 0;
        residual += fixtureResidual;
        from += m.from;
        to += m.to;
    }
    [[nodiscard]] double mean() const { return n ? sum / n : 0; }
    [[nodiscard]] double sd() const {
        return n > 1 ? std::sqrt(std::max(0.0, (squares - n * mean() * mean()) / (n - 1))) : 0;
    }
};

SeededTest Test(const std::string& material, const std::string& plan, int temperatures,
                uint64_t seed) {
    SeededTest t;
    t.material = material;
    t.plan = plan;
    t.temperatures = temperatures;
    t.seed = seed;
    t.materialClass = dilato::test::ClassOfMaterial(material);
    return t;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 200;
    uint64_t referenceSeed = 100000;
    std::string plan = "20/50/80";
    std::vector<std::string> materials{"copper", "aluminium", "fused-silica"};
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i], value = argv[i + 1];
        if (arg == "--runs")
            runs = std::atoi(value.c_str());
        else if (arg == "--plan")
            plan = value;
        else if (arg == "--materials")
            materials = Split(value, ',');
        else if (arg == "--reference-seed")
            referenceSeed = std::strtoull(value.c_str(), nullptr, 10);
        else {
            std::fprintf(stderr, "usage: bench_reference_runs [--runs N] [--plan 20/50/80] "
                                 "[--materials a,b] [--reference-seed S]\n");
            return 2;
        }
    }
    std::error_code ec;
    if (!std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm", ec))
        ::setenv("TMPDIR", "/dev/shm", 0);
    const auto temps = Split(plan, '/');
    std::string full = plan;
    for (size_t k = temps.size(); k < 9; ++k)
        full += "/0";
    const int temperatures = static_cast<int>(temps.size());
    const auto started = std::chrono::steady_clock::now();

    // The reference run, its records kept for the tests that follow.
    SeededTest reference = Test("copper", full, temperatures, referenceSeed);
    reference.reference = "SRM736";
    const std::string kept = std::filesystem::temp_directory_path().string() +
                             "/dilato-reference-records-" + std::to_string(::getpid());
    reference.keepRecordsIn = kept;
    std::string recordsFrom;
    {
        const auto run = RunSeededTest(reference);
        if (!run.completed || !run.record) {
            std::fprintf(stderr, "the reference run did not complete or wrote no record%s%s\n",
                         run.messages.empty() ? "" : ": ",
                         run.messages.empty() ? "" : run.messages.back().c_str());
            return 1;
        }
        recordsFrom = kept;
        std::printf("reference run SRM736 (seed %llu) over %s: %.4f measured against %.4f certified, "
                    "record %d\n",
                    static_cast<unsigned long long>(referenceSeed), plan.c_str(),
                    run.record->measuredCte, run.record->certifiedCte,
                    run.record->number);
    }

    std::printf("%-13s %-13s %8s | %-42s | %-42s | %8s\n", "", "", "", "fixed fixture correction",
                "measured correction", "fixed");
    std::printf("%-13s %-13s %8s | %8s %7s %7s %8s %8s | %8s %7s %7s %8s %8s | %8s\n",
                "material", "interval", "truth", "mean err", "sd", "worst%", "<=0.3%", "cover U",
                "mean err", "sd", "worst%", "<=0.3%", "cover U", "residual");
    int incomplete = 0;
    for (const std::string& material : materials) {
        std::map<int, Errors> fixed, measured;
        for (int seed = 1; seed <= runs; ++seed) {
            for (const bool corrected : {false, true}) {
                SeededTest t = Test(material, full, temperatures, static_cast<uint64_t>(seed));
                if (corrected) {
                    t.recordsFrom = recordsFrom;
                    t.start = QDateTime(QDate(2026, 1, 6), QTime(9, 0)); // the day after it
                }
                const auto run = RunSeededTest(t);
                if (!run.completed || (corrected && run.correctionText.rfind("correction record", 0) != 0)) {
                    ++incomplete;
                    std::fprintf(stderr, "%s seed %d (%s) did not complete or used %s%s%s\n",
                                 material.c_str(), seed, corrected ? "measured" : "fixed",
                                 run.correctionText.c_str(),
                                 run.correctionWarnings.empty() ? "" : ": ",
                                 run.correctionWarnings.empty()
                                     ? ""
                                     : run.correctionWarnings.front().c_str());
                    continue;
                }
                const dilato::sim::SampleTruth truth(
                    dilato::sim::SimulatedSampleBench({material, 2.0, 1}));
                for (const MeasuredResult& m : run.results) {
                    const double residual = truth.fixtureResidual(truth.actualStageTemp(m.from),
                                                                  truth.actualStageTemp(m.to));
                    (corrected ? measured : fixed)[m.key].add(m, residual);
                }
            }
        }
        for (const auto& [key, f] : fixed) {
            const Errors& m = measured[key];
            char interval[32];
            std::snprintf(interval, sizeof interval, "%.1f..%.1f", f.from / f.n, f.to / f.n);
            std::printf("%-13s %-13s %8.4f | %8.4f %7.4f %7.3f %4d/%-4d %7.1f%% | %8.4f %7.4f "
                        "%7.3f %4d/%-4d %7.1f%% | %8.4f\n",
                        material.c_str(), interval, f.truth / f.n, f.mean(), f.sd(),
                        100 * f.worst, f.within, f.n, 100.0 * f.covered / std::max(f.n, 1),
                        m.mean(), m.sd(), 100 * m.worst, m.within, m.n,
                        100.0 * m.covered / std::max(m.n, 1), f.residual / f.n);
        }
        std::fflush(stdout);
    }
    std::filesystem::remove_all(kept, ec);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%d seeds per material and correction in %.1f s of wall time; %d incomplete\n",
                runs, seconds, incomplete);
    return incomplete == 0 ? 0 : 1;
}
