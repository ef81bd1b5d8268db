#include "core/TestSession.h"

#include "core/TestPlan.h"

#include <algorithm>

namespace dilato {

SequencerContext TestSession::Context(const SessionAdapters& a) {
    return SequencerContext{run,     a.params, a.instruments, window,
                            ticks,   a.termination, a.clock, a.op,
                            a.log,   a.folders.AppFolder, &sinks};
}

TestSession::TestSession(const SessionAdapters& a)
    : reference(run, a.params, a.folders, a.clock, a.op, a.log), window(run, a.params, a.log), ticks(a.clock, a.instruments, run),
      files(a.folders, a.params, a.clock, a.op, a.log),
      journal(run, window, a.params, a.folders, a.clock, a.op, a.log),
      sinks(journal, SinkSources{run, window, a.folders, a.params, files, a.clock, a.log}),
      sequencer(Context(a), [this](int completed) { return SaveStep(completed); }),
      start(Context(a), sequencer, a.folders), cycle(Context(a), sequencer, start),
      params_(a.params) {
    start.setPrepareCorrection([this] { return PrepareCorrection(); });
    ticks.setPass([this] { cycle.ProcessReadSet(); });
    window.setReadingsSource([&instruments = a.instruments, &watch = ticks.watch()] {
        return LiveReadings{instruments.IndicatorReading(), instruments.SampleTemp(),
                            watch.indicatorFresh(), watch.tempFresh()};
    });
}

bool TestSession::SaveStep(int completedStep) {
    const bool saved = files.WriteDataToFile(TestRecord{run.stepData, run.results, run.SampleLength,
                                                        window.view().sampleId, &run.evidence,
                                                        run.equilibrium.kind, &run.correction},
                                             completedStep);
    if (saved && completedStep == NumberOfSteps(params_) - 1 && reference.material()) {
        reference.RecordRun(files);
        ShowReferenceState(false);
        // The next sample is an ordinary one unless the operator picks a reference again: a
        // test of another sample must never pass for a reference run.
        window.view().referenceMaterial.clear();
    }
    if (stepSaved_) stepSaved_();
    return saved;
}

bool TestSession::PrepareCorrection() {
    const int steps = NumberOfSteps(params_);
    double low = 0, high = 0;
    for (int s = 0; s < steps; ++s) {
        const double t = StepSetPoint(params_, s);
        low = s == 0 ? t : std::min(low, t);
        high = s == 0 ? t : std::max(high, t);
    }
    return reference.PrepareAtStart(window.view().referenceMaterial, low, high);
}

void TestSession::RestoreCorrection(const JournalStart& start) {
    window.view().referenceMaterial.clear();
    if (start.correctionRecord < 0)
        (void)PrepareCorrection();
    else
        reference.RestoreCorrection(start.correctionRecord, start.correctionWarnings,
                                    start.correctionOutOfControl);
}

void TestSession::ShowReferenceState(bool atStartUp) {
    window.view().referenceWarning = reference.ControlWarning(atStartUp);
}

void TestSession::EnterTest() {
    ticks.SuspendTicks();
    run.CalibrationMode = false;
    window.EnableFileFields(true);
    window.UpdateTestStatus(run.testState);
    run.StartRequested = false;
    run.TestFinished = false;
    run.StepIndex = 0;
    window.UpdateTestStatusNotStarted();
    run.testState = state::Idle;
    sequencer.LoadStepSetPoint();
    ticks.ResumeTicks();
}

} // namespace dilato
