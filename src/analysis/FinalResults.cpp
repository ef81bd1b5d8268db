#include "analysis/FinalResults.h"

#include "analysis/CteFormulas.h"

#include <stdexcept>

namespace dilato {

size_t ResultTable::Index(int s, int k) {
    if (s < 1 || s > kRows || k < 1 || k > kColumns)
        throw std::out_of_range("Subscript out of range");
    return static_cast<size_t>((s - 1) * kColumns + (k - 1));
}

namespace {

struct StepEnd {
    float temperature = 0.0f;
    float indicator = 0.0f;
};

StepEnd EndValues(const StepData& data, int step) {
    const Reading& end = data.reading(step, EndOfStep(data, step));
    return {end.temperature, end.indicator};
}

// CTE and accuracy from the end of one step (`low`) to the end of another (`high`),
// written into columns 1 to 4 of row s.
void PairResult(ResultTable& table, int s, const StepEnd& low, const StepEnd& high,
                float sampleLength, const ColumnCorrection* correction) {
    table.at(s, result::StartTemp) = low.temperature;
    table.at(s, result::EndTemp) = high.temperature;
    const float dT = high.temperature - low.temperature;
    const float cte = CteBetweenEnds(low.temperature, low.indicator, high.temperature,
                                     high.indicator, sampleLength, correction);
    table.at(s, result::Cte) = cte;
    table.at(s, result::Accuracy) = AccuracyEstimate(dT, cte, sampleLength);
}

} // namespace

float CteBetweenEnds(float t1, float i1, float t2, float i2, float sampleLength,
                     const ColumnCorrection* correction) {
    const float column = static_cast<float>(ColumnChange(t1, t2, sampleLength, correction));
    return CteFromChange(t2 - t1, i2 - i1 + column, sampleLength);
}

std::pair<int, int> RangeSteps(std::span<const double> setPoints) {
    // The first of equal extremes wins. Both start at step 1, so a plan entirely outside
    // -50 to 150 °C still names real steps.
    int highest = 1;
    int lowest = 1;
    double highValue = -50.0;
    double lowValue = 150.0;
    for (size_t i = 0; i < setPoints.size(); ++i) {
        const int s = static_cast<int>(i) + 1;
        if (setPoints[i] > highValue) {
            highValue = setPoints[i];
            highest = s;
        }
        if (setPoints[i] < lowValue) {
            lowValue = setPoints[i];
            lowest = s;
        }
    }
    return {lowest, highest};
}

Analysed<void> ComputeFinalResults(const StepData& data, std::span<const double> setPoints,
                                   float sampleLength, int last, ResultTable& table) {
    return ComputeFinalResults(data, setPoints, sampleLength, last, table, {});
}

Analysed<void> ComputeFinalResults(const StepData& data, std::span<const double> setPoints,
                                   float sampleLength, int last, ResultTable& table,
                                   std::span<const StepEndValue> endValues,
                                   const ColumnCorrection* correction) {
    try {
        table.clear();
        const int steps = last > 0 ? last + 1 : static_cast<int>(setPoints.size());
        if (steps > ResultTable::kRows) throw std::out_of_range("Subscript out of range");

        std::array<StepEnd, ResultTable::kRows> ends{};
        for (int s = 1; s <= steps; ++s) {
            const auto at = static_cast<size_t>(s - 1);
            ends[at] = at < endValues.size() && endValues[at].given
                           ? StepEnd{endValues[at].temperature, endValues[at].indicator}
                           : EndValues(data, s);
            table.at(s, result::EndIndicator) = ends[at].indicator;
        }
        for (int s = 1; s < steps; ++s)
            PairResult(table, s, ends[static_cast<size_t>(s - 1)], ends[static_cast<size_t>(s)],
                       sampleLength, correction);

        if (last <= 0 && steps != 2 && steps > 0) {
            const auto [lowest, highest] = RangeSteps(setPoints.first(static_cast<size_t>(steps)));
            PairResult(table, steps, ends[static_cast<size_t>(lowest - 1)],
                       ends[static_cast<size_t>(highest - 1)], sampleLength, correction);
        }
    } catch (const std::exception& e) {
        return FailedIn("ComputeFinalResults", e.what(), AnalysisError::Weight::Fatal,
                        "the test results could not be computed");
    }
    return {};
}

} // namespace dilato
