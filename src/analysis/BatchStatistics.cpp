#include "analysis/BatchStatistics.h"

#include "analysis/UncertaintyBudget.h"

#include <cmath>
#include <vector>

namespace dilato {

BatchStatistics BatchStatisticsOf(std::span<const BatchValue> values) {
    BatchStatistics s;
    s.count = static_cast<int>(values.size());
    if (values.empty()) return s;
    double sum = 0.0;
    for (const BatchValue& v : values)
        sum += v.value;
    s.mean = sum / s.count;
    if (s.count > 1) {
        double squares = 0.0;
        for (const BatchValue& v : values)
            squares += (v.value - s.mean) * (v.value - s.mean);
        s.standardDeviation = std::sqrt(squares / (s.count - 1));
    }

    std::vector<std::pair<double, double>> weighted; // value, standard uncertainty
    for (const BatchValue& v : values)
        if (v.expandedU && *v.expandedU > 0.0)
            weighted.emplace_back(v.value, *v.expandedU / UncertaintyBudget::kCoverageFactor);
    s.weightedCount = static_cast<int>(weighted.size());
    if (weighted.size() < 2) return s;
    double wSum = 0.0, wxSum = 0.0;
    for (const auto& [x, u] : weighted) {
        wSum += 1.0 / (u * u);
        wxSum += x / (u * u);
    }
    const double mean = wxSum / wSum;
    double chi2 = 0.0;
    for (const auto& [x, u] : weighted)
        chi2 += (x - mean) * (x - mean) / (u * u);
    s.weightedMean = mean;
    s.birgeRatio = std::sqrt(chi2 / (static_cast<double>(weighted.size()) - 1.0));
    return s;
}

} // namespace dilato
