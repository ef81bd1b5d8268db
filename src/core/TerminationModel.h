#pragma once
// The termination question's texts: what the operator is asked when stopping a test or
// closing the program, and what "Yes" will do.

#include <string>

namespace dilato {

struct TerminationQuestion {
    std::string caption;  // "Test-Termination Request" or "Application-Exit Request"
    std::string question; // "Do you want to end this test?" ...
    std::string note1, note2;
};

// The question in test mode; `canSave` when the hold criteria are met right now,
// `stepsKept` when earlier steps of the test are saved, `lastStep` when the step under way is
// the test's last.
[[nodiscard]] TerminationQuestion TestTerminationQuestion(bool canSave, bool stepsKept = false,
                                                          bool lastStep = false);
// The question when the program is asked to close.
[[nodiscard]] TerminationQuestion ExitQuestion();

} // namespace dilato
