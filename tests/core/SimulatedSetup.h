#pragma once
// Getting a whole program ready for a test against simulated instruments: a fresh system
// folder with the plan in its parameter file, the instruments on COM1 (sensor) and COM2
// (stage), and the Test tab filled in for a test in the data folder "Demo".

#include "core/Program.h"
#include "platform/IniFile.h"
#include "storage/Provisioning.h"

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
    p.settings.Keyence_Comport = 1;
    p.settings.TE_Comport = 2;
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
    while ((p.session.run.StartRequested || p.session.run.gTestState != state::Idle) &&
           started.secsTo(clock.now()) < maxSeconds)
        idle();
}

} // namespace dilato::test
