#pragma once
// What the main window shows and how it reacts, as plain state: status texts, stage lights,
// tab enabling, button and field states of the Test tab, the live readings. The sequencer and
// the test start call its operations; the Qt window maps the state onto widgets and forwards
// the operator's events; the headless runner and the tests read it directly.

#include "core/MainTabs.h"
#include "core/TestRun.h"
#include "storage/LogSink.h"
#include "storage/MainWindowPort.h"
#include "storage/SystemParameters.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace dilato {

enum class Light { Red, Yellow, Green };

// The latest instrument readings as the window shows them, and whether the latest read
// cycle measured each (an instrument that did not answer leaves its older value behind).
struct LiveReadings {
    float indicator = 0.0f;  // `IndicatorReading`, inches
    float sampleTemp = 0.0f; // `SampleTemp`, °C
    bool indicatorMeasured = true;
    bool sampleTempMeasured = true;
};

// Everything the Test tab shows.
struct TestTabView {
    std::array<std::string, 2> statusText{"Test Status", "Test Status"}; // `TestStatus`(0), (1)
    bool calibrationStatusEnabled = false;
    std::array<Light, 3> lights{Light::Green, Light::Green, Light::Green};
    std::array<bool, kTabCount> tabEnabled{true, true, true, true, true, true};
    Tab currentTab = Tab::Test;

    // Why Start is off while no test runs (no data folder yet); empty when it is on.
    std::string startNote;
    bool startEnabled = true, stopEnabled = false, helpEnabled = true, aboutEnabled = true,
         browseDataEnabled = true;
    bool fileFieldsEnabled = true;   // folder, file, sample ID, sample length and labels
    bool sampleLengthEnabled = true; // the sample length box and its unit label

    std::string dataFolder;                                 // `DataFolderCombo`
    std::string dataFile;                                   // `DataFileCombo`
    std::string sampleId;                                   // `Comment`
    std::string sampleLength;                               // `TextBoxThickness`
    // The sample's material class: "metal", "glass", "polymer" or "unknown" (the drift
    // criteria alone end a step).
    std::string materialClass = "unknown";
    // The certified reference material of a reference run ("SRM736"); empty: an ordinary
    // sample.
    std::string referenceMaterial;
    // The control chart's warning while the instrument is out of control; empty otherwise.
    std::string referenceWarning;
    std::string nextTemp;                                   // `TempCommTxt`
    std::string elapsed;                                    // `TimeKeeper`
    std::string indicator, sampleTemp, projectedCte, slope; // live readings
    bool testDataEnabled = false;          // live fields light yellow (true) or grey
    // The reading shown is an older one: its instrument gave none in the latest read cycle.
    // The field keeps its background colour and marks its text instead.
    bool indicatorStale = false, sampleTempStale = false;
    bool initializingLabelVisible = false; // "Initializing Temp. Stage... Please wait!"
};

class MainWindowModel final : public MainWindowPort {
  public:
    MainWindowModel(TestRun& run, const SystemParameters& params, LogSink& log);

    // Where the live readings come from (the instrument links).
    void setReadingsSource(std::function<LiveReadings()> source) { readings_ = std::move(source); }
    // Called after each stored reading while the live plot shows the running test.
    void setLivePlotRefresh(std::function<void()> refresh) {
        livePlotRefresh_ = std::move(refresh);
    }
    // Called when the data folder list must be read again (folder made, test ended).
    void setDataFolderListRefresh(std::function<void()> refresh) {
        folderRefresh_ = std::move(refresh);
    }

    // The status line for a phase of the test, or of the calibration in calibration mode.
    void UpdateTestStatus(TestState phase) { ShowStatus(phase); }
    // The status line of a test whose first step has not started: "Ready", point 1.
    void UpdateTestStatusNotStarted() { ShowStatus(std::nullopt); }
    void ShowPhaseLights();
    void ClearPhaseLights(bool red);
    void EnableTabs();
    void ShowLiveReadings(bool clear);
    void EnableTestDataUI(bool enable);
    void ButtonsForStoppedTest();
    void TestTempCommandDisplay(int tempCommand);
    void EnableFileFields(bool enable);
    void ShowElapsed(const std::string& minutes) { view_.elapsed = minutes; }
    void EnterPlotting();
    // The Test tab's buttons for a running test (Start, help and About off; Stop on).
    void ButtonsForRunningTest();

    // MainWindowPort
    void RefreshDataFolderList() override;
    [[nodiscard]] std::string CurrentProgressText() const override { return ProgressSuffix; }

    [[nodiscard]] const TestTabView& view() const { return view_; }
    [[nodiscard]] TestTabView& view() { return view_; }

    std::string ProgressSuffix; // " (k of N)"
    int calPhase = 0;           // `CalPhase` of the stage calibration: 0 ready, 3 ended

  private:
    void ShowStatus(std::optional<TestState> phase);

    TestRun& run_;
    const SystemParameters& params_;
    LogSink& log_;
    TestTabView view_;
    std::optional<TestState> lastTabState_; // the state EnableTabs last handled
    std::function<LiveReadings()> readings_;
    std::function<void()> livePlotRefresh_;
    std::function<void()> folderRefresh_;
};

} // namespace dilato
