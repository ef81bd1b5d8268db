#include "analysis/FinalResults.h"
#include "platform/ProgramEnd.h"
#include "support/RecordingOperator.h"
#include "support/ShownAnalysis.h"

#include <gtest/gtest.h>

#include <vector>

namespace dilato {
namespace {

using namespace test;

constexpr float kLength = 2.0f;

// A sample of 12 µ/°C on the 2-inch fixture: the measured indicator moves
// (12 x 2 - 5.2) µin per °C, the fixture taking the rest.
float IndicatorAt(float temperature) {
    return 0.0100f + 18.8e-6f * (temperature - 20.0f);
}

double Accuracy12(double dT) {
    return std::abs(0.4 / dT) + std::abs(40.0 / (kLength * 12.0 * dT)) + 1.04 / (kLength * 12.0);
}

class FinalResultsTest : public ::testing::Test {
  protected:
    // Runs a batch: each step starts at elapsed 0.0, drifts in and ends at its temperature.
    void RunBatch(const std::vector<float>& endTemps) {
        data.reset(static_cast<int>(endTemps.size()));
        for (size_t i = 0; i < endTemps.size(); ++i) {
            const int step = static_cast<int>(i) + 1;
            const int count = 80 + 15 * step; // steps of unequal length
            for (int r = 1; r < count; ++r)
                data.append(step, {0.1f * static_cast<float>(r - 1), 0.05f, 20.0f, 0.0f, 0.0f});
            data.append(step, {0.1f * static_cast<float>(count - 1), IndicatorAt(endTemps[i]),
                               endTemps[i], 1.0f, 0.0f});
        }
        table.at(10, 5) = 99.0f; // leftovers of an earlier call must go
    }

