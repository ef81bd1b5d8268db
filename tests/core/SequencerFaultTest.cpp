// The ways a test ends other than by its last step: an instrument that stops answering, the
// operator's Stop with its question, and the question arriving on the tick that saves a step.

#include "SessionBench.h"

#include "platform/Files.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

using test::SessionBench;

bool InState(SessionBench& b, TestState s) {
    return b.run().testState == s;
}

// What the operator sees of the window and the run once a test is over.
struct IdleLook {
    bool startEnabled, stopEnabled, helpEnabled, aboutEnabled, browseEnabled, fileFieldsEnabled,
        lengthEnabled, testFinished, ticksActive;
    TestState state;
    std::string status;
    bool operator==(const IdleLook&) const = default;
};

IdleLook LookOf(SessionBench& b) {
    const TestTabView& v = b.session->window.view();
    return IdleLook{v.startEnabled,        v.stopEnabled,        v.helpEnabled,
                    v.aboutEnabled,        v.browseDataEnabled,  v.fileFieldsEnabled,
                    v.sampleLengthEnabled, b.run().TestFinished, b.session->ticks.TicksActive(),
                    b.run().testState,     v.statusText[0]};
}

void PrintTo(const IdleLook& l, std::ostream* os) {
    *os << "start " << l.startEnabled << " stop " << l.stopEnabled << " help " << l.helpEnabled
        << " about " << l.aboutEnabled << " browse " << l.browseEnabled << " files "
        << l.fileFieldsEnabled << " length " << l.lengthEnabled << " finished " << l.testFinished
        << " ticks " << l.ticksActive << " state " << l.state << " status \"" << l.status << "\"";
}

const IdleLook kIdle{true,        false,           true, true, true, true, true, false, true,
                     state::Idle, "Ready (1 of 2)"};

TEST(InstrumentAbort, ASilentControllerAtTheNextSetPointStopsTheTestAndKeepsTheFiles) {
    SessionBench b({20, 50});
    b.instruments.abort = [&](int failureKind) { b.session->start.AbortErrors(failureKind); };
    b.Start();
    ASSERT_TRUE(b.RunUntil([&] { return b.run().StepsSaved == 1; }, 60));
    const auto saved = ReadFileBytes(b.DataFile("Bar_CTE.dat"));
    ASSERT_TRUE(saved.has_value());
    b.instruments.silentController = true; // right after "Step 1 of 2 saved"

    b.clock.advance(1.0); // the tick of state 0 sends the set point
    ASSERT_EQ(b.op.messages.size(), 1u);
    EXPECT_EQ(b.op.last().title, "Temp-Stage Controller Error");
    EXPECT_EQ(b.run().testState, state::Idle) << "the test stops at the abort";

    b.clock.advance(3600.0);
    EXPECT_EQ(b.run().testState, state::Idle) << "and stays stopped";
    EXPECT_EQ(b.run().StepsSaved, 1);
    EXPECT_EQ(ReadFileBytes(b.DataFile("Bar_CTE.dat")), saved) << "the raw data as after step 1";
    EXPECT_FALSE(IsFile(b.DataFile("Bar_CTE.txt")));
    EXPECT_EQ(b.instruments.setPoints, std::vector<float>{20});
    EXPECT_EQ(LookOf(b), kIdle);
    EXPECT_EQ(b.op.messages.size(), 1u) << b.op.last().text;
}

TEST(InstrumentAbort, ASilentControllerAtTheStartRefusesTheTestInTheIdleLook) {
    SessionBench b({20, 50});
    b.instruments.abort = [&](int failureKind) { b.session->start.AbortErrors(failureKind); };
    b.instruments.silentController = true;
    b.Start();
    b.clock.advance(600.0);
    ASSERT_EQ(b.op.messages.size(), 1u);
    EXPECT_EQ(b.op.last().title, "Temp-Stage Controller Error");
    EXPECT_TRUE(b.instruments.setPoints.empty());
    EXPECT_TRUE(b.instruments.testModes.empty());
    EXPECT_FALSE(IsFile(b.DataFile("Bar_CTE.dat")));
    EXPECT_EQ(LookOf(b), kIdle);
}

TEST(TerminationQuestion, YesOnTheLastStepEndsTheBatchAsATickDoes) {
    SessionBench ticked({20, 50});
    ticked.Start();
    ASSERT_TRUE(ticked.RunUntil([&] { return ticked.run().StepsSaved == 2; }, 600));
    ticked.clock.advance(2.0);
    const IdleLook byTick = LookOf(ticked);
    EXPECT_EQ(byTick, kIdle);

    SessionBench b({20, 50});
    b.Start();
    ASSERT_TRUE(b.RunUntil(
        [&] {
            return b.run().StepIndex == 1 && InState(b, state::Hold) &&
                   b.session->sequencer.HoldCriteriaMet();
        },
        600));
    b.run().StopRequested = true;
    b.clock.advance(1.0);
    ASSERT_EQ(b.termination.asked.size(), 1u);
    ASSERT_EQ(b.termination.asked[0].note1, "(Test results will be saved to file)");
    b.session->sequencer.TerminationYes();
    EXPECT_EQ(b.run().StepsSaved, 2);
    EXPECT_TRUE(IsFile(b.DataFile("Bar_CTE.txt")));
    b.clock.advance(2.0);
    EXPECT_EQ(LookOf(b), byTick);
    EXPECT_EQ(b.instruments.setPoints, ticked.instruments.setPoints) << "the end temperature";
    EXPECT_EQ(b.instruments.testModes.back(), false);
}

