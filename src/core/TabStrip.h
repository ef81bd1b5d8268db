#pragma once
// The main window's tab switch: the guards against nested and early clicks, the leave step
// of the tab being left (which may refuse) and the entry step of the new tab. The Test tab's
// own steps live here; the other tabs register theirs.

#include "core/MainWindowModel.h"
#include "platform/Clock.h"
#include "platform/Operator.h"

#include <array>
#include <functional>

namespace dilato {

class TestSession;

struct TabSteps {
    std::function<bool()> leave; // false refuses the switch; empty: always allowed
    std::function<void()> enter;
};

class TabStrip {
  public:
    TabStrip(TestSession& session, Operator& op, Clock& clock)
        : session_(session), op_(op), clock_(clock) {}

    void setSteps(Tab tab, TabSteps steps) { StepsOf(tab) = std::move(steps); }
    // Called after the Test tab's entry step (the window refreshes its folder and file lists).
    void setAfterEnterTest(std::function<void()> after) { afterEnterTest_ = std::move(after); }

    // The operator picked `newTab` while `previousTab` was current. Returns the tab that is
    // current afterwards: `newTab`, or `previousTab` when the switch was refused or ignored.
    // An unexpected failure tells the operator and ends the program.
    Tab Click(Tab newTab, Tab previousTab);

    // The Test tab's steps.
    [[nodiscard]] bool LeaveTest();
    void EnterTest();

    bool WindowReady = false;     // tab clicks are ignored until the window is shown
    bool PlotFromTestTab = false; // the Plotting tab was entered from an idle Test tab
    [[nodiscard]] bool switching() const { return guard_; }

  private:
    [[nodiscard]] TabSteps& StepsOf(Tab tab) {
        return steps_.at(static_cast<size_t>(TabIndex(tab)));
    }

    TestSession& session_;
    Operator& op_;
    Clock& clock_;
    std::array<TabSteps, kTabCount> steps_{};
    std::function<void()> afterEnterTest_;
    bool guard_ = false;
};

} // namespace dilato
