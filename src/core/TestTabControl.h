#pragma once
// The Test tab's fields and what the operator's typing and picking does to them: the data
// folder box (DataPath, the folder made when missing, the test list), the test name box
// (DataFileName, SummaryFileName), the numeric filter of the sample length box, and the
// Start and Stop buttons. The window shows the lists and forwards every edit here.

#include "core/MainWindowModel.h"
#include "storage/FileLists.h"
#include "storage/Folders.h"
#include "storage/SystemParameters.h"

#include <string>

namespace dilato {

class TestSession;

// What the numeric input filter leaves in a box after an edit.
struct FilteredText {
    std::string text;
    int caret = 0;
    bool beep = false;
};
// `typed` is the box's text after an edit, `caret` the caret position after it and `before`
// the text before. A non-empty text that is no number and is not a lone "-" or "." loses
// the character just typed (the one before the caret); the caret stays where it was.
[[nodiscard]] FilteredText NumericInputFilter(const std::string& before, const std::string& typed,
                                              int caret);

class TestTabControl {
  public:
    TestTabControl(TestSession& session, Folders& folders, SystemParameters& params, Operator& op);
    ~TestTabControl();
    TestTabControl(const TestTabControl&) = delete;
    TestTabControl& operator=(const TestTabControl&) = delete;

    // The window's first look (`InitMainWindow`): units, the folder and file lists, the first
    // set point, an empty sample length, green lights, Start enabled, the Ready status.
    void InitMainWindow();
    // Reads the data folder list again (at start, after a new folder, after a test).
    void RefreshFolders();
    // Lists the summary files of DataPath in the test box again.
    void RefreshFiles();

    // The operator typed into the data folder box.
    void DataFolderTyped(const std::string& text);
    // The operator picked an entry, or left the box with text in it.
    void DataFolderSelected();
    void DataFileTyped(const std::string& text);
    void DataFilePicked(int index);
    // Every edit of the sample length box; returns what the box must show.
    FilteredText SampleLengthEdited(const std::string& before, const std::string& typed, int caret);
    // The sample ID box; an ID kept in the operator's sample classes picks its class.
    void SampleIdEdited(const std::string& text);
    // The operator picked the sample's material class ("metal", "glass", "polymer",
    // "unknown"); any other text leaves the class as it was.
    void MaterialClassPicked(const std::string& name);
    // The reference list: a certified material's name makes the test a reference run;
    // empty, an ordinary test.
    void ReferencePicked(const std::string& name);

    void Start();
    void Stop();

    [[nodiscard]] const ChoiceList& folderList() const { return folderList_; }
    [[nodiscard]] const ChoiceList& fileList() const { return fileList_; }
    // Full operation (the password): a test name not yet listed may be typed.
    bool fullOperation = true;

  private:
    void SetNames(const std::string& fileText);
    // Start is on exactly when the data folder is named and exists; the note says why not.
    void ShowStartState();
    TestSession& session_;
    Folders& folders_;
    SystemParameters& params_;
    Operator& op_;
    FileLists lists_;
    ChoiceList folderList_, fileList_;
};

} // namespace dilato
