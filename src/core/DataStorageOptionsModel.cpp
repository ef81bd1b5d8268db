#include "core/DataStorageOptionsModel.h"

#include <algorithm>

namespace dilato {

void DataStorageOptionsModel::Activate() {
    int filled = 0;
    focusedRow_ = -1;
    for (int i = 0; i < kRemoteStores; ++i) {
        StoreRow& r = rows_[size_t(i)];
        r.label = "Remote Data Store #" + std::to_string(i + 1) + ":";
        r.text = folders_.RemoteStore[size_t(i)];
        const bool isFilled = !r.text.empty();
        r.labelEnabled = r.textEnabled = r.clearEnabled = isFilled;
        r.browseEnabled = false;
        if (isFilled) ++filled;
    }
    // Rows 0 to n, n the number of filled rows, so that the first empty row can be filled
    // next; with all four filled there is no further row.
    for (int i = 0; i <= std::min(filled, kRemoteStores - 1); ++i)
        rows_[size_t(i)].browseEnabled = true;
}

void DataStorageOptionsModel::Browse(int row, const std::string& chosen) {
    StoreRow& r = rows_.at(size_t(row));
    if (chosen.empty()) return;
    r.text = chosen;
    r.labelEnabled = r.textEnabled = r.clearEnabled = true;
    focusedRow_ = row;
    if (row < kRemoteStores - 1) rows_[size_t(row + 1)].browseEnabled = true;
}

void DataStorageOptionsModel::Clear(int row) {
    StoreRow& r = rows_.at(size_t(row));
    r.text.clear();
    r.labelEnabled = r.textEnabled = r.clearEnabled = false;
    if (focusedRow_ == row) focusedRow_ = -1;
    if (row < kRemoteStores - 1) rows_[size_t(row + 1)].browseEnabled = false;
}

void DataStorageOptionsModel::Ok() {
    for (int i = 0; i < kRemoteStores; ++i)
        folders_.RemoteStore[size_t(i)] = rows_[size_t(i)].text;
    if (saveSettings_) saveSettings_();
}

} // namespace dilato
