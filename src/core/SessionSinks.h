#pragma once
// The consumers of the running test's results, told in one fixed order:
//   1. the journal (its own failure keeps its own rule: the operator is told once and the
//      records wait in memory for the disk);
//   2. the data files, the report and its remote copies, and the live plot, which the step's
//      save and the window drive as before;
//   3. every sink registered at the composition root, in the order registered (the results
//      store first, then any export).
// A registered sink that fails is written to the error log (once per test and sink) and
// never stops the others or the test.

#include "core/MainWindowModel.h"
#include "core/TestJournalKeeper.h"
#include "core/TestRun.h"
#include "platform/Clock.h"
#include "storage/Folders.h"
#include "storage/LogSink.h"
#include "storage/ResultSink.h"
#include "storage/SystemParameters.h"

#include <functional>
#include <string>
#include <vector>

namespace dilato {

struct SinkSources {
    const TestRun& run;
    const MainWindowModel& window;
    const Folders& folders;
    const SystemParameters& params;
    Clock& clock;
    LogSink& log;
};

class SessionSinks {
  public:
    SessionSinks(TestJournalKeeper& journal, const SinkSources& sources)
        : journal_(journal), s_(sources) {}

    // Appends a sink after those already registered. It must outlive the session.
    void add(ResultSink& sink);
    [[nodiscard]] size_t size() const { return sinks_.size(); }

    // The sequencer's events; each builds what the sinks need from the run.
    void TestStarted();
    void ReadingStored(int step, const Reading& reading);
    void StepSaved(int step);
    void TestEnded(const std::string& how);

    // What a new test tells its sinks: the test as it starts now.
    [[nodiscard]] TestOpening Opening() const;

  private:
    void Tell(const std::function<void(ResultSink&)>& event);

    TestJournalKeeper& journal_;
    SinkSources s_;
    std::vector<ResultSink*> sinks_;
    std::vector<bool> reported_; // per sink: its failure is in the error log for this test
};

// The files a test named `testName` has in `dataPath` now, in a fixed order: raw data,
// summary, report. (The folder's interim results belong to whichever test wrote last.)
[[nodiscard]] std::vector<std::string> TestFilesNow(const std::string& dataPath,
                                                    const std::string& testName);

} // namespace dilato
