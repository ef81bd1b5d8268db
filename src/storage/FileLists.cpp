#include "storage/FileLists.h"

#include "platform/Desktop.h"
#include "platform/Files.h"
#include "platform/Format.h"

namespace dilato {

namespace {

std::string TrimBlanks(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string WithoutEnding(const std::string& name, const std::string& ending) {
    return name.substr(0, name.size() - ending.size());
}

} // namespace

void ChoiceList::select(int i) {
    selected = i;
    text = items.at(static_cast<size_t>(i));
}

void ChoiceList::setText(const std::string& t) {
    text = t;
    selected = -1;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == t) {
            selected = static_cast<int>(i);
            break;
        }
}

void FileLists::RefreshDataFolderComboList(ChoiceList& combo) {
    const std::string remembered = combo.text;
    combo.clear();
    std::string entry;
    try {
        bool found = false;
        for (const auto& name : ListFolders(folders_.DataRoot())) {
            entry = name;
            combo.items.push_back(name);
            found = found || name == remembered;
        }
        if (!combo.items.empty()) combo.select(0);
        if (found) combo.setText(remembered);
    } catch (const std::exception&) {
        ReportError(op_, 0, "RefreshDataFolderComboList",
                    "FFile=" + folders_.DataRoot() + entry +
                        "    Check property-attributes of this folder.    i=" +
                        FormatNumber(static_cast<double>(combo.items.size()), "#"));
    }
}

void FileLists::TestFileList(ChoiceList& combo, const std::string& ending, bool fullOperation) {
    const std::string remembered = combo.text;
    combo.clear();
    bool found = false;
    for (const auto& name : ListFiles(folders_.DataPath, ending)) {
        combo.items.push_back(WithoutEnding(name, ending));
        found = found || combo.items.back() == remembered;
    }
    if (!combo.items.empty()) combo.select(0);
    if (fullOperation || found) combo.setText(remembered);
}

void FileLists::FolderFileList(ChoiceList& list, const std::string& folder,
                               const std::string& ending, std::optional<int> itemNumber) {
    list.clear();
    for (const auto& name : ListFiles(folder, ending)) {
        list.items.push_back(WithoutEnding(name, ending));
        if (itemNumber) list.itemData.push_back(*itemNumber);
    }
    if (!list.items.empty()) list.select(0);
}

void FileLists::DataFileNames(const std::string& folderBoxText, ChoiceList& testCombo,
                              bool fullOperation) {
    if (TrimBlanks(folderBoxText).empty()) return;
    folders_.DataPath = folders_.DataRoot() + folderBoxText + "/";
    TestFileList(testCombo, kSummaryEnding, fullOperation);
    folders_.DataFileName = TrimBlanks(testCombo.text);
    folders_.SummaryFileName = folders_.DataPath + folders_.DataFileName + kSummaryEnding;
}

bool FileLists::PlotFileList(ChoiceList& folderCombo, ChoiceList& dirFiles, size_t selectedFiles) {
    RefreshDataFolderComboList(folderCombo);
    FolderFileList(dirFiles, folders_.DataRoot() + folderCombo.text + "/", kRawDataEnding,
                   folderCombo.selected);
    return !dirFiles.items.empty() && selectedFiles != 1;
}

} // namespace dilato
