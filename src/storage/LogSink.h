#pragma once
// Where the program's diary goes: the error log (failures not shown to the operator) and the
// test log (launches, status changes, test steps, instrument faults). Implemented by the
// logs of the log folder; tests record the entries.

#include <string>

namespace dilato {

// Kinds of test-log entry.
namespace testlog {
inline constexpr int Launch = 0;
inline constexpr int InstrumentAbort = 11;
inline constexpr int Calibrator = 12;
inline constexpr int StepStart = 15;
inline constexpr int Status = 17;
} // namespace testlog

class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void ErrorLog(const std::string& text) = 0;
    virtual void TestLog(const std::string& text, int kind) = 0;
};

} // namespace dilato
