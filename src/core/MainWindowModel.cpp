#include "core/MainWindowModel.h"

#include "platform/Format.h"

#include <cmath>

namespace dilato {

MainWindowModel::MainWindowModel(TestRun& run, const SystemParameters& params, LogSink& log)
    : run_(run), params_(params), log_(log) {}

void MainWindowModel::ShowStatus(std::optional<TestState> phase) {
    const int target = run_.CalibrationMode ? 1 : 0;
    if (phase == TestState::Settling) view_.calibrationStatusEnabled = true;

    const double batch = params_.SysParam(slot::NumberOfBatchTests).number();
    if (batch > 0) {
        const int point = phase ? run_.StepIndex + 1 : 1;
        const double steps = batch + params_.SysParam(slot::AddRoundTripTests).number();
        ProgressSuffix = " (" + FormatNumber(point, "0") + " of " + FormatNumber(steps, "0") + ")";
    } else {
        ProgressSuffix.clear();
    }

    std::string text;
    const bool running = phase >= TestState::Settling && phase <= TestState::Hold;
    if (phase == TestState::Accepted || (phase == TestState::StepStart && !run_.CalibrationMode)) {
        text = "Starting Test";
    } else if (phase == TestState::StepStart) {
        text = calPhase == 0 ? "Ready" : calPhase == 3 ? "Calibration Ended" : "Calibrating";
    } else if (running) {
        text = (run_.CalibrationMode ? "Calibrating" : "Testing") + ProgressSuffix;
    } else {
        text = "Ready" + ProgressSuffix;
    }
    view_.statusText[static_cast<size_t>(target)] = text;

    if (!run_.CalibrationMode &&
        (text.find("Starting Test") != std::string::npos || run_.StepIndex > 0))
        log_.TestLog(ProgressSuffix, TestLogKind::StepStart);
}

void MainWindowModel::ShowPhaseLights() {
    using L = Light;
    switch (run_.testState) {
    case TestState::Settling:
        view_.lights = {L::Yellow, L::Red, L::Red};
        break;
    case TestState::TemperatureWait:
        view_.lights = {L::Green, L::Yellow, L::Red};
        break;
    case TestState::Hold:
        view_.lights = {L::Green, L::Green, L::Yellow};
        break;
    case TestState::Idle:
        view_.lights = {L::Green, L::Green, L::Green};
        break;
    case TestState::Accepted:
    case TestState::StepStart:
        view_.lights = {L::Red, L::Red, L::Red};
        break;
    default:
        break;
    }
}

void MainWindowModel::ClearPhaseLights(bool red) {
    const Light l = red ? Light::Red : Light::Green;
    view_.lights = {l, l, l};
}

void MainWindowModel::EnableTabs() {
    const TestState s = run_.testState;
    if (s == lastTabState_) return;
    lastTabState_ = s;
    auto& t = view_.tabEnabled;
    if (s == TestState::Idle) {
        t = {true, true, true, true, true, true};
    } else if (s >= TestState::Accepted && s <= TestState::Settling) {
        t = {true, false, run_.StepIndex > 0, false, false, false};
    } else if (s == TestState::TemperatureWait || s == TestState::Hold) {
        t = {true, false, true, false, false, false};
    }
    // The tab in front stays usable: disabling it would switch the window to another tab
    // under the operator (the calibration tab shows its end there).
    t.at(static_cast<size_t>(TabIndex(view_.currentTab))) = true;
}

void MainWindowModel::ShowLiveReadings(bool clear) {
    const LiveReadings r = readings_ ? readings_() : LiveReadings{};
    view_.indicator = FormatSingle(r.indicator, "0.000000");
    view_.sampleTemp = FormatSingle(r.sampleTemp, "0.0");
    view_.indicatorStale = !r.indicatorMeasured;
    view_.sampleTempStale = !r.sampleTempMeasured;
    const float cte = run_.projection.projectedCte;
    const bool holding = run_.testState > TestState::TemperatureWait;
    view_.projectedCte =
        (holding && run_.StepIndex > 0 && cte > 0) ? FormatSingle(cte, "0.0") : " - ";
    UpdateTestStatus(run_.testState);
    ShowPhaseLights();
    EnableTestDataUI(run_.testState != TestState::Idle);
    view_.slope = run_.AverageSlope == kUnsettledSlope ? " - " : FormatSingle(run_.LiveSlope, "0");
}

void MainWindowModel::EnableTestDataUI(bool enable) {
    view_.testDataEnabled = enable;
}

void MainWindowModel::ButtonsForStoppedTest() {
    run_.TestFinished = false;
    if (!run_.CalibrationMode) {
        view_.stopEnabled = false;
        view_.startEnabled = true;
        view_.helpEnabled = true;
        view_.aboutEnabled = true;
        view_.browseDataEnabled = view_.startEnabled;
        EnableFileFields(true);
    }
    UpdateTestStatus(run_.testState);
    EnableTabs();
}

void MainWindowModel::TestTempCommandDisplay(int tempCommand) {
    view_.nextTemp = FormatNumber(tempCommand, "0");
}

void MainWindowModel::EnableFileFields(bool enable) {
    view_.fileFieldsEnabled = enable;
    view_.sampleLengthEnabled = enable;
    run_.StepIndex = 0;
}

void MainWindowModel::EnterPlotting() {
    if (livePlotRefresh_) livePlotRefresh_();
}

void MainWindowModel::ButtonsForRunningTest() {
    view_.startEnabled = false;
    view_.stopEnabled = true;
    view_.helpEnabled = false;
    view_.aboutEnabled = false;
}

void MainWindowModel::RefreshDataFolderList() {
    if (folderRefresh_) folderRefresh_();
}

} // namespace dilato
