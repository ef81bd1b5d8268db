#pragma once
// What the "Dilato - Data File Storage Options" dialog shows and does, without the window:
// four rows, one per remote store folder, each with its label "Remote Data Store #n:", text
// box, browse button "..." and clear button. Rows are filled in order: a row's browse button
// is enabled once the row before it holds a folder. OK copies the rows into RemoteStore and
// saves the settings file; Cancel stores nothing.

#include "storage/Folders.h"

#include <array>
#include <functional>
#include <string>

namespace dilato {

struct StoreRow {
    std::string label;
    std::string text;
    bool labelEnabled = false;
    bool textEnabled = false;
    bool browseEnabled = false;
    bool clearEnabled = false;
};

class DataStorageOptionsModel {
  public:
    static constexpr const char* kCaption = "Dilato - Data File Storage Options";
    static constexpr const char* kBrowseTitle = "Select Default Data Directory";

    // `saveSettings` writes the settings file after OK (the settings file belongs to the
    // application core, above this layer).
    DataStorageOptionsModel(Folders& folders, std::function<void()> saveSettings)
        : folders_(folders), saveSettings_(std::move(saveSettings)) {}

    // Shows RemoteStore in the rows and sets the enabled states.
    void Activate();
    // The folder the browser opens in for any row: row 0's folder.
    [[nodiscard]] const std::string& BrowseStartFolder() const { return rows_[0].text; }
    // The browser of row i returned `chosen` (empty when cancelled: nothing changes).
    void Browse(int row, const std::string& chosen);
    void Clear(int row);
    // The operator edited row i's text box.
    void Edit(int row, const std::string& text) { rows_.at(size_t(row)).text = text; }
    void Ok();
    void Cancel() {}

    [[nodiscard]] const StoreRow& row(int i) const { return rows_.at(size_t(i)); }
    // The row whose text box has the focus after a browse (-1: none), caret at its end.
    [[nodiscard]] int focusedRow() const { return focusedRow_; }

  private:
    Folders& folders_;
    std::function<void()> saveSettings_;
    std::array<StoreRow, kRemoteStores> rows_{};
    int focusedRow_ = -1;
};

} // namespace dilato
