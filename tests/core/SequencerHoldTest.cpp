// The hold phase tick by tick: the sequencer is put in the hold with drift values chosen by
// the test, and each call of GateControl is one tick. The clock stands still between the
// calls, so no reading is stored and the drift values stay as set.

#include "SessionBench.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

using test::SessionBench;

class HoldTicks : public ::testing::Test {
  protected:
    HoldTicks() {
        b.params.SysParam(slot::NumberOfBatchTests) = 2;
        b.session->window.view().dataFile = "Bar";
        b.folders.DataFileName = "Bar";
        b.folders.SummaryFileName = b.folders.DataPath + "Bar_CTE.txt";
        std::filesystem::create_directories(b.folders.DataPath);
        // Both steps' readings, so that the save at the end of the second computes its CTE.
        b.run().stepData.reset(2, 1);
        for (int step = 1; step <= 2; ++step)
            for (int r = 1; r <= 3; ++r) {
                const float t = step == 1 ? 20.0f : 50.0f;
                b.run().stepData.append(step, Reading{0.5f * static_cast<float>(r),
                                                      0.1f + 2.0f * 13.4e-6f * (t - 20.0f), t, 3.0f,
                                                      0.0f});
            }
        b.run().StepIndex = 1; // the threshold is not derived again from the first estimate
        b.run().testState = state::Hold;
        b.session->sequencer.UpdateElapsed(true);
        b.clock.advance(10 * 60.0);
        b.run().holdEnd = 5;
        b.run().HoldLimit = 1800;
        b.run().projection.stabilityThreshold = 10.0f;
        Steady(true);
    }
    void Steady(bool steady) {
        b.run().AverageSlope = steady ? 9.0f : 12.0f;
        b.run().LiveSlope = steady ? -9.0f : 3.0f;
    }
    // One tick; true while the step is still held. No reading falls due in it.
    bool Tick() {
        b.run().stats.lastStoreTime = std::lround(b.clock.secondsSinceMidnight());
        b.session->ticks.ResumeTicks(); // fresh readings, as at the end of every tick
        b.session->ticks.SuspendTicks();
        b.session->sequencer.GateControl();
        return b.run().testState == state::Hold && b.run().StepsSaved == 0;
    }
    int TicksUntilTheStepEnds(int most = 30) {
        for (int n = 1; n <= most; ++n)
            if (!Tick()) return n;
        return 0;
    }

    SessionBench b{{20, 50}};
};

TEST_F(HoldTicks, TheStepEndsOnTheTenthConsecutiveSteadyTick) {
    EXPECT_EQ(TicksUntilTheStepEnds(), 10);
    EXPECT_EQ(b.run().StepsSaved, 1) << (b.op.messages.empty() ? "" : b.op.messages[0].text);
    // What ended it is kept with the step's evidence.
    ASSERT_EQ(b.run().evidence.size(), 2u);
    const StepEvidence& e = b.run().evidence[1];
    EXPECT_EQ(e.step, 2);
    EXPECT_EQ(e.facts.ending, StepEnding::DriftCriteria);
    EXPECT_EQ(e.facts.steadyTicks, 10);
    EXPECT_FLOAT_EQ(e.facts.threshold, 10.0f);
    EXPECT_FLOAT_EQ(e.facts.averageSlope, 9.0f);
    EXPECT_FLOAT_EQ(e.facts.liveSlope, -9.0f);
    EXPECT_FLOAT_EQ(e.endTemperature, 50.0f);
}

TEST_F(HoldTicks, AStopWithTheCriteriaMetSavesTheStepAsTheOperatorsEnding) {
    for (int n = 0; n < 3; ++n)
        ASSERT_TRUE(Tick());
    b.session->sequencer.TerminationYes();
    EXPECT_EQ(b.run().StepsSaved, 1);
    ASSERT_EQ(b.run().evidence.size(), 2u);
    EXPECT_EQ(b.run().evidence[1].facts.ending, StepEnding::Operator);
    EXPECT_EQ(b.run().evidence[1].facts.steadyTicks, 3);
}

TEST_F(HoldTicks, AStopWithoutTheCriteriaKeepsNoEvidence) {
    Steady(false);
    ASSERT_TRUE(Tick());
    b.session->sequencer.TerminationYes();
    EXPECT_EQ(b.run().StepsSaved, 0);
    EXPECT_LT(b.run().evidence.size(), 2u);
}

