#pragma once
// The reading store of a test: every stored reading of every step, in single precision.
// The sequencer owns one StepData for the run and appends a reading about every 6 s; the
// analysis, the data files and the plots read it. Steps, columns and readings are addressed
// 1-based as the instrument's files and procedures always have:
//   column 1 elapsed minutes, 2 indicator (in), 3 sample temperature (°C),
//   column 4 live drift (µin per 10 min), 5 projected indicator (in).
// Every step keeps its own vector of readings, so appending is amortised O(1) however long a
// hold lasts. A reading slot that a step has not filled reads as 0, up to the slot count
// (the largest reading count of any step); beyond it, or outside the steps and columns, an
// access throws std::out_of_range ("Subscript out of range").

#include "platform/NumberedMembers.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace dilato {

// The columns of a reading. Their numbers (1 to 5) are the order in which the raw data file
// and the test journal write a reading's values; only those files turn numbers into columns.
enum class ReadingColumn : int { Elapsed = 1, Indicator, Temperature, LiveSlope, Projected };
inline constexpr std::array<ReadingColumn, 5> kReadingColumns{
    ReadingColumn::Elapsed, ReadingColumn::Indicator, ReadingColumn::Temperature,
    ReadingColumn::LiveSlope, ReadingColumn::Projected};

// The place of a column in a stored reading (1 to 5).
[[nodiscard]] constexpr int ColumnNumber(ReadingColumn column) {
    return static_cast<int>(column);
}
// The column stored at place `number`; none for any other number.
[[nodiscard]] constexpr std::optional<ReadingColumn> ReadingColumnAt(int number) {
    return MemberNumbered(kReadingColumns, number);
}

struct Reading {
    float elapsedMinutes = 0.0f;
    float indicator = 0.0f;
    float temperature = 0.0f;
    float liveSlope = 0.0f;
    float projectedIndicator = 0.0f;

    // One column of the reading; a column made from any other number throws
    // std::out_of_range.
    [[nodiscard]] float column(ReadingColumn k) const;
    [[nodiscard]] float& column(ReadingColumn k);
};

// `InitialReading`: the state at the start of the test (the sequencer stores it).
struct InitialReading {
    int time = 0;              // seconds since midnight
    float sampleLength = 0.0f; // inches
    float indicator = 0.0f;    // inches
    float sampleTemp = 0.0f;   // °C
};

class StepData {
  public:
    static constexpr int kMaxSteps = 10;
    static constexpr int kColumns = 5;

    // Empties the store and sizes it to `steps` steps of `slots` zero readings each.
    void reset(int steps, int slots = 1);

    [[nodiscard]] int stepCount() const { return static_cast<int>(steps_.size()); }
    // Readings held by step s: its appended readings, or the highest slot written into it.
    [[nodiscard]] int readingCount(int step) const;
    // Reading slots per step: the largest reading count of any step (at least the size
    // given to reset).
    [[nodiscard]] int slotCount() const { return slots_; }

    // Appends a reading to step s and returns its 1-based reading number.
    int append(int step, const Reading& reading);

    // StepData(step, column, reading).
    [[nodiscard]] float value(int step, ReadingColumn column, int reading) const;
    // Writes one value; a slot beyond the step's readings grows it (the gap reads 0).
    void set(int step, ReadingColumn column, int reading, float value);

    // The readings of step s in order (1-based reading r is element r - 1).
    [[nodiscard]] std::span<const Reading> readings(int step) const;
    [[nodiscard]] const Reading& reading(int step, int reading) const;
    [[nodiscard]] Reading& reading(int step, int reading);

  private:
    [[nodiscard]] const std::vector<Reading>& Step(int step) const;
    [[nodiscard]] std::vector<Reading>& Step(int step);

    std::vector<std::vector<Reading>> steps_;
    int slots_ = 0;
};

// The minutes of each reading of a step, counting on past a day where the stored minutes
// start again at 0 (as the step's own clock does).
[[nodiscard]] std::vector<double> UnwrappedMinutes(std::span<const Reading> readings);

// The end of step s: its last reading with elapsed minutes above 0.5, searching back from
// the slot count. A step without one throws std::out_of_range.
[[nodiscard]] int EndOfStep(const StepData& data, int step);

} // namespace dilato
