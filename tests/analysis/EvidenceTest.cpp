// The evidence of a step, the uncertainty budget of a result and the method's flags.
#include "analysis/ColumnCorrection.h"
#include "analysis/ResultEvidence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace dilato {
namespace {

constexpr float kLength = 2.0f;

// 60 readings 6 s apart; the indicator follows a parabola with an alternating +/- 2 µin
// on it, the temperature alternates 0.02 °C about 50 °C over the last readings.
StepData ParabolaStep(float projected) {
    StepData data;
    data.reset(1);
    for (int r = 1; r <= 60; ++r) {
        const float t = 0.1f * static_cast<float>(r);
        const float wobble = (r % 2 == 0 ? 2e-6f : -2e-6f);
        const float indicator = 0.01f + 3e-6f * t - 0.2e-6f * t * t + wobble;
        const float temperature = 50.0f + (r % 2 == 0 ? 0.02f : -0.02f);
        data.append(1, {t, indicator, temperature, 4.0f, projected});
    }
    return data;
}

TEST(StepEvidence, ScatterSpreadAndRemainingDriftComeFromTheLastReadings) {
    HoldFacts facts;
    facts.setPoint = 50;
    facts.stepMinutes = 20.0;
    facts.holdStartMinutes = 12.5;
    facts.liveSlope = 4.0f;
    facts.ending = StepEnding::TimeLimit;
    const StepData data = ParabolaStep(0.0f);
    const StepEvidence e = GatherStepEvidence(data, 1, facts);
    EXPECT_EQ(e.step, 1);
    EXPECT_DOUBLE_EQ(e.holdMinutes(), 7.5);
    EXPECT_FLOAT_EQ(e.endTemperature, data.reading(1, 60).temperature);
    EXPECT_FLOAT_EQ(e.endIndicator, data.reading(1, 60).indicator);
    EXPECT_EQ(e.tempReadings, 30);
    EXPECT_NEAR(e.tempSpread, 0.04, 1e-5);
    EXPECT_NEAR(e.tempSigma, 0.02 * std::sqrt(30.0 / 29.0), 1e-5);
    EXPECT_EQ(e.noiseReadings, 50);
    // The parabola itself is no scatter: only the +/- 2 µin remains.
    EXPECT_NEAR(e.indicatorSigma, 2e-6 * std::sqrt(50.0 / 47.0), 0.1e-6);
    // Without a projection: the live drift over five minutes (4 µin per 10 min -> 2 µin).
    EXPECT_NEAR(e.remainingDrift, 2e-6, 1e-9);
    EXPECT_EQ(EndingText(e.facts.ending), "time limit");

    const StepEvidence projected = GatherStepEvidence(ParabolaStep(0.01005f), 1, facts);
    EXPECT_NEAR(projected.remainingDrift,
                std::fabs(0.01005 - static_cast<double>(projected.endIndicator)), 1e-9)
        << "the distance to the projected resting point";

    facts.holdStartMinutes = -1;
    EXPECT_EQ(GatherStepEvidence(data, 1, facts).holdMinutes(), 0.0) << "never held";
}

// A slow sample: the indicator approaches its end value as 1 - e^(-t/tau) with tau = 60 min;
// the drift is stored from minute 10 on. The step ends after 180 minutes, e^-3 of the way short.
TEST(StepEvidence, AFallingDriftGivesItsTimeConstantAndWhatIsStillToCome) {
    const double tau = 60.0, rise = 4000e-6;
    StepData data;
    data.reset(1);
    for (int r = 1; r <= 1800; ++r) {
        const double t = 0.1 * r;
        const double drift = t < 10.0 ? 0.0 : rise / tau * std::exp(-t / tau) * 1e6 * 10.0;
        data.append(1, {static_cast<float>(t),
                        static_cast<float>(0.01 + rise * (1.0 - std::exp(-t / tau))), 50.0f,
                        static_cast<float>(drift), 0.0f});
    }
    HoldFacts facts;
    facts.liveSlope = data.reading(1, 1800).liveSlope;
    const StepEvidence e = GatherStepEvidence(data, 1, facts);
    EXPECT_NEAR(e.driftTimeConstant, tau, 1.0);
    EXPECT_NEAR(e.remainingDrift, rise * std::exp(-3.0), 0.03 * rise * std::exp(-3.0));

    // A drift that does not fall (a settled sample's noise) shows no time constant.
    for (int r = 1; r <= 1800; ++r)
        data.reading(1, r).liveSlope = r % 2 ? 3.0f : -3.0f;
    EXPECT_EQ(GatherStepEvidence(data, 1, facts).driftTimeConstant, 0.0);
}

// A step ended early in a slow approach (40 minutes of a 160-minute time constant): the
// drift has hardly fallen, but set against the growth seen so far it tells the time constant,
// and most of the expansion is still to come.
TEST(StepEvidence, TheDriftAgainstTheGrowthSoFarTellsWhatASlowSampleHasStillToCome) {
    const double tau = 160.0, rise = 300e-6;
    StepData data;
    data.reset(1);
    for (int r = 1; r <= 400; ++r) {
        const double t = 0.1 * r;
        data.append(1, {static_cast<float>(t),
                        static_cast<float>(0.01 + rise * (1.0 - std::exp(-t / tau))), 20.0f,
                        static_cast<float>(rise / tau * std::exp(-t / tau) * 1e7), 0.0f});
    }
    const StepEvidence e = GatherStepEvidence(data, 1, HoldFacts{});
    EXPECT_NEAR(e.driftTimeConstant, tau, 8.0);
    EXPECT_NEAR(e.remainingDrift, rise * std::exp(-40.0 / tau), 0.05 * rise);

    // A drift against the growth (an overshoot coming back) adds nothing.
    for (int r = 1; r <= 400; ++r)
        data.reading(1, r).liveSlope *= -1.0f;
    EXPECT_EQ(GatherStepEvidence(data, 1, HoldFacts{}).driftTimeConstant, 0.0);
}

TEST(StepEvidence, AStepWithoutAnEndReadingHasNone) {
    StepData data;
    data.reset(1);
    data.append(1, {0.2f, 0.01f, 20.0f, 0.0f, 0.0f});
    EXPECT_THROW((void)GatherStepEvidence(data, 1, HoldFacts{}), std::out_of_range);
}

StepEvidence End(float temperature, float indicator, double tempSigma = 0.0,
                 double indicatorSigma = 0.0, double remaining = 0.0, int step = 1) {
    StepEvidence e;
    e.step = step;
    e.endTemperature = temperature;
    e.endIndicator = indicator;
    e.tempSigma = tempSigma;
    e.indicatorSigma = indicatorSigma;
    e.remainingDrift = remaining;
    return e;
}

TEST(UncertaintyBudget, EachTermFollowsItsSourceAndTheyAddInQuadrature) {
    InstrumentFigures f;
    f.lengthHalfWidthInches = 0.0005;
    f.indicatorResolutionInches = 4e-6;
    f.temperatureGainLimit = 0.003;
    f.fixtureCorrectionFraction = 0.2;
    const StepEvidence a = End(20.0f, 0.01f, 0.03, 3e-6, 1e-6);
    const StepEvidence b = End(50.0f, 0.011f, 0.04, 4e-6, 2e-6);
    const double cte = 16.0;
    const UncertaintyBudget u = BudgetFor(a, b, cte, kLength, f);
    const double r3 = std::sqrt(3.0);
    const double perInch = 1e6 / (2.0 * 30.0);
    EXPECT_NEAR(u.sampleLength, 16.0 * 0.0005 / r3 / 2.0, 1e-9);
    EXPECT_NEAR(u.temperatureCalibration, 16.0 * 0.003 / r3, 1e-9);
    EXPECT_NEAR(u.temperatureStability, 16.0 * 0.05 / 30.0, 1e-6);
    EXPECT_NEAR(u.indicatorResolution, std::sqrt(2.0) * 4e-6 / std::sqrt(12.0) * perInch, 1e-6);
    EXPECT_NEAR(u.indicatorNoise, 5e-6 * perInch, 1e-6);
    // A fifth of 5.2 µin/°C for another instrument's frame, a tenth for the frame's alpha
    // between 20 and 50 °C.
    EXPECT_NEAR(u.fixtureCorrection, std::hypot(0.2, 0.1) * 5.2 / r3 / 2.0, 1e-6);
    // Both ends still moving up by 1 and 2 µin: the change is 1 µin short.
    EXPECT_NEAR(u.residualDrift, 1e-6 * perInch, 1e-6);
    const double sum =
        u.sampleLength * u.sampleLength + u.temperatureCalibration * u.temperatureCalibration +
        u.temperatureStability * u.temperatureStability +
        u.indicatorResolution * u.indicatorResolution + u.indicatorNoise * u.indicatorNoise +
        u.fixtureCorrection * u.fixtureCorrection + u.residualDrift * u.residualDrift +
        u.indicatorGain * u.indicatorGain + u.calibrator * u.calibrator +
        u.sampleStage * u.sampleStage;
    EXPECT_NEAR(u.combined, std::sqrt(sum), 1e-9);
    // Fractions of the change: the sensor's gain, the calibrator's, the sample against the
    // stage.
    EXPECT_NEAR(u.indicatorGain, 16.0 * f.indicatorGainFraction / r3, 1e-9);
    EXPECT_NEAR(u.calibrator, 16.0 * f.calibratorGainFraction / r3, 1e-9);
    EXPECT_NEAR(u.sampleStage, 16.0 * f.sampleStageFraction / r3, 1e-9);
    EXPECT_NEAR(u.expanded, 2.0 * u.combined, 1e-12);
    EXPECT_NEAR(u.relative(cte), u.expanded / 16.0, 1e-12);

    // Twice the interval: the indicator terms halve, the fixture's per-degree term does not,
    // and a cooling interval is no different from a heating one.
    const UncertaintyBudget wide = BudgetFor(End(80.0f, 0.0f, 0.03, 3e-6, 1e-6),
                                             End(20.0f, 0.0f, 0.04, 4e-6, 2e-6), cte, kLength, f);
    EXPECT_NEAR(wide.indicatorNoise, u.indicatorNoise / 2.0, 1e-6);
    EXPECT_NEAR(wide.residualDrift, u.residualDrift / 2.0, 1e-6);
    EXPECT_NEAR(wide.fixtureCorrection, u.fixtureCorrection, 1e-12);
    EXPECT_NEAR(wide.temperatureCalibration, u.temperatureCalibration, 1e-12);

    // Ends moving opposite ways (the first still coming down, the second still going up):
    // the change is short by both.
    EXPECT_NEAR(
        BudgetFor(End(20.0f, 0.0f, 0, 0, -1e-6), End(50.0f, 0.0f, 0, 0, 2e-6), cte, kLength, f)
            .residualDrift,
        3e-6 * perInch, 1e-6);

    // A negative CTE has the same uncertainty as its magnitude; no interval gives none.
    EXPECT_NEAR(BudgetFor(a, b, -cte, kLength, f).expanded, u.expanded, 1e-12);
    // A shorter sample: a smaller correction (4.9 µin/°C at 1.5 in) over a shorter length.
    EXPECT_NEAR(BudgetFor(a, b, cte, 1.5, f).fixtureCorrection,
                std::hypot(0.2, 0.1) * 4.9 / r3 / 1.5, 1e-6);
    EXPECT_EQ(BudgetFor(a, a, cte, kLength, f).expanded, 0.0);
}

TEST(UncertaintyBudget, TheFixedCorrectionsFrameAlphaBoundGrowsBelowZeroToTheWholeAtMinus80) {
    const InstrumentFigures f;
    struct Case {
        double t1, t2, bound;
        const char* what;
    } const cases[] = {
        {20, 50, 0.10, "a tenth from 0 to 100 °C"},
        {80, 20, 0.10, "cooling alike"},
        {-40, -40, 0.10 + 0.90 * 40 / 80, "halfway to the minimum length"},
        {-80, -80, 1.0, "the whole correction where silica stops expanding"},
        {-20, 0, 0.10 + 0.90 * 10 / 80, "the mean of a straight rise"},
        // 0.9/80 times the integral of -T from -20 to 0 (200), over 60 °C.
        {-20, 40, 0.10 + 0.90 / 80 * 200 / 60, "the part below 0 °C, averaged over all"},
        {40, -20, 0.10 + 0.90 / 80 * 200 / 60, "either order"},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(FrameAlphaBound(c.t1, c.t2, f), c.bound, 1e-12) << c.what;

    // In the budget: the frame's own tenth and the alpha bound, two rectangles in quadrature.
    const double perDegree = 5.2 / std::sqrt(3.0) / 2.0;
    const UncertaintyBudget warm = BudgetFor(End(20.0f, 0.0f), End(50.0f, 0.0f), 16.0, kLength);
    EXPECT_NEAR(warm.fixtureCorrection, std::hypot(0.1, 0.1) * perDegree, 1e-6);
    const UncertaintyBudget cold = BudgetFor(End(-20.0f, 0.0f), End(40.0f, 0.0f), 16.0, kLength);
    EXPECT_NEAR(cold.fixtureCorrection, std::hypot(0.1, FrameAlphaBound(-20, 40, f)) * perDegree,
                1e-6);
    // A measured correction replaces both.
    const auto measured = ColumnCorrection::Fit({{-20, 0, 0}, {40, 0, 0}}, 2.0, 0.0);
    ASSERT_TRUE(measured);
    EXPECT_EQ(BudgetFor(End(-20.0f, 0.0f), End(40.0f, 0.0f), 16.0, kLength, f, &*measured)
                  .fixtureCorrection,
              0.0);
}

TEST(SharedSteps, TheFrameAlphaOfTheFixedCorrectionIsOneErrorAcrossResults) {
    InstrumentFigures f = InstrumentFigures{};
    const StepEvidence s1 = End(-20.0f, 0.0f, 0, 0, 0, 1), s2 = End(40.0f, 0.0f, 0, 0, 0, 2),
                       s3 = End(100.0f, 0.0f, 0, 0, 0, 3), back = End(-20.0f, 0.0f, 0, 0, 0, 4);
    f.lengthHalfWidthInches = 0;
    f.indicatorResolutionInches = 0;
    f.temperatureGainLimit = f.indicatorGainFraction = 0;
    f.calibratorGainFraction = f.sampleStageFraction = 0;
    // Outbound less back over the same interval: the frame is the same in both legs.
    const WeightedCte roundTrip[] = {{s1, s2, 16.0, 1.0}, {s2, back, 16.0, -1.0}};
    EXPECT_NEAR(CombinedUncertaintyOf(roundTrip, kLength, f), 0.0, 1e-9);
    // Two intervals: the frame's own share per degree and the alpha bound of each add
    // whole (correlated), not in quadrature.
    const WeightedCte both[] = {{s1, s2, 16.0, 1.0}, {s2, s3, 16.0, 1.0}};
    const double perDegree = 5.2 / std::sqrt(3.0) / 2.0;
    const double expected =
        std::hypot(2 * 0.1 * perDegree,
                   (FrameAlphaBound(-20, 40, f) + FrameAlphaBound(40, 100, f)) * perDegree);
    EXPECT_NEAR(CombinedUncertaintyOf(both, kLength, f), expected, 1e-6);
}

// Ends taken at equilibrium: I_inf (known to u(I_inf)) with the mean of the last 30
// temperatures, `remaining` still to come when the step ended.
StepEvidence AtEquilibrium(float temperature, double endValue, double uEndValue,
                           double remaining, int step) {
    StepEvidence e = End(temperature + 0.5f, static_cast<float>(endValue - remaining), 0.03,
                         4e-6, remaining, step);
    e.tempReadings = 30;
    StepEquilibrium q;
    q.fit.valid = true;
    q.fit.endValue = endValue;
    q.fit.endValueUncertainty = uEndValue;
    q.fit.remaining = remaining;
    q.meanTemperature = temperature;
    q.reached = true;
    e.equilibrium = q;
    return e;
}

TEST(UncertaintyBudget, EndsAtEquilibriumCountTheirFitOnceAndATenthOfTheirCorrection) {
    InstrumentFigures f;
    const StepEvidence a = AtEquilibrium(20.0f, 0.0100, 0.5e-6, -20e-6, 1);
    const StepEvidence b = AtEquilibrium(50.0f, 0.0140, 1.2e-6, 300e-6, 2);
    const double perInch = 1e6 / (2.0 * 30.0);
    const UncertaintyBudget u = BudgetFor(a, b, 70.0, kLength, f);
    // dT from the mean temperatures, not the last readings (half a degree off).
    EXPECT_NEAR(u.indicatorNoise, std::hypot(0.5e-6, 1.2e-6) * perInch, 1e-9);
    EXPECT_EQ(u.indicatorResolution, 0.0) << "the fit's scatter holds the resolution already";
    EXPECT_NEAR(u.temperatureStability, 70.0 * std::hypot(0.03, 0.03) / std::sqrt(30.0) / 30.0,
                1e-9)
        << "each end the mean of 30 temperatures";
    EXPECT_NEAR(u.residualDrift, 0.1 * 320e-6 * perInch, 1e-9)
        << "the correction already made, a tenth of it uncertain";
    EXPECT_TRUE(a.atEquilibrium());
    EXPECT_FLOAT_EQ(b.resultIndicator(), 0.0140f);
    EXPECT_FLOAT_EQ(b.resultTemperature(), 50.0f);

    // One end at its reading: its own noise, resolution and remaining drift as before.
    const StepEvidence plain = End(20.0f, 0.0100f, 0.03, 4e-6, -20e-6, 1);
    const UncertaintyBudget mixed = BudgetFor(plain, b, 70.0, kLength, f);
    EXPECT_NEAR(mixed.indicatorNoise, std::hypot(4e-6, 1.2e-6) * perInch, 1e-9);
    EXPECT_NEAR(mixed.residualDrift, (30e-6 + 20e-6) * perInch, 1e-9);
    EXPECT_GT(mixed.indicatorResolution, 0.0);
}

TEST(ResultEvidence, AResultWithAStepNotAtEquilibriumSaysWhatWasStillToCome) {
    std::vector<StepEvidence> steps{AtEquilibrium(20.0f, 0.0100, 0.5e-6, 0, 1),
                                    AtEquilibrium(50.0f, 0.0100 + 135e-6, 1e-6, 0, 2)};
    steps[1].equilibrium->reached = false;
    steps[1].equilibrium->fit.remaining = 27e-6;
    ResultTable table;
    table.at(1, result::StartTemp) = 20.0f;
    table.at(1, result::EndTemp) = 50.0f;
    table.at(1, result::Cte) = 4.5f; // 135 µin over 2 in and 30 °C (before the fixture)
    const std::vector<double> setPoints{20, 50};
    const TestEvidence e = BuildTestEvidence(steps, table, PlanShape{setPoints, 2, false}, kLength);
    ASSERT_EQ(e.results.size(), 1u);
    EXPECT_FALSE(e.results[0].atEquilibrium);
    EXPECT_NEAR(e.results[0].stillToCome, 27e-6, 1e-12) << "27 µin, known exactly";
    EXPECT_NEAR(e.results[0].stillToComeFraction, 0.1, 1e-6) << "27 of 270 µin";
    // Known to 4 µin: up to 35 µin may still come.
    steps[1].equilibrium->fit.remainingUncertainty = 4e-6;
    EXPECT_NEAR(BuildTestEvidence(steps, table, PlanShape{setPoints, 2, false}, kLength)
                    .results[0]
                    .stillToCome,
                35e-6, 1e-12);
    EXPECT_NEAR(e.results[0].lastReadingCte,
                CteBetweenEnds(steps[0].endTemperature, steps[0].endIndicator,
                               steps[1].endTemperature, steps[1].endIndicator, kLength),
                1e-6);

    // The time limit ends a step short of equilibrium, fitted or not.
    steps[1].equilibrium->reached = true;
    steps[1].facts.ending = StepEnding::TimeLimit;
    EXPECT_FALSE(steps[1].atEquilibrium());
    steps[1].facts.ending = StepEnding::DriftCriteria;
    EXPECT_TRUE(BuildTestEvidence(steps, table, PlanShape{setPoints, 2, false}, kLength)
                    .results[0]
                    .atEquilibrium);
}

TEST(MethodFlags, BelowOneMicroPerDegreeIsBelowTheRangeOfTheMethod) {
    EXPECT_TRUE(BelowMethodRange(0.55));
    EXPECT_TRUE(BelowMethodRange(-0.99));
    EXPECT_FALSE(BelowMethodRange(1.0));
    EXPECT_FALSE(BelowMethodRange(16.9));
    EXPECT_FALSE(BelowMethodRange(-1.2));
}

// Indicator at `t` for a sample of `cte` on the 2-inch fixture (the fixture takes 5.2 µin/°C).
float Indicator(double cte, double t, double from = 20.0, float base = 0.01f) {
    return base + static_cast<float>((cte * 2.0 - 5.2) * 1e-6 * (t - from));
}

std::vector<StepEvidence> RoundTripSteps(double outbound, double back, std::vector<double> temps) {
    const float turnIndicator = Indicator(outbound, temps[1], temps[0]);
    return {
        End(static_cast<float>(temps[0]), Indicator(outbound, temps[0], temps[0]), 0, 0, 0, 1),
        End(static_cast<float>(temps[1]), turnIndicator, 0, 0, 0, 2),
        End(static_cast<float>(temps[2]),
            turnIndicator + static_cast<float>((back * 2.0 - 5.2) * 1e-6 * (temps[2] - temps[1])),
            0, 0, 0, 3)};
}

TEST(MethodFlags, HeatingAndCoolingOfARoundTripMoreThanTenPercentApartAreMarked) {
    const std::vector<double> setPoints{20, 50, 20};
    ResultTable table;
    const PlanShape plan{setPoints, 2, true};
    const auto check = [&](double outbound, double back) {
        return *BuildTestEvidence(RoundTripSteps(outbound, back, setPoints), table, plan, kLength)
                    .roundTrip;
    };
    const RoundTripCheck apart = check(16.0, 18.0); // 2 / 17 = 11.8 %
    EXPECT_NEAR(apart.heating(), 16.0, 0.01);
    EXPECT_NEAR(apart.cooling(), 18.0, 0.01);
    EXPECT_NEAR(apart.difference, 2.0 / 17.0, 1e-3);
    EXPECT_TRUE(apart.marked);
    const RoundTripCheck close = check(16.0, 17.5); // 1.5 / 16.75 = 9.0 %
    EXPECT_FALSE(close.marked);
    EXPECT_NEAR(close.difference, 1.5 / 16.75, 1e-3);

    // A plan run from the top: the way out cools, the way back heats.
    const std::vector<double> down{80, 20, 80};
    const auto reversed = BuildTestEvidence(RoundTripSteps(17.0, 16.0, down), table,
                                            PlanShape{down, 2, true}, kLength)
                              .roundTrip;
    ASSERT_TRUE(reversed.has_value());
    EXPECT_NEAR(reversed->cooling(), 17.0, 0.01);
    EXPECT_NEAR(reversed->heating(), 16.0, 0.01);

    // No round trip, or a step without its evidence: nothing to compare.
    EXPECT_FALSE(BuildTestEvidence(RoundTripSteps(16, 18, setPoints), table,
                                   PlanShape{setPoints, 3, false}, kLength)
                     .roundTrip);
    auto missing = RoundTripSteps(16, 18, setPoints);
    missing[1] = StepEvidence{};
    EXPECT_FALSE(BuildTestEvidence(missing, table, plan, kLength).roundTrip);
}

TEST(ResultEvidence, EachReportedResultHasTheBudgetOfItsOwnTwoSteps) {
    EXPECT_EQ(ReportedRows(2, 2), (std::vector<int>{1}));
    EXPECT_EQ(ReportedRows(3, 3), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ReportedRows(4, 3), (std::vector<int>{1, 2, 3})) << "round trip: no overall row";

    // 50, 20, 80: the overall result runs from step 2 to step 3.
    const std::vector<double> setPoints{50, 20, 80};
    std::vector<StepEvidence> steps{End(50, 0.0f, 0.01, 1e-6, 0, 1),
                                    End(20, 0.0f, 0.02, 2e-6, 0, 2),
                                    End(80, 0.0f, 0.03, 3e-6, 0, 3)};
    ResultTable table;
    table.at(1, result::Cte) = 16.0f;
    table.at(2, result::Cte) = 0.5f;
    table.at(3, result::Cte) = 17.0f;
    table.at(3, result::StartTemp) = 20.0f;
    table.at(3, result::EndTemp) = 80.0f;
    const TestEvidence e = BuildTestEvidence(steps, table, PlanShape{setPoints, 3, false}, kLength);
    ASSERT_EQ(e.results.size(), 3u);
    EXPECT_EQ(e.results[2].fromStep, 2);
    EXPECT_EQ(e.results[2].toStep, 3);
    EXPECT_FLOAT_EQ(e.results[2].fromTemp, 20.0f);
    EXPECT_NEAR(e.results[2].budget.expanded, BudgetFor(steps[1], steps[2], 17.0, kLength).expanded,
                1e-12);
    EXPECT_NEAR(e.results[0].budget.expanded, BudgetFor(steps[0], steps[1], 16.0, kLength).expanded,
                1e-12);
    EXPECT_TRUE(e.results[1].belowMethodRange);
    EXPECT_FALSE(e.results[0].belowMethodRange);
    EXPECT_EQ(e.results[2].key, 3);

    steps.pop_back(); // the last step saved without evidence
    const TestEvidence partial =
        BuildTestEvidence(steps, table, PlanShape{setPoints, 3, false}, kLength);
    EXPECT_TRUE(partial.results[0].hasBudget);
    EXPECT_FALSE(partial.results[2].hasBudget);
}


TEST(MethodFlags, APlasticWhollyBetweenMinus30And30FollowsThePlasticsMethod) {
    struct Case {
        MaterialClass kind;
        std::vector<double> setPoints;
        MethodStandard method;
    } const cases[] = {
        {MaterialClass::Polymer, {20, 25, 20}, MethodStandard::PlasticsD696},
        {MaterialClass::Polymer, {-30, 0, 30}, MethodStandard::PlasticsD696},
        {MaterialClass::Polymer, {20, 50}, MethodStandard::SolidsE228},
        {MaterialClass::Polymer, {-31, 20}, MethodStandard::SolidsE228},
        {MaterialClass::Polymer, {}, MethodStandard::SolidsE228},
        {MaterialClass::Metal, {-20, 20}, MethodStandard::SolidsE228},
        {MaterialClass::Glass, {-20, 20}, MethodStandard::SolidsE228},
        {MaterialClass::Unknown, {-20, 20}, MethodStandard::SolidsE228},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MethodFor(c.kind, c.setPoints), c.method)
            << MaterialClassName(c.kind) << " over " << c.setPoints.size() << " set points";
}

TEST(MethodFlags, AnExpansionUnderTenTimesTheIndicatorNoiseIsBelowTheRangeOfTheMethod) {
    struct Case {
        double expansion, noise;
        bool below;
    } const cases[] = {
        {33e-6, 3.9e-6, true},   // fused silica over 30 °C on a 2 in sample
        {-33e-6, 3.9e-6, true},  // a shrinking sample alike
        {39e-6, 3.9e-6, false},  // ten times the noise
        {1000e-6, 3.9e-6, false}, // copper over 30 °C
        {5e-6, 0.0, false},      // no noise known: no judgement
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpansionBelowNoise(c.expansion, c.noise), c.below) << c.expansion;

    // Fused silica from 20 to 50 °C: 0.55 x 2 in x 30 °C = 33 µin against 4 µin of noise;
    // from 20 to 80 °C twice that, above ten times the noise.
    const std::vector<double> setPoints{20, 50, 80};
    std::vector<StepEvidence> steps{End(20, 0.0f, 0.01, 3e-6, 0, 1), End(50, 0.0f, 0.01, 4e-6, 0, 2),
                                    End(80, 0.0f, 0.01, 3e-6, 0, 3)};
    ResultTable table;
    for (int row = 1; row <= 3; ++row) table.at(row, result::Cte) = 0.55f;
    const TestEvidence e = BuildTestEvidence(steps, table, PlanShape{setPoints, 3, false}, kLength);
    ASSERT_EQ(e.results.size(), 3u);
    EXPECT_NEAR(e.results[0].expansion, 0.55e-6 * 2 * 30, 1e-9);
    EXPECT_DOUBLE_EQ(e.results[0].indicatorNoise, 4e-6) << "the noisier of its two steps";
    EXPECT_TRUE(e.results[0].belowNoiseRange);
    EXPECT_TRUE(e.results[1].belowNoiseRange);
    EXPECT_FALSE(e.results[2].belowNoiseRange) << "66 µin over the whole range";
}

// Steps whose only uncertainty is their own end value (no instrument figures), so that what
// the correlation of results shows is the steps they share.
InstrumentFigures NoFigures() {
    InstrumentFigures f;
    f.lengthHalfWidthInches = 0;
    f.indicatorResolutionInches = 0;
    f.temperatureGainLimit = 0;
    f.fixtureCorrectionFraction = 0;
    f.frameAlphaFraction = 0;
    f.indicatorGainFraction = 0;
    f.calibratorGainFraction = 0;
    f.sampleStageFraction = 0;
    return f;
}

TEST(SharedSteps, OneResultAloneHasItsBudgetsCombinedUncertainty) {
    const StepEvidence plain20 = End(20.0f, 0.0100f, 0.03, 3e-6, 1e-6, 1);
    const StepEvidence plain50 = End(50.0f, 0.0112f, 0.04, 4e-6, -2e-6, 2);
    const StepEvidence fitted20 = AtEquilibrium(20.0f, 0.0100, 0.5e-6, -20e-6, 1);
    const StepEvidence fitted50 = AtEquilibrium(50.0f, 0.0140, 1.2e-6, 300e-6, 2);
    struct Case {
        const StepEvidence& from;
        const StepEvidence& to;
        double cte;
    } const cases[] = {{plain20, plain50, 16.0},   {plain50, plain20, 16.0},
                       {fitted20, fitted50, 70.0}, {plain20, fitted50, -3.0},
                       {fitted20, plain50, 0.5}};
    for (const Case& c : cases) {
        const WeightedCte one[] = {{c.from, c.to, c.cte, 1.0}};
        EXPECT_NEAR(CombinedUncertaintyOf(one, kLength), BudgetFor(c.from, c.to, c.cte, kLength).combined,
                    1e-9)
            << c.cte;
    }
}

TEST(SharedSteps, TheTurnStepOfARoundTripCancelsInTheDifferenceOfItsLegs) {
    const InstrumentFigures none = NoFigures();
    const std::vector<double> setPoints{20, 50, 20};
    const PlanShape plan{setPoints, 2, true};
    ResultTable table;
    auto steps = RoundTripSteps(16.0, 16.0, setPoints);
    const double perInch = 1e6 / (2.0 * 30.0);
    // Only the turn step scatters: both legs move with it, their difference does not.
    steps[1].indicatorSigma = 4e-6;
    const RoundTripCheck turn = *BuildTestEvidence(steps, table, plan, kLength, none).roundTrip;
    EXPECT_NEAR(turn.differenceUncertainty, 0.0, 1e-3);
    const double apart =
        std::hypot(BudgetFor(steps[0], steps[1], 16.0, kLength, none).combined,
                   BudgetFor(steps[1], steps[2], 16.0, kLength, none).combined);
    EXPECT_NEAR(apart, std::sqrt(2.0) * 4e-6 * perInch, 1e-6) << "what independent legs would say";
    // Only the first and last steps scatter: independent, they add.
    steps[1].indicatorSigma = 0;
    steps[0].indicatorSigma = steps[2].indicatorSigma = 3e-6;
    const RoundTripCheck ends = *BuildTestEvidence(steps, table, plan, kLength, none).roundTrip;
    EXPECT_NEAR(ends.differenceUncertainty, 2.0 * std::sqrt(2.0) * 3e-6 * perInch, 1e-6);
    // The fixture correction is the same in both legs: it leaves their difference alone.
    InstrumentFigures fixture = none;
    fixture.fixtureCorrectionFraction = 0.1;
    EXPECT_NEAR(BuildTestEvidence(steps, table, plan, kLength, fixture).roundTrip->differenceUncertainty,
                ends.differenceUncertainty, 1e-9);
    // Legs 2 µ/°C apart are beyond that uncertainty (about 0.14), legs equal are not.
    EXPECT_FALSE(ends.beyondUncertainty);
    const auto apartSteps = RoundTripSteps(16.0, 18.0, setPoints);
    auto noisy = apartSteps;
    noisy[0].indicatorSigma = noisy[2].indicatorSigma = 3e-6;
    EXPECT_TRUE(BuildTestEvidence(noisy, table, plan, kLength, none).roundTrip->beyondUncertainty);
}

TEST(SharedSteps, ResultsThatShareAStepAreCorrelatedThroughIt) {
    const InstrumentFigures none = NoFigures();
    const std::vector<double> setPoints{20, 50, 80};
    ResultTable table;
    for (int row = 1; row <= 3; ++row) table.at(row, result::Cte) = 16.0f;
    // CTE 1 runs over steps 1-2, CTE 2 over 2-3, CTE 3 over 1-3.
    struct Case {
        int noisyStep;
        double r12, r13, r23; // the correlations of CTE 1 and 2, 1 and 3, 2 and 3
    } const cases[] = {
        {2, -1.0, 0.0, 0.0}, // step 2 ends the first result and starts the second
        {1, 0.0, 1.0, 0.0},  // step 1 starts the first and the overall result
        {3, 0.0, 0.0, 1.0},  // step 3 ends the second and the overall result
    };
    for (const Case& c : cases) {
        std::vector<StepEvidence> steps{End(20, 0.0f, 0, 0, 0, 1), End(50, 0.0f, 0, 0, 0, 2),
                                        End(80, 0.0f, 0, 0, 0, 3)};
        steps[static_cast<size_t>(c.noisyStep - 1)].indicatorSigma = 2e-6;
        const TestEvidence e =
            BuildTestEvidence(steps, table, PlanShape{setPoints, 3, false}, kLength, none);
        const auto correlation = [&](int a, int b) {
            for (const auto& [key, r] : e.results[static_cast<size_t>(a - 1)].correlations)
                if (key == b) return r;
            ADD_FAILURE() << "CTE " << a << " lists no correlation with CTE " << b;
            return 99.0;
        };
        EXPECT_NEAR(correlation(1, 2), c.r12, 1e-6) << "noisy step " << c.noisyStep;
        EXPECT_NEAR(correlation(2, 1), c.r12, 1e-6) << "noisy step " << c.noisyStep;
        EXPECT_NEAR(correlation(1, 3), c.r13, 1e-6) << "noisy step " << c.noisyStep;
        EXPECT_NEAR(correlation(2, 3), c.r23, 1e-6) << "noisy step " << c.noisyStep;
    }

    // With the instrument's figures, which scale every result alike, results sharing no
    // noisy step still move together.
    std::vector<StepEvidence> quiet{End(20, 0.0f, 0, 0, 0, 1), End(50, 0.0f, 0, 0, 0, 2),
                                    End(80, 0.0f, 0, 0, 0, 3)};
    const TestEvidence common =
        BuildTestEvidence(quiet, table, PlanShape{setPoints, 3, false}, kLength);
    EXPECT_NEAR(common.results[0].correlations.at(0).second, 1.0, 0.05);
}

} // namespace
} // namespace dilato
