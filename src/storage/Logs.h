#pragma once
// The three records of the log folder that tell a service engineer what the instrument did:
//   "ErrorLog.txt"   failures not shown to the operator, one line each;
//   "TestLog.txt"    this launch's diary (launch, step starts, statuses, instrument faults),
//                    with the twenty launches before it kept as "TestLog1.txt" (the latest)
//                    to "TestLog20.txt";
//   "HobbsMeter " + serial + ".dat"   the operating hours of one instrument.
// Logging never stops the program: each operation reports its own failure and returns.

#include "platform/Clock.h"
#include "platform/Operator.h"
#include "storage/Folders.h"
#include "storage/LogSink.h"
#include "storage/MainWindowPort.h"
#include "storage/SystemParameters.h"

#include <QDateTime>

#include <functional>
#include <optional>
#include <string>

namespace dilato {

inline constexpr int kKeptTestLogs = 20;

// What the test log reads from the sequencer when it writes an entry; an unset getter reads
// as false, "" or 0.
struct LogInputs {
    std::function<bool()> CalibrationMode;       // nothing is logged while calibrating
    std::function<std::string()> ElapsedMinutes; // minutes into the current step, "0.0"
    std::function<int()> StepIndex;              // steps completed so far
};

// The test log's memory for the run.
struct TestLogState {
    long stamp = 0; // whole seconds since midnight of the last launch or step-start entry
    std::string lastProgressText;
};

class Logs final : public LogSink {
  public:
    Logs(const Folders& folders, const SystemParameters& params, Clock& clock, Operator& op,
         MainWindowPort& window, LogInputs inputs = {})
        : folders_(folders), params_(params), clock_(clock), op_(op), window_(window),
          inputs_(std::move(inputs)) {}

    void ErrorLog(const std::string& text) override;
    void TestLog(const std::string& text, TestLogKind kind) override;

    // Adds `minutes` (a number text) to the usage meter and returns the total hours as
    // "0.00" text, or an empty text when there was no meter file. "0.00" only reads it.
    std::string HobbsMeterUpdate(const std::string& minutes);
    // The hour meter counts the time the program runs with its instruments connected:
    // StartUsage marks the start (after the link check, not in demo mode), CountUsage adds
    // the time since the last mark and marks again. Called at every step's end and at
    // shutdown, so that a crash loses at most one step's time.
    void StartUsage();
    void CountUsage();

    // The hours last read from the meter, for display.
    [[nodiscard]] float meterValue() const { return meterValue_; }

    [[nodiscard]] std::string ErrorLogFile() const { return folders_.LogFolder + "ErrorLog.txt"; }
    [[nodiscard]] std::string TestLogFile(int n = 0) const; // 0: the current one
    [[nodiscard]] std::string MeterFile() const;

    [[nodiscard]] const TestLogState& state() const { return state_; }

  private:
    void RotateTestLogs() const;
    [[nodiscard]] long NowSeconds() const;
    [[nodiscard]] std::string TimeText() const;

    const Folders& folders_;
    const SystemParameters& params_;
    Clock& clock_;
    Operator& op_;
    MainWindowPort& window_;
    LogInputs inputs_;
    TestLogState state_;
    float meterValue_ = 0.0f;
    std::optional<QDateTime> usageMark_;
};

} // namespace dilato
