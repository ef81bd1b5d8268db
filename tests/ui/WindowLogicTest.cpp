// The main window's rules without a display: title, calibration-due text, status texts with
// their progress, stage lights, tab enabling, the tab switch with its guards, the Test tab's
// fields and the termination question's notes.

#include "core/SessionBench.h"

#include "core/TabStrip.h"
#include "core/TestStart.h"
#include "core/TestTabControl.h"
#include "core/WindowTexts.h"
#include "platform/Files.h"
#include "platform/Version.h"
#include "update/Signature.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <utility>

namespace dilato {
namespace {

using test::SessionBench;

TEST(WindowTexts, TitleCarriesTheVersionAndTheDemoMark) {
    const std::string plain = std::string("Norvane Dilato Software v") + kVersionText;
    EXPECT_EQ(MainWindowTitle(false), plain);
    EXPECT_EQ(MainWindowTitle(true), plain + "  >>> Demo Mode <<<    ");
}

TEST(WindowTexts, AboutBoxOfABuildWithoutAReleaseKeySaysUpdatesAreDisabled) {
    if (UpdatesEnabledInThisBuild()) GTEST_SKIP() << "this build carries a release key";
    EXPECT_NE(AboutVersionText(2026).find("\nUpdates: updates disabled in this build"), std::string::npos)
        << AboutVersionText(2026);
}

TEST(WindowTexts, CalibrationIsDueFromFiveDaysBeforeTheIntervalEnds) {
    const QDate today(2026, 6, 30);
    struct Case {
        QDate calibrated;
        std::string text;
        bool overdue;
    } cases[] = {
        {today.addDays(-175), "Days Remaining to Calibration: 5", false},
        {today.addDays(-176), "Calibration DUE!", true},
        {today.addDays(-400), "Calibration DUE!", true},
        {today, "Days Remaining to Calibration: 180", false},
        {today.addDays(3), "Days Remaining to Calibration: 183", false}, // a date ahead
    };
    for (const Case& c : cases) {
        std::string date = c.calibrated.toString("MM-dd-yyyy").toStdString();
        const CalibrationDue due = CalibrationDueText(date, today);
        EXPECT_EQ(due.text, c.text) << date;
        EXPECT_EQ(due.overdue, c.overdue) << date;
    }
    std::string empty;
    EXPECT_TRUE(CalibrationDueText(empty, today).overdue);
    EXPECT_EQ(empty, "01-01-2000") << "an empty date is set to the first of 2000";
    std::string garbled = "soon";
    EXPECT_EQ(CalibrationDueText(garbled, today).text, "Calibration DUE!");
    EXPECT_EQ(LastCalibrationText("03-04-2026"), "Date of Last System Calibration: 03-04-2026");
}

TEST(WindowModel, StatusTextsCarryTheProgressOfTheBatch) {
    SessionBench b({20, 30, 40, 50, 60});
    MainWindowModel& w = b.session->window;
    b.params.SysParam(slot::AddRoundTripTests) = 1;
    w.UpdateTestStatusNotStarted();
    EXPECT_EQ(w.view().statusText[0], "Ready (1 of 6)") << "Start with 5 points and the round trip";
    b.run().StepIndex = 3;
    w.UpdateTestStatusNotStarted();
    EXPECT_EQ(w.view().statusText[0], "Ready (1 of 6)") << "a test not started shows point 1";
    w.UpdateTestStatus(state::TemperatureWait);
    EXPECT_EQ(w.view().statusText[0], "Testing (4 of 6)");
    w.UpdateTestStatus(state::StepStart);
    EXPECT_EQ(w.view().statusText[0], "Starting Test");
    w.UpdateTestStatus(state::Idle);
    EXPECT_EQ(w.view().statusText[0], "Ready (4 of 6)");
    b.run().CalibrationMode = true;
    w.UpdateTestStatus(state::Settling);
    EXPECT_EQ(w.view().statusText[1], "Calibrating (4 of 6)") << "the calibration tab's label";
    b.run().CalibrationMode = false;
    b.params.SysParam(slot::NumberOfBatchTests) = 0;
    w.UpdateTestStatus(state::Hold);
    EXPECT_EQ(w.view().statusText[0], "Testing") << "no points, no progress";
}

TEST(WindowModel, StageLightsAndTabsFollowTheTestState) {
    SessionBench b;
    MainWindowModel& w = b.session->window;
    using L = Light;
    struct Case {
        TestState state;
        std::array<L, 3> lights;
        std::array<bool, kTabCount> tabs;
    } cases[] = {
        // The Results tab (last) follows the other tabs that are not the Test tab's.
        {state::Idle, {L::Green, L::Green, L::Green}, {true, true, true, true, true, true}},
        {state::Accepted, {L::Red, L::Red, L::Red}, {true, false, false, false, false, false}},
        {state::StepStart, {L::Red, L::Red, L::Red}, {true, false, false, false, false, false}},
        {state::Settling, {L::Yellow, L::Red, L::Red}, {true, false, false, false, false, false}},
        {state::TemperatureWait, {L::Green, L::Yellow, L::Red}, {true, false, true, false, false, false}},
        {state::Hold, {L::Green, L::Green, L::Yellow}, {true, false, true, false, false, false}},
    };
    for (const Case& c : cases) {
        b.run().testState = c.state;
        w.ShowPhaseLights();
        w.EnableTabs();
        EXPECT_EQ(w.view().lights, c.lights) << "state " << c.state;
        EXPECT_EQ(w.view().tabEnabled, c.tabs) << "state " << c.state;
    }
    b.run().testState = static_cast<TestState>(7); // outside the table: nothing changes
    w.ShowPhaseLights();
    w.EnableTabs();
    EXPECT_EQ(w.view().lights, cases[5].lights);
    EXPECT_EQ(w.view().tabEnabled, cases[5].tabs);
    b.run().testState = state::Settling;
    b.run().StepIndex = 1;
    w.EnableTabs();
    EXPECT_TRUE(w.view().tabEnabled[TabIndex(Tab::Plotting)])
        << "a later step may show its live plot";
}

TEST(WindowModel, TheTabInFrontIsNeverDisabledUnderTheOperator) {
    SessionBench b;
    MainWindowModel& w = b.session->window;
    struct Case {
        Tab front;
        TestState state;
        int stepIndex;
    };
    // The calibration tab while a calibration ends (state 0 in calibration mode), the live
    // plot of a first step settling.
    for (const Case& c :
         {Case{Tab::Calibration, state::StepStart, 0}, Case{Tab::Plotting, state::Settling, 0}}) {
        w.view().currentTab = c.front;
        b.run().testState = state::Idle;
        w.EnableTabs();
        b.run().testState = c.state;
        b.run().StepIndex = c.stepIndex;
        w.EnableTabs();
        EXPECT_TRUE(w.view().tabEnabled.at(static_cast<size_t>(TabIndex(c.front))))
            << "tab " << TabIndex(c.front);
        EXPECT_FALSE(w.view().tabEnabled[TabIndex(Tab::SetupOptions)])
            << "the others follow the state";
    }
}

TEST(Messages, AnInstrumentAbortSaysTheTestIsStoppedNotThatTheProgramEnds) {
    for (const int type : {1, 2, 3, 4, 8, 0}) {
        const std::string text = AbortMessageFor(type).text;
        EXPECT_EQ(text.find("Exit"), std::string::npos) << text;
        EXPECT_NE(text.find("The test has been stopped..."), std::string::npos) << text;
    }
}

struct TabBench : SessionBench {
    TabBench() : strip(*session, op, clock) {
        strip.WindowReady = true;
        for (const Tab t : kTabs)
            if (t != Tab::Test)
                strip.setSteps(t, TabSteps{[this, t] {
                                               left.push_back(t);
                                               return refuseLeave != t;
                                           },
                                           [this, t] { entered.push_back(t); }});
    }
    TabStrip strip;
    std::vector<Tab> left, entered;
    std::optional<Tab> refuseLeave;
};

TEST(TabStrip, APositionOfTheStripIsATabOnlyWhereTheWindowShowsOne) {
    const std::pair<int, std::optional<Tab>> cases[] = {
        {-1, std::nullopt}, // the strip emptied
        {0, Tab::Test},
        {1, Tab::Calibration},
        {2, Tab::Plotting},
        {3, Tab::PlottingSetup},
        {4, Tab::SetupOptions},
        {5, Tab::Results},
        {kTabCount, std::nullopt},
    };
    for (const auto& [index, tab] : cases) {
        EXPECT_EQ(TabAt(index), tab) << "position " << index;
        if (tab) {
            EXPECT_EQ(TabIndex(*tab), index);
        }
    }
}

TEST(TabStrip, IgnoresEarlyRepeatedAndNestedClicks) {
    TabBench b;
    b.strip.WindowReady = false;
    EXPECT_EQ(b.strip.Click(Tab::SetupOptions, Tab::Test), Tab::Test) << "before the window shows";
    b.strip.WindowReady = true;
    EXPECT_EQ(b.strip.Click(Tab::Test, Tab::Test), Tab::Test);
    EXPECT_TRUE(b.entered.empty());

    // A click that arrives while a leave step runs (a wait inside it) is dropped.
    std::optional<Tab> nested;
    b.strip.setSteps(Tab::PlottingSetup, TabSteps{[&] {
                                                      nested = b.strip.Click(Tab::SetupOptions,
                                                                             Tab::PlottingSetup);
                                                      return true;
                                                  },
                                                  {}});
    EXPECT_EQ(b.strip.Click(Tab::Calibration, Tab::PlottingSetup), Tab::Calibration);
    EXPECT_EQ(nested, Tab::PlottingSetup) << "the nested click changed nothing";
    EXPECT_EQ(b.entered, std::vector<Tab>{Tab::Calibration});
    EXPECT_FALSE(b.strip.switching());
}

TEST(TabStrip, TheTestTabIsLeftOnlyForTheLivePlotWhileATestRuns) {
    TabBench b;
    b.Start();
    ASSERT_TRUE(b.RunUntil([&] { return b.run().testState == state::Settling; }, 2));
    EXPECT_EQ(b.strip.Click(Tab::Plotting, Tab::Test), Tab::Plotting);
    EXPECT_TRUE(b.run().LivePlot);
    EXPECT_FALSE(b.strip.PlotFromTestTab);
    EXPECT_TRUE(b.op.messages.empty()) << "the live plot is never refused";
    EXPECT_TRUE(b.session->ticks.TicksActive()) << "the test runs on behind the live plot";
    EXPECT_EQ(b.strip.Click(Tab::Test, Tab::Plotting), Tab::Test);
    EXPECT_FALSE(b.run().LivePlot) << "back from the live plot: only the flag is cleared";
    EXPECT_EQ(b.run().testState, state::Settling) << "the test was not reset";

    EXPECT_EQ(b.strip.Click(Tab::SetupOptions, Tab::Test), Tab::Test);
    EXPECT_EQ(b.op.last().text, "Test is not finished yet.");
    EXPECT_EQ(b.op.last().icon, MessageIcon::Exclamation);
    EXPECT_EQ(b.entered, std::vector<Tab>{Tab::Plotting}) << "Setup Options was not entered";
    EXPECT_TRUE(b.session->ticks.TicksActive()) << "a refused switch leaves the test running";
}

TEST(TabStrip, AnIdleTestTabIsLeftAndEnteredAgain) {
    TabBench b;
    b.session->EnterTest();
    EXPECT_EQ(b.strip.Click(Tab::Plotting, Tab::Test), Tab::Plotting);
    EXPECT_TRUE(b.strip.PlotFromTestTab);
    EXPECT_FALSE(b.run().LivePlot);
    EXPECT_EQ(b.strip.Click(Tab::Calibration, Tab::Plotting), Tab::Calibration);
    EXPECT_FALSE(b.strip.PlotFromTestTab) << "cleared at every switch";
    b.refuseLeave = Tab::Calibration;
    EXPECT_EQ(b.strip.Click(Tab::Test, Tab::Calibration), Tab::Calibration);
    b.refuseLeave.reset();
    EXPECT_EQ(b.strip.Click(Tab::Test, Tab::Calibration), Tab::Test);
    EXPECT_EQ(b.left, (std::vector<Tab>{Tab::Plotting, Tab::Calibration, Tab::Calibration}));
    EXPECT_EQ(b.entered, (std::vector<Tab>{Tab::Plotting, Tab::Calibration}));
    EXPECT_TRUE(b.session->ticks.TicksActive()) << "the Test tab's entry starts the ticks";
    EXPECT_EQ(b.run().testState, state::Idle);
}

TEST(TestTab, TheSampleLengthTakesNumbersOnly) {
    struct Case {
        std::string before, typed;
        int caret;
        std::string text;
        int caretAfter;
        bool beep;
    } cases[] = {
        {"", "2", 1, "2", 1, false},       {"2", "2.", 2, "2.", 2, false},
        {"2.", "2.5", 3, "2.5", 3, false}, {"2.5", "2.5a", 4, "2.5", 3, true},
        {"25", "2a5", 2, "25", 1, true},   {"", "-", 1, "-", 1, false},
        {"", ".", 1, ".", 1, false},       {"-", "-.", 2, "-", 1, true},
        {"2", "", 0, "", 0, false},        {"1.5", "1.5.", 4, "1.5", 3, true},
        {"1", "1e3", 3, "1e3", 3, false},  {"", "abc", 3, "", 0, true}, // a paste
    };
    for (const Case& c : cases) {
        const FilteredText r = NumericInputFilter(c.before, c.typed, c.caret);
        EXPECT_EQ(r.text, c.text) << c.typed;
        EXPECT_EQ(r.caret, c.caretAfter) << c.typed;
        EXPECT_EQ(r.beep, c.beep) << c.typed;
    }
}

TEST(WindowModel, AReadingItsInstrumentDidNotGiveIsMarkedAsOld) {
    SessionBench b;
    const TestTabView& view = b.session->window.view();
    b.session->EnterTest();
    b.clock.advance(1.0);
    EXPECT_FALSE(view.indicatorStale);
    EXPECT_FALSE(view.sampleTempStale);

    b.instruments.silentSensor = true;
    b.clock.advance(2.0);
    EXPECT_TRUE(view.indicatorStale) << "the sensor gave no reading in the latest cycle";
    EXPECT_FALSE(view.sampleTempStale) << "the stage did";
    EXPECT_FALSE(view.testDataEnabled) << "the field keeps its idle colour";

    b.instruments.silentSensor = false;
    b.clock.advance(2.0);
    EXPECT_FALSE(view.indicatorStale) << "a fresh reading clears the mark";
}

TEST(TestTab, TheDataFolderIsMadeWhenChosenAndItsNameObeysTheRules) {
    SessionBench b;
    b.session->window.view().dataFolder.clear();
    b.session->window.view().dataFile.clear();
    TestTabControl tab(*b.session, b.folders, b.params, b.op);
    tab.RefreshFolders();
    EXPECT_FALSE(b.session->window.view().startEnabled) << "no folder chosen";

    tab.DataFolderTyped("Run (A)");
    EXPECT_EQ(b.folders.DataPath, b.folders.DataRoot() + "Run (A)/");
    tab.DataFolderSelected();
    EXPECT_TRUE(IsDirectory(b.folders.DataRoot() + "Run A/")) << "made without ( and )";
    EXPECT_EQ(b.session->window.view().dataFolder, "Run A");
    EXPECT_TRUE(b.session->window.view().startEnabled);
    EXPECT_EQ(tab.folderList().items, std::vector<std::string>{"Run A"});

    tab.DataFileTyped(" Bar1 ");
    EXPECT_EQ(b.folders.DataFileName, "Bar1");
    EXPECT_EQ(b.folders.SummaryFileName, b.folders.DataRoot() + "Run A/Bar1_CTE.txt");
    EXPECT_TRUE(b.session->window.view().browseDataEnabled);

    // Nothing of the name is left: the box empties and Start goes off.
    tab.DataFolderTyped("!!!");
    tab.DataFolderSelected();
    EXPECT_EQ(b.session->window.view().dataFolder, "");
    EXPECT_FALSE(b.session->window.view().startEnabled);
}

TEST(TestTab, ASampleIdTestedBeforeStartsWithTheClassItWasLastTestedAs) {
    SessionBench b;
    const SampleClassMemory kept(b.dir.path() + "operator/" + kSampleClassesFile);
    b.session->start.sampleClasses = kept;
    TestTabControl tab(*b.session, b.folders, b.params, b.op);
    TestTabView& v = b.session->window.view();
    tab.SampleIdEdited("PMMA-7");
    tab.MaterialClassPicked("polymer");
    b.Start();
    ASSERT_TRUE(b.RunUntil([&] { return b.run().testState == state::StepStart; }, 2))
        << b.run().testState;
    EXPECT_EQ(b.run().equilibrium.kind, MaterialClass::Polymer);
    EXPECT_EQ(kept.Recall("PMMA-7"), MaterialClass::Polymer) << "kept when the test started";

    // At the next test: an ID never tested leaves the class as picked, the one tested before
    // brings its class back.
    tab.MaterialClassPicked("metal");
    tab.SampleIdEdited("PMMA-8");
    EXPECT_EQ(v.materialClass, "metal");
    tab.SampleIdEdited("PMMA-7");
    EXPECT_EQ(v.materialClass, "polymer");
    EXPECT_EQ(v.sampleId, "PMMA-7");
}

TEST(TestTab, StartNeedsADataFolderFromTheFirstLookOnAndSaysWhyItIsOff) {
    SessionBench b;
    b.session->window.view().dataFolder.clear();
    TestTabControl tab(*b.session, b.folders, b.params, b.op);
    tab.InitMainWindow();
    const TestTabView& v = b.session->window.view();
    EXPECT_FALSE(v.startEnabled) << "no folder at the first start";
    EXPECT_EQ(v.startNote,
              "Start needs a data folder: choose one or type a new name in Data Folder.");
    tab.RefreshFiles(); // what entering the Test tab again does
    EXPECT_FALSE(v.startEnabled);
    EXPECT_FALSE(v.startNote.empty());

    tab.DataFolderTyped("Window");
    tab.DataFolderSelected();
    EXPECT_TRUE(v.startEnabled);
    EXPECT_EQ(v.startNote, "");
    std::filesystem::remove_all(b.folders.DataRoot() + "Window");
    tab.RefreshFiles();
    EXPECT_FALSE(v.startEnabled) << "a folder gone since";
    EXPECT_EQ(v.startNote, "Start needs the data folder \"Window\": press Return in Data Folder "
                           "to make it.");
}

TEST(TestTab, AFolderThatCannotBeMadeIsToldAndStartStaysOff) {
    SessionBench b;
    TestTabControl tab(*b.session, b.folders, b.params, b.op);
    b.dir.write("sys/Data/New", "a file where the folder would go");
    tab.DataFolderTyped("New");
    tab.DataFolderSelected();
    EXPECT_EQ(b.op.last().text,
              "Could not create data directory: " + b.folders.DataRoot() + "New/");
    EXPECT_EQ(b.op.last().title, "Folder Creation Error");
    EXPECT_FALSE(b.session->window.view().startEnabled);
}

} // namespace
} // namespace dilato
