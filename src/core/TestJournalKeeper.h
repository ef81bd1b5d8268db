#pragma once
// Keeps the journal of the running test: told by the sequencer when the test starts, each
// reading it stores, each step it saves and how the test ends, it appends the records and
// flushes them to the disk before the tick goes on. A journal that cannot be written (a
// full disk, a data folder that was removed) is told to the operator once: the readings are
// then only in memory until the step's save, and the operator must know it. The records
// wait and go to the journal as soon as it can be written again.

#include "analysis/FinalResults.h"
#include "core/TestRun.h"
#include "platform/Clock.h"
#include "platform/Operator.h"
#include "storage/Folders.h"
#include "storage/LogSink.h"
#include "storage/SystemParameters.h"
#include "storage/TestJournal.h"

#include <memory>
#include <string>

namespace dilato {

class MainWindowModel;

inline constexpr const char* kJournalErrorTitle = "Test Journal Error";

// The journal of the test `DataFileName` in `DataPath`.
[[nodiscard]] std::string JournalPath(const Folders& folders);

class TestJournalKeeper {
  public:
    TestJournalKeeper(TestRun& run, MainWindowModel& window, const SystemParameters& params,
                      Folders& folders, Clock& clock, Operator& op, LogSink& log)
        : run_(run), window_(window), params_(params), folders_(folders), clock_(clock), op_(op),
          log_(log) {}

    // Keep the journal of a test that ended normally (for audit) instead of removing it.
    void setKeepEndedJournals(bool keep) { keepEnded_ = keep; }

    // The test's initial reading is stored: a new journal (an ended one of the same name is
    // replaced).
    void TestStarted();
    // A reading of step `step` (1-based) was stored with all its columns.
    void ReadingStored(int step, const Reading& reading);
    // Step `step` (1-based) was saved: the raw data file holds it.
    void StepSaved(int step);
    // The test ended as the operator or the batch meant it to ("completed", "stopped"): the
    // journal is removed (or kept when asked to). A test stopped by a failure keeps it.
    void TestEnded(const std::string& how);
    // A recovered test goes on with step `step` (1-based) in the journal at `path`.
    void Resumed(const std::string& path, int step);
    // Appends the end record to the journal at `path` and removes it (or keeps it).
    void Close(const std::string& path, const std::string& how);

    [[nodiscard]] bool active() const { return file_ != nullptr; }
    // Records not yet on the disk (the journal could not be written).
    [[nodiscard]] size_t pending() const { return file_ ? file_->pending() : 0; }

  private:
    void Append(const std::string& line);
    [[nodiscard]] std::string Now() const;

    TestRun& run_;
    MainWindowModel& window_;
    const SystemParameters& params_;
    Folders& folders_;
    Clock& clock_;
    Operator& op_;
    LogSink& log_;
    std::unique_ptr<JournalFile> file_;
    bool keepEnded_ = false;
    bool failing_ = false; // the operator has been told; told again only after a recovery
};

} // namespace dilato
