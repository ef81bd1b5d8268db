#pragma once
// One whole test of a simulated sample, seeded, in-process on the virtual clock: the program's
// real links against the simulated instruments, from the Start button to the end of the batch.
// It hands back every reported result with its accuracy estimate, its expanded uncertainty and
// the simulated truth (the mean of the sample's alpha between the actual stage temperatures
// behind the two reported ones), and how long each step took. The coverage benchmark and the
// coverage test share it.

#include "SimulatedProgram.h"

#include "sim/Truth.h"

#include <QDateTime>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dilato::test {

struct MeasuredResult {
    int key = 0;             // "CTE k:"
    double from = 0, to = 0; // reported temperatures, °C
    double cte = 0;          // reported CTE
    double accuracy = 0;     // the results table's estimate, fraction
    double expanded = 0;     // U (k = 2), µ/°C
    double combined = 0;     // u_c, µ/°C
    bool atEquilibrium = true;
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
    // The record folder of the run's system folder, and what the test used and wrote.
    std::string recordFolder;
    std::string correctionText;
    std::vector<std::string> correctionWarnings;
    std::optional<CorrectionRecordData> record;
    std::vector<MeasuredResult> results;
    std::vector<double> stepMinutes; // simulated minutes of each step
    std::vector<StepEvidence> steps; // what each step ended with
    std::vector<std::string> messages;
};

struct SeededTest {
    std::string material = "copper"; // a name the simulator knows, or a CTE
    std::string plan = "20/50/80/0/0/0/0/0/0";
    int temperatures = 3;
    uint64_t seed = 1;
    double maxHours = 48;
    std::string materialClass = "unknown"; // as picked on the Test tab
    // Each seed also draws the bench's Type B inputs from the distributions the budget gives
    // them: the fixture frame's expansion (+/- 10 %), the sensor's gain (+/- 0.1 %), the
    // stage thermistor's gain (+/- 0.4 %), the sample's true length (+/- 0.0005 in about the
    // 2.000 in entered), the calibrator's error between calibration points (+/- 0.05 % of a
    // temperature change) and the sample's lag behind the stage (+/- 0.2 % of it), each
    // uniform; and the sample's time constant against its class's (30 %, normal).
    bool drawTypeB = false;
    // A reference run: the certified material the sample is ("SRM736"); empty: a test.
    std::string reference{};
    // The correction records to start from: the files of another program's record folder,
    // copied into this one's before the start (empty: none).
    std::string recordsFrom{};
    // Where to keep this program's correction records when the run ends (its own folders go
    // with it); empty: nowhere.
    std::string keepRecordsIn{};
    // When the test starts (the virtual clock's default when not given).
    std::optional<QDateTime> start{};
    // The bench as given, in place of the seeded one (the seed still draws the noise).
    std::optional<sim::BenchParams> bench{};
};

// The bench of a seeded test, with its Type B inputs drawn when asked.
inline sim::BenchParams SeededBench(const SeededTest& t) {
    sim::BenchParams bench = sim::SimulatedSampleBench({t.material, 2.0, t.seed});
    if (!t.drawTypeB) return bench;
    sim::Noise draw(t.seed * 0x9E3779B97F4A7C15ull + 17);
    const auto within = [&](double halfWidth) { return (2.0 * draw.uniform() - 1.0) * halfWidth; };
    const double frame = bench.sample.lengthInches + bench.fixture.reachInches;
    bench.fixture.reachInches = frame * (1.0 + within(0.10)) - bench.sample.lengthInches;
    bench.sample.sensorGain = 1.0 + within(0.001);
    bench.stage.thermistorSlope = 1.0 + within(0.004);
    bench.sample.lengthInches = 2.0 + within(0.0005);
    // The calibrator's share and the sample's lag both make the temperature change the sample
    // sees differ from the one reported by a fraction of it: on the bench they act through
    // the thermistor's gain (they also move the frame's share, by at most 0.2 % of its
    // 2.6 µ/°C: 0.005 µ/°C, well below the fixture's own term). Drawn after the others so
    // that a seed's earlier draws stay what they were.
    bench.stage.thermistorSlope += within(0.0005) + within(0.002);
    // The sample's time constant against the one its class leads the program to expect,
    // which the budget gives 30 % (standard) where the fit does not resolve it: the contact
    // and the sample's diffusivity scaled oppositely move it by that factor alone (kept above
    // a third, so that a sample never answers at once).
    const double tauRatio = std::max(1.0 / 3.0, 1.0 + draw.gaussian(0.30));
    bench.sample.contactSeconds *= tauRatio;
    bench.sample.diffusivity /= tauRatio;
    return bench;
}

