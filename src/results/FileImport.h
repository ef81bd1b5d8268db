#pragma once
// Back-fill: the raw data and summary files of earlier tests read into the store. Each raw
// data file is one test, with the summary section that names it; a test whose raw data file
// is already in the store (its SHA-256) is skipped, and a damaged file is reported and
// skipped. A test goes in whole, in one transaction, or not at all.

#include "results/StoreConnection.h"

#include <string>
#include <vector>

namespace dilato::results {

struct ImportReport {
    std::vector<std::string> imported, skipped; // raw data files
    std::vector<std::pair<std::string, std::string>> damaged; // file and why
};

// Imports every "*_CTE.dat" under `folder` (and its subfolders) into `store` (migrated).
// `material`: the material class to note with each test (empty: none).
[[nodiscard]] ImportReport ImportFolder(StoreConnection& store, const std::string& folder,
                                        const std::string& material = {});

// One test's raw data file; adds to `report`.
void ImportRawDataFile(StoreConnection& store, const std::string& rawFile,
                       const std::string& material, ImportReport& report);

// One "CTE k:" line of a summary ("  20.0°C to  50.0°C: 12.3 µ/°C +/- 1.5%"): start and end
// temperature, CTE and accuracy (a fraction). False when the line is not one.
struct SummaryResult {
    double fromTemp = 0, toTemp = 0, cte = 0, accuracy = 0;
};
[[nodiscard]] bool ParseResultLine(const std::string& line, SummaryResult& result);

} // namespace dilato::results
