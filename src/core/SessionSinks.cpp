#include "core/SessionSinks.h"

#include "core/TestPlan.h"
#include "platform/Files.h"
#include "platform/Format.h"

#include <cmath>

namespace dilato {

namespace {

int Slot(const SystemParameters& params, int slot) {
    return static_cast<int>(std::lround(params.SysParam(slot).number()));
}

} // namespace

std::vector<std::string> TestFilesNow(const std::string& dataPath, const std::string& testName) {
    std::vector<std::string> files;
    for (const std::string& path :
         {dataPath + testName + "_CTE.dat", dataPath + testName + "_CTE.txt",
          dataPath + testName + ".pdf"})
        if (IsFile(path)) files.push_back(path);
    return files;
}

void SessionSinks::add(ResultSink& sink) {
    sinks_.push_back(&sink);
    reported_.push_back(false);
}

void SessionSinks::Tell(const std::function<void(ResultSink&)>& event) {
    for (size_t i = 0; i < sinks_.size(); ++i) {
        try {
            event(*sinks_[i]);
        } catch (const std::exception& e) {
            if (reported_[i]) continue;
            reported_[i] = true;
            s_.log.ErrorLog("Error: " + std::string(e.what()) + " in result sink " +
                            sinks_[i]->sinkName() + ".");
        }
    }
}

TestOpening SessionSinks::Opening() const {
    TestOpening t;
    const Folders& f = s_.folders;
    t.systemFolder = f.SysFolder;
    const std::string root = f.DataRoot();
    t.dataFolder = f.DataPath.compare(0, root.size(), root) == 0 ? f.DataPath.substr(root.size())
                                                                 : f.DataPath;
    while (!t.dataFolder.empty() && t.dataFolder.back() == '/') t.dataFolder.pop_back();
    t.dataPath = f.DataPath;
    t.testName = f.DataFileName;
    t.sampleId = s_.window.view().sampleId;
    t.materialClass = s_.run.equilibrium.kind;
    t.sampleLength = s_.run.SampleLength;
    t.unitsInches = s_.run.UnitsInches;
    t.accuracyOption = Slot(s_.params, slot::AccuracyOption);
    for (int s = 0; s < NumberOfSteps(s_.params); ++s)
        t.setPoints.push_back(StepSetPoint(s_.params, s));
    t.batchTemps = Slot(s_.params, slot::NumberOfBatchTests);
    t.roundTrip = Slot(s_.params, slot::AddRoundTripTests) > 0;
    t.instrumentSerial = FormatNumber(s_.params.SysParam(slot::SerialNumber).number(), "0");
    t.started = s_.clock.now();
    t.initial = s_.run.initial;
    t.calibration.date = s_.params.SysParam(slot::CalibrationDate).text();
    for (int n = 1; n <= SystemParameters::kScales; ++n)
        t.calibration.constants.at(static_cast<size_t>(n - 1)) = s_.params.Scale(n);
    return t;
}

void SessionSinks::TestStarted() {
    journal_.TestStarted();
    std::fill(reported_.begin(), reported_.end(), false);
    const TestOpening opening = Opening();
    Tell([&](ResultSink& sink) { sink.TestStarted(opening); });
}

void SessionSinks::ReadingStored(int step, const Reading& reading) {
    journal_.ReadingStored(step, reading);
    if (sinks_.empty()) return;
    const QDateTime at = s_.clock.now();
    Tell([&](ResultSink& sink) { sink.ReadingStored(step, reading, at); });
}

void SessionSinks::StepSaved(int step) {
    journal_.StepSaved(step);
    if (sinks_.empty()) return;
    const StepSaving saving{step,
                            s_.clock.now(),
                            s_.run.stepData,
                            s_.run.results,
                            s_.run.evidence,
                            s_.folders.DataFileName,
                            TestFilesNow(s_.folders.DataPath, s_.folders.DataFileName)};
    Tell([&](ResultSink& sink) { sink.StepSaved(saving); });
}

void SessionSinks::TestEnded(const std::string& how) {
    journal_.TestEnded(how);
    const TestEnding ending{how, s_.clock.now()};
    Tell([&](ResultSink& sink) { sink.TestEnded(ending); });
}

} // namespace dilato
