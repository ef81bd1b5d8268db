#include "core/TestSession.h"

namespace dilato {

SequencerContext TestSession::Context(const SessionAdapters& a) {
    return SequencerContext{run,     a.params, a.instruments, window,
                            ticks,   a.termination, a.clock, a.op,
                            a.log,   a.folders.AppFolder, &sinks};
}

TestSession::TestSession(const SessionAdapters& a)
    : window(run, a.params, a.log), ticks(a.clock, a.instruments, run),
      files(a.folders, a.params, a.clock, a.op, a.log),
      journal(run, window, a.params, a.folders, a.clock, a.op, a.log),
      sinks(journal, SinkSources{run, window, a.folders, a.params, files, a.clock, a.log}),
      sequencer(Context(a), [this](int completed) { return SaveStep(completed); }),
      start(Context(a), sequencer, a.folders), cycle(Context(a), sequencer, start) {
    ticks.setPass([this] { cycle.ProcessReadSet(); });
    window.setReadingsSource([&instruments = a.instruments, &watch = ticks.watch()] {
        return LiveReadings{instruments.IndicatorReading(), instruments.SampleTemp(),
                            watch.indicatorFresh(), watch.tempFresh()};
    });
}

bool TestSession::SaveStep(int completedStep) {
    const bool saved = files.WriteDataToFile(TestRecord{run.stepData, run.results, run.SampleLength,
                                                        window.view().sampleId, &run.evidence,
                                                        run.equilibrium.kind},
                                             completedStep);
    if (stepSaved_) stepSaved_();
    return saved;
}

void TestSession::EnterTest() {
    ticks.SuspendTicks();
    run.CalibrationMode = false;
    window.EnableFileFields(true);
    window.UpdateTestStatus(run.testState);
    run.StartRequested = false;
    run.TestFinished = false;
    run.StepIndex = 0;
    window.UpdateTestStatus(10);
    run.testState = state::Idle;
    sequencer.LoadStepSetPoint();
    ticks.ResumeTicks();
}

} // namespace dilato
