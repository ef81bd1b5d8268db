#pragma once
// Export of the store for Origin, Excel, Python and a LIMS: CSV (UTF-8, "." decimals,
// ISO-8601 times, the unit of each column in its header, one row per result or per reading)
// and JSON (the versioned layout of docs/results-export.md).

#include "results/Query.h"

#include <string>

namespace dilato::results {

inline constexpr int kExportSchemaVersion = 1;

enum class ExportRows { Results, Readings };

[[nodiscard]] std::string ExportCsv(StoreConnection& store, const TestFilter& filter,
                                    ExportRows rows);
// With `readings` every test carries its readings too.
[[nodiscard]] std::string ExportJson(StoreConnection& store, const TestFilter& filter,
                                     bool readings);

// A number as the exports write it: "." decimals, at most 7 significant digits (the
// instrument's values are single precision), no exponent for everyday magnitudes.
[[nodiscard]] QString ExportNumber(double value);

} // namespace dilato::results
