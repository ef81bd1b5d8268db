#pragma once
// The store read for browsing: every test with what a table of tests shows (one pass, a few
// grouped queries, so that ten thousand tests load at once), and on demand one test's steps,
// results, files and readings.

#include "results/StoreConnection.h"

#include <optional>
#include <string>
#include <vector>

namespace dilato::results {

// Marks of a test a browser filters by.
namespace mark {
inline constexpr unsigned BelowMethodRange = 1u << 0; // a result below the method's range
inline constexpr unsigned NotAtEquilibrium = 1u << 1; // a step ended by its time limit
// The reference checks' control chart was out of control when the test started.
inline constexpr unsigned OutOfControlReference = 1u << 2;
} // namespace mark

struct CatalogTest {
    std::string uid, testName, sampleId, material, dataFolder, operatorLogin, pcName,
        systemFolder;
    std::string started, ended; // ISO-8601 texts; started empty for some imported tests
    std::string ending;
    // The certified reference material of a reference run ("SRM736"); empty for a test.
    std::string referenceMaterial;
    // The system correction its results used, as the summary names it ("fixed fixture
    // correction", or "correction record n of ..."), and the instrument's serial number whose
    // records hold it; empty when the store does not know.
    std::string systemCorrection, instrumentSerial;
    double sampleLength = 0.0; // inches
    int steps = 0, results = 0;
    // The result over the widest temperature interval (the whole range of a complete batch):
    // CTE (10^-6 per °C), and its U when stored.
    std::optional<double> rangeCte, rangeU;
    unsigned marks = 0;

    // The day the test ran, "yyyy-mm-dd" (the start, else the end).
    [[nodiscard]] std::string day() const;
};

struct CatalogStep {
    int step = 0;
    std::optional<double> setPoint, endTemp, endIndicator; // °C, °C, inches
    std::string ending;
    double stepMinutes = 0, holdMinutes = 0;
    double tempSigma = 0, indicatorSigma = 0, remainingDrift = 0; // °C, inches, inches
};

struct CatalogResult {
    int number = 0, fromStep = 0, toStep = 0;
    double fromTemp = 0, toTemp = 0, cte = 0, accuracy = 0;
    std::optional<double> expandedU;
    std::string flags;
};

struct CatalogFile {
    std::string kind, path;
};

struct CatalogDetail {
    std::vector<CatalogStep> steps;
    std::vector<CatalogResult> results;
    std::vector<CatalogFile> files;
    // The file of `kind` ("raw", "summary", "report"); empty when the store has none.
    [[nodiscard]] std::string file(const std::string& kind) const;
};

struct CatalogReading {
    int step = 0;
    double temperature = 0.0, indicator = 0.0; // °C, inches
};

// Every test of the store, oldest first.
[[nodiscard]] std::vector<CatalogTest> LoadCatalog(StoreConnection& store);
[[nodiscard]] CatalogDetail LoadDetail(StoreConnection& store, const std::string& uid);
// The test's readings in order of step and reading.
[[nodiscard]] std::vector<CatalogReading> LoadReadings(StoreConnection& store,
                                                       const std::string& uid);

} // namespace dilato::results
