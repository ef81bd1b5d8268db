#include "SessionBench.h"
#include "core/ReadCycle.h"

#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

using test::SessionBench;

bool InState(SessionBench& b, TestState s) {
    return b.run().testState == s;
}

TEST(SequencerRules, TemperatureIsSteadyOnlyWithThirtyEightReadingsWithinTwoDegrees) {
    SessionBench b;
    const auto& seq = b.session->sequencer;
    b.run().StepTemps.assign(37, 20.0f);
    EXPECT_FALSE(seq.TempStable()) << "37 stored temperatures are too few";
    b.run().StepTemps.push_back(20.0f);
    EXPECT_TRUE(seq.TempStable());
    b.run().StepTemps.back() = 20.25f;
    EXPECT_FALSE(seq.TempStable()) << "one temperature 0.2 °C off the mean";
    b.run().StepTemps.back() = 20.0f;
    b.instruments.tempOffset = 2.5;
    EXPECT_FALSE(seq.TempStable()) << "2.5 °C away from the set point";

    // A stage that holds the sample 2.5 °C off never leaves the temperature wait.
    SessionBench off;
    off.instruments.tempOffset = 2.5;
    off.Start();
    EXPECT_FALSE(off.RunUntil([&] { return InState(off, state::Hold); }, 30));
    EXPECT_EQ(off.run().testState, state::TemperatureWait);
    // ... until the bound of the wait for the temperature, which the instrument abort ends.
    EXPECT_FALSE(off.RunUntil([&] { return !off.op.messages.empty(); }, 29.5));
    ASSERT_TRUE(off.RunUntil([&] { return !off.op.messages.empty(); }, 1));
    EXPECT_EQ(off.run().testState, state::Idle);
    EXPECT_EQ(off.op.last().title, "Temp-Stage Controller Error");
    EXPECT_EQ(off.op.last().text.rfind("The Temp-Stage did not bring the sample to the set point "
                                       "of step 1 (20 \xC2\xB0""C) in 60 minutes: the sample "
                                       "reached 22.5 \xC2\xB0""C.",
                                       0),
              0u)
        << off.op.last().text;
    EXPECT_EQ(ArrivalLimitMinutes(-90.0), 270.0) << "a larger step has the time it needs";
}

TEST(SequencerRules, HoldEndsAfterTenSteadyTicksAndNotBeforeFiveMinutes) {
    SessionBench b;
    b.Start();
    ASSERT_TRUE(b.RunUntil([&] { return InState(b, state::Hold); }, 10));
    const double enteredHold = b.run().elapsed();
    const double holdEnd = b.run().holdEnd;
    EXPECT_NEAR(holdEnd, enteredHold + 5.0, 1e-9);
    EXPECT_EQ(b.run().HoldLimit, std::lround(enteredHold + 1800));
    double lastElapsed = 0;
    int steadyTicks = 0;
    ASSERT_TRUE(b.RunUntil(
        [&] {
            if (b.run().StepIndex == 0) {
                lastElapsed = b.run().elapsed();
                steadyTicks = b.run().stats.stableTicks;
            }
            return b.run().StepIndex == 1;
        },
        30));
    EXPECT_GE(lastElapsed, holdEnd) << "not before the minimum hold has passed";
    EXPECT_GE(steadyTicks, 9) << "the criteria held for ten consecutive ticks";
}

TEST(SequencerRules, NoStepEndsWhileTheDriftStaysAboveTheThreshold) {
    SessionBench b;
    b.instruments.driftPerMinute = 20e-6; // 200 µin per 10 minutes, far above any threshold
    b.Start();
    ASSERT_TRUE(b.RunUntil([&] { return InState(b, state::Hold); }, 10));
    EXPECT_FALSE(b.RunUntil([&] { return b.run().StepIndex == 1; }, 60));
    EXPECT_EQ(b.run().stats.stableTicks, 0);
}

