// The fit of a step's approach to equilibrium, the prior time constant of a material class
// and the step-end condition built on them.
#include "analysis/EquilibriumGuard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace dilato {
namespace {

constexpr double kMicroInch = 1e-6;
// One sensor reading's noise: 0.1 µm.
constexpr double kNoise = 0.1e-3 / 25.4;

struct Approach {
    double slowTau = 160, slowAmplitude = 0; // minutes, inches
    double fastTau = 3, fastAmplitude = 0;
    double drift = 0;         // inches a minute, for ever
    double end = 0.0123;      // I_inf
    double noise = kNoise;
    double at(double t) const {
        return end + slowAmplitude * std::exp(-t / slowTau) +
               fastAmplitude * std::exp(-t / fastTau) + drift * t;
    }
    double remaining(double t) const { return end - at(t) + drift * t; }
};

// Readings 6 s apart from 0.1 minute to `minutes`.
std::vector<Reading> Readings(const Approach& a, double minutes, unsigned seed) {
    std::mt19937_64 engine(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<Reading> out;
    for (int k = 1; 0.1 * k <= minutes + 1e-9; ++k) {
        const double t = 0.1 * k;
        Reading r;
        r.elapsedMinutes = static_cast<float>(std::fmod(t, 1440.0));
        r.indicator = static_cast<float>(a.at(t) + a.noise * noise(engine));
        r.temperature = 50.0f;
        out.push_back(r);
    }
    return out;
}

// An approach read until `minutes`, with the time constant its material class expects.
struct Case {
    const char* name;
    Approach approach;
    double minutes, tauPrior;
};

TEST(EquilibriumFit, ASlowApproachUnderAFastOneIsResolvedAndExtrapolated) {
    const Case cases[] = {
        // A polymer bar over 30 °C: 4,000 µin to come slowly, the frame's 150 µin quickly.
        {"polymer", {160, -4000 * kMicroInch, 3, 150 * kMicroInch}, 340, 162},
        // The same read across midnight of the step's clock (stored minutes start again).
        {"polymer past a day", {160, -400 * kMicroInch, 3, 150 * kMicroInch}, 1600, 162},
        // Fused silica: 33 µin of its own, the frame's 156 µin the other way and faster.
        {"fused silica", {22, -33 * kMicroInch, 3, 156 * kMicroInch}, 60, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto readings = Readings(c.approach, c.minutes, 7);
        const EquilibriumFit fit = FitEquilibrium(readings, FitWindowStart(c.minutes, 8), c.tauPrior);
        ASSERT_TRUE(fit.valid);
        EXPECT_NEAR(fit.windowStart, c.minutes / 2, 0.1);
        EXPECT_NEAR(fit.noiseSigma, kNoise, 0.15 * kNoise);
        const double truth = c.approach.remaining(c.minutes);
        EXPECT_LE(std::fabs(fit.remaining - truth), 3 * fit.remainingUncertainty + 0.3 * kMicroInch)
            << fit.remaining / kMicroInch << " against " << truth / kMicroInch << " µin, u "
            << fit.remainingUncertainty / kMicroInch;
        EXPECT_LE(std::fabs(fit.endValue - c.approach.end), 3 * fit.endValueUncertainty + 0.3 * kMicroInch);
        if (fit.tauResolved) {
            EXPECT_NEAR(fit.tau, c.approach.slowTau, 3 * fit.fittedTauUncertainty);
        } else {
            EXPECT_EQ(fit.tau, c.tauPrior);
        }
        if (std::string(c.name) == "polymer") {
            EXPECT_TRUE(fit.tauResolved) << fit.fittedTau << " +/- " << fit.fittedTauUncertainty;
            EXPECT_LT(fit.remainingUncertainty, 0.02 * std::fabs(truth));
        }
    }
}

TEST(EquilibriumFit, ATauAtTheEndOfItsSearchOrFarFromThePriorIsNeverResolved) {
    const Case cases[] = {
        // Ten times slower than expected: the search ends at its top.
        {"far slower", {1600, -4000 * kMicroInch}, 400, 160},
        // Three times faster: inside the search, outside 0.5 to 2 times the prior.
        {"three times faster", {50, -4000 * kMicroInch}, 300, 150},
        // A drift that never ends looks like an endless time constant.
        {"steady drift", {160, 0, 3, 0, 2 * kMicroInch}, 400, 160},
        // The same drift under a metal's few minutes: the model would call it settled.
        {"steady drift, metal", {160, 0, 3, 0, 2 * kMicroInch}, 400, 2.65},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto readings = Readings(c.approach, c.minutes, 3);
        const EquilibriumFit fit = FitEquilibrium(readings, c.minutes / 2, c.tauPrior);
        ASSERT_TRUE(fit.valid);
        EXPECT_FALSE(fit.tauResolved) << fit.fittedTau << " +/- " << fit.fittedTauUncertainty;
        EXPECT_EQ(fit.tau, c.tauPrior);
        if (c.approach.drift == 0) continue;
        EXPECT_FALSE(EquilibriumReached(fit, 21e-6, false)) << "a drift is no equilibrium";
        // Under a short time constant the drift cannot be the approach: no resting point,
        // what moved over the window may come again.
        if (c.tauPrior < 10)
            EXPECT_GE(fit.remainingUncertainty, 0.9 * c.approach.drift * fit.windowMinutes());
    }
    const auto slow = Readings(cases[0].approach, 400, 3);
    const EquilibriumFit fit = FitEquilibrium(slow, 200, 160);
    EXPECT_TRUE(fit.tauAtBound);
    EXPECT_NEAR(fit.fittedTau, 800, 1) << "five times the prior, the end of the search";
}

TEST(EquilibriumFit, NoiseAloneNeverClaimsNothingIsLeft) {
    // A settled indicator: what is to come is 0, and the fit must not know it better than
    // the readings can tell.
    int covered = 0, runs = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        for (const double tauPrior : {2.4, 30.0, 160.0}) {
            const auto readings = Readings({}, 60, seed);
            const EquilibriumFit fit = FitEquilibrium(readings, 30, tauPrior);
            ASSERT_TRUE(fit.valid);
            EXPECT_FALSE(fit.tauResolved) << "seed " << seed << ", prior " << tauPrior;
            // However long ago the time constant passed, a drift hidden in the scatter of
            // the readings (its standard uncertainty over a window of W minutes and n
            // readings: sigma * sqrt(12 / n) / W) could still carry on for one.
            const double hidden =
                kNoise * std::sqrt(12.0 / fit.readings) / fit.windowMinutes() * tauPrior;
            EXPECT_GT(fit.remainingUncertainty, 0.8 * hidden)
                << "seed " << seed << ", prior " << tauPrior;
            ++runs;
            covered += std::fabs(fit.remaining) <= 2 * fit.remainingUncertainty ? 1 : 0;
        }
    }
    EXPECT_GE(covered, runs * 88 / 100) << covered << " of " << runs;
}

TEST(EquilibriumFit, TooFewReadingsInTheWindowGiveNoFit) {
    const auto readings = Readings({}, 10, 1);
    EXPECT_FALSE(FitEquilibrium(readings, 8.15, 2.4).valid) << "19 readings";
    EXPECT_TRUE(FitEquilibrium(readings, 8.05, 2.4).valid) << "20 readings";
    EXPECT_FALSE(FitEquilibrium(readings, 0, 0).valid) << "no prior time constant";
}

TEST(MaterialClass, NamesAndPriorTimeConstants) {
    EXPECT_EQ(ParseMaterialClass("Polymer"), MaterialClass::Polymer);
    EXPECT_EQ(ParseMaterialClass("metal"), MaterialClass::Metal);
    EXPECT_EQ(ParseMaterialClass("glass"), MaterialClass::Glass);
    EXPECT_EQ(ParseMaterialClass("unknown"), MaterialClass::Unknown);
    EXPECT_EQ(ParseMaterialClass("wood"), std::nullopt);
    EXPECT_EQ(MaterialClassName(MaterialClass::Glass), "glass");

    // 2 in of PMMA-like polymer: about 2.7 hours; conduction decides, the contact barely.
    EXPECT_NEAR(PriorTimeConstantMinutes(MaterialClass::Polymer, 2.0), 162, 5);
    // A perfect contact: 4 L^2 / (pi^2 a).
    const double length = 2.0 * 0.0254;
    EXPECT_NEAR(PriorTimeConstantMinutes(MaterialClass::Glass, 2.0, 0.0),
                4.0 * length * length / (M_PI * M_PI * 0.8e-6) / 60.0, 1e-6);
    // A metal follows at about the contact's pace.
    const double metal = PriorTimeConstantMinutes(MaterialClass::Metal, 2.0);
    EXPECT_GT(metal, kDefaultContactSeconds / 60.0);
    EXPECT_LT(metal, 1.5 * kDefaultContactSeconds / 60.0);
    // A shorter sample is quicker; a worse contact slower.
    EXPECT_LT(PriorTimeConstantMinutes(MaterialClass::Polymer, 1.0),
              PriorTimeConstantMinutes(MaterialClass::Polymer, 2.0) / 3.0);
    EXPECT_GT(PriorTimeConstantMinutes(MaterialClass::Metal, 2.0, 240.0), 1.7 * metal);
    EXPECT_EQ(PriorTimeConstantMinutes(MaterialClass::Unknown, 2.0), 0.0);
}

TEST(EquilibriumGuard, TheLimitAndTheStepEndCondition) {
    // 0.5 % of 70 over 2 in and 30 °C: 21 µin; fused silica's 0.55 falls to the 0.02 floor.
    EXPECT_NEAR(RemainingLimit(70, 2, 30), 21e-6, 1e-12);
    EXPECT_NEAR(RemainingLimit(-70, 2, -30), 21e-6, 1e-12);
    EXPECT_NEAR(RemainingLimit(0.55, 2, 30), 1.2e-6, 1e-12);
    EXPECT_DOUBLE_EQ(FitWindowStart(100, 8), 50);
    EXPECT_DOUBLE_EQ(FitWindowStart(12, 8), 8);

    EquilibriumFit fit;
    fit.valid = true;
    fit.windowStart = 100;
    fit.windowEnd = 200;
    fit.tau = 160;
    fit.tauPrior = 160;
    fit.remaining = 30e-6;
    fit.remainingUncertainty = 5e-6;
    const double limit = 21e-6;
    struct Row {
        const char* name;
        bool resolved;
        double windowStart, windowEnd, u;
        bool wait, expected;
    };
    const Row rows[] = {
        {"prior tau, half of it covered", false, 100, 180, 5e-6, false, true},
        {"prior tau, less than half covered", false, 100, 179, 5e-6, false, false},
        {"fitted tau needs a whole one", true, 100, 200, 5e-6, false, false},
        {"fitted tau, a whole one covered", true, 100, 260, 5e-6, false, true},
        {"too uncertain", false, 100, 200, 10.6e-6, false, false},
        {"waiting: 30 µin still to come", false, 100, 200, 5e-6, true, false},
        {"window from before the fixture settled", true, 11.9, 260, 5e-6, false, false},
        {"window from when the fixture settled", true, 12, 260, 5e-6, false, true},
    };
    for (const Row& c : rows) {
        EquilibriumFit f = fit;
        f.tauResolved = c.resolved;
        f.windowStart = c.windowStart;
        f.windowEnd = c.windowEnd;
        f.remainingUncertainty = c.u;
        EXPECT_EQ(EquilibriumReached(f, limit, c.wait), c.expected) << c.name;
    }
    fit.remaining = 10e-6;
    EXPECT_TRUE(EquilibriumReached(fit, limit, true)) << "10 + 2 x 5 µin within 21";
    fit.valid = false;
    EXPECT_FALSE(EquilibriumReached(fit, limit, false));
}

} // namespace
} // namespace dilato
