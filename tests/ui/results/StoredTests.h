#pragma once
// Tests as the results store holds them, made up for the Results tab's tests, benchmark and
// pictures: a sample of known α(T) = a + b T stepped through a plan (with a return leg when
// the plan comes back), readings along the way, the steps' ends, the results with their U, and
// (when a folder is given) a raw data file and a PDF report on the disk.

#include "results/StoreConnection.h"
#include "results/StoreRow.h"

#include <string>
#include <vector>

namespace dilato::test {

struct StoredTest {
    std::string uid{}, name{}, sample{}, material = "metal", folder = "Batch", operatorLogin = "anna";
    std::string started = "2026-11-02T09:00:00"; // local time
    double a = 16.5, b = 0.004;                    // α(T) = a + b T, 10^-6 per °C
    double length = 2.0;                           // inches
    std::vector<double> plan{20, 40, 60, 80};      // set points, °C
    int readingsPerStep = 20;
    bool timeLimitStep = false; // the last step ended by its time limit
    double indicatorNoise = 0.0; // inches, alternating in sign from step to step
    std::string reference{};      // the reference material of a reference run
    bool outOfControl = false;    // the reference checks were out of control at its start
};

// The rows of the test; with `filesFolder` its raw data file and report are written there
// and recorded with their hashes.
[[nodiscard]] std::vector<results::StoreRow> StoredTestRows(const StoredTest& test,
                                                            const std::string& filesFolder = {});

// Writes the tests to the store in one transaction.
void WriteStoredTests(results::StoreConnection& store, const std::vector<StoredTest>& tests,
                      const std::string& filesFolder = {});

// `count` tests of a few materials, samples, operators and folders over a year.
[[nodiscard]] std::vector<StoredTest> ManyStoredTests(int count, int readingsPerStep = 4);

} // namespace dilato::test
