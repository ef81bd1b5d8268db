#pragma once
// What showed that a step had come to equilibrium when it ended: how long it held, the drift
// values against their threshold, the run of steady ticks, how much the temperature and the
// indicator still moved over the last readings, and whether the drift criteria, the time limit
// or the operator ended it. Gathered by the sequencer at the moment a step is saved; the
// uncertainty budget takes its measured scatter from here.

#include "analysis/EquilibriumGuard.h"
#include "analysis/StepData.h"

#include <optional>
#include <string>

namespace dilato {

enum class StepEnding {
    DriftCriteria, // both drift values stayed below the threshold for the steady ticks
    TimeLimit,     // the hold's time limit passed before the drift settled
    Operator,      // the operator stopped the test with the drift criteria met
};

[[nodiscard]] std::string EndingText(StepEnding ending);

// The sequencer's own values at the end of a step.
struct HoldFacts {
    int setPoint = 0;             // °C
    double stepMinutes = 0;       // from the step's start
    double holdStartMinutes = -1; // when the hold began (step minutes); < 0: never held
    float averageSlope = 0.0f;    // `AverageSlope`, µin per 10 min
    float liveSlope = 0.0f;       // `LiveSlope`, µin per 10 min
    float threshold = 0.0f;       // `StabilityThreshold`, µin per 10 min
    int steadyTicks = 0;          // consecutive ticks with the criteria met
    StepEnding ending = StepEnding::DriftCriteria;
};

// Readings over which the temperature's steadiness is judged, and the indicator's noise.
inline constexpr int kEvidenceTempReadings = 30;
inline constexpr int kEvidenceNoiseReadings = 50;

struct StepEvidence {
    int step = 0; // 1-based
    HoldFacts facts;
    float endTemperature = 0.0f; // °C, the reading the results use
    float endIndicator = 0.0f;   // inches
    // The temperature over the last readings (up to kEvidenceTempReadings).
    int tempReadings = 0;
    double tempSpread = 0.0; // largest minus smallest, °C
    double tempSigma = 0.0;  // standard deviation of one reading, °C
    // Scatter of one indicator reading about a parabola through the last readings (up to
    // kEvidenceNoiseReadings), inches; 0 when there are too few readings to tell.
    int noiseReadings = 0;
    double indicatorSigma = 0.0;
    // How far (and which way) the indicator was still expected to move when the step ended,
    // inches: the
    // distance to the projected resting point, or, without a usable projection, the live drift
    // over one fit window (5 minutes); or, when more, the drift at the end times the time
    // constant of the sample's approach (driftTimeConstant, minutes; 0 when none was seen),
    // which shows in how fast the drift fell and in how the drift compares with the growth
    // seen since the step began.
    double remainingDrift = 0.0;
    double driftTimeConstant = 0.0;

    // The fit of the step's approach to equilibrium, when the operator named the sample's
    // material class (nothing for "unknown": the end reading stands).
    std::optional<StepEquilibrium> equilibrium;

    [[nodiscard]] double holdMinutes() const;
    // The end value the results use: I_inf with the mean of the last temperatures when the
    // approach was fitted, else the end reading.
    [[nodiscard]] float resultTemperature() const;
    [[nodiscard]] float resultIndicator() const;
    // Whether the step ended at equilibrium: never when the time limit ended it; with a fit,
    // only when its step-end condition held.
    [[nodiscard]] bool atEquilibrium() const;
    // What may still have been to come at the end, inches: by the fit |r| + 2 u(r) (or
    // remainingDrift where that is more), signed as r; without a fit remainingDrift.
    [[nodiscard]] double stillToCome() const;
};

// Builds the evidence of step `step` (1-based) from its stored readings and the facts the
// sequencer holds. The step must have an end reading (throws std::out_of_range otherwise).
[[nodiscard]] StepEvidence GatherStepEvidence(const StepData& data, int step,
                                              const HoldFacts& facts);

} // namespace dilato
