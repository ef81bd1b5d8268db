#include "platform/SystemFolder.h"
#include "platform/SystemFolderLock.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dilato {
namespace {

namespace fs = std::filesystem;

// An environment variable for the length of a test.
class Variable {
  public:
    Variable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~Variable() { saved_ ? setenv(name_, saved_->c_str(), 1) : unsetenv(name_); }

  private:
    const char* name_;
    std::optional<std::string> saved_;
};

TEST(SystemFolder, TheOptionThenTheVariableThenTheSharedOrTheUsersFolder) {
    test::TempFolder dir;
    Variable home("HOME", dir.file("home").c_str());
    Variable xdg("XDG_DATA_HOME", nullptr);
    Variable env(kSystemFolderVariable, nullptr);
    const std::string shared = dir.file("var/lib/dilato");
    fs::create_directories(shared);

    auto c = ChooseSystemFolder(std::string(dir.file("opt")), false, shared);
    EXPECT_EQ(c.path, dir.file("opt/"));
    EXPECT_EQ(c.source, SystemFolderSource::CommandLine);
    EXPECT_TRUE(c.usable() && fs::is_directory(dir.file("opt"))) << "made when missing";

    {
        Variable set(kSystemFolderVariable, dir.file("env").c_str());
        c = ChooseSystemFolder(std::nullopt, false, shared);
        EXPECT_EQ(c.path, dir.file("env/"));
        EXPECT_EQ(c.source, SystemFolderSource::Environment);
    }

    c = ChooseSystemFolder(std::nullopt, false, shared);
    EXPECT_EQ(c.path, shared + "/");
    EXPECT_TRUE(c.usable()) << c.problem;
    EXPECT_NE(DescribeSystemFolder(c).find("System folder: " + shared + "/ (shared"),
              std::string::npos);

    c = ChooseSystemFolder(std::nullopt, true, shared);
    EXPECT_EQ(c.path, dir.file("home/.local/share/Dilato/"));
    EXPECT_TRUE(c.usable() && fs::is_directory(c.path));
    EXPECT_NE(DescribeSystemFolder(c).find("simulated"), std::string::npos);
}

TEST(SystemFolder, RealInstrumentsStopWhenTheSharedFolderIsMissingNeverFallBack) {
    test::TempFolder dir;
    Variable env(kSystemFolderVariable, nullptr);
    const std::string shared = dir.file("var/lib/dilato");
    const auto c = ChooseSystemFolder(std::nullopt, false, shared);
    EXPECT_FALSE(c.usable());
    EXPECT_EQ(c.path, shared + "/") << "no other folder is put in its place";
    EXPECT_FALSE(fs::exists(shared)) << "only the installation makes the shared folder";
    EXPECT_NE(c.problem.find("install -d -m 2775 -g dilato " + shared), std::string::npos)
        << c.problem;
    EXPECT_NE(c.problem.find("--system-folder"), std::string::npos) << c.problem;
}

// Runs `body` in a child process as another user (uid and gid 4301, no other groups);
// returns its exit status, or -1 when this process may not change its user.
template <typename Body> int AsAnotherUser(Body body) {
    if (::geteuid() != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(4301) != 0 || ::setuid(4301) != 0) _exit(99);
        _exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST(SystemFolder, ASharedFolderThatCannotBeWrittenStopsWithWhatToDo) {
    test::TempFolder dir;
    Variable env(kSystemFolderVariable, nullptr);
    const std::string shared = dir.file("var/lib/dilato");
    fs::create_directories(shared);
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(shared.c_str(), 02775); // group root: not this operator's
    const int status = AsAnotherUser([&] {
        const auto c = ChooseSystemFolder(std::nullopt, false, shared);
        if (c.usable()) return 1;
        if (c.problem.find("cannot be written (Permission denied)") == std::string::npos) return 2;
        return c.problem.find("group \"dilato\"") == std::string::npos ? 3 : 0;
    });
    if (status == -1) {
        ::chmod(shared.c_str(), 0555);
        const auto c = ChooseSystemFolder(std::nullopt, false, shared);
        EXPECT_FALSE(c.usable());
        ::chmod(shared.c_str(), 0755);
        return;
    }
    EXPECT_EQ(status, 0);
}

TEST(SystemFolder, AGroupFolderWithAUmaskThatKeepsTheGroupOutGetsANote) {
    test::TempFolder dir;
    const std::string shared = dir.file("shared");
    fs::create_directories(shared);
    const mode_t saved = ::umask(022);
    EXPECT_EQ(SharingNote(shared), "") << "not a group folder";
    ::chmod(shared.c_str(), 02775);
    EXPECT_NE(SharingNote(shared).find("umask 0022"), std::string::npos);
    ::umask(002);
    EXPECT_EQ(SharingNote(shared), "");
    ::umask(saved);
}

TEST(SystemFolderLock, OneOwnerAtATimeAndAKilledOwnerLeavesNoStaleLock) {
    test::TempFolder dir;
    std::string problem;
    auto first = SystemFolderLock::Acquire(dir.path(), problem);
    ASSERT_TRUE(first) << problem;
    EXPECT_FALSE(SystemFolderLock::Acquire(dir.path(), problem));
    EXPECT_NE(problem.find("is in use by process " + std::to_string(::getpid())),
              std::string::npos)
        << problem;
    first.reset();
    EXPECT_TRUE(SystemFolderLock::Acquire(dir.path(), problem)) << "released with its owner";

    // A process that dies holding the lock: the next start takes it.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        std::string p;
        auto held = SystemFolderLock::Acquire(dir.path(), p);
        const char c = held ? '1' : '0';
        (void)!::write(ready[1], &c, 1);
        ::pause();
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, '1');
    EXPECT_FALSE(SystemFolderLock::Acquire(dir.path(), problem)) << "held by the child";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(SystemFolderLock::Acquire(dir.path(), problem)) << problem;
    ::close(ready[0]);
    ::close(ready[1]);
}

} // namespace
} // namespace dilato
