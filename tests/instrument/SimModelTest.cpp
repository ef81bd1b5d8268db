// The simulated truth: stage response, sample expansion with the fixture, noise, calibrator.

#include "LinkFixture.h"

#include "instrument/TeProtocol.h"
#include "sim/Bench.h"
#include "sim/Expansion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace dilato {
namespace {

using sim::ExpansionCurve;

TEST(SimExpansion, CopperMatchesTheCertifiedMeans) {
    const ExpansionCurve cu = ExpansionCurve::Copper();
    EXPECT_NEAR(cu.alpha(20), 16.61, 1e-12);
    EXPECT_NEAR(cu.alpha(40), 16.82, 1e-12) << "between 30 and 50";
    EXPECT_NEAR(cu.meanAlpha(-30, 30), 16.36, 0.005);
    EXPECT_NEAR(cu.meanAlpha(20, 80), 16.91, 0.005);
    EXPECT_NEAR(cu.meanAlpha(80, 20), 16.91, 0.005) << "the order does not matter";
    EXPECT_NEAR(cu.integral(-40, 100), cu.integral(-40, 25) + cu.integral(25, 100), 1e-9)
        << "beyond the table the end segments continue";
    EXPECT_NEAR(ExpansionCurve::Named("12.5").meanAlpha(0, 10), 12.5, 1e-12);
    EXPECT_THROW(ExpansionCurve::Named("cheese"), std::invalid_argument);
}

TEST(SimBench, TheStageFollowsItsSetPointWithTheTimeConstant) {
    sim::BenchParams p = test::LinkFixture::Quiet();
    p.stage.thermistorOffset = 0;
    sim::Bench bench(p, 1000.0);
    bench.setControllerSetPoint(42.0);
    bench.advanceTo(1000.0 + 90.0);
    EXPECT_NEAR(bench.stageTemp(), 42.0 - 20.0 * std::exp(-1.0), 0.01) << "63 % after tau";
    EXPECT_LT(bench.sampleTemp(), bench.stageTemp()) << "the sample lags";
    bench.advanceTo(1000.0 + 3 * 3600.0);
    EXPECT_NEAR(bench.sampleTemp(), 42.0, 1e-6);
    bench.advanceTo(0.0);
    EXPECT_NEAR(bench.now(), 1000.0 + 3 * 3600.0, 1e-9) << "time never runs back";
}

TEST(SimBench, ThermistorErrorMovesTheSettledStage) {
    sim::BenchParams p = test::LinkFixture::Quiet();
    p.stage.thermistorSlope = 1.02;
    p.stage.thermistorOffset = -0.5;
    sim::Bench bench(p, 0.0);
    bench.setControllerSetPoint(50.0);
    bench.advanceTo(5 * 3600.0);
    EXPECT_NEAR(bench.stageTemp(), (50.0 + 0.5) / 1.02, 1e-6);
    EXPECT_NEAR(bench.thermistorReading(), 50.0, 1e-6) << "the controller sees its set point";
    EXPECT_NEAR(bench.calibratorReading(), bench.stageTemp() + 0.1, 1e-9);
}

TEST(SimBench, TheControllersOwnSetPointErrorIsSeparateFromItsThermistor) {
    sim::BenchParams p = test::LinkFixture::Quiet();
    p.stage.thermistorSlope = 1.02;
    p.stage.thermistorOffset = -0.8;
    p.stage.commandSlope = 0.99;
    p.stage.commandOffset = 0.6;
    sim::Bench bench(p, 0.0);
    EXPECT_NEAR(bench.stageTemp(), p.stage.ambient, 1e-9) << "it starts where it stands";
    bench.advanceTo(3600.0);
    EXPECT_NEAR(bench.stageTemp(), p.stage.ambient, 1e-6) << "and stays there";
    bench.setControllerSetPoint(50.0);
    bench.advanceTo(5 * 3600.0);
    EXPECT_NEAR(bench.thermistorReading(), 50.0 * 0.99 + 0.6, 1e-6);
    EXPECT_NEAR(bench.stageTemp(), (50.0 * 0.99 + 0.6 + 0.8) / 1.02, 1e-6);

    // The constants that make this stage exact: the thermistor corrected, the set point found.
    const sim::StageTruth truth = sim::CalibrationTruth(p.stage);
    for (const double wanted : {-10.0, 40.0, 90.0}) {
        const double reached = sim::SettledStageTemp(p.stage, wanted * truth.scale1 + truth.scale2);
        EXPECT_NEAR(reached, wanted, 1e-9);
        const double raw = reached * p.stage.thermistorSlope + p.stage.thermistorOffset;
        EXPECT_NEAR(raw * truth.scale3 + truth.scale4, wanted, 1e-9);
    }
}

TEST(SimBench, SensorNoiseIsAboutATenthOfAMicronAndSeedable) {
    sim::BenchParams p;
    p.seed = 42;
    sim::Bench a(p, 0.0), b(p, 0.0);
    double sum = 0, squares = 0;
    const int n = 4000;
    for (int i = 0; i < n; ++i) {
        const double x = a.indicatorMillimetres();
        EXPECT_EQ(x, b.indicatorMillimetres()) << "the same seed gives the same readings";
        const double microns = (x - a.trueIndicatorMillimetres()) * 1000.0;
        sum += microns;
        squares += microns * microns;
    }
    const double sigma = std::sqrt(squares / n - (sum / n) * (sum / n));
    EXPECT_NEAR(sigma, 0.1, 0.01);
    p.seed = 43;
    sim::Bench c(p, 0.0);
    p.seed = 42;
    sim::Bench d(p, 0.0);
    EXPECT_NE(c.indicatorMillimetres(), d.indicatorMillimetres()) << "another seed, other noise";
}

TEST(SimBench, DriftAddsUpOverTime) {
    sim::BenchParams p = test::LinkFixture::Quiet();
    p.sample.driftMicronsPerHour = 0.5;
    sim::Bench bench(p, 0.0);
    bench.advanceTo(7200.0);
    EXPECT_NEAR(bench.trueIndicatorMillimetres(), 2.54 + 0.001, 1e-9);
}

// The calibrator's protocol, in-process.
std::string Exchange(test::LinkFixture& f, const std::string& command, double wait = 0.5) {
    f.p3.output(command + "\r");
    f.clock.advance(wait);
    return f.p3.input();
}

TEST(SimCalibrator, SetUpIsSilentIdentificationAndReadingsAnswer) {
    test::LinkFixture f;
    f.links.calibratorComPort = 3;
    ASSERT_TRUE(f.links.OpenCommPort(true, Link::Calibrator));
    for (const char* c : {"MEAS TC", "TSENS_TYPE TC", "TC_TYPE T", "CJC_STATE ON"})
        EXPECT_EQ(Exchange(f, c), "") << c;
    EXPECT_TRUE(f.sim.calibrator.configuredForTypeT());
    EXPECT_EQ(Exchange(f, "*IDN?"), std::string(sim::kCalibratorIdentity) + "\r\n");
    EXPECT_EQ(Exchange(f, "VAL?"), "22.10\r\n") << "the stage plus the calibrator's error";
    f.sim.calibrator.inject(sim::Fault::Over, 1);
    EXPECT_EQ(Exchange(f, "VAL?"), "OVER\r\n");
    f.sim.calibrator.thermocoupleConnected = false;
    EXPECT_EQ(Exchange(f, "VAL?"), "OVER\r\n");
    f.sim.calibrator.thermocoupleConnected = true;
    EXPECT_EQ(Exchange(f, "VAL?"), "22.10\r\n");
}

TEST(SimController, BadFramesAreAnsweredWithXXXX) {
    test::LinkFixture f;
    ASSERT_TRUE(f.links.OpenCommPort(true, Link::TempStage));
    f.p2.output("*01000022\r"); // wrong checksum
    f.clock.advance(0.1);
    EXPECT_EQ(f.p2.input(), "*XXXX" + TeChecksum("XXXX") + "^");
    f.p2.output("*ee0000" + TeChecksum("ee0000") + "\r"); // unknown code
    f.clock.advance(0.1);
    EXPECT_EQ(f.p2.input().substr(0, 5), "*XXXX");
    f.p2.output("junk\r");
    f.clock.advance(0.1);
    EXPECT_EQ(f.p2.input().size(), 8u);
}

} // namespace
} // namespace dilato