TEST(TerminationQuestion, HoldsTheTicksAlsoOnTheTickThatSavesAStep) {
    SessionBench first({20, 50, 80});
    first.Start();
    long savingTick = 0;
    ASSERT_TRUE(first.RunUntil(
        [&] {
            if (first.run().StepsSaved == 0) savingTick = first.session->ticks.ticks() + 1;
            return first.run().StepsSaved == 1;
        },
        60));

    for (const bool yes : {true, false}) {
        SessionBench b({20, 50, 80});
        b.Start();
        ASSERT_TRUE(b.RunUntil([&] { return b.session->ticks.ticks() == savingTick - 1; }, 60));
        b.run().StopRequested = true; // Stop, just before the tick that saves step 1
        b.clock.advance(1.0);
        ASSERT_EQ(b.termination.asked.size(), 1u);
        EXPECT_EQ(b.run().StepsSaved, 1) << "the same tick saved the step";
        b.clock.advance(600.0);
        EXPECT_FALSE(b.session->ticks.TicksActive());
        EXPECT_EQ(b.instruments.setPoints, std::vector<float>{20})
            << "the next step waits for the answer";
        EXPECT_EQ(b.run().testState, state::StepStart);

        if (yes) {
            b.session->sequencer.TerminationYes();
            b.clock.advance(600.0);
            EXPECT_EQ(b.run().testState, state::Idle);
            EXPECT_EQ(b.run().StepsSaved, 1);
            EXPECT_TRUE(b.session->window.view().startEnabled);
            EXPECT_EQ(b.instruments.setPoints, (std::vector<float>{20, 20}))
                << "no next step; the stage goes to the end-of-test temperature";
        } else {
            b.session->sequencer.TerminationNo();
            b.clock.advance(2.0);
            EXPECT_EQ(b.instruments.setPoints, (std::vector<float>{20, 50}))
                << "No: the next step starts";
            EXPECT_TRUE(b.session->ticks.TicksActive());
        }
    }
}

TEST(TestStartChecks, ASetPointTheStageCannotReachRefusesTheStart) {
    SessionBench b({20, 120});
    b.Start();
    b.clock.advance(600.0);
    ASSERT_EQ(b.op.messages.size(), 1u);
    EXPECT_EQ(b.op.last().title, "Batch Temperature Out-of-Range");
    EXPECT_NE(b.op.last().text.find("step 2 (120"), std::string::npos) << b.op.last().text;
    EXPECT_TRUE(b.instruments.setPoints.empty());
    EXPECT_FALSE(IsFile(b.DataFile("Bar_CTE.dat")));
    EXPECT_EQ(LookOf(b), kIdle);
}

TEST(HoldLimit, ASampleThatNeverSettlesIsSavedThirtyHoursIntoItsHold) {
    SessionBench b({20, 50});
    b.instruments.driftPerMinute = 20e-6; // far above any threshold, for ever
    b.Start();
    ASSERT_TRUE(b.RunUntil([&] { return InState(b, state::Hold); }, 10));
    const double enteredHold = b.run().StepMinutes;
    EXPECT_EQ(b.run().HoldLimit, std::lround(enteredHold + 1800));
    double lastMinutes = 0;
    ASSERT_TRUE(b.RunUntil(
        [&] {
            if (b.run().StepsSaved == 0) lastMinutes = b.run().StepMinutes;
            return b.run().StepsSaved == 1;
        },
        1830))
        << "still holding after " << b.run().StepMinutes << " minutes";
    EXPECT_GE(lastMinutes, enteredHold + 1800 - 0.1);
    EXPECT_EQ(b.run().testState, state::StepStart) << "the batch goes on";

    // The data keep the elapsed minutes as the display shows them, starting again at 0
    // after a day.
    const StepData& data = b.run().stepData;
    float largest = 0;
    for (int r = 1; r <= data.readingCount(1); ++r)
        largest = std::max(largest, data.value(1, ReadingColumn::Elapsed, r));
    EXPECT_GT(largest, 1430.0f);
    EXPECT_LT(data.value(1, ReadingColumn::Elapsed, data.readingCount(1)), 400.0f);
}

} // namespace
} // namespace dilato
