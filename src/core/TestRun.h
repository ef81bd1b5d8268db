#pragma once
// The state of the test at hand, owned by the sequencer for the whole run: the state machine,
// the step and its clock, the drift values that decide the hold, the reading store, and the
// operator's requests. Other parts read it through a const reference.

#include "analysis/ColumnCorrection.h"
#include "analysis/EquilibriumGuard.h"
#include "analysis/FinalResults.h"
#include "analysis/LiveAnalysis.h"
#include "analysis/StepData.h"
#include "analysis/StepEvidence.h"
#include "analysis/TestState.h"

#include <QtGlobal>

#include <array>
#include <string>
#include <vector>

namespace dilato {

// `StepStats`: reading counts per step and the store's bookkeeping.
struct StepStats {
    std::array<int, 10> readingCount{};
    int largestCount = 0;
    long lastStoreTime = 0; // whole seconds since midnight
    int stableTicks = 0;
};

struct TestRun {
    TestState testState = TestState::Idle;
    int StepIndex = 0;          // 0-based current step
    int SetPointTemp = 0;       // set point of the current step, whole °C
    int StepsSaved = 0;         // steps of this test saved so far
    long clockStart = 0;        // seconds since midnight at the step's start; 0 = no clock
    std::string ElapsedMinutes; // "0.0" minutes since clockStart; empty without a clock
    // The same minutes without the wrap at 24 hours (ElapsedMinutes, which the data files
    // keep, starts again at 0): the phases and the hold limit are timed by this one, so a
    // hold of 30 hours can end.
    double StepMinutes = 0;
    qint64 stepStartMs = 0; // the step's start, milliseconds since the epoch
    // `PhaseTimes` entries 3, 4, 5: end of settling, earliest end of the temperature wait,
    // end of the minimum hold (StepMinutes).
    double settleEnd = 1, waitEnd = 5, holdEnd = 5;
    long HoldLimit = 0;
    double holdStartMinutes = -1; // StepMinutes when the hold began; < 0 before it

    // The sample's material class and the stage's contact, as the test was started with
    // them; and the latest judgement of the current step's approach to equilibrium, made
    // once a minute in the hold (at equilibriumMinutes, StepMinutes; < 0 before the first).
    EquilibriumSettings equilibrium;
    StepEquilibrium stepEquilibrium;
    double equilibriumMinutes = -1;

    float LiveSlope = 0.0f;
    float AverageSlope = kUnsettledSlope;
    Projection projection; // ProjectedIndicator, ProjectedCte, StabilityThreshold

    float SampleLength = 0.0f; // inches
    bool UnitsInches = true;

    StepData stepData;            // `StepData`
    std::vector<float> StepTemps; // temperatures stored in the current step
    StepStats stats;
    InitialReading initial;
    ResultTable results;                // `ResultTable`
    std::vector<StepEvidence> evidence; // what showed each saved step at equilibrium
    // The system correction the test's results use, chosen at Start.
    CorrectionInUse correction;
    // The certified reference material of a reference run ("SRM736"); empty for a test.
    std::string referenceMaterial;

    // Operator requests and run flags.
    bool StartRequested = false;
    bool StopRequested = false;
    bool ExitRequested = false;
    bool TestFinished = false;
    bool CalibrationMode = false;
    bool LivePlot = false;

    [[nodiscard]] double elapsed() const; // ElapsedMinutes as a number
};

} // namespace dilato
