#include "core/TestTabControl.h"

#include "core/TestSession.h"
#include "platform/Files.h"
#include "storage/NameRules.h"

#include <cstdlib>

namespace dilato {

namespace {

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// A number as a box may hold it: optional sign, digits with at most one ".", an optional
// exponent; blanks around it allowed.
bool IsNumeric(const std::string& text) {
    const std::string t = Trimmed(text);
    if (t.empty()) return false;
    char* end = nullptr;
    std::strtod(t.c_str(), &end);
    return end == t.c_str() + t.size() && t.find_first_of("xXpPnN") == std::string::npos;
}

} // namespace

FilteredText NumericInputFilter(const std::string& before, const std::string& typed, int caret) {
    if (typed.empty() || IsNumeric(typed) || typed == "-" || typed == ".")
        return {typed, caret, false};
    // The character just typed is the one before the caret; a paste or any other edit that
    // does not fit that picture goes back to the text before it.
    if (caret > 0 && static_cast<size_t>(caret) <= typed.size() &&
        typed.size() == before.size() + 1) {
        std::string text = typed;
        text.erase(static_cast<size_t>(caret - 1), 1);
        return {text, caret - 1, true};
    }
    return {before, std::min<int>(caret, static_cast<int>(before.size())), true};
}

TestTabControl::TestTabControl(TestSession& session, Folders& folders, SystemParameters& params,
                               Operator& op)
    : session_(session), folders_(folders), params_(params), op_(op), lists_(folders, op) {
    // A folder made on the way (the folder box, the test start) joins the list; the box keeps
    // its text.
    session_.window.setDataFolderListRefresh([this] {
        ChoiceList fresh = folderList_;
        lists_.RefreshDataFolderComboList(fresh);
        folderList_.items = fresh.items;
        folderList_.setText(folderList_.text);
    });
}

TestTabControl::~TestTabControl() {
    session_.window.setDataFolderListRefresh({});
}

void TestTabControl::InitMainWindow() {
    TestRun& run = session_.run;
    ParamValue& units = params_.SysParam(slot::Units);
    if (units.number() < 0 || units.number() > 1) units = 0;
    run.UnitsInches = units.number() == 0;
    RefreshFolders();
    session_.sequencer.LoadStepSetPoint();
    TestTabView& view = session_.window.view();
    view.currentTab = Tab::Test;
    view.browseDataEnabled = true;
    view.sampleLength.clear();
    session_.window.ClearPhaseLights(false);
    run.StartRequested = false;
    ShowStartState();
    run.StepIndex = 0;
    session_.window.UpdateTestStatusNotStarted();
}

void TestTabControl::RefreshFolders() {
    folderList_.setText(session_.window.view().dataFolder);
    lists_.RefreshDataFolderComboList(folderList_);
    session_.window.view().dataFolder = folderList_.text;
    if (!Trimmed(folderList_.text).empty())
        folders_.DataPath = folders_.DataRoot() + folderList_.text + "/";
    RefreshFiles();
}

void TestTabControl::RefreshFiles() {
    fileList_.setText(session_.window.view().dataFile);
    lists_.DataFileNames(folderList_.text, fileList_, fullOperation);
    session_.window.view().dataFile = fileList_.text;
    ShowStartState();
}

void TestTabControl::ShowStartState() {
    TestTabView& view = session_.window.view();
    const std::string folder = Trimmed(folderList_.text);
    const bool exists = !folder.empty() && IsDirectory(folders_.DataPath);
    if (session_.run.testState != state::Idle || session_.run.StartRequested) return;
    view.startEnabled = exists;
    if (exists)
        view.startNote.clear();
    else if (folder.empty())
        view.startNote = "Start needs a data folder: choose one or type a new name in Data Folder.";
    else
        view.startNote = "Start needs the data folder \"" + folder +
                         "\": press Return in Data Folder to make it.";
}

void TestTabControl::DataFolderTyped(const std::string& text) {
    folderList_.setText(text);
    session_.window.view().dataFolder = text;
    folders_.DataPath = folders_.DataRoot() + text + "/";
}

void TestTabControl::DataFolderSelected() {
    TestTabView& view = session_.window.view();
    folders_.DataPath = folders_.DataRoot() + folderList_.text + "/";
    if (CreateDataFolder(folders_.DataPath, folders_, op_, session_.window)) {
        // The folder's name may have lost illegal characters on the way.
        const std::string root = folders_.DataRoot();
        if (folders_.DataPath.rfind(root, 0) == 0) {
            std::string name = folders_.DataPath.substr(root.size());
            if (!name.empty() && name.back() == '/') name.pop_back();
            if (name != folderList_.text) {
                view.dataFolder = name;
                folderList_.setText(name);
            }
        }
        fileList_.setText(view.dataFile);
        lists_.TestFileList(fileList_, kSummaryEnding, fullOperation);
        SetNames(fileList_.text);
    }
    ShowStartState();
}

void TestTabControl::SetNames(const std::string& fileText) {
    session_.window.view().dataFile = fileText;
    folders_.DataFileName = Trimmed(fileText);
    folders_.SummaryFileName = folders_.DataPath + folders_.DataFileName + kSummaryEnding;
}

void TestTabControl::DataFileTyped(const std::string& text) {
    fileList_.setText(text);
    SetNames(text);
    session_.window.view().browseDataEnabled = true;
}

void TestTabControl::DataFilePicked(int index) {
    if (index < 0 || static_cast<size_t>(index) >= fileList_.items.size()) return;
    fileList_.select(index);
    SetNames(fileList_.text);
}

FilteredText TestTabControl::SampleLengthEdited(const std::string& before, const std::string& typed,
                                                int caret) {
    FilteredText result = NumericInputFilter(before, typed, caret);
    session_.window.view().sampleLength = result.text;
    return result;
}

void TestTabControl::SampleIdEdited(const std::string& text) {
    TestTabView& view = session_.window.view();
    view.sampleId = text;
    // A sample tested before starts with the class it was last tested as.
    if (const auto kind = session_.start.sampleClasses.Recall(text))
        view.materialClass = MaterialClassName(*kind);
}

void TestTabControl::MaterialClassPicked(const std::string& name) {
    if (const auto kind = ParseMaterialClass(name))
        session_.window.view().materialClass = MaterialClassName(*kind);
}

void TestTabControl::ReferencePicked(const std::string& name) {
    session_.window.view().referenceMaterial = name;
}

void TestTabControl::Start() {
    session_.start.StartPressed();
}

void TestTabControl::Stop() {
    session_.run.StopRequested = true;
}

} // namespace dilato