TEST(SequencerStop, StopInTheTemperatureWaitOrAnUnsettledHoldOffersNoSave) {
    for (const TestState phase : {state::TemperatureWait, state::Hold}) {
        SessionBench b;
        b.instruments.driftPerMinute = phase == state::Hold ? 2e-6 : 0.0; // never settles
        b.Start();
        ASSERT_TRUE(b.RunUntil([&] { return InState(b, phase); }, 15));
        b.run().StopRequested = true;
        b.clock.advance(1.0);
        ASSERT_EQ(b.termination.asked.size(), 1u) << phase;
        EXPECT_EQ(b.termination.asked[0].note1, "(Premature termination ... no data saved)") << phase;
        b.session->sequencer.TerminationYes();
        EXPECT_EQ(b.run().testState, state::Idle);
        EXPECT_FALSE(IsFile(b.DataFile("Bar_CTE.dat")));
    }
}

TEST(SequencerStop, StopWhileSettlingOffersNoSaveAndYesAbandonsTheTest) {
    SessionBench b;
    b.Start();
    ASSERT_TRUE(b.RunUntil([&] { return InState(b, state::Settling); }, 1));
    b.run().StopRequested = true;
    b.clock.advance(1.0);
    ASSERT_EQ(b.termination.asked.size(), 1u);
    EXPECT_EQ(b.termination.asked[0].caption, "Test-Termination Request");
    EXPECT_EQ(b.termination.asked[0].note1, "(Premature termination ... no data saved)");
    EXPECT_EQ(b.termination.asked[0].note2, "(Ongoing test will be aborted.)");
    EXPECT_FALSE(b.session->ticks.TicksActive()) << "the ticks wait for the answer";
    b.clock.advance(30.0);
    EXPECT_EQ(b.termination.asked.size(), 1u);

    b.session->sequencer.TerminationYes();
    EXPECT_EQ(b.run().testState, state::Idle);
    EXPECT_FALSE(IsFile(b.DataFile("Bar_CTE.dat"))) << "nothing of the step is saved";
    EXPECT_FALSE(b.instruments.testModes.back());
    EXPECT_TRUE(b.session->ticks.TicksActive());
    EXPECT_TRUE(b.session->window.view().startEnabled);
}

TEST(SequencerStop, NoGoesOnAndStopInAStableHoldSavesAndContinues) {
    SessionBench b;
    b.Start();
    ASSERT_TRUE(b.RunUntil([&] { return InState(b, state::Settling); }, 1));
    b.run().StopRequested = true;
    b.clock.advance(1.0);
    b.session->sequencer.TerminationNo();
    EXPECT_FALSE(b.run().StopRequested);
    EXPECT_EQ(b.run().testState, state::Settling) << "the test goes on";

    // In the hold, with both drift values below the threshold, the step can be saved.
    ASSERT_TRUE(b.RunUntil(
        [&] { return InState(b, state::Hold) && b.session->sequencer.HoldCriteriaMet(); }, 15));
    b.run().StopRequested = true;
    b.clock.advance(1.0);
    ASSERT_EQ(b.termination.asked.size(), 2u);
    EXPECT_EQ(b.termination.asked[1].note1, "(Test results will be saved to file)");
    EXPECT_EQ(b.termination.asked[1].note2, "(Test will be continuted.)");
    b.session->sequencer.TerminationYes();
    EXPECT_EQ(b.run().StepIndex, 1);
    EXPECT_EQ(b.run().testState, state::StepStart);
    EXPECT_TRUE(IsFile(b.DataFile("Bar_CTE.dat")));
}

TEST(SequencerStop, AStoppedTestLeavesTheStageAtTheEndTemperatureAndOffersTheFirstPoint) {
    struct Case {
        int option;
        float expected;
    };
    for (const Case& c : {Case{0, 20}, Case{2, 50}}) {
        SessionBench b({50, 80});
        b.params.SysParam(slot::TestEndTempOption) = c.option;
        b.Start();
        ASSERT_TRUE(
            b.RunUntil([&] { return InState(b, state::Settling) && b.run().StepIndex == 1; }, 120));
        b.run().StopRequested = true;
        b.clock.advance(1.0);
        ASSERT_EQ(b.termination.asked.size(), 1u);
        EXPECT_EQ(b.termination.asked[0].note1,
                  "(Premature termination ... this step's data not saved)")
            << "the first step's data is kept";
        b.session->sequencer.TerminationYes();
        EXPECT_EQ(b.run().testState, state::Idle);
        EXPECT_TRUE(IsFile(b.DataFile("Bar_CTE.dat")));
        ASSERT_FALSE(b.instruments.setPoints.empty());
        EXPECT_EQ(b.instruments.setPoints.back(), c.expected) << "option " << c.option;
        EXPECT_EQ(b.session->window.view().statusText[0], "Ready (1 of 2)");
        EXPECT_EQ(b.session->window.view().nextTemp, "50") << "the point offered next";
    }
}

