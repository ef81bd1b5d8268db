#include "analysis/StepData.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <utility>

namespace dilato {

TEST(StepData, AddressesStepColumnAndReadingFromOne) {
    StepData data;
    data.reset(2);
    EXPECT_EQ(data.slotCount(), 1);
    EXPECT_EQ(data.value(2, ReadingColumn::Projected, 1), 0.0f)
        << "a fresh store holds one zero reading per step";
    EXPECT_EQ(data.append(1, {0.1f, 0.012f, 20.5f, 3.0f, 0.0121f}), 1);
    EXPECT_EQ(data.append(1, {0.2f, 0.013f, 21.5f, 4.0f, 0.0131f}), 2);
    EXPECT_EQ(data.value(1, ReadingColumn::Elapsed, 2), 0.2f);
    EXPECT_EQ(data.value(1, ReadingColumn::Indicator, 2), 0.013f);
    EXPECT_EQ(data.value(1, ReadingColumn::Temperature, 1), 20.5f);
    EXPECT_EQ(data.value(1, ReadingColumn::LiveSlope, 2), 4.0f);
    EXPECT_EQ(data.value(1, ReadingColumn::Projected, 1), 0.0121f);
    EXPECT_EQ(data.slotCount(), 2);
    EXPECT_EQ(data.value(2, ReadingColumn::Indicator, 2), 0.0f) << "unfilled slots read 0";
    EXPECT_EQ(data.readingCount(2), 0);

    const auto elapsed = ReadingColumn::Elapsed;
    EXPECT_THROW((void)data.value(1, elapsed, 3), std::out_of_range);
    EXPECT_THROW((void)data.value(1, static_cast<ReadingColumn>(0), 1), std::out_of_range);
    EXPECT_THROW((void)data.value(1, static_cast<ReadingColumn>(6), 1), std::out_of_range);
    EXPECT_THROW(data.set(1, static_cast<ReadingColumn>(6), 1, 1.0f), std::out_of_range);
    EXPECT_THROW((void)data.value(3, elapsed, 1), std::out_of_range);
    EXPECT_THROW((void)data.value(0, elapsed, 1), std::out_of_range);
    EXPECT_THROW((void)data.reading(2, 1), std::out_of_range);
}

TEST(StepData, AStoredPlaceIsAColumnOnlyFromOneToFiveInTheFilesOrder) {
    const std::pair<int, std::optional<ReadingColumn>> cases[] = {
        {0, std::nullopt},
        {1, ReadingColumn::Elapsed},
        {2, ReadingColumn::Indicator},
        {3, ReadingColumn::Temperature},
        {4, ReadingColumn::LiveSlope},
        {5, ReadingColumn::Projected},
        {6, std::nullopt},
    };
    const Reading r{1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
    for (const auto& [number, column] : cases) {
        EXPECT_EQ(ReadingColumnAt(number), column) << "place " << number;
        if (column) {
            EXPECT_EQ(ColumnNumber(*column), number);
            EXPECT_EQ(r.column(*column), static_cast<float>(number)) << "place " << number;
        }
    }
}

TEST(StepData, WritingBeyondAStepsReadingsLeavesZeroSlotsBefore) {
    // A stored file numbers the readings of later steps on from the earlier ones.
    StepData data;
    data.reset(10, 100);
    data.set(2, ReadingColumn::Elapsed, 150, 7.5f);
    EXPECT_EQ(data.readingCount(2), 150);
    EXPECT_EQ(data.slotCount(), 150);
    EXPECT_EQ(data.value(2, ReadingColumn::Elapsed, 149), 0.0f);
    EXPECT_EQ(data.value(2, ReadingColumn::Elapsed, 150), 7.5f);
    EXPECT_EQ(data.value(1, ReadingColumn::Elapsed, 150), 0.0f);
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
