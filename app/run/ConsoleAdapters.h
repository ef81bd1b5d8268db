#pragma once
// The operator of the headless runner: every message is printed, questions are answered by
// the runner's policy, and the termination question is answered Yes a moment after it opens
// (as an operator would click it), on the program's clock.

#include "core/TerminationDialog.h"
#include "instrument/ComDiscovery.h"
#include "platform/Clock.h"
#include "platform/Operator.h"

#include <functional>
#include <iosfwd>
#include <optional>

namespace dilato::run {

// The runner's answers to the questions that the command line decides.
struct ConsoleAnswers {
    bool yesToLength = false;
    bool overwrite = false;
    bool useBackup = false; // Yes to loading the parameter file's backup
};

class ConsoleOperator final : public Operator {
  public:
    ConsoleOperator(std::ostream& out, ConsoleAnswers answers) : out_(out), answers_(answers) {}
    MessageAnswer show(const Message& message) override;
    void setBusyPointer(bool busy) override { busy_ = busy; }
    [[nodiscard]] bool busyPointerShown() const override { return busy_; }
    void playSound(const std::string&) override {}
    [[nodiscard]] int messagesShown() const { return shown_; }

  private:
    std::ostream& out_;
    ConsoleAnswers answers_;
    bool busy_ = false;
    int shown_ = 0;
};

class ConsoleTermination final : public TerminationDialog {
  public:
    ConsoleTermination(std::ostream& out, Clock& clock) : out_(out), clock_(clock) {}
    // What answering Yes does (the sequencer's answer).
    void setAnswerYes(std::function<void()> yes) { yes_ = std::move(yes); }

    void open(const TerminationQuestion& q) override;
    void close() override { visible_ = false; }
    [[nodiscard]] bool isVisible() const override { return visible_; }

  private:
    std::ostream& out_;
    Clock& clock_;
    std::function<void()> yes_;
    bool visible_ = false;
    std::optional<TimerId> answer_;
};

// The COM configuration window cannot be shown without a screen: each time a link check
// asks for it, the run counts a failed link check. A few in a row (each within
// kLinkCheckSpan of the one before) mean the instruments are lost: the run gives up.
class ConsoleComDialog final : public ComDialog {
  public:
    static constexpr int kLinkChecksBeforeGivingUp = 5;
    static constexpr double kLinkCheckSpan = 600.0; // seconds of the program's clock

    ConsoleComDialog(std::ostream& out, const Clock& clock) : out_(out), clock_(clock) {}
    void ShowSystemComError() override;
    [[nodiscard]] bool gaveUp() const { return failedInARow_ >= kLinkChecksBeforeGivingUp; }
    [[nodiscard]] int failedInARow() const { return failedInARow_; }

  private:
    std::ostream& out_;
    const Clock& clock_;
    int failedInARow_ = 0;
    QDateTime lastFailure_;
};

} // namespace dilato::run
