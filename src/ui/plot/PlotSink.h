#pragma once
// The plots as a result sink: the raw data file of each save of a running test becomes the
// first selected file of the Plotting tab, so that the test just saved is the one plotted. A
// test the recovery only closes leaves the operator's choice alone.

#include "core/FileSinks.h"
#include "ui/plot/PlottingModel.h"

namespace dilato {

class PlotSink final : public SaveSink {
  public:
    explicit PlotSink(PlottingModel& plots) : plots_(plots) {}
    [[nodiscard]] std::string sinkName() const override { return "plots"; }
    // The files' first is the raw data file the save wrote (an incomplete test's under its
    // -x name).
    void StepSaved(const StepSaving& step) override {
        if (!closing_ && !step.files.empty()) plots_.SetFirstSelectedFile(step.files.front());
    }
    void TestStarted(const TestOpening&) override { closing_ = false; }
    void TestResumed(const TestResumption& test) override { closing_ = !test.goesOn; }
    void TestEnded(const TestEnding&) override { closing_ = false; }

  private:
    PlottingModel& plots_;
    bool closing_ = false;
};

} // namespace dilato