// Another specimen on the instrument of a seeded test (a reference run's): the instrument's
// draws stay (the frame, the gains, the calibrator), the specimen brings its own material and,
// when the Type B inputs are drawn, its own true length and time constant, drawn afresh from
// `specimenSeed` as SeededBench draws the test's: a specimen mounted apart has a contact of
// its own, so its end values do not move with the test's.
inline sim::BenchParams OtherSpecimen(sim::BenchParams bench, const std::string& material,
                                      bool drawTypeB, uint64_t specimenSeed) {
    const sim::BenchParams fresh = sim::SimulatedSampleBench({material, 2.0, bench.seed});
    const double frame = bench.sample.lengthInches + bench.fixture.reachInches;
    bench.sample.setMaterial(sim::Material::Named(material));
    bench.sample.contactSeconds = fresh.sample.contactSeconds;
    bench.sample.lengthInches = fresh.sample.lengthInches;
    if (drawTypeB) {
        sim::Noise draw(specimenSeed * 0x94D049BB133111EBull + 23);
        bench.sample.lengthInches = 2.0 + (2.0 * draw.uniform() - 1.0) * 0.0005;
        const double tauRatio = std::max(1.0 / 3.0, 1.0 + draw.gaussian(0.30));
        bench.sample.contactSeconds *= tauRatio;
        bench.sample.diffusivity /= tauRatio;
    }
    bench.fixture.reachInches = frame - bench.sample.lengthInches;
    return bench;
}

// The certified specimen of a reference run as the bench holds it: its alpha is the certified
// curve's, off by one draw of the certificate's standard uncertainty (normal, the same at
// every temperature: the budget takes it per degree in every result alike). The curve is
// rebuilt on a 10 °C grid over the stage's range, which holds every point of the simulated
// materials' curves, so that it is the certified one exactly but for the offset.
inline sim::ExpansionCurve DrawnReferenceSpecimen(const sim::ExpansionCurve& certified,
                                                  double alphaUncertainty, uint64_t seed) {
    sim::Noise draw(seed * 0xD1B54A32D192ED03ull + 29);
    const double offset = draw.gaussian(alphaUncertainty);
    std::vector<sim::ExpansionCurve::Point> points;
    for (int t = -40; t <= 130; t += 10)
        points.push_back({double(t), certified.alpha(t) + offset});
    return sim::ExpansionCurve(std::move(points), certified.name());
}

// The material class an operator would pick for a simulated material.
inline std::string ClassOfMaterial(const std::string& material) {
    if (material == "fused-silica") return "glass";
    if (material == "pmma") return "polymer";
    return "metal";
}

inline SeededRun RunSeededTest(const SeededTest& t) {
    sim::BenchParams bench = SeededBench(t);
    if (t.bench) {
        bench = *t.bench;
        bench.seed = t.seed;
    }
    SimulatedProgram sp{bench, t.plan, t.temperatures, {}, {}, t.start.value_or(QDateTime())};
    sp.program.session.window.view().materialClass = t.materialClass;
    sp.program.session.window.view().referenceMaterial = t.reference;
    SeededRun out;
    out.recordFolder = sp.program.session.reference.RecordFolder();
    if (!t.recordsFrom.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(out.recordFolder, ec);
        for (const auto& file : std::filesystem::directory_iterator(t.recordsFrom, ec))
            std::filesystem::copy_file(file.path(),
                                       out.recordFolder + "/" + file.path().filename().string(),
                                       std::filesystem::copy_options::overwrite_existing, ec);
    }
    const Program& p = sp.program;
    const RecordingOperator& op = sp.op;
    double stepStarted = sp.clock.elapsedSeconds();
    int saved = 0;
    sp.RunTest(
        [&] {
            if (p.session.run.StepsSaved > saved) {
                ++saved;
                out.stepMinutes.push_back((sp.clock.elapsedSeconds() - stepStarted) / 60.0);
                stepStarted = sp.clock.elapsedSeconds();
            }
        },
        t.maxHours);
    for (const auto& m : op.messages)
        out.messages.push_back(m.title + ": " + m.text);
    const auto& evidence = p.session.files.lastEvidence();
    out.completed = p.session.run.StepsSaved == t.temperatures && evidence.has_value();
    if (!out.completed) return out;
    out.steps = evidence->steps;
    out.correctionText = evidence->correctionText;
    out.correctionWarnings = evidence->correctionWarnings;
    out.record = p.session.reference.lastRecord();
    if (!t.keepRecordsIn.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(t.keepRecordsIn, ec);
        for (const auto& file : std::filesystem::directory_iterator(out.recordFolder, ec))
            if (file.path().filename().string().rfind(kCorrectionRecordPrefix, 0) == 0)
                std::filesystem::copy_file(
                    file.path(), t.keepRecordsIn + "/" + file.path().filename().string(),
                    std::filesystem::copy_options::overwrite_existing, ec);
    }
    const sim::SampleTruth truth(bench);
    for (const ResultEvidence& r : evidence->results) {
        MeasuredResult m;
        m.key = r.key;
        m.from = r.fromTemp;
        m.to = r.toTemp;
        m.cte = r.cte;
        m.accuracy = r.accuracy;
        m.expanded = r.budget.expanded;
        m.combined = r.budget.combined;
        m.atEquilibrium = r.atEquilibrium;
        m.truth =
            truth.meanAlpha(truth.actualStageTemp(r.fromTemp), truth.actualStageTemp(r.toTemp));
        m.belowRange = r.belowMethodRange;
        out.results.push_back(m);
    }
    return out;
}

} // namespace dilato::test