TEST_F(HoldTicks, OneUnsteadyTickStartsTheCountAgain) {
    for (int n = 0; n < 9; ++n)
        ASSERT_TRUE(Tick());
    Steady(false);
    ASSERT_TRUE(Tick());
    EXPECT_EQ(b.run().stats.stableTicks, 0);
    Steady(true);
    EXPECT_EQ(TicksUntilTheStepEnds(), 10);
}

TEST_F(HoldTicks, ATickOnOldValuesBreaksTheRunOfSteadyTicks) {
    for (int n = 0; n < 9; ++n)
        ASSERT_TRUE(Tick());
    // The sensor gave nothing in the latest read cycle: the drift values are those of an
    // earlier one, steady as they look.
    b.instruments.silentSensor = true;
    ASSERT_TRUE(Tick()) << "no step ends on a reading not taken";
    EXPECT_EQ(b.run().stats.stableTicks, 0);
    b.instruments.silentSensor = false;
    EXPECT_EQ(TicksUntilTheStepEnds(), 10) << "the count starts again";
}

TEST_F(HoldTicks, EachDriftValueOnItsOwnStartsTheCountAgainAtTheThreshold) {
    for (int n = 0; n < 9; ++n)
        ASSERT_TRUE(Tick());
    b.run().LiveSlope = 10.0f;
    ASSERT_TRUE(Tick());
    b.run().LiveSlope = 0.0f;
    for (int n = 0; n < 9; ++n)
        ASSERT_TRUE(Tick()) << n;
    b.run().AverageSlope = -10.0f;
    ASSERT_TRUE(Tick());
    EXPECT_EQ(b.run().stats.stableTicks, 0);
}

TEST_F(HoldTicks, NoStepEndsBeforeTheMinimumHoldHowSteadySoEver) {
    b.run().holdEnd = 10.4; // under half a minute from now
    EXPECT_EQ(TicksUntilTheStepEnds(29), 0);
    EXPECT_GE(b.run().stats.stableTicks, 10) << "the ticks are counted meanwhile";
    b.clock.advance(31.0);
    EXPECT_EQ(TicksUntilTheStepEnds(), 1) << "the first tick after it ends the step";
}

TEST_F(HoldTicks, TheHoldLimitEndsAnUnsteadyStep) {
    Steady(false);
    b.run().HoldLimit = 11;
    EXPECT_EQ(TicksUntilTheStepEnds(), 0);
    b.clock.advance(66.0);
    EXPECT_EQ(TicksUntilTheStepEnds(), 1);
    EXPECT_EQ(b.run().StepsSaved, 1);
    ASSERT_EQ(b.run().evidence.size(), 2u);
    EXPECT_EQ(b.run().evidence[1].facts.ending, StepEnding::TimeLimit);
    EXPECT_EQ(b.run().evidence[1].facts.steadyTicks, 0);

    // 30 hours from the hold's start, or 60 with high accuracy.
    EXPECT_DOUBLE_EQ(b.session->sequencer.HoldTimeLimit(), b.run().StepMinutes + 1800);
    b.params.SysParam(slot::AccuracyOption) = 2;
    EXPECT_DOUBLE_EQ(b.session->sequencer.HoldTimeLimit(), b.run().StepMinutes + 3600);
}

TEST(SequencerStore, AReadingIsStoredEverySixSeconds) {
    SessionBench b;
    b.Start();
    ASSERT_TRUE(b.RunUntil([&] { return b.run().StepMinutes >= 10.0; }, 12));
    const int stored = b.run().stepData.readingCount(1);
    EXPECT_GE(stored, 99);
    EXPECT_LE(stored, 101);
    EXPECT_EQ(b.run().StepTemps.size(), static_cast<size_t>(stored));
}

TEST(SequencerRules, TwoDegreesFromTheSetPointIsStillSteady) {
    SessionBench b;
    b.run().StepTemps.assign(40, 20.0f);
    b.instruments.tempOffset = 1.9;
    EXPECT_TRUE(b.session->sequencer.TempStable());
    b.instruments.tempOffset = -1.9;
    EXPECT_TRUE(b.session->sequencer.TempStable());
    b.instruments.tempOffset = -2.1;
    EXPECT_FALSE(b.session->sequencer.TempStable());
}

} // namespace
} // namespace dilato
