#include "analysis/StepData.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace dilato {

TEST(StepData, AddressesStepColumnAndReadingFromOne) {
    StepData data;
    data.reset(2);
    EXPECT_EQ(data.slotCount(), 1);
    EXPECT_EQ(data.value(2, 5, 1), 0.0f) << "a fresh store holds one zero reading per step";
    EXPECT_EQ(data.append(1, {0.1f, 0.012f, 20.5f, 3.0f, 0.0121f}), 1);
    EXPECT_EQ(data.append(1, {0.2f, 0.013f, 21.5f, 4.0f, 0.0131f}), 2);
    EXPECT_EQ(data.value(1, column::Elapsed, 2), 0.2f);
    EXPECT_EQ(data.value(1, column::Indicator, 2), 0.013f);
    EXPECT_EQ(data.value(1, column::Temperature, 1), 20.5f);
    EXPECT_EQ(data.value(1, column::LiveSlope, 2), 4.0f);
    EXPECT_EQ(data.value(1, column::Projected, 1), 0.0121f);
    EXPECT_EQ(data.slotCount(), 2);
    EXPECT_EQ(data.value(2, column::Indicator, 2), 0.0f) << "unfilled slots read 0";
    EXPECT_EQ(data.readingCount(2), 0);

    EXPECT_THROW((void)data.value(1, 1, 3), std::out_of_range);
    EXPECT_THROW((void)data.value(1, 0, 1), std::out_of_range);
    EXPECT_THROW((void)data.value(1, 6, 1), std::out_of_range);
    EXPECT_THROW((void)data.value(3, 1, 1), std::out_of_range);
    EXPECT_THROW((void)data.value(0, 1, 1), std::out_of_range);
    EXPECT_THROW((void)data.reading(2, 1), std::out_of_range);
}

TEST(StepData, WritingBeyondAStepsReadingsLeavesZeroSlotsBefore) {
    // A stored file numbers the readings of later steps on from the earlier ones.
    StepData data;
    data.reset(10, 100);
    data.set(2, column::Elapsed, 150, 7.5f);
    EXPECT_EQ(data.readingCount(2), 150);
    EXPECT_EQ(data.slotCount(), 150);
    EXPECT_EQ(data.value(2, column::Elapsed, 149), 0.0f);
    EXPECT_EQ(data.value(2, column::Elapsed, 150), 7.5f);
    EXPECT_EQ(data.value(1, column::Elapsed, 150), 0.0f);
    EXPECT_EQ(EndOfStep(data, 2), 150);
    EXPECT_THROW((void)EndOfStep(data, 1), std::out_of_range) << "no reading above 0.5 min";
}

TEST(StepData, EndOfStepIsTheLastReadingBeyondHalfAMinute) {
    StepData data;
    data.reset(1);
    for (float t : {0.0f, 0.3f, 0.6f, 12.0f, 0.5f, 0.0f})
        data.append(1, {t, t, 0, 0, 0});
    EXPECT_EQ(EndOfStep(data, 1), 4);
}

} // namespace dilato
