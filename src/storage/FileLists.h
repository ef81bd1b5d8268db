#pragma once
// The folder and file lists the windows show, as plain data: the entries, the selected
// position and the text of the box. The windows only display a ChoiceList and hand back what
// the operator typed or picked.

#include "platform/Operator.h"
#include "storage/Folders.h"

#include <optional>
#include <string>
#include <vector>

namespace dilato {

struct ChoiceList {
    std::vector<std::string> items;
    std::vector<int> itemData; // one per entry when the list carries item numbers
    int selected = -1;         // -1: nothing selected
    std::string text;          // the box's text (a combo box may hold text not in the list)

    void clear() { *this = ChoiceList{}; }
    // Selects entry i (its text becomes the box's text).
    void select(int i);
    // The box's text; selects the entry of that text, or nothing when it is not listed.
    void setText(const std::string& t);
};

inline constexpr const char* kRawDataEnding = "_CTE.dat";
inline constexpr const char* kSummaryEnding = "_CTE.txt";

class FileLists {
  public:
    FileLists(Folders& folders, Operator& op) : folders_(folders), op_(op) {}

    // The data sub-folders of SysFolder + "Data/"; the previous choice stays selected while
    // it still exists, else the first folder is.
    void RefreshDataFolderComboList(ChoiceList& combo);
    // The test names of DataPath that have a file with this ending. The typed name is kept
    // when the operator has full operation rights, otherwise only when it is listed.
    void TestFileList(ChoiceList& combo, const std::string& ending, bool fullOperation);
    // The names of `folder` with this ending, each carrying `itemNumber` when given.
    static void FolderFileList(ChoiceList& list, const std::string& folder,
                               const std::string& ending, std::optional<int> itemNumber = {});

    // From the main window's folder box and test box: DataPath, the test list, DataFileName
    // and SummaryFileName. An empty folder box changes nothing.
    void DataFileNames(const std::string& folderBoxText, ChoiceList& testCombo, bool fullOperation);

    // The Plotting Setup tab: its folder box and the raw data files of the chosen folder.
    // Returns whether the ">>" button is enabled: the folder lists a file and the selection
    // list does not hold exactly one entry.
    bool PlotFileList(ChoiceList& folderCombo, ChoiceList& dirFiles, size_t selectedFiles);

  private:
    Folders& folders_;
    Operator& op_;
};

} // namespace dilato
