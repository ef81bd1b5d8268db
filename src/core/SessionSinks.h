#pragma once
// The consumers of the running test's results, told every event in one fixed order:
//   1. the journal: its own failure keeps its own rule (the operator is told once and the
//      records wait in memory for the disk), and nothing else runs before it is written;
//   2. the remote copies of the summary;
//   3. the PDF report (which copies itself to the remote stores);
//   4. the plots, which show the raw data file of each save;
//   5. every other sink, in the order registered (the results store, then any export).
// The places are fixed whatever the order of registration. A sink after the journal that
// fails is written to the error log (once per test and sink) and never stops the others or
// the test; the built-in sinks tell the operator of their own failures as they always have.

#include "core/MainWindowModel.h"
#include "core/TestJournalKeeper.h"
#include "core/TestRun.h"
#include "platform/Clock.h"
#include "storage/DataFiles.h"
#include "storage/Folders.h"
#include "storage/LogSink.h"
#include "storage/ResultSink.h"
#include "storage/SystemParameters.h"

#include <functional>
#include <string>
#include <vector>

namespace dilato {

enum class SinkPlace { Journal, RemoteCopies, Report, Plots, Registered };

struct SinkSources {
    const TestRun& run;
    const MainWindowModel& window;
    const Folders& folders;
    const SystemParameters& params;
    const DataFiles& files;
    Clock& clock;
    LogSink& log;
};

// The journal keeper as the first sink. A resumed test's journal is opened again; one that
// is only closed gets its end record when the test's end is told.
class JournalSink final : public ResultSink {
  public:
    explicit JournalSink(TestJournalKeeper& keeper) : keeper_(keeper) {}
    [[nodiscard]] std::string sinkName() const override { return "journal"; }
    void TestStarted(const TestOpening&) override { keeper_.TestStarted(); }
    void TestResumed(const TestResumption& test) override;
    void ReadingStored(int step, const Reading& reading, const QDateTime&) override {
        keeper_.ReadingStored(step, reading);
    }
    void StepSaved(const StepSaving& step) override { keeper_.StepSaved(step.step); }
    void TestEnded(const TestEnding& ending) override;

  private:
    TestJournalKeeper& keeper_;
    std::string closing_; // the journal of a recovered test that is only closed
};

class SessionSinks {
  public:
    SessionSinks(TestJournalKeeper& journal, const SinkSources& sources);
    SessionSinks(const SessionSinks&) = delete;
    SessionSinks& operator=(const SessionSinks&) = delete;

    // Puts a sink in its place (after those already in the same place). It must outlive the
    // session or be removed first.
    void add(ResultSink& sink, SinkPlace place = SinkPlace::Registered);
    void remove(const ResultSink& sink);
    // The sinks after the journal.
    [[nodiscard]] size_t size() const { return entries_.size() - 1; }

    // The sequencer's events; each builds what the sinks need from the run.
    void TestStarted();
    void ReadingStored(int step, const Reading& reading);
    void StepSaved(int step);
    void TestEnded(const std::string& how);
    // The recovery's event: the interrupted test of `journal`, started at `started`, is taken
    // up again with the run rebuilt from its journal (`stepsSaved` completed steps); it goes
    // on at `step`, or is only closed when `goesOn` is false.
    void TestResumed(const std::string& journal, const QDateTime& started, int stepsSaved,
                     bool goesOn, int step);

    // What a new test tells its sinks: the test as it starts now.
    [[nodiscard]] TestOpening Opening() const;

  private:
    struct Entry {
        ResultSink* sink;
        SinkPlace place;
        bool reported; // its failure is in the error log for this test
    };
    void Tell(const std::function<void(ResultSink&)>& event);

    JournalSink journal_;
    SinkSources s_;
    std::vector<Entry> entries_;
};

// The files a test named `testName` has in `dataPath` now, in a fixed order: raw data,
// summary, report. (The folder's interim results belong to whichever test wrote last.)
[[nodiscard]] std::vector<std::string> TestFilesNow(const std::string& dataPath,
                                                    const std::string& testName);

} // namespace dilato
