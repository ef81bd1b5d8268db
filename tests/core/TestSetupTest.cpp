#include "core/SampleLength.h"
#include "core/TestPlan.h"

#include "SessionBench.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingOperator.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace dilato {
namespace {

SystemParameters Plan(std::vector<int> temps, bool reorder, bool roundTrip) {
    SystemParameters p;
    p.SysParam(slot::OptimumTempOrdering) = reorder ? 1 : 0;
    p.SysParam(slot::NumberOfBatchTests) = static_cast<int>(temps.size());
    p.SysParam(slot::AddRoundTripTests) = roundTrip ? 1 : 0;
    for (int i = 0; i < 9; ++i)
        p.SysParam(slot::FirstBatchTemp + i) =
            std::to_string(i < static_cast<int>(temps.size()) ? temps[static_cast<size_t>(i)] : 0);
    return p;
}

std::vector<int> RunOrder(const SystemParameters& p) {
    std::vector<int> order;
    for (int s = 0; s < NumberOfSteps(p); ++s)
        order.push_back(StepSetPoint(p, s));
    return order;
}

TEST(TestPlan, ReordersTowardsTheNearerEndAndAddsTheRoundTrip) {
    test::RecordingOperator op;
    auto p = Plan({20, 80, 150}, true, false);
    ReorderTempSequence(p, 140.0f, op);
    EXPECT_EQ(RunOrder(p), (std::vector<int>{150, 80, 20}));

    p = Plan({20, 80, 150}, true, false);
    ReorderTempSequence(p, 85.0f, op);
    EXPECT_EQ(RunOrder(p), (std::vector<int>{20, 80, 150})) << "equal distances keep the order";

    p = Plan({20, 80, 150}, false, false);
    ReorderTempSequence(p, 140.0f, op);
    EXPECT_EQ(RunOrder(p), (std::vector<int>{20, 80, 150})) << "reordering off";

    p = Plan({20, 80}, false, true);
    ReorderTempSequence(p, 20.0f, op);
    EXPECT_EQ(RunOrder(p), (std::vector<int>{20, 80, 20}));

    p = Plan({20, 80, 20}, false, true);
    ReorderTempSequence(p, 20.0f, op);
    EXPECT_EQ(p.SysParam(slot::AddRoundTripTests).number(), 0.0) << "already a round trip";
    EXPECT_EQ(RunOrder(p), (std::vector<int>{20, 80, 20}));

    p = Plan({20, 50, 80}, true, true);
    ReorderTempSequence(p, 75.0f, op);
    EXPECT_EQ(RunOrder(p), (std::vector<int>{80, 50, 20, 80}))
        << "returns to the first after reversal";

    p = Plan({20, 30, 40, 50, 60, 70, 80, 90, 100}, false, true);
    ReorderTempSequence(p, 20.0f, op);
    EXPECT_EQ(p.SysParam(slot::BatchWorkRoom).number(), 20.0)
        << "the tenth step uses the work slot";
    EXPECT_EQ(NumberOfSteps(p), 10);
    EXPECT_TRUE(op.messages.empty());
}

TEST(TestPlan, OneTemperatureHasNoRoundTrip) {
    test::RecordingOperator op;
    auto p = Plan({50}, true, true);
    p.SysParam(slot::FirstBatchTemp + 1) = "80"; // the slot of an earlier, longer plan
    ReorderTempSequence(p, 20.0f, op);
    EXPECT_EQ(RunOrder(p), std::vector<int>{50});
    EXPECT_EQ(p.SysParam(slot::AddRoundTripTests).number(), 0.0);
}

TEST(TestPlan, SetPointsOutsideTheStagesLimitsAreNamedAndRefused) {
    test::RecordingOperator op;
    EXPECT_TRUE(PlanWithinStageReach(Plan({-35, 20, 110}, false, false), op));
    EXPECT_TRUE(op.messages.empty());
    EXPECT_FALSE(PlanWithinStageReach(Plan({20, 120, 130}, false, false), op));
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.last().title, "Batch Temperature Out-of-Range");
    EXPECT_EQ(op.last().text, "The set point of step 2 (120\xC2\xB0"
                              "C) is outside what the Temp-Stage can reach and report (-35\xC2\xB0"
                              "C to 110\xC2\xB0"
                              "C). Change the batch temperatures before starting the test.");
    EXPECT_FALSE(PlanWithinStageReach(Plan({-36, 20}, false, false), op));
    EXPECT_NE(op.last().text.find("step 1 (-36"), std::string::npos) << op.last().text;
}

