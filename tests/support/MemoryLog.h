#pragma once
// The logs of the tests: every error-log line and test-log entry kept in memory.

#include "storage/LogSink.h"

#include <string>
#include <utility>
#include <vector>

namespace dilato::test {

class MemoryLog final : public LogSink {
  public:
    void ErrorLog(const std::string& text) override { errors.push_back(text); }
    void TestLog(const std::string& text, TestLogKind kind) override {
        entries.emplace_back(text, kind);
    }
    std::vector<std::string> errors;
    std::vector<std::pair<std::string, TestLogKind>> entries; // text, kind
};

} // namespace dilato::test
