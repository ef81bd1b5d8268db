#pragma once
// Getting a whole program ready for a test against simulated instruments: a fresh system
// folder with the plan in its parameter file, the instruments on COM1 (sensor) and COM2
// (stage), and the Test tab filled in for a test in the data folder "Demo".

#include "core/Program.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "storage/Provisioning.h"
#include "support/RecordingOperator.h"

#include <gtest/gtest.h>

#include <string>

namespace dilato::test {

// The COM configuration window, which a simulated bench never needs.
class NoComDialog final : public ComDialog {
  public:
    void ShowSystemComError() override { ++shown; }
    int shown = 0;
};

// `batch`: the "Batch" value and the number of its temperatures in use; empty keeps the
// factory plan (20 and 50 °C). False when the parameter file did not load.
[[nodiscard]] inline bool PrepareSimulatedTest(Program& p, Operator& op, const std::string& name,
                                               const std::string& batch = {},
                                               int temperatures = 0) {
    (void)ProvisionSystemFolder(p.folders, op);
    if (!batch.empty()) {
        WriteIniValue(p.paramFile.MainFileName(), "SysParams", "Batch", batch);
        WriteIniValue(p.paramFile.MainFileName(), "SysParams", "NumberOfBatchTests",
                      std::to_string(temperatures));
    }
    WriteIniValue(p.paramFile.MainFileName(), "SysParams", "SerialNumber", "1234");
    if (!p.LoadFiles()) return false;
    p.settings.displacementComPort = 1;
    p.settings.tempStageComPort = 2;
    p.folders.DataPath = p.folders.DataRoot() + "Demo/";
    TestTabView& view = p.session.window.view();
    view.dataFolder = "Demo";
    view.dataFile = name;
    view.sampleId = "sample";
    view.sampleLength = "2.000";
    return true;
}

// Lets the program's ticks run until the test that Start asked for has ended.
template <typename Idle>
void RunUntilTestEnds(Program& p, Idle idle, double maxSeconds, Clock& clock) {
    const QDateTime started = clock.now();
    while ((p.session.run.StartRequested || p.session.run.testState != state::Idle) &&
           started.secsTo(clock.now()) < maxSeconds)
        idle();
}

// Lets the clock run (by `idle`) until `done` holds; false when `maxSeconds` passed first.
template <typename Idle, typename Done>
[[nodiscard]] bool RunUntil(Clock& clock, Idle idle, Done done, double maxSeconds) {
    const QDateTime started = clock.now();
    while (!done()) {
        if (started.secsTo(clock.now()) >= maxSeconds) return false;
        idle();
    }
    return true;
}

// A controller that goes silent right after the first of two steps was saved: the abort
// stops the test for good, every file stays as the first step left it, and the window is
// in its idle look. `silence` makes the simulated controller stop answering.
template <typename Idle, typename Silence>
void ExpectAbortKeepsTheFirstStep(Program& p, const RecordingOperator& op, Clock& clock, Idle idle,
                                  Silence silence) {
    p.StartInstruments();
    p.session.start.StartPressed();
    ASSERT_TRUE(RunUntil(
        clock, idle, [&] { return p.session.run.StepsSaved == 1; }, 3 * 3600.0))
        << (op.messages.empty() ? "" : op.last().text);
    const std::string raw = p.folders.DataRoot() + "Demo/" + p.folders.DataFileName + "_CTE.dat";
    const auto saved = ReadFileBytes(raw);
    ASSERT_TRUE(saved.has_value());
    silence();
    const std::string abort = "No data received from the TE controller on Send...";
    const auto aborted = [&] {
        for (const auto& m : op.messages)
            if (m.text.rfind(abort, 0) == 0) return true;
        return false;
    };
    ASSERT_TRUE(RunUntil(clock, idle, aborted, 600.0));
    (void)RunUntil(
        clock, idle, [] { return false; }, 1200.0); // link checks, tick after tick
    const TestRun& run = p.session.run;
    const TestTabView& view = p.session.window.view();
    EXPECT_EQ(run.testState, state::Idle);
    EXPECT_EQ(run.StepsSaved, 1);
    EXPECT_FALSE(run.TestFinished);
    EXPECT_EQ(ReadFileBytes(raw), saved) << "the raw data file as after the first step";
    EXPECT_FALSE(IsFile(p.folders.SummaryFileName));
    EXPECT_TRUE(view.startEnabled && !view.stopEnabled && view.fileFieldsEnabled &&
                view.sampleLengthEnabled && view.browseDataEnabled)
        << "the window's idle look";
    for (const auto& m : op.messages)
        EXPECT_EQ(m.text.find("Subscript out of range"), std::string::npos) << m.text;
}

} // namespace dilato::test