TEST(SequencerEnd, EndOfTestTemperatureFollowsTheOption) {
    struct Case {
        int option;
        std::vector<int> plan;
        float expected;
    };
    for (const Case& c : {Case{0, {20, 50}, 20}, Case{1, {20, 50}, 50}, Case{2, {20, 50}, 20},
                          Case{2, {25, 50}, 25}}) {
        SessionBench b(c.plan);
        b.params.SysParam(slot::TestEndTempOption) = c.option;
        b.Start();
        ASSERT_TRUE(b.RunUntil(
            [&] {
                return b.run().TestFinished ||
                       (b.run().StepIndex == 0 && b.instruments.setPoints.size() > 2);
            },
            600));
        EXPECT_EQ(b.instruments.setPoints.back(), c.expected) << "option " << c.option;
    }
    SessionBench none({20, 50});
    none.params.SysParam(slot::TestEndTempOption) = 7;
    none.Start();
    ASSERT_TRUE(none.RunUntil([&] { return IsFile(none.DataFile("Bar_CTE.txt")); }, 600));
    none.clock.advance(5.0);
    EXPECT_EQ(none.instruments.setPoints, (std::vector<float>{20, 50})) << "no end command";
}

TEST(SequencerClock, AStepThatCrossesMidnightKeepsCounting) {
    SessionBench b({20, 50}, QDateTime(QDate(2026, 3, 2), QTime(23, 52)));
    b.Start();
    double previous = 0;
    bool monotonic = true;
    ASSERT_TRUE(b.RunUntil(
        [&] {
            if (b.run().StepIndex == 0 && b.run().clockStart > 0) {
                monotonic = monotonic && b.run().elapsed() >= previous;
                previous = b.run().elapsed();
            }
            return b.run().StepIndex == 1;
        },
        60));
    EXPECT_TRUE(monotonic);
    EXPECT_GT(previous, 8.0) << "the first step ran past midnight";
    const auto& data = b.run().stepData;
    int stored = data.readingCount(1);
    for (int r = 2; r <= stored; ++r)
        EXPECT_GT(data.value(1, ReadingColumn::Elapsed, r), data.value(1, ReadingColumn::Elapsed, r - 1)) << r;
}

class ThrowingInstruments final : public test::FakeInstruments {
  public:
    using FakeInstruments::FakeInstruments;
    void SetStageTemp(float temp, bool raw) override {
        if (throwOnSetPoint) throw std::runtime_error("Device I/O error");
        FakeInstruments::SetStageTemp(temp, raw);
    }
    bool throwOnSetPoint = false;
};

TEST(SequencerFailure, AFailureInsideGateControlStopsTheTestAndNamesTheState) {
    SessionBench b;
    ThrowingInstruments instruments(b.clock);
    TestSession session(
        SessionAdapters{b.clock, b.op, b.termination, instruments, b.log, b.params, b.folders});
    session.window.view().dataFile = "Bar";
    session.window.view().sampleLength = "2";
    session.EnterTest();
    session.start.StartPressed();
    instruments.throwOnSetPoint = true;
    for (int i = 0; i < 4 && b.op.messages.empty(); ++i)
        b.clock.advance(1.0);
    ASSERT_EQ(b.op.messages.size(), 1u);
    EXPECT_EQ(b.op.last().text, "Error in modControl.GateControl: \nDevice I/O error @ gTestState=")
        << "a state of 0 shows as nothing";
    EXPECT_EQ(session.run.testState, state::Idle);
    EXPECT_TRUE(session.ticks.TicksActive()) << "the program goes on";
}

