#include "core/TabStrip.h"

#include "core/TestSession.h"
#include "platform/Desktop.h"
#include "platform/ProgramEnd.h"

namespace dilato {

Tab TabStrip::Click(Tab newTab, Tab previousTab) {
    if (!WindowReady) return previousTab;
    PlotFromTestTab = false;
    if (newTab == previousTab || guard_) return previousTab;
    guard_ = true;
    try {
        TestRun& run = session_.run;
        bool allowed = true;
        if (previousTab == Tab::Test) {
            if (newTab == Tab::Plotting) {
                PlotFromTestTab = run.testState == state::Idle;
                run.LivePlot = run.testState != state::Idle;
            } else {
                allowed = LeaveTest();
            }
        } else if (const auto& leave = StepsOf(previousTab).leave) {
            allowed = leave();
        }
        if (!allowed) {
            guard_ = false;
            return previousTab;
        }
        guard_ = false;
        session_.window.view().currentTab = newTab;
        if (newTab == Tab::Test)
            EnterTest();
        else if (const auto& enter = StepsOf(newTab).enter)
            enter();
        guard_ = false;
        return newTab;
    } catch (const std::exception& e) {
        guard_ = false;
        ShowMessage(op_, std::string("Error in SSTab1_Click: ") + e.what());
        EndProgram(1, std::string("SSTab1_Click: ") + e.what());
    }
}

bool TabStrip::LeaveTest() {
    session_.ticks.SuspendTicks();
    session_.window.ShowLiveReadings(true);
    if (session_.run.testState == state::Idle) return true;
    ShowMessage(op_, "Test is not finished yet.", kProgramTitle, MessageIcon::Exclamation);
    // The test goes on: its ticks must not stay stopped behind a refused switch.
    session_.ticks.ResumeTicks();
    return false;
}

void TabStrip::EnterTest() {
    if (session_.run.LivePlot) {
        session_.run.LivePlot = false;
    } else {
        session_.EnterTest();
        if (afterEnterTest_) afterEnterTest_();
    }
    SetBusyPointer(op_, clock_, true);
}

} // namespace dilato
