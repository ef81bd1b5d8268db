#include "core/Sequencer.h"

#include "analysis/StepData.h"
#include "core/TestPlan.h"
#include "platform/Desktop.h"
#include "platform/Format.h"
#include "platform/KillPoint.h"
#include "platform/LeadingNumber.h"
#include "platform/Wait.h"
#include "storage/AnalysisErrors.h"

#include <cmath>
#include <numeric>

namespace dilato {

namespace {
constexpr long kDay = 86400;
constexpr long kStoreInterval = 6; // seconds between stored readings
constexpr size_t kTempWindow = 30; // temperatures of the steadiness test
constexpr size_t kTempMinimum = 38;
// The steadiness test: the sample within this of the commanded temperature (°C), and the last
// kTempWindow temperatures within these of their mean, on average and at most (°C).
constexpr float kTempNearCommand = 2.0f;
constexpr double kTempMeanDeviation = 0.1;
constexpr double kTempLargestDeviation = 0.2;
// A step's phases on its clock (minutes): settling lasts beyond kSettleMinutes; the
// temperature wait beyond kWaitMinutes; the hold judges its end only after kHoldMinutes.
constexpr double kSettleMinutes = 1;
constexpr double kWaitMinutes = 5;
constexpr double kHoldMinutes = 5;
// The drift criteria end a step once met on this many fresh ticks in a row.
constexpr int kStableTicksToEnd = 10;
// The hold's time limit after it started, by accuracy option (minutes: 30 or 60 hours).
constexpr double kHoldLimitNormalMinutes = 1800.0;
constexpr double kHoldLimitHighMinutes = 3600.0;
// In the hold the equilibrium's approach is fitted again every this many minutes.
constexpr double kEquilibriumEveryMinutes = 1.0;
// A temperature change below this (°C) gives no alpha of the sample's own.
constexpr float kAlphaLeastChange = 1.0f;
// Where the stage goes when a test ends ("TestEndTempOption"): room temperature, the last
// batch set point, or the first set point, the last two only above room temperature.
constexpr int kEndAtRoom = 0;
constexpr int kEndAtLastSetPoint = 1;
constexpr int kEndAtFirstSetPoint = 2;
constexpr float kRoomTemperature = 20.0f;
constexpr int kRoomSetPoint = 20; // whole °C
// The pause after the finished test's sound, seconds.
constexpr double kFinishedPause = 0.2;
} // namespace

Sequencer::Sequencer(SequencerContext context, StepSaver saver)
    : c_(std::move(context)), saver_(std::move(saver)), analysis_(c_.run.stepData) {}

LiveValues Sequencer::liveValues() const {
    LiveValues v;
    v.testState = c_.run.testState;
    v.stepIndex = c_.run.StepIndex;
    v.sampleLength = c_.run.SampleLength;
    v.sampleTemp = c_.instruments.SampleTemp();
    v.indicatorReading = c_.instruments.IndicatorReading();
    v.averageSlope = c_.run.AverageSlope;
    v.initialReading = c_.run.initial;
    v.accuracyOption =
        static_cast<int>(std::lround(c_.params.SysParam(slot::AccuracyOption).number()));
    const auto& curve = c_.run.correction.curve;
    v.correction = curve ? &*curve : nullptr;
    return v;
}

void Sequencer::GateControl() {
    TestRun& run = c_.run;
    try {
        if (!c_.termination.isVisible() && run.StopRequested && !run.ExitRequested) {
            c_.ticks.HoldTicks(); // only the answer lets the test go on
            c_.termination.open(
                TestTerminationQuestion(HoldCriteriaMet(), run.StepsSaved > 0,
                                        run.StepIndex + 1 >= NumberOfSteps(c_.params)));
        }
        UpdateElapsed(false);
        c_.window.EnableTabs();
        RunState();
    } catch (const std::exception& e) {
        const std::string text =
            e.what() + std::string(" @ gTestState=") + FormatNumber(StatusCode(run.testState), "#");
        StopTest(false);
        ReportError(c_.op, 0, "modControl.GateControl", text);
    }
}

void Sequencer::RunState() {
    TestRun& run = c_.run;
    switch (run.testState) {
    case state::Idle:
        run.clockStart = 0;
        break;
    case state::Accepted:
        run.clockStart = 0;
        // The test starts from measured values: without them it waits here (within the
        // reading watch's bound).
        if (!c_.ticks.watch().fresh()) break;
        StoreReading(true);
        UpdateElapsed(true);
        if (c_.sinks) c_.sinks->TestStarted();
        run.testState = state::StepStart;
        break;
    case state::StepStart:
        c_.instruments.SetStageTemp(static_cast<float>(run.SetPointTemp), false);
        // A controller that stopped answering has aborted the test inside that call.
        if (run.testState != state::StepStart) break;
        run.settleEnd = kSettleMinutes;
        run.waitEnd = kWaitMinutes;
        run.holdEnd = kHoldMinutes;
        run.holdStartMinutes = -1;
        run.stepEquilibrium = {};
        run.equilibriumMinutes = -1;
        run.testState = state::Settling;
        break;
    case state::Settling:
        StoreReading(false);
        if (run.StepMinutes > run.settleEnd) run.testState = state::TemperatureWait;
        break;
    case state::TemperatureWait:
        StoreReading(false);
        if (TempStable() && run.StepMinutes > run.waitEnd) {
            (void)StabilityReached(); // clears the stable-tick counter
            run.testState = state::Hold;
            run.holdStartMinutes = run.StepMinutes;
            run.holdEnd = run.StepMinutes + run.holdEnd;
            run.HoldLimit = std::lround(HoldTimeLimit());
        }
        break;
    case state::Hold:
        StoreReading(false);
        JudgeStepEquilibrium(false);
        if (run.StepMinutes > static_cast<double>(run.HoldLimit)) {
            NoteEvidence(StepEnding::TimeLimit);
            FinishCurrentTest(true);
        } else if (run.StepMinutes > run.holdEnd) {
            if (run.StepIndex == 0)
                run.projection.stabilityThreshold =
                    analysis_.SlopeThreshold(run.projection.projectedCte, liveValues());
            if (StabilityReached() && EquilibriumAllowsEnd()) {
                NoteEvidence(StepEnding::DriftCriteria);
                FinishCurrentTest(true);
            }
        } else {
            (void)StabilityReached();
        }
        break;
    default:
        break;
    }
}

void Sequencer::UpdateElapsed(bool reset) {
    TestRun& run = c_.run;
    const double now = c_.clock.secondsSinceMidnight();
    if (reset) run.clockStart = std::lround(now);
    const qint64 nowMs = c_.clock.now().toMSecsSinceEpoch();
    if (reset) run.stepStartMs = (nowMs + 500) / 1000 * 1000;
    if (run.clockStart > 0) {
        const long seconds = std::lround(now + kDay - static_cast<double>(run.clockStart)) % kDay;
        run.ElapsedMinutes = FormatNumber(static_cast<double>(seconds) / 60.0, "0.0");
        const double stepSeconds =
            std::round(static_cast<double>(nowMs - run.stepStartMs) / 1000.0);
        run.StepMinutes = LeadingNumber(FormatNumber(stepSeconds / 60.0, "0.0"));
    } else {
        run.ElapsedMinutes.clear();
        run.StepMinutes = 0;
    }
    if (run.testState != state::Idle) c_.window.ShowElapsed(run.ElapsedMinutes);
}

void Sequencer::StoreReading(bool initial) {
    TestRun& run = c_.run;
    const double now = c_.clock.secondsSinceMidnight();
    int k = 0;
    if (initial) {
        run.initial =
            InitialReading{static_cast<int>(std::lround(now)), run.SampleLength,
                           c_.instruments.IndicatorReading(), c_.instruments.SampleTemp()};
        run.StepTemps.clear();
        run.stepData.reset(NumberOfSteps(c_.params), 1);
        run.stats = StepStats{};
        run.evidence.clear();
    } else {
        // Values left from an earlier read cycle are not a new measurement.
        if (!c_.ticks.watch().fresh()) return;
        if (now < static_cast<double>((run.stats.lastStoreTime + kStoreInterval) % kDay)) return;
        const size_t step = static_cast<size_t>(run.StepIndex);
        Reading reading;
        reading.elapsedMinutes = static_cast<float>(run.elapsed());
        reading.indicator = c_.instruments.IndicatorReading();
        reading.temperature = c_.instruments.SampleTemp();
        k = run.stepData.append(run.StepIndex + 1, reading);
        run.stats.readingCount.at(step) = k;
        run.stats.largestCount = std::max(run.stats.largestCount, k);
        run.StepTemps.resize(static_cast<size_t>(k));
        run.StepTemps.back() = reading.temperature;
        run.stats.lastStoreTime = std::lround(now);
    }
    if (run.LivePlot) c_.window.EnterPlotting();
    if (run.testState < state::TemperatureWait) {
        run.AverageSlope = kUnsettledSlope;
        run.projection.projectedIndicator = 0.0f;
    } else {
        Reading& stored = run.stepData.reading(run.StepIndex + 1, k);
        run.LiveSlope =
            ValueOrShown(c_.op, analysis_.IndicatorSlope(k, liveValues()), kUnsettledSlope);
        stored.liveSlope = run.LiveSlope;
        run.AverageSlope =
            ValueOrShown(c_.op, analysis_.IndAveSlope(k, liveValues()), kUnsettledSlope);
        ShowIfFailed(c_.op, analysis_.ProjectIndicator(k, liveValues(), run.projection));
        stored.projectedIndicator = run.projection.projectedIndicator;
    }
    // On the disk before the next tick, with every column the step's save will write.
    if (c_.sinks && !initial)
        c_.sinks->ReadingStored(run.StepIndex + 1, run.stepData.reading(run.StepIndex + 1, k));
}

bool Sequencer::TempStable() const {
    const auto& temps = c_.run.StepTemps;
    if (temps.size() < kTempMinimum) return false;
    if (std::fabs(c_.instruments.SampleTemp() -
                  static_cast<float>(c_.instruments.CommandedTemp())) > kTempNearCommand)
        return false;
    const auto first = temps.end() - static_cast<std::ptrdiff_t>(kTempWindow);
    const double mean = std::accumulate(first, temps.end(), 0.0) / kTempWindow;
    double sum = 0.0, largest = 0.0;
    for (auto it = first; it != temps.end(); ++it) {
        const double d = std::fabs(mean - *it);
        sum += d;
        largest = std::max(largest, d);
    }
    return sum / kTempWindow < kTempMeanDeviation && largest < kTempLargestDeviation;
}

bool Sequencer::HoldCriteriaMet() const {
    const TestRun& run = c_.run;
    const float threshold = run.projection.stabilityThreshold;
    return run.testState == state::Hold && std::fabs(run.AverageSlope) < threshold &&
           std::fabs(run.LiveSlope) < threshold;
}

bool Sequencer::StabilityReached() {
    int& counter = c_.run.stats.stableTicks;
    if (c_.run.testState == state::Hold) {
        // A tick on old values says nothing about the drift now: it breaks the run of ticks.
        if (HoldCriteriaMet() && c_.ticks.watch().fresh()) return ++counter >= kStableTicksToEnd;
        counter = 0;
        return false;
    }
    counter = 0;
    return false;
}

void Sequencer::NoteEvidence(StepEnding ending) {
    TestRun& run = c_.run;
    HoldFacts facts{run.SetPointTemp,      run.StepMinutes, run.holdStartMinutes,
                    run.AverageSlope,      run.LiveSlope,   run.projection.stabilityThreshold,
                    run.stats.stableTicks, ending};
    try {
        const size_t at = static_cast<size_t>(run.StepIndex);
        if (run.evidence.size() <= at) run.evidence.resize(at + 1);
        run.evidence[at] = GatherStepEvidence(run.stepData, run.StepIndex + 1, facts);
        if (run.equilibrium.active()) {
            JudgeStepEquilibrium(true);
            run.evidence[at].equilibrium = run.stepEquilibrium;
        }
    } catch (const std::out_of_range&) {
        // a step without an end reading has no results to give evidence for
    }
}

void Sequencer::JudgeStepEquilibrium(bool now) {
    TestRun& run = c_.run;
    if (!run.equilibrium.active() || run.holdStartMinutes < 0) return;
    if (!now && run.equilibriumMinutes >= 0 &&
        run.StepMinutes < run.equilibriumMinutes + kEquilibriumEveryMinutes)
        return;
    run.equilibriumMinutes = run.StepMinutes;
    run.stepEquilibrium = JudgeEquilibriumOf(run.StepIndex, run.StepMinutes, run.holdStartMinutes);
}

StepEquilibrium Sequencer::JudgeEquilibriumOf(int stepIndex, double stepMinutes,
                                              double holdStartMinutes) const {
    const TestRun& run = c_.run;
    const double tauPrior = PriorTimeConstantMinutes(run.equilibrium.kind, run.SampleLength,
                                                     run.equilibrium.contactSeconds);
    StepEquilibrium e = JudgeEquilibrium(run.stepData.readings(stepIndex + 1),
                                         FitWindowStart(stepMinutes, holdStartMinutes), tauPrior);
    e.HoldTo(EquilibriumLimit(stepIndex, e.fit.endValue, e.meanTemperature),
             run.equilibrium.waitForEquilibrium);
    return e;
}

bool Sequencer::EquilibriumAllowsEnd() const {
    return !c_.run.equilibrium.active() || c_.run.stepEquilibrium.reached;
}

double Sequencer::EquilibriumLimit(int stepIndex, double endValue, double endTemperature) const {
    const TestRun& run = c_.run;
    // The smaller of the intervals to the neighbouring steps; a lone step has only the one
    // from where the test started.
    const int steps = NumberOfSteps(c_.params);
    const double here = StepSetPoint(c_.params, stepIndex);
    double interval = std::fabs(here - run.initial.sampleTemp);
    bool neighbour = false;
    for (const int n : {stepIndex - 1, stepIndex + 1}) {
        if (n < 0 || n >= steps) continue;
        const double d = std::fabs(StepSetPoint(c_.params, n) - here);
        interval = neighbour ? std::min(interval, d) : d;
        neighbour = true;
    }
    // The sample's alpha as far as it shows: from the previous step's end value to this
    // one's; before that, the low end of its class.
    double alpha = ClassLowAlpha(run.equilibrium.kind);
    const auto previous = static_cast<size_t>(stepIndex - 1);
    if (stepIndex > 0 && previous < run.evidence.size() &&
        run.evidence[previous].step == stepIndex) {
        const StepEvidence& p = run.evidence[previous];
        const float dT = static_cast<float>(endTemperature) - p.resultTemperature();
        if (std::fabs(dT) > kAlphaLeastChange)
            alpha = CteBetweenEnds(p.resultTemperature(), p.resultIndicator(),
                                   static_cast<float>(endTemperature),
                                   static_cast<float>(endValue), run.SampleLength,
                                   run.correction.curve ? &*run.correction.curve : nullptr);
    }
    return RemainingLimit(alpha, run.SampleLength, interval);
}

double Sequencer::HoldTimeLimit() const {
    // 30 or 60 hours after the hold started, on the step's clock that does not wrap.
    const bool normal = c_.params.SysParam(slot::AccuracyOption).number() < 2;
    return c_.run.StepMinutes + (normal ? kHoldLimitNormalMinutes : kHoldLimitHighMinutes);
}

bool Sequencer::AdvanceStep(bool reset) {
    TestRun& run = c_.run;
    if (reset) {
        run.StepIndex = 0;
        return true;
    }
    ++run.StepIndex;
    if (run.StepIndex >= NumberOfSteps(c_.params)) {
        run.StepIndex = 0;
        return false;
    }
    return true;
}

void Sequencer::LoadStepSetPoint() {
    try {
        c_.run.SetPointTemp = StepSetPoint(c_.params, c_.run.StepIndex);
        c_.window.TestTempCommandDisplay(c_.run.SetPointTemp);
    } catch (const std::exception& e) {
        ReportError(c_.op, 0, "modControl.SetTempComd", e.what());
    }
}

void Sequencer::StopTest(bool restart) {
    c_.instruments.SetStageTestMode(false, false);
    c_.run.testState = state::Idle;
    c_.window.ButtonsForStoppedTest();
    // The idle look offers the first point again: its set point goes with it.
    if (!c_.run.CalibrationMode) LoadStepSetPoint();
    if (restart) c_.ticks.ResumeTicks();
}

void Sequencer::FinishCurrentTest(bool save) {
    TestRun& run = c_.run;
    c_.ticks.SuspendTicks();
    if (!save) {
        if (c_.sinks) c_.sinks->TestEnded("stopped");
        // A stopped test leaves the stage where a finished one does: a hot stage left at the
        // step's temperature is a burn waiting for the next sample change.
        SendEndOfTestTemperature();
        StopTest(true);
        return;
    }
    KillPoint("step-save");
    if (!saver_(run.StepIndex)) {
        // The test stays stopped: going on with the stage's test mode off and the window in
        // its idle look would run steps nobody can stop or save.
        StopTest(false);
        ShowMessage(c_.op, "Data-to-file Save was Unsuccessful", "File Saving Error");
        c_.ticks.ResumeTicks();
        return;
    }
    ++run.StepsSaved;
    KillPoint("step-saved");
    if (c_.sinks) c_.sinks->StepSaved(run.StepIndex + 1);
    if (AdvanceStep(false)) {
        run.testState = state::StepStart;
        c_.window.UpdateTestStatus(TestState::StepStart);
        c_.log.TestLog("", TestLogKind::StepStart);
        UpdateElapsed(true);
        LoadStepSetPoint();
        c_.log.TestLog(c_.window.ProgressSuffix, TestLogKind::StepStart);
    } else {
        run.LivePlot = false;
        run.TestFinished = true;
        run.testState = state::Idle;
        if (c_.sinks) c_.sinks->TestEnded("completed");
        SendEndOfTestTemperature();
        c_.instruments.SetStageTestMode(false, true);
        PlayEventSound(c_.op, c_.appFolder, "TestFinished.wav");
        WaitSeconds(c_.clock, kFinishedPause);
        c_.window.EnableFileFields(true);
        c_.window.RefreshDataFolderList();
    }
    c_.ticks.ResumeTicks();
}

void Sequencer::SendEndOfTestTemperature() {
    const SystemParameters& p = c_.params;
    const double option = p.SysParam(slot::TestEndTempOption).number();
    float temp = kRoomTemperature;
    if (option == kEndAtLastSetPoint) {
        if (c_.run.SetPointTemp >= kRoomSetPoint) {
            const int batch =
                static_cast<int>(std::lround(p.SysParam(slot::NumberOfBatchTests).number()));
            temp = static_cast<float>(p.SysParam(slot::FirstBatchTemp + batch - 1).number());
        }
    } else if (option == kEndAtFirstSetPoint) {
        const double first = p.SysParam(slot::FirstBatchTemp).number();
        if (first > kRoomTemperature) temp = static_cast<float>(first);
    } else if (option != kEndAtRoom) {
        return;
    }
    c_.instruments.SetStageTemp(temp, false);
}

void Sequencer::TerminationYes() {
    c_.run.StopRequested = false;
    c_.termination.close();
    c_.ticks.ReleaseHold();
    const bool save = HoldCriteriaMet();
    if (save) NoteEvidence(StepEnding::Operator);
    FinishCurrentTest(save);
    // The last step saved from here ends the batch as it ends from a tick.
    if (c_.run.TestFinished) StopTest(true);
    SetBusyPointer(c_.op, c_.clock, true);
}

void Sequencer::TerminationNo() {
    c_.run.StopRequested = false;
    c_.run.ExitRequested = false;
    c_.termination.close();
    SetBusyPointer(c_.op, c_.clock, true);
    c_.ticks.ReleaseHold();
    c_.ticks.ResumeTicks();
}

} // namespace dilato