TEST(TestPlan, APlanWithoutAnExpansionToMeasureIsNamedByItsStep) {
    struct Case {
        std::vector<int> temps;
        int batchTests; // "NumberOfBatchTests"; 0: as many as the temperatures
        bool roundTrip;
        const char* says; // "" the plan gives results
    };
    for (const Case& c : {
             Case{{20, 50, 80}, 0, false, ""},
             Case{{20, 25}, 0, false, ""},
             Case{{80, 0}, 0, false, ""},
             Case{{20, 50, 50}, 0, false, "step 3 (50\xC2\xB0""C) is only 0\xC2\xB0""C from that of step 2"},
             Case{{20, 24}, 0, false, "step 2 (24\xC2\xB0""C) is only 4\xC2\xB0""C"},
             Case{{20, 50, 80}, 9, false, "step 5 (0\xC2\xB0""C) is only 0\xC2\xB0""C from that of "
                                          "step 4 (0\xC2\xB0""C): neighbouring set points must be "
                                          "at least 5\xC2\xB0""C apart"},
             Case{{20, 50, 22}, 0, true, "step 4 (20\xC2\xB0""C) is only 2\xC2\xB0""C"},
         }) {
        auto p = Plan(c.temps, false, c.roundTrip);
        if (c.batchTests) p.SysParam(slot::NumberOfBatchTests) = c.batchTests;
        test::RecordingOperator op;
        ReorderTempSequence(p, 20.0f, op);
        const std::string problem = BatchPlanProblem(p);
        SCOPED_TRACE(problem);
        if (std::string(c.says).empty()) {
            EXPECT_TRUE(problem.empty());
            EXPECT_TRUE(PlanGivesResults(p, op));
        } else {
            EXPECT_NE(problem.find(c.says), std::string::npos);
            EXPECT_FALSE(PlanGivesResults(p, op));
            EXPECT_EQ(op.last().title, kBatchPlanTitle);
        }
    }
    auto p = Plan({20, 50, 80}, false, false);
    p.SysParam(slot::FirstBatchTemp + 1) = ParamValue();
    EXPECT_NE(BatchPlanProblem(p).find("no temperature for step 2"), std::string::npos)
        << BatchPlanProblem(p);
}

TEST(TestPlan, StartRefusesAPlanWithoutAnExpansionToMeasure) {
    test::SessionBench b({20, 50, 50});
    b.Start();
    ASSERT_TRUE(b.RunUntil([&] { return !b.op.messages.empty(); }, 1));
    b.clock.advance(5.0);
    EXPECT_EQ(b.op.last().title, kBatchPlanTitle);
    EXPECT_NE(b.op.last().text.find("step 3"), std::string::npos) << b.op.last().text;
    EXPECT_EQ(b.run().testState, state::Idle);
    EXPECT_EQ(std::count(b.instruments.testModes.begin(), b.instruments.testModes.end(), true), 0)
        << "the stage never went into test mode";
}

TEST(TestStart, ADataFolderThatCannotTakeTheFilesIsFoundBeforeTheFirstReading) {
    test::SessionBench b;
    {
        test::FileSizeLimit full(4000); // a disk with room for a few readings only
        b.Start();
        ASSERT_TRUE(b.RunUntil([&] { return !b.op.messages.empty(); }, 1))
            << b.run().testState << " " << b.folders.DataPath;
    }
    b.clock.advance(5.0);
    EXPECT_EQ(b.op.last().title, kDataFolderErrorTitle);
    EXPECT_NE(b.op.last().text.find("The test cannot start: its data folder " +
                                    b.folders.DataPath + " cannot be written (File too large)"),
              std::string::npos)
        << b.op.last().text;
    EXPECT_EQ(b.run().testState, state::Idle);
    EXPECT_EQ(std::count(b.instruments.testModes.begin(), b.instruments.testModes.end(), true), 0);
    EXPECT_EQ(b.run().stepData.stepCount(), 0) << "no reading taken";
}

TEST(TestPlan, ATextInThePlanIsReportedAndKeepsWhatWasWritten) {
    test::RecordingOperator op;
    auto p = Plan({20, 80}, true, false);
    p.SysParam(slot::FirstBatchTemp + 1) = "hot";
    ReorderTempSequence(p, 20.0f, op);
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.last().text, "Error in ReorderTempSequence: Type mismatch");
}

