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

void JournalSink::TestResumed(const TestResumption& test) {
    closing_.clear();
    if (test.goesOn)
        keeper_.Resumed(test.journal, test.step);
    else
        closing_ = test.journal;
}

void JournalSink::TestEnded(const TestEnding& ending) {
    if (keeper_.active()) {
        keeper_.TestEnded(ending.how);
    } else if (!closing_.empty()) {
        keeper_.Close(closing_, ending.how);
        closing_.clear();
    }
}

SessionSinks::SessionSinks(TestJournalKeeper& journal, const SinkSources& sources)
    : journal_(journal), s_(sources), entries_{{&journal_, SinkPlace::Journal, false}} {}

void SessionSinks::add(ResultSink& sink, SinkPlace place) {
    auto after = entries_.begin();
    while (after != entries_.end() && after->place <= place) ++after;
    entries_.insert(after, Entry{&sink, place, false});
}

void SessionSinks::remove(const ResultSink& sink) {
    std::erase_if(entries_, [&](const Entry& e) {
        return e.sink == &sink && e.place != SinkPlace::Journal;
    });
}

void SessionSinks::Tell(const std::function<void(ResultSink&)>& event) {
    for (Entry& entry : entries_) {
        // The journal keeps its own rule for its failures: nothing is caught for it.
        if (entry.place == SinkPlace::Journal) {
            event(*entry.sink);
            continue;
        }
        try {
            event(*entry.sink);
        } catch (const std::exception& e) {
            if (entry.reported) continue;
            entry.reported = true;
            s_.log.ErrorLog("Error: " + std::string(e.what()) + " in result sink " +
                            entry.sink->sinkName() + ".");
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
    t.correction = s_.run.correction;
    t.referenceMaterial = s_.run.referenceMaterial;
    return t;
}

void SessionSinks::TestStarted() {
    for (Entry& entry : entries_) entry.reported = false;
    const TestOpening opening = Opening();
    Tell([&](ResultSink& sink) { sink.TestStarted(opening); });
}

void SessionSinks::TestResumed(const std::string& journal, const QDateTime& started,
                               int stepsSaved, bool goesOn, int step) {
    for (Entry& entry : entries_) entry.reported = false;
    TestOpening opening = Opening();
    opening.started = started;
    const TestResumption resumption{opening, journal, goesOn, step, stepsSaved, s_.run.stepData};
    Tell([&](ResultSink& sink) { sink.TestResumed(resumption); });
}

void SessionSinks::ReadingStored(int step, const Reading& reading) {
    const QDateTime at = s_.clock.now();
    Tell([&](ResultSink& sink) { sink.ReadingStored(step, reading, at); });
}

void SessionSinks::StepSaved(int step) {
    const auto& report = s_.files.lastReport();
    const QDateTime at = s_.clock.now();
    Tell([&](ResultSink& sink) {
        // The files as each sink finds them: the report sink before it writes the report.
        sink.StepSaved(StepSaving{step, at, s_.run.stepData, s_.run.results, s_.run.evidence,
                                  s_.folders.DataFileName,
                                  TestFilesNow(s_.folders.DataPath, s_.folders.DataFileName),
                                  report ? &*report : nullptr});
    });
}

void SessionSinks::TestEnded(const std::string& how) {
    const TestEnding ending{how, s_.clock.now()};
    Tell([&](ResultSink& sink) { sink.TestEnded(ending); });
}

} // namespace dilato
