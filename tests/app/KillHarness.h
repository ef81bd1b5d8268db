#pragma once
// Kills a real dilato-run child process in the middle of a simulated test and checks what a
// restart with --resume makes of it: the readings the killed run had journalled, the files
// of the finished test and its results against the simulated truth. Shared by the kill tests
// of the suite and the kill-resume figure run under bench/.

#include <optional>
#include <string>
#include <vector>

namespace dilato::test {

struct ChildRun {
    int status = -1;     // the exit status; -1 when killed
    bool killed = false; // ended by SIGKILL
    std::string out;     // what it printed
};

// Runs `binary` with `args`. `killAt` arms the program's kill point (DILATO_KILL_AT);
// `killAfter` (seconds, wall) sends SIGKILL from here when the child still runs then.
// A child still running after `timeout` seconds is killed too (status -1, not `killed`).
[[nodiscard]] ChildRun RunChild(const std::string& binary, const std::vector<std::string>& args,
                                const std::string& killAt = {},
                                std::optional<double> killAfter = {}, double timeout = 300);

// A reading as the files write it, with its step.
struct JournalledReading {
    int step = 0;
    std::string line; // the raw data file's line of it
    bool countsInRawFile = true; // the raw data file's format keeps it (above 0.01 minute)
};
// The readings the journal of a killed run holds (empty without a journal).
[[nodiscard]] std::vector<JournalledReading> JournalledReadings(const std::string& journal);

struct Verdict {
    int readings = 0;          // journalled readings looked for
    int lost = 0;              // found neither in the raw data file nor with the interrupted ones
    int damaged = 0;           // files of the finished test that are not whole
    int outsideAccuracy = 0;   // CTE lines farther from the simulated truth than their estimate
    int withoutUncertainty = 0; // results whose evidence has no expanded uncertainty
    std::vector<std::string> notes;
};

// The test `test` in `dataPath` after its run ended normally: every journalled reading of
// the killed run is in its files, the files are whole (raw data of `steps` steps, a summary
// with its CTE lines, no temporary or journal file left) and the CTE lines printed by the
// run (with the simulated truth) lie within their accuracy estimates.
[[nodiscard]] Verdict CheckFinishedTest(const std::string& dataPath, const std::string& test,
                                        int steps, const std::vector<JournalledReading>& before,
                                        const std::string& printed);

// One run of `binary` with `firstArgs`, killed as `RunChild` says; then, when it was killed
// with its test unfinished (its journal there), a run with `resumeArgs`, and the test
// `test` of `steps` steps in `dataPath` checked. A run killed after its test had ended (in
// its shutdown) is checked as it is, with what it printed.
struct KillOutcome {
    ChildRun first, resumed;
    bool resumedRun = false;
    std::vector<JournalledReading> journalled;
    Verdict verdict;
};
[[nodiscard]] KillOutcome KillAndResume(const std::string& binary,
                                        const std::vector<std::string>& firstArgs,
                                        const std::vector<std::string>& resumeArgs,
                                        const std::string& dataPath, const std::string& test,
                                        int steps, const std::string& killAt,
                                        std::optional<double> killAfter = {});

// The reading lines of step `step` in a file of the raw data file's format (a step may
// appear more than once: an interrupted step attempted twice).
[[nodiscard]] std::vector<std::string> StepReadingLines(const std::string& file, int step);

} // namespace dilato::test
