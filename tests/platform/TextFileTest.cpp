#include "platform/TextFile.h"
#include "platform/Files.h"

#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace dilato {
namespace {

TEST(AtomicWrite, AWriteThatRunsOutOfRoomLeavesTheOldFileWhole) {
    test::TempFolder dir;
    const std::string path = dir.write("data.dat", "old complete content\r\n");
    {
        test::FileSizeLimit limit(4096);
        EXPECT_THROW(WriteFileAtomic(path, std::string(100000, 'n')), FileError);
    }
    EXPECT_EQ(dir.read("data.dat"), "old complete content\r\n");
    EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{"data.dat"})
        << "no temporary file left behind";
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

TEST(TextLines, AReadThatFailsHalfWayIsNoFileAtAll) {
    // Every read of this file fails: it must not pass for an empty file.
    EXPECT_FALSE(ReadFileBytes("/proc/self/mem").has_value());
    EXPECT_FALSE(ReadTextLines("/proc/self/mem").has_value());
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

// The process umask for the length of a test.
class Umask {
  public:
    explicit Umask(mode_t mask) : saved_(::umask(mask)) {}
    ~Umask() { ::umask(saved_); }

  private:
    mode_t saved_;
};

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(FileModes, NewFilesHonourTheUmaskAndReplacedFilesKeepModeAndGroup) {
    test::TempFolder dir;
    {
        Umask shared(002);
        WriteFileAtomic(dir.file("shared.ini"), "a");
        AppendTextLines(dir.file("shared.log"), {"a"});
    }
    EXPECT_EQ(ModeOf(dir.file("shared.ini")), 0664u) << "a group folder needs group write";
    EXPECT_EQ(ModeOf(dir.file("shared.log")), 0664u);
    {
        Umask own(077);
        WriteFileAtomic(dir.file("own.ini"), "a");
    }
    EXPECT_EQ(ModeOf(dir.file("own.ini")), 0600u);

    // A replacement keeps what the file had, whatever this process's umask.
    Umask strict(077);
    ::chmod(dir.file("shared.ini").c_str(), 0664);
    WriteFileAtomic(dir.file("shared.ini"), "b");
    EXPECT_EQ(ModeOf(dir.file("shared.ini")), 0664u);
    EXPECT_EQ(dir.read("shared.ini"), "b");

    if (::geteuid() != 0) GTEST_SKIP() << "giving a file another group needs root";
    const gid_t other = 4242; // any group but ours
    ASSERT_EQ(::chown(dir.file("shared.ini").c_str(), static_cast<uid_t>(-1), other), 0);
    WriteFileAtomic(dir.file("shared.ini"), "c");
    struct stat st {};
    ::stat(dir.file("shared.ini").c_str(), &st);
    EXPECT_EQ(st.st_gid, other) << "the replaced file keeps its group";
    EXPECT_EQ(st.st_mode & 07777, 0664u);
}

TEST(AtomicWrite, WritersAtOnceNeverShareATemporaryFile) {
    test::TempFolder dir;
    const std::string path = dir.file("CTESysParam.dat");
    // Two replacements of one file side by side, as two processes would have them.
    FileReplacement first(path), second(path);
    EXPECT_NE(first.temporary(), second.temporary());
    first.write("first");
    second.write("second");
    first.commit();
    second.commit();
    EXPECT_EQ(dir.read("CTESysParam.dat"), "second");
    {
        FileReplacement abandoned(path);
        abandoned.write("never");
    }
    EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{"CTESysParam.dat"});

    // Three writers racing on one file: every save succeeds.
    std::vector<std::thread> writers;
    std::atomic<int> failed{0};
    for (int w = 0; w < 3; ++w)
        writers.emplace_back([&, w] {
            for (int i = 0; i < 100; ++i) try {
                    WriteFileAtomic(path, std::string(100, char('a' + w)));
                } catch (const FileError&) {
                    ++failed;
                }
        });
    for (auto& t : writers)
        t.join();
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{"CTESysParam.dat"});
}

TEST(AtomicWrite, ALinkStaysALinkAndTheFileItNamesIsReplaced) {
    test::TempFolder dir;
    dir.write("real/CTESysParam.dat", "old");
    std::filesystem::create_symlink(dir.file("real/CTESysParam.dat"), dir.file("CTESysParam.dat"));
    WriteFileAtomic(dir.file("CTESysParam.dat"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("CTESysParam.dat")));
    EXPECT_EQ(dir.read("real/CTESysParam.dat"), "new");
    // A relative link to a file not there yet.
    std::filesystem::create_symlink("real/later.ini", dir.file("later.ini"));
    WriteFileAtomic(dir.file("later.ini"), "made");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("later.ini")));
    EXPECT_EQ(dir.read("real/later.ini"), "made");
}

TEST(AtomicWrite, TemporariesOfAKilledRunAreRemovedAndNothingElse) {
    test::TempFolder dir;
    dir.write("sys/CTESysParam.dat.1f2e-3.new", "half");
    dir.write("sys/Data/Demo/Bar_CTE.dat.99-0.new", "half");
    dir.write("sys/Dilato.ini.new", "old style");
    dir.write("sys/Data/Demo/Bar_CTE.dat", "kept");
    dir.write("sys/new", "kept: no ending");
    dir.write("outside/x.new", "not below the folder");
    std::filesystem::create_symlink(dir.file("outside/x.new"), dir.file("sys/link.new"));
    const auto removed = RemoveStaleTemporaries(dir.file("sys"));
    EXPECT_EQ(removed.size(), 3u);
    EXPECT_FALSE(IsFile(dir.file("sys/CTESysParam.dat.1f2e-3.new")));
    EXPECT_FALSE(IsFile(dir.file("sys/Data/Demo/Bar_CTE.dat.99-0.new")));
    EXPECT_TRUE(IsFile(dir.file("sys/Data/Demo/Bar_CTE.dat")));
    EXPECT_TRUE(IsFile(dir.file("sys/new")));
    EXPECT_TRUE(IsFile(dir.file("outside/x.new")));
}

TEST(TextLines, AByteOrderMarkIsNoText) {
    test::TempFolder dir;
    const std::string path = dir.write("p.ini", "\xEF\xBB\xBF[SysParams]\r\nUnits=1\r\n");
    EXPECT_EQ(ReadTextLines(path), (std::vector<std::string>{"[SysParams]", "Units=1"}));
}

} // namespace
} // namespace dilato
