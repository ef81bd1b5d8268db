#pragma once
// Where the program's diary goes: the error log (failures not shown to the operator) and the
// test log (launches, status changes, test steps, instrument faults). Implemented by the
// logs of the log folder; tests record the entries.

#include <string>

namespace dilato {

// Kinds of test-log entry. A kind's number shows only in the message of a test log that
// cannot be written ("TestLog, RecCode=N").
enum class TestLogKind : int {
    Launch = 0,
    InstrumentAbort = 11,
    Calibrator = 12,
    StepStart = 15,
    Status = 17,
};

class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void ErrorLog(const std::string& text) = 0;
    virtual void TestLog(const std::string& text, TestLogKind kind) = 0;
};

} // namespace dilato
