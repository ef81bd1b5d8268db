#include "platform/TextFile.h"
#include "platform/Files.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace dilato {
namespace {

// Lowers the largest file this process may write, so a write runs out of room half-way, as on
// a full disk; restored when the test ends.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = saved_;
        lower.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(AtomicWrite, AWriteThatRunsOutOfRoomLeavesTheOldFileWhole) {
    test::TempFolder dir;
    const std::string path = dir.write("data.dat", "old complete content\r\n");
    {
        FileSizeLimit limit(4096);
        EXPECT_THROW(WriteFileAtomic(path, std::string(100000, 'n')), FileError);
    }
    EXPECT_EQ(dir.read("data.dat"), "old complete content\r\n");
    EXPECT_FALSE(IsFile(TemporaryNameFor(path))) << "no temporary file left behind";
    WriteFileAtomic(path, "new");
    EXPECT_EQ(dir.read("data.dat"), "new");
}

TEST(TextLines, CrLfAndBareLfBothRead) {
    test::TempFolder dir;
    const std::string path = dir.write("t.txt", "a\r\nb\nc");
    EXPECT_EQ(ReadTextLines(path), (std::vector<std::string>{"a", "b", "c"}));
    WriteTextLinesAtomic(path, {"x \xC2\xB5", ""});
    EXPECT_EQ(dir.read("t.txt"), "x \xB5\r\n\r\n");
    AppendTextLines(path, {"y"});
    EXPECT_EQ(dir.read("t.txt"), "x \xB5\r\n\r\ny\r\n");
    EXPECT_FALSE(ReadTextLines(dir.path()).has_value()) << "a folder is no text file";
    EXPECT_THROW(AppendTextLines(dir.path() + "none/x.txt", {"z"}), FileError);
}

TEST(Folders, ListingsAndExistenceTests) {
    test::TempFolder dir;
    dir.write("b_CTE.dat", "");
    dir.write("a_CTE.dat", "");
    dir.write("a_CTE.DAT", "");
    dir.write("sub/x", "");
    EXPECT_EQ(ListFiles(dir.path(), "_CTE.dat"),
              (std::vector<std::string>{"a_CTE.dat", "b_CTE.dat"}));
    EXPECT_EQ(ListFolders(dir.path()), (std::vector<std::string>{"sub"}));
    EXPECT_TRUE(ListFiles(dir.path() + "missing").empty());
    EXPECT_TRUE(IsFile(dir.file("a_CTE.dat")));
    EXPECT_FALSE(IsFile(dir.file("sub")));
    EXPECT_FALSE(IsFile(""));
    EXPECT_TRUE(IsDirectory(dir.file("sub")));
    EXPECT_FALSE(IsDirectory(dir.file("nope")));
    EXPECT_EQ(WithTrailingSeparator("a/b//"), "a/b/");
}

} // namespace
} // namespace dilato