TEST(TestStartChecks, ABadNameOrLengthRefusesTheStart) {
    SessionBench b;
    b.session->window.view().dataFile = "!!";
    b.Start();
    b.clock.advance(2.0);
    EXPECT_EQ(b.run().testState, state::Idle);
    EXPECT_EQ(b.op.last().text, "ERROR: File or folder name contains all illegal characters.");
    EXPECT_TRUE(b.session->window.view().startEnabled);

    SessionBench c;
    c.session->window.view().sampleLength = "";
    c.Start();
    c.clock.advance(2.0);
    EXPECT_EQ(c.run().testState, state::Idle);
    EXPECT_EQ(c.op.last().title, "Sample Length Input-Error");
    EXPECT_FALSE(c.instruments.testModes.back()) << "test mode off again";
}

TEST(DataFileNames, ATestEndingWithoutAPairGetsItsOwnNameAndSectionNumber) {
    SessionBench b({20});
    std::filesystem::create_directories(b.DataFile(""));
    WriteFileAtomic(b.DataFile("Bar-x1_CTE.dat"), "old");
    b.Start();
    ASSERT_TRUE(b.RunUntil(
        [&] { return b.run().TestFinished || IsFile(b.DataFile("Bar-x2_CTE.dat")); }, 60));
    b.clock.advance(2.0);
    EXPECT_EQ(b.folders.DataFileName, "Bar-x2");
    EXPECT_FALSE(IsFile(b.DataFile("Bar-x2_CTE.txt"))) << "no summary for a test without a pair";
    EXPECT_EQ(b.session->files.incompleteTestCounter(), 2);

    // The next test of the run writes its summary under section number 2.
    b.params.SysParam(slot::NumberOfBatchTests) = 2;
    b.params.SysParam(slot::FirstBatchTemp + 1) = "50";
    b.session->window.view().dataFile = "Next";
    b.session->start.StartPressed();
    ASSERT_TRUE(b.RunUntil([&] { return IsFile(b.DataFile("Next_CTE.txt")); }, 300));
    EXPECT_EQ(ReadIniValue(b.DataFile("Next_CTE.txt"), "CTE Test Summary #2", "Raw Data File"),
              "Next_CTE.dat");
}

TEST(DataFileSave, AFailedSaveStopsTheTestAndLeavesNoHalfFile) {
    SessionBench b;
    std::filesystem::create_directories(b.DataFile(""));
    b.Start();
    ASSERT_TRUE(b.RunUntil([&] { return b.run().testState == state::Settling; }, 1));
    // The disk fills after the start's checks: nowhere is there room for the step.
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", b.dir.path().c_str(), 1);
    {
        test::FileSizeLimit full(std::filesystem::file_size(b.DataFile("Bar_CTE.jnl")) + 10);
        ASSERT_TRUE(b.RunUntil([&] { return b.op.messages.size() >= 2; }, 60));
        b.clock.advance(1.0);
    }
    setenv("HOME", home.c_str(), 1);
    ASSERT_EQ(b.op.messages.size(), 3u);
    // The journal is the first to find the disk full, and says so once.
    EXPECT_EQ(b.op.messages[0].title, kJournalErrorTitle);
    EXPECT_EQ(b.op.messages[1].text.rfind("Error saving file in okSaveDatFile: ", 0), 0u);
    EXPECT_NE(b.op.messages[1].text.find("could not be written to another place either"),
              std::string::npos)
        << b.op.messages[1].text;
    EXPECT_EQ(b.op.messages[2].text, "Data-to-file Save was Unsuccessful");
    EXPECT_EQ(b.op.messages[2].title, "File Saving Error");
    EXPECT_EQ(b.run().testState, state::Idle);
    EXPECT_EQ(b.run().StepIndex, 0) << "the batch does not go on unsaved";
    EXPECT_EQ(ListFiles(b.DataFile("")), std::vector<std::string>{"Bar_CTE.jnl"})
        << "no raw file, no temporary file; the journal keeps what it could take";
}

} // namespace
} // namespace dilato