    RecordingOperator op;
    StepData data;
    ResultTable table;
};

TEST_F(FinalResultsTest, TwoStepBatchGivesOnlyThePairResult) {
    RunBatch({20.1f, 49.9f});
    const std::vector<double> plan{20, 50};
    FinalResults(op, data, plan, kLength, 0, table);
    EXPECT_FLOAT_EQ(table.at(1, result::StartTemp), 20.1f);
    EXPECT_FLOAT_EQ(table.at(1, result::EndTemp), 49.9f);
    EXPECT_NEAR(table.at(1, result::Cte), 12.0, 1e-3);
    EXPECT_NEAR(table.at(1, result::Accuracy), Accuracy12(29.8), 1e-5);
    EXPECT_FLOAT_EQ(table.at(1, result::EndIndicator), IndicatorAt(20.1f));
    EXPECT_FLOAT_EQ(table.at(2, result::EndIndicator), IndicatorAt(49.9f));
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(table.at(2, k), 0.0f) << "no overall row, k " << k;
    EXPECT_EQ(table.at(10, 5), 0.0f);
    EXPECT_TRUE(op.messages.empty());
}

TEST_F(FinalResultsTest, ThreeStepBatchAddsTheOverallRangeInTheLastRow) {
    RunBatch({20.0f, 50.0f, 80.0f});
    const std::vector<double> plan{20, 50, 80};
    FinalResults(op, data, plan, kLength, 0, table);
    for (int s = 1; s <= 2; ++s) {
        EXPECT_FLOAT_EQ(table.at(s, result::StartTemp), 20.0f + 30.0f * static_cast<float>(s - 1));
        EXPECT_NEAR(table.at(s, result::Cte), 12.0, 1e-3);
        EXPECT_NEAR(table.at(s, result::Accuracy), Accuracy12(30.0), 1e-5);
    }
    EXPECT_FLOAT_EQ(table.at(3, result::StartTemp), 20.0f);
    EXPECT_FLOAT_EQ(table.at(3, result::EndTemp), 80.0f);
    EXPECT_NEAR(table.at(3, result::Cte), 12.0, 1e-3);
    EXPECT_NEAR(table.at(3, result::Accuracy), Accuracy12(60.0), 1e-5);
    EXPECT_FLOAT_EQ(table.at(3, result::EndIndicator), IndicatorAt(80.0f));
    EXPECT_EQ(table.at(4, result::EndIndicator), 0.0f);
}

TEST_F(FinalResultsTest, UnorderedBatchTakesTheOverallFromTheSetPoints) {
    // run order 50, 20, 80; the stage ended a little off each set point
    RunBatch({50.5f, 19.5f, 80.2f});
    const std::vector<double> plan{50, 20, 80};
    FinalResults(op, data, plan, kLength, 0, table);
    EXPECT_FLOAT_EQ(table.at(1, result::StartTemp), 50.5f);
    EXPECT_FLOAT_EQ(table.at(1, result::EndTemp), 19.5f);
    EXPECT_NEAR(table.at(1, result::Cte), 12.0, 1e-3) << "cooling pair";
    EXPECT_FLOAT_EQ(table.at(3, result::StartTemp), 19.5f) << "step 2 is the lowest";
    EXPECT_FLOAT_EQ(table.at(3, result::EndTemp), 80.2f) << "step 3 is the highest";
    EXPECT_NEAR(table.at(3, result::Cte), 12.0, 1e-3);
}

TEST_F(FinalResultsTest, RoundTripOverallUsesTheFirstOfEqualSetPoints) {
    // 20, 80 and back to 20: the return step ends lower, but step 1 is the lowest
    RunBatch({20.0f, 80.0f, 19.0f});
    const std::vector<double> plan{20, 80, 20};
    FinalResults(op, data, plan, kLength, 0, table);
    EXPECT_FLOAT_EQ(table.at(2, result::StartTemp), 80.0f);
    EXPECT_FLOAT_EQ(table.at(2, result::EndTemp), 19.0f);
    EXPECT_FLOAT_EQ(table.at(3, result::StartTemp), 20.0f);
    EXPECT_FLOAT_EQ(table.at(3, result::EndTemp), 80.0f);

    // and the first of equal maxima: 80, 20, 80
    RunBatch({80.0f, 20.0f, 81.0f});
    const std::vector<double> down{80, 20, 80};
    FinalResults(op, data, down, kLength, 0, table);
    EXPECT_FLOAT_EQ(table.at(3, result::StartTemp), 20.0f);
    EXPECT_FLOAT_EQ(table.at(3, result::EndTemp), 80.0f);
}

TEST_F(FinalResultsTest, PartialResultsDuringABatchHaveNoOverallRow) {
    RunBatch({20.0f, 40.0f, 60.0f, 80.0f});
    const std::vector<double> plan{20, 40, 60, 80};
    FinalResults(op, data, plan, kLength, 1, table);
    EXPECT_NEAR(table.at(1, result::Cte), 12.0, 1e-3);
    EXPECT_FLOAT_EQ(table.at(2, result::EndIndicator), IndicatorAt(40.0f));
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(table.at(2, k), 0.0f);
    EXPECT_EQ(table.at(3, result::EndIndicator), 0.0f) << "step 3 is not finished yet";

    FinalResults(op, data, plan, kLength, 2, table);
    EXPECT_NEAR(table.at(2, result::Cte), 12.0, 1e-3);
    EXPECT_EQ(table.at(3, result::Cte), 0.0f);

    FinalResults(op, data, plan, kLength, 0, table);
    EXPECT_FLOAT_EQ(table.at(4, result::StartTemp), 20.0f);
    EXPECT_FLOAT_EQ(table.at(4, result::EndTemp), 80.0f);
    EXPECT_TRUE(op.messages.empty());
}

TEST_F(FinalResultsTest, GivenEndValuesStandForTheEndReadingsOfTheirSteps) {
    RunBatch({20.0f, 50.0f, 80.0f});
    const std::vector<double> plan{20, 50, 80};
    // Step 2 was heading for an indicator 30 µin higher than its last reading, at 50.2 °C;
    // step 3 has no end value of its own and keeps its reading.
    const std::vector<StepEndValue> ends{{false, 0, 0}, {true, 50.2f, IndicatorAt(50) + 30e-6f}};
    FinalResults(op, data, plan, kLength, 0, table, ends);
    EXPECT_FLOAT_EQ(table.at(2, result::EndIndicator), IndicatorAt(50) + 30e-6f);
    EXPECT_FLOAT_EQ(table.at(1, result::EndTemp), 50.2f);
    EXPECT_FLOAT_EQ(table.at(2, result::StartTemp), 50.2f);
    EXPECT_FLOAT_EQ(table.at(1, result::Cte),
                    CteBetweenEnds(20.0f, IndicatorAt(20), 50.2f, IndicatorAt(50) + 30e-6f, kLength));
    EXPECT_NEAR(table.at(3, result::Cte), 12.0, 1e-3) << "the overall range from 20 to 80 as before";
}

TEST_F(FinalResultsTest, AStepWithoutAnEndEndsTheProgram) {
    RunBatch({20.0f, 50.0f, 80.0f});
    data.reset(3);
    data.append(1, {0.0f, 0.01f, 20.0f, 0.0f, 0.0f});
    data.append(1, {0.5f, 0.01f, 20.0f, 0.0f, 0.0f}); // not beyond half a minute
    const std::vector<double> plan{20, 50, 80};
    EXPECT_THROW(FinalResults(op, data, plan, kLength, 0, table), ProgramEnd);
    EXPECT_EQ(op.last().text, "Error in ComputeFinalResults: Subscript out of range");

    RunBatch({20.0f, 50.0f, 80.0f});
    EXPECT_THROW(FinalResults(op, data, plan, kLength, 10, table), ProgramEnd)
        << "eleven steps do not fit the table";
}

} // namespace
} // namespace dilato
