#pragma once
// The results store as a result sink: the running test's identity when it starts, every
// stored reading, every saved step with its results and the hashes of its files, and how it
// ended, each written to the store as it happens.

#include "results/ResultsStore.h"
#include "results/TestRows.h"
#include "storage/ResultSink.h"

#include <QString>

#include <array>
#include <string>

namespace dilato::results {

// Who runs the program and where: the operator's login and the PC's name.
struct Workstation {
    std::string operatorLogin, pcName;
};
[[nodiscard]] Workstation ThisWorkstation();

class StoreSink final : public ResultSink {
  public:
    StoreSink(ResultsStore& store, Workstation where) : store_(store), where_(std::move(where)) {}

    [[nodiscard]] std::string sinkName() const override { return "results store"; }
    void TestStarted(const TestOpening& test) override;
    // A resumed test goes on under its own key when the store has it (else under a new one,
    // with the readings of its completed steps).
    void TestResumed(const TestResumption& test) override;
    void ReadingStored(int step, const Reading& reading, const QDateTime& at) override;
    void StepSaved(const StepSaving& step) override;
    void TestEnded(const TestEnding& ending) override;

    // The key of the test being written; empty before the first test.
    [[nodiscard]] const QString& testKey() const { return uid_; }

  private:
    [[nodiscard]] TestFacts Facts(const TestOpening& test) const;

    ResultsStore& store_;
    Workstation where_;
    QString uid_;
    TestOpening opening_;
    std::array<int, StepData::kMaxSteps + 1> readings_{}; // per step: the last reading's number
};

} // namespace dilato::results
