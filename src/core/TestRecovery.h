#pragma once
// A test that was interrupted (the program or the PC died in the middle of it) is found on
// the next start by the journal it left beside its raw data file. The operator is told which
// test, which step and when it stopped, and chooses:
//   Resume: the stage goes back to the interrupted step's set point and that step starts
//     again from its settling; the completed steps and their readings stay, and the test
//     ends and computes its results as an uninterrupted one would.
//   Close as incomplete: the completed steps become a finished test of that many steps
//     (a test without a pair of steps gets the incomplete test's name, "<test>-x1").
// Either way the readings the interrupted step had stored are kept, in
// "<test>_Interrupted.txt" in the raw data file's own format.

#include "core/RecoveredSteps.h"
#include "core/TestSession.h"
#include "storage/Folders.h"
#include "storage/TestJournal.h"

#include <optional>
#include <string>
#include <vector>

namespace dilato {

inline constexpr const char* kInterruptedEnding = "_Interrupted.txt";
inline constexpr const char* kInterruptedTitle = "Interrupted Test";
inline constexpr const char* kResumeCaption = "Resume";
inline constexpr const char* kCloseIncompleteCaption = "Close as incomplete";

struct InterruptedTest {
    std::string journal; // its path
    std::string dataPath, testName; // where the journal is (its test's folder and name)
    JournalContent content;
    int steps = 0; // of the batch
    int step = 0;  // 1-based: the step that was running; steps + 1 when all were saved
    // The completed steps, each from the journal or the raw data file beside it.
    RecoveredSteps completed;
    // Why the journal cannot be used (damaged, of another test); empty when it can.
    std::string problem;

    [[nodiscard]] bool allSaved() const { return step > steps; }
    // The set point of the interrupted step (°C).
    [[nodiscard]] std::string setPoint() const;
};

// The interrupted test of the journal at `path`; nullopt when there is none: no journal, a
// journal of a test that ended, or one whose only content is the torn beginning of its first
// record (the program died writing it; it is removed). A journal that holds nothing readable
// otherwise is never removed: it is an interrupted test with its problem told.
[[nodiscard]] std::optional<InterruptedTest> FindInterruptedTest(const std::string& path);
// Every interrupted test in the data folders, by folder and name.
[[nodiscard]] std::vector<InterruptedTest> FindInterruptedTests(const Folders& folders);

// "The test "Bar" in the data folder Demo was interrupted in step 2 of 3 (50 °C) at
// 12-09-2026 11:32:10. ..." with what was completed and stored.
[[nodiscard]] std::string InterruptedTestText(const InterruptedTest& test);

class TestRecovery {
  public:
    TestRecovery(TestSession& session, SystemParameters& params, Folders& folders,
                 TestInstruments& instruments, Operator& op)
        : s_(session), params_(params), folders_(folders), instruments_(instruments), op_(op) {}

    // Goes on with the test at its interrupted step (the ticks must be running, as after
    // EnterTest). False when it cannot: a damaged journal, or the stage controller did not
    // answer (its abort has told the operator; the journal stays for the next start).
    [[nodiscard]] bool Resume(const InterruptedTest& test);
    // Closes the test with its completed steps. False when the files could not be written
    // (told to the operator; the journal stays). `kept` lists the files that hold the test.
    [[nodiscard]] bool CloseIncomplete(const InterruptedTest& test, std::vector<std::string>& kept);

    // The start-up's question for each interrupted test, and the operator's choice carried
    // out. True when a test was resumed (and now runs).
    bool AskAndRecover(const std::vector<InterruptedTest>& tests);

  private:
    // The parameter slots of a run's plan, put back after a test is closed.
    static constexpr int kPlanSlots = 20;
    // The journal's time of a test's start, "MM-dd-yyyy HH:mm:ss".
    static constexpr const char* kJournalTimeFormat = "MM-dd-yyyy HH:mm:ss";

    void ApplyStart(const InterruptedTest& test);
    // Tells the result sinks, journal first, that the test is taken up again with `saved`
    // completed steps: going on at its interrupted step, or only to be closed.
    void TellResumed(const InterruptedTest& test, int saved, bool goesOn);
    void RebuildReadings(const InterruptedTest& test, int steps, int saved);
    // The evidence of the completed steps, gathered again from their readings and the facts
    // the journal kept.
    void RebuildEvidence(const InterruptedTest& test, int saved);
    [[nodiscard]] bool WriteInterruptedReadings(const InterruptedTest& test,
                                                const std::string& testName);

    TestSession& s_;
    SystemParameters& params_;
    Folders& folders_;
    TestInstruments& instruments_;
    Operator& op_;
};

} // namespace dilato
