#include "storage/ExistingTest.h"
#include "storage/NameRules.h"

#include "platform/Files.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

class NoWindow final : public MainWindowPort {
  public:
    void RefreshDataFolderList() override {}
    std::string CurrentProgressText() const override { return {}; }
};

struct TestRig {
    test::TempFolder dir;
    test::RecordingOperator op;
    Folders folders{dir.path() + "program", dir.path()};
    TestRig() {
        folders.DataPath = folders.DataRoot() + "Demo/";
        folders.DataFileName = "Bar";
    }
};

TEST(ExistingTest, ANameWithDataIsReplacedOnlyWhenTheOperatorSaysYes) {
    TestRig r;
    EXPECT_TRUE(ConfirmTestOverwrite(r.folders, r.op)) << "a new name asks nothing";
    EXPECT_TRUE(r.op.messages.empty());

    r.dir.write("Data/Demo/Bar_CTE.dat", "old raw");
    r.dir.write("Data/Demo/Bar_CTE.txt", "old summary");
    r.dir.write("Data/Demo/TempDat.txt", "old interim");
    r.dir.write("Data/Demo/Bar-x1_CTE.dat", "another test");
    r.dir.write("Data/Demo/Barn_CTE.dat", "another test");
    EXPECT_EQ(ExistingTestFiles(r.folders).size(), 2u);

    EXPECT_FALSE(ConfirmTestOverwrite(r.folders, r.op)) << "the default answer is No";
    EXPECT_EQ(r.op.last().title, kExistingTestTitle);
    EXPECT_EQ(r.op.last().defaultButton, 1);
    EXPECT_EQ(r.dir.read("Data/Demo/Bar_CTE.dat"), "old raw");
    EXPECT_EQ(r.dir.read("Data/Demo/Bar_CTE.txt"), "old summary");

    r.op.queueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(ConfirmTestOverwrite(r.folders, r.op));
    EXPECT_TRUE(ExistingTestFiles(r.folders).empty()) << "no file of the old test is left";
    EXPECT_FALSE(IsFile(r.dir.path() + "Data/Demo/TempDat.txt"));
    EXPECT_EQ(r.dir.read("Data/Demo/Bar-x1_CTE.dat"), "another test");
    EXPECT_EQ(r.dir.read("Data/Demo/Barn_CTE.dat"), "another test");
}

TEST(ExistingTest, NamesTooLongForTheFileSystemAreRefusedAtStart) {
    TestRig r;
    EXPECT_TRUE(CheckTestPathLength(r.folders, r.op));
    r.folders.DataFileName = std::string(240, 'n');
    EXPECT_FALSE(CheckTestPathLength(r.folders, r.op)) << "its files' names would not fit";
    EXPECT_EQ(r.op.last().title, "Datafile Naming Error");
    EXPECT_EQ(r.op.last().text.rfind("The test name or data folder name is too long: ", 0), 0u);
    r.folders.DataFileName = std::string(200, 'n');
    EXPECT_TRUE(CheckTestPathLength(r.folders, r.op));

    r.folders.DataFileName = "Bar";
    r.folders.DataPath = r.folders.DataRoot() + std::string(256, 'f') + "/";
    EXPECT_FALSE(CheckTestPathLength(r.folders, r.op)) << "a folder name beyond the limit";
    std::string deep = r.folders.DataRoot();
    while (deep.size() < 4100)
        deep += std::string(200, 'd') + "/";
    r.folders.DataPath = deep;
    EXPECT_FALSE(CheckTestPathLength(r.folders, r.op)) << "a path beyond the limit";
}

TEST(NameRules, ControlCharactersAreRefusedNotRemoved) {
    TestRig r;
    NoWindow window;
    for (const std::string& bad : std::vector<std::string>{"Bar\t1", "Bar\r", "\nBar", std::string("B\0r", 3), "B\x1b[1m"}) {
        std::string name = bad;
        EXPECT_FALSE(CheckTestName(name, r.op)) << bad;
        EXPECT_EQ(r.op.last().title, "Datafile Naming Error");
        EXPECT_EQ(r.op.last().text.rfind("Bad datafile name: B", 0) == 0 ||
                      r.op.last().text.rfind("Bad datafile name: ?", 0) == 0,
                  true)
            << r.op.last().text;
        std::string folder = r.folders.DataRoot() + bad;
        EXPECT_FALSE(CreateDataFolder(folder, r.folders, r.op, window)) << bad;
    }
    EXPECT_EQ(r.op.last().text, "Bad datafile name: Data/B?[1m");
    EXPECT_TRUE(ListFolders(r.folders.DataRoot()).empty()) << "no folder was made";
}

} // namespace
} // namespace dilato
