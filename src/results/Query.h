#pragma once
// Finding tests in the store: by sample, material, date range, operator, data folder and
// result flags. Every filter left empty matches all.

#include "results/StoreConnection.h"

#include <QDate>
#include <QVariant>

#include <optional>
#include <string>
#include <vector>

namespace dilato::results {

struct TestFilter {
    std::string sample;        // the sample ID ("%" and "_" as in SQL LIKE)
    std::string material;
    std::optional<QDate> from, to; // the test's start (or end, when imported) within, inclusive
    std::string operatorLogin;
    std::string dataFolder;
    bool flaggedOnly = false;  // only tests with a result outside the method's range
    bool notAtEquilibriumOnly = false; // only tests with a result whose steps did not end there
    std::string testUid;
};

// A test as a query lists it.
struct FoundTest {
    QString uid, testName, sampleId, material, dataFolder, operatorLogin, pcName, started,
        ended, ending;
    int results = 0, flagged = 0;
};

// The tests that match, oldest first.
[[nodiscard]] std::vector<FoundTest> FindTests(StoreConnection& store, const TestFilter& filter);

// The WHERE clause of the filter over the tests table `t`, with its values in order.
struct WhereClause {
    QString sql;
    std::vector<QVariant> values;
};
[[nodiscard]] WhereClause FilterClause(const TestFilter& filter);

} // namespace dilato::results
