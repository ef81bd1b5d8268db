#include "storage/FileLists.h"
#include "storage/NameRules.h"

#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

class CountingWindow final : public MainWindowPort {
  public:
    void RefreshDataFolderList() override { ++refreshes; }
    std::string CurrentProgressText() const override { return {}; }
    int refreshes = 0;
};

TEST(NameRules, TheCleanerRemovesIllegalCharactersOneByOne) {
    test::RecordingOperator op;
    std::string name = "  my*test  ";
    EXPECT_TRUE(CleanName(name, false, op));
    EXPECT_EQ(name, "mytest");
    name = "a/b";
    EXPECT_TRUE(CleanName(name, false, op));
    EXPECT_EQ(name, "ab");
    name = "C:\\x/a b";
    EXPECT_TRUE(CleanName(name, true, op));
    EXPECT_EQ(name, "C:\\x/a b") << "path characters and blanks allowed";
    name = "(run) #1 ";
    EXPECT_TRUE(CleanName(name, false, op));
    EXPECT_EQ(name, "run 1");
    name.clear();
    EXPECT_TRUE(CleanName(name, false, op)) << "an empty name passes";
    EXPECT_TRUE(op.messages.empty());

    name = "!";
    EXPECT_FALSE(CleanName(name, false, op));
    EXPECT_EQ(op.last().text, "ERROR: File or folder name contains all illegal characters.");
    EXPECT_EQ(op.last().title, "Illegal Name");
    EXPECT_EQ(op.last().icon, MessageIcon::Exclamation);
    name = "!!";
    EXPECT_FALSE(CleanName(name, false, op));
    EXPECT_EQ(name, "!") << "the first removal stays applied";
    name = " ! / ";
    EXPECT_FALSE(CleanName(name, false, op));
    EXPECT_EQ(op.messages.size(), 3u);
}

TEST(NameRules, TheTestNameCheckCutsAtTheFirstDotAndRefusesEmptyNames) {
    test::RecordingOperator op;
    std::string name = "run.b.txt";
    EXPECT_TRUE(CheckTestName(name, op));
    EXPECT_EQ(name, "run");
    name = " a/b* ";
    EXPECT_TRUE(CheckTestName(name, op));
    EXPECT_EQ(name, "ab");
    EXPECT_TRUE(op.messages.empty());

    const auto refused = [&](std::string n, const std::string& text) {
        const std::string before = n;
        EXPECT_FALSE(CheckTestName(n, op)) << before;
        EXPECT_EQ(n, before) << "the test name stays as it was";
        EXPECT_EQ(op.last().text, text);
    };
    refused("   ", "Cannot start test without datafile name.");
    EXPECT_EQ(op.last().title, "Datafile Naming Error");
    refused(".run", "Bad datafile name: .run");
    refused("  .run", "Bad datafile name: .run");
    refused("$.x", "ERROR: File or folder name contains all illegal characters.");
}

TEST(NameRules, DataFoldersAreCleanedAndMadeOneLevelDeep) {
    test::TempFolder dir;
    test::RecordingOperator op;
    CountingWindow window;
    // a system folder whose own name breaks the name rules
    const std::string sys = dir.path() + "my.sys (1)/";
    std::filesystem::create_directories(sys + "Data");
    Folders folders(dir.path(), sys);

    std::string path = folders.DataRoot() + "run.2026/";
    EXPECT_TRUE(CreateDataFolder(path, folders, op, window));
    EXPECT_EQ(path, sys + "Data/run2026/");
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(window.refreshes, 1);
    EXPECT_TRUE(CreateDataFolder(path, folders, op, window)) << "it exists now";
    EXPECT_EQ(window.refreshes, 1) << "nothing new to list";

    path = folders.DataRoot() + "a/b/";
    EXPECT_FALSE(CreateDataFolder(path, folders, op, window));
    EXPECT_EQ(op.last().text, "Could not create data directory: " + path);
    EXPECT_EQ(op.last().title, "Folder Creation Error");

    dir.write("my.sys (1)/Data/plain", "");
    path = folders.DataRoot() + "plain/";
    EXPECT_FALSE(CreateDataFolder(path, folders, op, window)) << "a file is no folder";

    path = sys + "?";
    EXPECT_FALSE(CreateDataFolder(path, folders, op, window));
    EXPECT_EQ(op.last().title, "Illegal Name");
    EXPECT_EQ(window.refreshes, 1);
}

