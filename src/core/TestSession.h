#pragma once
// The object graph of testing: the run's state, the main window's model, the tick, the
// sequencer, the test start, the read cycle and the data files, wired together. The program,
// the headless runner and the tests build it the same way; only the adapters they pass in
// (clock, operator, dialog, instruments, logs) differ.

#include "core/MainWindowModel.h"
#include "core/ReadCycle.h"
#include "core/ReferenceRuns.h"
#include "core/Sequencer.h"
#include "core/SessionSinks.h"
#include "core/TestJournalKeeper.h"
#include "core/TestStart.h"
#include "core/TickControl.h"
#include "storage/DataFiles.h"

#include <functional>

namespace dilato {

struct SessionAdapters {
    Clock& clock;
    Operator& op;
    TerminationDialog& termination;
    TestInstruments& instruments;
    LogSink& log;
    SystemParameters& params;
    Folders& folders;
};

class TestSession {
  public:
    explicit TestSession(const SessionAdapters& adapters);
    TestSession(const TestSession&) = delete;
    TestSession& operator=(const TestSession&) = delete;

    // The Test tab's entry: idle state, first set point, the ticks running.
    void EnterTest();
    // The system correction of the test about to run over the plan's temperatures (and the
    // reference material of a reference run); false when the reference cannot be used.
    [[nodiscard]] bool PrepareCorrection();
    // A test taken up again after a restart: the correction it started with, as its journal
    // tells (a journal that does not say: chosen again for its plan).
    void RestoreCorrection(const JournalStart& start);
    // Puts the control chart's state on the Test tab; `atStartUp` also tells the operator
    // when the instrument is out of control.
    void ShowReferenceState(bool atStartUp);
    // Told after every step's save, whether it succeeded or not.
    void setStepSavedListener(std::function<void()> listener) {
        stepSaved_ = std::move(listener);
    }

    TestRun run;
    ReferenceRuns reference;
    MainWindowModel window;
    TickControl ticks;
    DataFiles files;
    TestJournalKeeper journal;
    SessionSinks sinks; // the journal first, then the sinks the composition root adds
    Sequencer sequencer;
    TestStart start;
    ReadCycle cycle;

  private:
    [[nodiscard]] SequencerContext Context(const SessionAdapters& a);
    bool SaveStep(int completedStep);
    std::function<void()> stepSaved_;
    const SystemParameters& params_;
};

} // namespace dilato
