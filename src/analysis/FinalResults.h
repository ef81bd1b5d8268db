#pragma once
// The results of a test: the CTE between every pair of consecutive steps and, for a
// complete batch of more than two steps, over the whole range from the lowest to the
// highest set point, each with its accuracy estimate.

#include "analysis/ColumnCorrection.h"
#include "analysis/StepData.h"
#include "analysis/AnalysisError.h"

#include <array>
#include <span>
#include <utility>

namespace dilato {

// Columns of `ResultTable`.
namespace result {
inline constexpr int StartTemp = 1;    // temperature at the end of step s, °C
inline constexpr int EndTemp = 2;      // temperature at the end of step s + 1, °C
inline constexpr int Cte = 3;          // CTE between the two, 10^-6 per °C
inline constexpr int Accuracy = 4;     // its accuracy as a fraction (0.025 = 2.5 %)
inline constexpr int EndIndicator = 5; // indicator at the end of step s, inches
} // namespace result

// `ResultTable`: entries (s, k), s = 1 to 10, k = 1 to 5, single precision. Row s belongs to
// step s or to the pair of steps s and s + 1; for a complete batch of M > 2 steps row M holds
// the overall result in columns 1 to 4 (column 5 stays step M's end indicator).
class ResultTable {
  public:
    static constexpr int kRows = 10;
    static constexpr int kColumns = 5;

    // 1-based; outside the table throws std::out_of_range.
    [[nodiscard]] float at(int s, int k) const { return values_.at(Index(s, k)); }
    [[nodiscard]] float& at(int s, int k) { return values_.at(Index(s, k)); }
    void clear() { values_.fill(0.0f); }

  private:
    static size_t Index(int s, int k);
    std::array<float, kRows * kColumns> values_{};
};

// The CTE from one step end (temperature t1, indicator i1) to another, the fixture's
// expansion added to the measured change: the column's measured expansion when a
// correction is given, else the fixed fixture correction.
[[nodiscard]] float CteBetweenEnds(float t1, float i1, float t2, float i2, float sampleLength,
                                   const ColumnCorrection* correction = nullptr);

// The steps (1-based) of the overall result: the one with the lowest and the one with the
// highest set point, the first of equal extremes.
[[nodiscard]] std::pair<int, int> RangeSteps(std::span<const double> setPoints);

// Rebuilds `table` from the ends of the steps (the last reading above 0.5 minute of each).
// last > 0: the partial results of steps 1 to last + 1 during a batch; last <= 0: all the
// steps of the batch, plus the overall row when there are not exactly two.
// setPoints: the batch's set points in run order, one per step.
// A run-time failure is fatal ("Error in ComputeFinalResults: ...").
[[nodiscard]] Analysed<void> ComputeFinalResults(const StepData& data,
                                                 std::span<const double> setPoints,
                                                 float sampleLength, int last, ResultTable& table);

// A step's end value other than its end reading: the equilibrium it was heading for.
struct StepEndValue {
    bool given = false;
    float temperature = 0.0f;
    float indicator = 0.0f;
};
// The same, step s ending at endValues[s - 1] where that is given (at its end reading where
// not, or beyond the list); the column's measured correction in place of the fixed one when
// given.
[[nodiscard]] Analysed<void> ComputeFinalResults(const StepData& data,
                                                 std::span<const double> setPoints,
                                                 float sampleLength, int last, ResultTable& table,
                                                 std::span<const StepEndValue> endValues,
                                                 const ColumnCorrection* correction = nullptr);

} // namespace dilato
