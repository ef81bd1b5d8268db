#pragma once
// The termination question, asked when the operator stops a test or closes the program.
// The sequencer opens it from a tick (modeless: the tick ends, the ticks stay suspended);
// the operator's answer comes back later through the sequencer's answer operations.

#include <string>

namespace dilato {

struct TerminationQuestion {
    std::string caption;  // "Test-Termination Request" or "Application-Exit Request"
    std::string question; // "Do you want to end this test?" ...
    std::string note1, note2;
};

class TerminationDialog {
  public:
    virtual ~TerminationDialog() = default;
    virtual void open(const TerminationQuestion& question) = 0;
    virtual void close() = 0;
    [[nodiscard]] virtual bool isVisible() const = 0;
};

// The question in test mode; `canSave` when the hold criteria are met right now,
// `stepsKept` when earlier steps of the test are saved, `lastStep` when the step under way is
// the test's last.
[[nodiscard]] TerminationQuestion TestTerminationQuestion(bool canSave, bool stepsKept = false,
                                                          bool lastStep = false);
// The question when the program is asked to close.
[[nodiscard]] TerminationQuestion ExitQuestion();

} // namespace dilato
