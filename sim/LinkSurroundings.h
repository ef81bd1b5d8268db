#pragma once
// The program around the instrument links, reduced to nothing, for tools that drive the links
// on their own (benchmarks, fuzz harnesses): no log, the sensor on COM1 and the Temp-Stage
// controller on COM2, no tick and no window.

#include "instrument/LinkServices.h"
#include "storage/LogSink.h"

#include <string>

namespace dilato::sim {

struct NoLog final : LogSink {
    void ErrorLog(const std::string&) override {}
    void TestLog(const std::string&, TestLogKind) override {}
};

struct FixedPorts final : ComPortSettings {
    [[nodiscard]] int DisplacementComPort() const override { return 1; }
    [[nodiscard]] int TempStageComPort() const override { return 2; }
    void setDisplacementComPort(int) override {}
    void setTempStageComPort(int) override {}
    void SaveSettings() override {}
};

struct NoTicks final : LinkHost {
    void SuspendTicks() override {}
    void EnableTicks() override {}
    [[nodiscard]] bool TicksActive() const override { return false; }
    void AbortErrors(int) override {}
    void ShowStageInitializing() override {}
};

} // namespace dilato::sim