struct ListRig {
    test::TempFolder dir;
    test::RecordingOperator op;
    Folders folders{dir.path() + "program", dir.path()};
    FileLists lists{folders, op};
};

TEST(FileLists, TheDataFolderListKeepsTheChoiceWhileItExists) {
    ListRig r;
    ChoiceList combo;
    r.lists.RefreshDataFolderComboList(combo);
    EXPECT_TRUE(combo.items.empty()) << "no data folder yet";
    EXPECT_EQ(combo.selected, -1);
    EXPECT_TRUE(r.op.messages.empty());

    r.dir.write("Data/beta/x_CTE.dat", "");
    r.dir.write("Data/alpha/y_CTE.dat", "");
    r.dir.write("Data/notes.txt", "");
    r.lists.RefreshDataFolderComboList(combo);
    EXPECT_EQ(combo.items, (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(combo.text, "alpha");
    EXPECT_EQ(combo.selected, 0);

    combo.select(1);
    r.lists.RefreshDataFolderComboList(combo);
    EXPECT_EQ(combo.text, "beta");
    EXPECT_EQ(combo.selected, 1);

    std::filesystem::remove_all(r.dir.path() + "Data/beta");
    r.lists.RefreshDataFolderComboList(combo);
    EXPECT_EQ(combo.text, "alpha") << "a vanished choice falls back to the first";
}

TEST(FileLists, TestNamesAndDataFileNamesFollowTheBoxes) {
    ListRig r;
    r.dir.write("Data/f/b_CTE.txt", "");
    r.dir.write("Data/f/a_CTE.txt", "");
    r.dir.write("Data/f/a_CTE.dat", "");
    r.dir.write("Data/f/c_CTE.TXT", "");

    ChoiceList tests;
    tests.text = "new run ";
    r.lists.DataFileNames("f", tests, true);
    EXPECT_EQ(tests.items, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(tests.text, "new run ") << "full rights keep a new name";
    EXPECT_EQ(tests.selected, -1);
    EXPECT_EQ(r.folders.DataPath, r.dir.path() + "Data/f/");
    EXPECT_EQ(r.folders.DataFileName, "new run");
    EXPECT_EQ(r.folders.SummaryFileName, r.dir.path() + "Data/f/new run_CTE.txt");

    r.lists.DataFileNames("f", tests, false);
    EXPECT_EQ(tests.text, "a") << "limited rights: only listed names";
    tests.text = "b";
    r.lists.DataFileNames("f", tests, false);
    EXPECT_EQ(tests.text, "b");
    EXPECT_EQ(tests.selected, 1);

    r.lists.DataFileNames("  ", tests, true);
    EXPECT_EQ(r.folders.DataPath, r.dir.path() + "Data/f/")
        << "an empty folder box changes nothing";
    EXPECT_EQ(r.folders.DataFileName, "b");
}

TEST(FileLists, ThePlotListCarriesTheFolderPositionAndEnablesTheTransfer) {
    ListRig r;
    r.dir.write("Data/a/one_CTE.txt", "");
    r.dir.write("Data/b/two_CTE.dat", "");
    r.dir.write("Data/b/three_CTE.dat", "");
    ChoiceList folders, files;
    folders.text = "b";
    EXPECT_TRUE(r.lists.PlotFileList(folders, files, 0));
    EXPECT_EQ(files.items, (std::vector<std::string>{"three", "two"}));
    EXPECT_EQ(files.itemData, (std::vector<int>{1, 1}));
    EXPECT_EQ(files.selected, 0);
    EXPECT_FALSE(r.lists.PlotFileList(folders, files, 1)) << "one file already selected";
    EXPECT_TRUE(r.lists.PlotFileList(folders, files, 2));
    folders.text = "a";
    EXPECT_FALSE(r.lists.PlotFileList(folders, files, 0)) << "no raw data file in a";
    EXPECT_TRUE(files.items.empty());
}

} // namespace
} // namespace dilato
