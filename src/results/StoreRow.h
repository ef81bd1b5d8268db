#pragma once
// One row of a store table as column values, its key `row_key` first. Rows are written with
// "insert, or update the row of that key", the same statement on both engines, so writing a
// row again changes nothing.

#include "results/StoreConnection.h"

#include <QVariant>

#include <string>
#include <utility>
#include <vector>

namespace dilato::results {

struct StoreRow {
    std::string table;
    std::vector<std::pair<std::string, QVariant>> columns; // "row_key" first

    [[nodiscard]] QString key() const { return columns.front().second.toString(); }
};

// Writes (inserts or updates) the row in `store`.
void UpsertRow(StoreConnection& store, const StoreRow& row);

// The row of `table` with key `key` as the store holds it; no columns when there is none.
[[nodiscard]] StoreRow ReadRow(StoreConnection& store, const std::string& table,
                               const QString& key);

} // namespace dilato::results
