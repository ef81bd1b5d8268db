#pragma once
// The result sinks that follow a step's save on the disk: the summary's copies into the
// remote store folders and the PDF report. Each tells the operator of its own failure as the
// save always has ("Error in WriteDataToFile: ..."), so neither ever stops the test.

#include "report/TestReport.h"
#include "storage/DataFiles.h"
#include "storage/Folders.h"
#include "storage/ResultSink.h"
#include "storage/SystemParameters.h"

namespace dilato {

// Sinks of a save only: the test's start, readings and end are nothing to them.
class SaveSink : public ResultSink {
  public:
    void TestStarted(const TestOpening&) override {}
    void TestResumed(const TestResumption&) override {}
    void ReadingStored(int, const Reading&, const QDateTime&) override {}
    void TestEnded(const TestEnding&) override {}
};

// Copies the summary into every remote store once a save has written it.
class RemoteCopySink final : public SaveSink {
  public:
    RemoteCopySink(DataFiles& files, const Folders& folders, Operator& op)
        : files_(files), folders_(folders), op_(op) {}
    [[nodiscard]] std::string sinkName() const override { return "remote copies"; }
    void StepSaved(const StepSaving& step) override;

  private:
    DataFiles& files_;
    const Folders& folders_;
    Operator& op_;
};

// Writes the PDF report of a save that wrote the summary, when PDF reports are on
// ("PDFdataWrite" 1); the report copies itself to the remote stores.
class ReportSink final : public SaveSink {
  public:
    ReportSink(TestReport& report, const DataFiles& files, const Folders& folders,
               const SystemParameters& params, Operator& op)
        : report_(report), files_(files), folders_(folders), params_(params), op_(op) {}
    [[nodiscard]] std::string sinkName() const override { return "report"; }
    void StepSaved(const StepSaving& step) override;

  private:
    TestReport& report_;
    const DataFiles& files_;
    const Folders& folders_;
    const SystemParameters& params_;
    Operator& op_;
};

} // namespace dilato
