// The simulated truth: each material's alpha(T), how fast a sample follows the stage, the
// fixture's own expansion and what the program's fixed correction leaves of it, and noise that
// a seed reproduces.

#include "sim/Bench.h"
#include "sim/Material.h"
#include "sim/Truth.h"

#include <gtest/gtest.h>

#include <cmath>

namespace dilato::sim {
namespace {

BenchParams Quiet(const std::string& material = "copper") {
    BenchParams p = SimulatedSampleBench({material, 2.0, 1});
    p.stage.noiseSigma = 0;
    p.stage.thermistorOffset = 0;
    p.sample.noiseMicrons = 0;
    p.calibrator.noiseSigma = 0;
    return p;
}

TEST(SimMaterials, AlphaFollowsThePublishedFiguresAndRisesWithTemperature) {
    const ExpansionCurve cu = ExpansionCurve::Copper();
    EXPECT_NEAR(cu.meanAlpha(-30, 30), 16.36, 0.005);
    EXPECT_NEAR(cu.meanAlpha(20, 80), 16.91, 0.005);
    EXPECT_NEAR(ExpansionCurve::Aluminium().alpha(20), 23.1, 1e-12);
    EXPECT_NEAR(ExpansionCurve::FusedSilica().alpha(27), 0.55, 0.01) << "near 300 K";
    const ExpansionCurve pmma = ExpansionCurve::Pmma();
    EXPECT_NEAR(pmma.alpha(20), 70, 1e-12);
    EXPECT_NEAR(pmma.alpha(50), 77, 1e-12) << "the handbook's range, 70 to 77";
    for (const char* name : {"copper", "aluminium", "fused-silica", "pmma"}) {
        SCOPED_TRACE(name);
        const ExpansionCurve c = Material::Named(name).expansion;
        double previous = c.alpha(-30);
        for (double t = -20; t <= 100; t += 10) {
            EXPECT_GT(c.alpha(t), previous) << t << " °C";
            previous = c.alpha(t);
        }
        // The CTE between two temperatures is the mean of alpha over the interval.
        double sum = 0;
        const int n = 12000;
        for (int i = 0; i < n; ++i)
            sum += c.alpha(-20 + 120.0 * (i + 0.5) / n);
        EXPECT_NEAR(c.meanAlpha(-20, 100), sum / n, 1e-6 * std::fabs(sum / n) + 1e-9);
        EXPECT_NEAR(c.meanAlpha(100, -20), c.meanAlpha(-20, 100), 1e-12);
    }
    EXPECT_DOUBLE_EQ(Material::Named("12.5").expansion.meanAlpha(0, 50), 12.5);
    EXPECT_DOUBLE_EQ(Material::Named("12.5").diffusivity, Material::kCopperDiffusivity);
    EXPECT_THROW(Material::Named("cheese"), std::invalid_argument);
}

TEST(SimMaterials, MetalsFollowTheStageInMinutesAndThePolymerInHours) {
    const auto tau = [](const char* material, double length, double contact = 120.0) {
        SampleParams s = SimulatedSampleBench({material, length, 1}).sample;
        s.contactSeconds = contact;
        return ThermalTimeConstant(s);
    };
    EXPECT_NEAR(tau("copper", 2.0), 130, 10) << "the contact dominates";
    EXPECT_NEAR(tau("aluminium", 2.0), 135, 10);
    EXPECT_NEAR(tau("fused-silica", 2.0) / 60, 22, 3);
    EXPECT_NEAR(tau("pmma", 2.0) / 3600, 2.7, 0.15) << "hours";
    // Conduction alone: 4 L^2 / (pi^2 a), 0.405 L^2 / a.
    EXPECT_NEAR(tau("pmma", 2.0, 0.0), 4 / (M_PI * M_PI) * 0.0508 * 0.0508 / 1.1e-7, 1e-6);
    EXPECT_NEAR(tau("pmma", 1.0, 0.0) / tau("pmma", 2.0, 0.0), 0.25, 1e-9) << "as L^2";
}

// The slice model's late decay toward a new stage temperature has the analytic time constant.
TEST(SimBench, TheSampleApproachesTheStageWithItsSlowestThermalMode) {
    for (const char* material : {"copper", "fused-silica", "pmma"}) {
        SCOPED_TRACE(material);
        BenchParams p = Quiet(material);
        p.stage.tauSeconds = 1e-3; // a stage that jumps, so the sample's own response shows
        Bench bench(p, 0.0);
        bench.setControllerSetPoint(52.0);
        const double tau = ThermalTimeConstant(p.sample);
        bench.advanceTo(tau);
        const auto& warming = bench.sliceTemps();
        EXPECT_GT(warming.front(), warming.back()) << "the foot warms first";
        bench.advanceTo(2 * tau);
        const double early = 52.0 - bench.sampleTemp();
        bench.advanceTo(3 * tau);
        const double late = 52.0 - bench.sampleTemp();
        EXPECT_NEAR(tau / std::log(early / late), tau, 0.03 * tau);
        bench.advanceTo(20 * tau);
        EXPECT_NEAR(bench.sampleTemp(), 52.0, 1e-6);
    }
}

TEST(SimBench, SampleAndFrameExpandByTheirOwnAlphaOverTheirOwnLengths) {
    BenchParams p = Quiet("aluminium");
    p.sample.lengthInches = 1.5;
    Bench bench(p, 0.0);
    bench.setControllerSetPoint(80.0);
    bench.advanceTo(4 * 3600.0);
    EXPECT_NEAR(bench.sampleGrowthInches(),
                1.5e-6 * ExpansionCurve::Aluminium().integral(22.0, 80.0), 1e-12);
    EXPECT_NEAR(bench.fixtureGrowthInches(),
                (1.5 + 6.667) * 1e-6 * FixtureFrameExpansion().integral(22.0, 80.0), 1e-12);
    EXPECT_NEAR(bench.trueIndicatorMillimetres(),
                2.54 + (bench.sampleGrowthInches() - bench.fixtureGrowthInches()) * 25.4, 1e-12);
}

// A settled, noiseless test corrected as the program corrects: the truth plus the residual
// the truth names, which is small but not zero.
TEST(SimTruth, AnIdealMeasurementFindsTheMeanAlphaPlusTheFixtureResidual) {
    for (const char* material : {"copper", "pmma", "fused-silica"}) {
        for (const double length : {2.0, 1.5}) {
            SCOPED_TRACE(std::string(material) + " " + std::to_string(length));
            BenchParams p = Quiet(material);
            p.sample.lengthInches = length;
            const SampleTruth truth(p);
            Bench bench(p, 0.0);
            const double settle =
                20 * std::max(truth.thermalTimeConstantSeconds(), p.fixture.lagSeconds);
            bench.setControllerSetPoint(-20.0);
            bench.advanceTo(settle);
            const double i1 = bench.trueIndicatorMillimetres() / 25.4, t1 = bench.stageTemp();
            bench.setControllerSetPoint(100.0);
            bench.advanceTo(2 * settle);
            const double i2 = bench.trueIndicatorMillimetres() / 25.4, t2 = bench.stageTemp();
            const double dT = t2 - t1;
            const double cte = (i2 - i1 + ProgramFixtureCorrection(dT, length)) / length / dT * 1e6;
            EXPECT_NEAR(cte, truth.idealReportedCte(t1, t2), 1e-6);
            const double residual = truth.fixtureResidual(t1, t2);
            EXPECT_GT(std::fabs(residual), 0.005);
            EXPECT_LT(std::fabs(residual), 0.1);
            EXPECT_NEAR(truth.meanAlpha(t1, t2),
                        Material::Named(material).expansion.meanAlpha(-20, 100), 1e-6);
        }
    }
    EXPECT_DOUBLE_EQ(ProgramFixtureCorrection(60, 1.5), 60 * (0.0000052 - 0.5 * 0.0000006));
}

TEST(SimTruth, TheStageTemperatureBehindAThermistorReading) {
    BenchParams p;
    p.stage.thermistorSlope = 1.02;
    p.stage.thermistorOffset = -0.5;
    const SampleTruth truth(p);
    EXPECT_NEAR(truth.actualStageTemp(50.0), 50.5 / 1.02, 1e-12);
}

TEST(SimNoise, TheSeedReproducesEveryReading) {
    const auto readings = [](uint64_t seed) {
        Bench bench(SimulatedSampleBench({"pmma", 2.0, seed}), 0.0);
        bench.setControllerSetPoint(50.0);
        std::vector<double> r;
        for (int i = 0; i < 200; ++i) {
            bench.advanceTo(i * 6.0);
            r.push_back(bench.indicatorMillimetres());
            r.push_back(bench.thermistorReading());
        }
        return r;
    };
    EXPECT_EQ(readings(7), readings(7));
    EXPECT_NE(readings(7), readings(8));
    double sum = 0, squares = 0;
    Bench bench(SimulatedSampleBench({"copper", 2.0, 3}), 0.0);
    for (int i = 0; i < 4000; ++i) {
        const double microns = (bench.indicatorMillimetres() - 2.54) * 1000.0;
        sum += microns;
        squares += microns * microns;
    }
    EXPECT_NEAR(std::sqrt(squares / 4000 - (sum / 4000) * (sum / 4000)), 0.1, 0.01);
}

} // namespace
} // namespace dilato::sim
