#pragma once
// The statistics of one result over a batch of specimens of one material: mean, standard
// deviation, and how the spread compares with what each result's own uncertainty allows (the
// Birge ratio: about 1 when the results agree within their uncertainties, well above 1 when
// they scatter more than their budgets say).

#include <optional>
#include <span>

namespace dilato {

// One specimen's result: a CTE (10^-6 per °C) and its expanded uncertainty (k = 2), when it
// has one.
struct BatchValue {
    double value = 0.0;
    std::optional<double> expandedU;
};

struct BatchStatistics {
    int count = 0;
    double mean = 0.0;
    double standardDeviation = 0.0; // of one specimen (n - 1); 0 for one value
    // Over the values that carry a U (at least two, every U above zero):
    int weightedCount = 0;
    std::optional<double> weightedMean; // inverse-variance weighted
    std::optional<double> birgeRatio;   // sqrt(chi^2 / (n - 1)) about the weighted mean
};

[[nodiscard]] BatchStatistics BatchStatisticsOf(std::span<const BatchValue> values);

} // namespace dilato