TEST(SampleLength, InchesAcceptTheRecommendedRangeAndAskOutsideIt) {
    test::RecordingOperator op;
    auto c = CheckSampleLength("2.5", true, op);
    EXPECT_TRUE(c.accepted);
    EXPECT_EQ(c.boxText, "2.500");
    EXPECT_TRUE(op.messages.empty());

    op.queueAnswer(MessageAnswer::No);
    c = CheckSampleLength("2.501", true, op);
    EXPECT_FALSE(c.accepted);
    EXPECT_EQ(c.boxText, "2.501");
    EXPECT_EQ(op.last().title, "Sample Length Out-of-Range");
    EXPECT_EQ(op.last().text, "Your entered sample length is outside the recommended range of "
                              "1.5-2.5 inches.  Do you want to continue?");
    op.queueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(CheckSampleLength("-2", true, op).accepted)
        << "a negative length is only asked about";

    c = CheckSampleLength("abc", true, op);
    EXPECT_FALSE(c.accepted);
    EXPECT_EQ(op.last().text, "You cannot start the test without specifying the sample length!");
    EXPECT_EQ(op.last().title, "Sample Length Input-Error");
}

TEST(SampleLength, MillimetresAreConvertedOnce) {
    test::RecordingOperator op;
    auto c = CheckSampleLength("38.2", false, op);
    EXPECT_TRUE(c.accepted);
    EXPECT_EQ(c.boxText, "38.20");
    EXPECT_NEAR(c.lengthInches, 38.2 / 25.4, 1e-6);
    EXPECT_TRUE(op.messages.empty());

    op.queueAnswer(MessageAnswer::No);
    c = CheckSampleLength("38", false, op);
    EXPECT_FALSE(c.accepted) << "38 mm is 1.496 in";
    EXPECT_NE(op.last().text.find("38-64 millimeters.  Do you"), std::string::npos);
}

TEST(SampleLength, TheEndsOfTheMetricRangeAreInsideIt) {
    test::RecordingOperator op;
    for (const char* mm : {"38.1", "63.5", "38.10", "63.50"}) {
        EXPECT_TRUE(CheckSampleLength(mm, false, op).accepted) << mm;
        EXPECT_TRUE(op.messages.empty()) << mm << " asked about";
    }
    op.queueAnswer(MessageAnswer::No);
    EXPECT_FALSE(CheckSampleLength("63.51", false, op).accepted);
    op.queueAnswer(MessageAnswer::No);
    EXPECT_FALSE(CheckSampleLength("38.09", false, op).accepted);
    EXPECT_EQ(op.messages.size(), 2u);
}

TEST(SampleLength, ALengthBeyondAnyNumberIsRefused) {
    for (const bool inches : {true, false}) {
        test::RecordingOperator op;
        op.queueAnswer(MessageAnswer::Yes); // were it only asked about, Yes would start
        const auto c = CheckSampleLength("1e40", inches, op);
        EXPECT_FALSE(c.accepted);
        EXPECT_EQ(c.lengthInches, 0.0f);
        EXPECT_EQ(c.boxText.find("Inf"), std::string::npos) << c.boxText;
        ASSERT_EQ(op.messages.size(), 1u);
        EXPECT_EQ(op.last().title, "Sample Length Input-Error");
    }
}

TEST(NumericInput, TheCharacterJustTypedGoesWhenTheTextStopsBeingANumber) {
    auto r = ApplyNumericInputRule("2.5x", 4);
    EXPECT_EQ(r.text, "2.5");
    EXPECT_EQ(r.caret, 3u);
    EXPECT_TRUE(r.beep);
    r = ApplyNumericInputRule("2a.5", 2);
    EXPECT_EQ(r.text, "2.5");
    EXPECT_EQ(r.caret, 1u);
    for (const char* ok : {"-", ".", "", "1.25", "-0.5", "1e3", " 2 "}) {
        r = ApplyNumericInputRule(ok, 1);
        EXPECT_EQ(r.text, ok);
        EXPECT_FALSE(r.beep) << ok;
    }
    EXPECT_TRUE(ApplyNumericInputRule("inf", 3).beep);
    EXPECT_TRUE(ApplyNumericInputRule("1.2.", 4).beep);
}

} // namespace
} // namespace dilato
