#pragma once
// The test sequencer: a state machine on `testState`, one step per tick. Each step of the
// batch drives the stage to its set point, settles, waits for a steady sample temperature,
// then holds until the indicator has stopped drifting (or the time limit), and is saved.
//   -2 idle, -1 accepted, 0 step start, 1 settling, 2 temperature wait, 3 hold.

#include "analysis/LiveAnalysis.h"
#include "core/MainWindowModel.h"
#include "core/TerminationDialog.h"
#include "core/TestInstruments.h"
#include "core/SessionSinks.h"
#include "core/TestRun.h"
#include "core/TickControl.h"
#include "platform/Clock.h"
#include "platform/Operator.h"
#include "storage/LogSink.h"
#include "storage/SystemParameters.h"

#include <functional>
#include <string>

namespace dilato {

// Saves the step just finished (the raw data file and, as their rules say, the results);
// `completedStep` is the index of that step (`StepIndex` before the advance). True on success.
using StepSaver = std::function<bool(int completedStep)>;

struct SequencerContext {
    TestRun& run;
    SystemParameters& params;
    TestInstruments& instruments;
    MainWindowModel& window;
    TickControl& ticks;
    TerminationDialog& termination;
    Clock& clock;
    Operator& op;
    LogSink& log;
    std::string appFolder; // for the event sounds
    SessionSinks* sinks = nullptr; // told every stored reading, save, start and end, journal first
};

class Sequencer {
  public:
    Sequencer(SequencerContext context, StepSaver saver);

    // One step of the state machine (called by the read cycle on every tick).
    void GateControl();
    // Ends the current step: saves it (save true) and goes on with the batch, or stops.
    void FinishCurrentTest(bool save);
    // The current step's set point from the plan; the window shows it.
    void LoadStepSetPoint();
    // Test mode off, idle, the window's idle look; restart resumes the ticks.
    void StopTest(bool restart);
    // Next step (or back to the first with reset); false when the batch is finished.
    bool AdvanceStep(bool reset);

    // The operator's answers to the termination question in test mode.
    void TerminationYes();
    void TerminationNo();

    // The hold criteria right now (hold phase, both drift values below the threshold).
    [[nodiscard]] bool HoldCriteriaMet() const;
    [[nodiscard]] bool TempStable() const;
    [[nodiscard]] double HoldTimeLimit() const;

    // Refreshes ElapsedMinutes; reset starts the step's clock now.
    void UpdateElapsed(bool reset);
    void StoreReading(bool initial);

    [[nodiscard]] LiveValues liveValues() const;

    // The approach to equilibrium of step `stepIndex` (0-based) as its readings show it at
    // `stepMinutes` of the step, its hold having begun at `holdStartMinutes`: also for a saved
    // step whose readings came back from the journal.
    [[nodiscard]] StepEquilibrium JudgeEquilibriumOf(int stepIndex, double stepMinutes,
                                                     double holdStartMinutes) const;

  private:
    bool StabilityReached();
    // Fits the current step's approach to equilibrium, once a minute in the hold (now: at
    // once), when the test names its sample's material class.
    void JudgeStepEquilibrium(bool now);
    // The equilibrium guard on top of the drift criteria: true for "unknown".
    [[nodiscard]] bool EquilibriumAllowsEnd() const;
    // The largest uncertainty still to come step `stepIndex` may end with, inches, for its end
    // value and temperature.
    [[nodiscard]] double EquilibriumLimit(int stepIndex, double endValue,
                                          double endTemperature) const;
    // Keeps the evidence of the step about to be saved.
    void NoteEvidence(StepEnding ending);
    void RunState();
    void SendEndOfTestTemperature();

    SequencerContext c_;
    StepSaver saver_;
    LiveAnalysis analysis_;
};

} // namespace dilato
