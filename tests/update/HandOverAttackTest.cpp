// Two operators of the group on a system folder laid out as the package makes it (root, the
// group, 2775), under umask 002 and 022. Operator A downloads a genuine update; operator B,
// acting through setpriv with the group, swaps files, the whole folder, links, a pipe or an
// older signed release in between every step while root runs the update helper as pkexec
// would. Root must install the verified package or nothing, and run nothing of B's.
// These tests need root (to be root, and to act as other users); elsewhere they skip.

#include "UpdateTestKit.h"
#include "update/HandOver.h"
#include "update/ReleaseManifest.h"
#include "update/UpdateResult.h"
#include "update/WorkFolder.h"

#include <algorithm>
#include <cstdlib>
#include <grp.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace dilato {
namespace {

namespace fs = std::filesystem;

constexpr gid_t kGroup = 61230;
constexpr uid_t kOperatorA = 61231;
constexpr uid_t kOperatorB = 61232;

std::string Hex(const std::string& bytes) {
    const Sha256 hash = HashBytes(bytes);
    return HexText(hash.data(), hash.size());
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class HandOverAttack : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root: the helper runs as root and the test acts as two operators";
        char pattern[] = "/tmp/dilato-attack-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        base = pattern;
        ::chmod(base.c_str(), 0755);
        sys = base + "/sys";
        for (const char* folder : {"/release", "/release-old", "/evil", "/results", "/scripts"})
            fs::create_directory(base + folder);
        ::chmod((base + "/results").c_str(), 0700);

        // The genuine release and an older one, as anyone can fetch them from the server.
        ASSERT_TRUE(test::MakeDeb(base + "/genuine.deb", "dilato", "1.4.0", "genuine"));
        ASSERT_TRUE(test::MakeDeb(base + "/old.deb", "dilato", "1.3.5", "old"));
        ASSERT_TRUE(test::MakeDeb(base + "/evil/evil.deb", "dilato", "1.4.0", "evil"));
        genuineHash = Hex(ReadAll(base + "/genuine.deb"));
        const test::TestRelease genuine = test::MakeRelease(
            key, "1.4.0", {{"dilato_1.4.0_all.deb", ReadAll(base + "/genuine.deb")}});
        test::WriteRelease(base + "/release/", genuine);
        test::WriteRelease(base + "/release-old/",
                           test::MakeRelease(key, "1.3.5", {{"dilato_1.3.5_all.deb", ReadAll(base + "/old.deb")}}));
        // Operator B's own: a package of the same name and version, and an installer script
        // that leaves a mark if anyone ever runs it.
        marker = base + "/PWNED";
        std::ofstream(base + "/evil/Setup.sh") << "#!/bin/sh\ntouch " << marker << "\n";
        ASSERT_TRUE(test::MakeZip(base + "/evil/evil.zip",
                                  {{"Setup.sh", ReadAll(base + "/evil/Setup.sh")},
                                   {"dilato_1.4.0_all.deb", ReadAll(base + "/evil/evil.deb")}}));
        fs::permissions(base, fs::perms(0755));
        ASSERT_EQ(std::system(("chmod -R a+rX '" + base + "'").c_str()), 0);
        ::chmod((base + "/results").c_str(), 0700);
    }
    void TearDown() override {
        if (!base.empty()) fs::remove_all(base);
    }

    // The system folder as the package's postinst makes it, with nothing in it.
    void freshSystemFolder() {
        fs::remove_all(sys);
        fs::create_directory(sys);
        ASSERT_EQ(::chown(sys.c_str(), 0, kGroup), 0);
        ASSERT_EQ(::chmod(sys.c_str(), 02775), 0);
        fs::remove(base + "/results/installed");
        fs::remove_all(base + "/results/record");
    }

    // Runs a shell script as an operator of the group under `umask`, in the system folder.
    int asOperator(uid_t uid, const char* umask, const std::string& script) {
        const std::string file = base + "/scripts/" + std::to_string(++scripts) + ".sh";
        std::ofstream(file) << "umask " << umask << "\ncd '" << sys << "' || exit 9\n" << script << "\n";
        ::chmod(file.c_str(), 0644);
        const std::string command = "setpriv --reuid=" + std::to_string(uid) + " --regid=" +
                                    std::to_string(kGroup) + " --groups=" + std::to_string(kGroup) +
                                    " --inh-caps=-all /bin/sh '" + file + "' >/dev/null 2>&1";
        return std::system(command.c_str());
    }

    struct Run {
        bool installed = false;
        std::string last;
    };
    // Root runs the helper on the work folder; before each step named `attackStep` operator B
    // runs `attack`.
    Run runHelper(const std::string& attackStep, const std::function<void()>& attack) {
        int toChild[2], fromChild[2];
        EXPECT_EQ(::pipe(toChild), 0);
        EXPECT_EQ(::pipe(fromChild), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
        posix_spawn_file_actions_addclose(&actions, toChild[1]);
        posix_spawn_file_actions_addclose(&actions, fromChild[0]);
        std::string keyHex = HexText(key.publicKey().data(), key.publicKey().size());
        std::vector<std::string> env{"DILATO_TEST_KEY=" + keyHex,
                                     "DILATO_TEST_RESULTS=" + base + "/results",
                                     "DILATO_TEST_INSTALLED_LOG=" + base + "/results/installed",
                                     "DILATO_TEST_INSTALLED_VERSION=1.3.7", "DILATO_TEST_PAUSE=1",
                                     "ASAN_OPTIONS=detect_leaks=0"};
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string helper = DILATO_TEST_HELPER, work = sys + "/LiveUpdate/";
        char* argv[] = {helper.data(), work.data(), nullptr};
        pid_t pid = 0;
        EXPECT_EQ(::posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(toChild[0]);
        ::close(fromChild[1]);
        FILE* out = ::fdopen(fromChild[0], "r");
        Run run;
        char line[4096];
        while (std::fgets(line, sizeof line, out) != nullptr) {
            std::string text = line;
            if (!text.empty() && text.back() == '\n') text.pop_back();
            if (text.rfind("step ", 0) == 0) {
                steps.push_back(text.substr(5));
                if (text.substr(5) == attackStep) attack();
                (void)!::write(toChild[1], "\n", 1);
                continue;
            }
            run.last = text;
        }
        std::fclose(out);
        ::close(toChild[1]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        run.installed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        return run;
    }

    std::vector<std::string> installedHashes() {
        std::vector<std::string> lines;
        std::ifstream in(base + "/results/installed");
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }

    test::TestSigningKey key;
    std::string base, sys, marker, genuineHash;
    std::vector<std::string> steps;
    int scripts = 0;
};

TEST_F(HandOverAttack, RootInstallsTheVerifiedPackageOrNothingWhateverTheOtherOperatorSwaps) {
    const std::string rel = base + "/release/", old = base + "/release-old/";
    struct Attack {
        const char* name;
        std::string script; // run by operator B in the system folder
    };
    const std::vector<Attack> attacks{
        {"rename own archive over it", "mkdir -p .b; cp '" + base + "/evil/evil.zip' .b/x.zip; mv -f .b/x.zip LiveUpdate/Dilato140.zip"},
        {"drop a second package and installer",
         "cp '" + base + "/evil/evil.deb' LiveUpdate/dilato_1.4.0_all.deb; cp '" + base +
             "/evil/Setup.sh' LiveUpdate/Setup.sh; chmod +x LiveUpdate/Setup.sh"},
        {"replace the whole folder",
         "mkdir -p .b; mv LiveUpdate LiveUpdate.gone.$$; mkdir LiveUpdate; cp '" + rel + "'Dilato_Version.htm* LiveUpdate/; cp '" +
             base + "/evil/evil.zip' LiveUpdate/Dilato140.zip; cp '" + base + "/evil/Setup.sh' '" + base +
             "/evil/evil.deb' LiveUpdate/"},
        {"links to own files",
         "mkdir -p .b/l.$$; cp '" + rel + "'Dilato_Version.htm* .b/l.$$/; ln -s '" + base +
             "/evil/evil.zip' .b/l.$$/Dilato140.zip; mv LiveUpdate LiveUpdate.gone.$$; ln -s \"$PWD/.b/l.$$\" LiveUpdate; "
             "ln -sf '" + base + "/evil/evil.zip' LiveUpdate/Dilato140.zip"},
        {"a pipe in the archive's place",
         "mkdir -p .b; mv LiveUpdate LiveUpdate.gone.$$; mkdir LiveUpdate; cp '" + rel + "'Dilato_Version.htm* LiveUpdate/; mkfifo LiveUpdate/Dilato140.zip"},
        {"an older signed release",
         "mkdir -p .b; mv LiveUpdate LiveUpdate.gone.$$; mkdir LiveUpdate; cp '" + old + "'* LiveUpdate/; cp '" + old +
             "Dilato135.zip' LiveUpdate/Dilato140.zip"},
    };
    for (const char* umask : {"002", "022"}) {
        int refused = 0;
        for (const Attack& attack : attacks) {
            for (const char* step : kHandOverSteps) {
                const std::string what = std::string("umask ") + umask + ", " + attack.name + " before " + step;
                freshSystemFolder();
                ASSERT_EQ(asOperator(kOperatorA, umask, "mkdir LiveUpdate && cp '" + rel + "'* LiveUpdate/"), 0) << what;
                steps.clear();
                const Run run = runHelper(step, [&] { asOperator(kOperatorB, umask, attack.script); });
                ASSERT_NE(std::find(steps.begin(), steps.end(), step), steps.end()) << what << ": " << run.last;
                for (const std::string& hash : installedHashes()) EXPECT_EQ(hash, genuineHash) << what;
                EXPECT_FALSE(fs::exists(marker)) << what;
                EXPECT_EQ(run.installed, !installedHashes().empty()) << what;
                // Once the helper holds the bytes, nothing B does changes them.
                const std::string s = step;
                if (s == "archive" || s == "unpacked" || s == "checked")
                    EXPECT_TRUE(run.installed) << what << ": " << run.last;
                if (!run.installed) ++refused;
            }
        }
        // The attacks did land under both masks: some spoilt the update before it was read.
        EXPECT_GT(refused, 0) << "umask " << umask;
    }
}

// A folder B made under umask 022, or one B may not write, is not A's to use or clean.
TEST_F(HandOverAttack, AFolderOfAnotherOperatorIsNeitherUsedNorCleaned) {
    freshSystemFolder();
    ASSERT_EQ(asOperator(kOperatorB, "022", "mkdir LiveUpdate && echo x > LiveUpdate/Dilato140.zip"), 0);
    // Root is neither its owner nor root-owned folder: the clean-up keeps its hands off.
    CleanUpdateFolder(sys + "/");
    EXPECT_TRUE(fs::exists(sys + "/LiveUpdate/Dilato140.zip"));
    EXPECT_EQ(CheckWorkFolder(sys + "/LiveUpdate/"), WorkFolderState::ForeignOwner);
    EXPECT_FALSE(FindPendingArchive(sys + "/LiveUpdate/"));

    // A root-owned folder that the group cannot write: operator A gets its own message.
    fs::remove_all(sys + "/LiveUpdate");
    fs::create_directory(sys + "/LiveUpdate");
    ::chmod((sys + "/LiveUpdate").c_str(), 0755);
    const pid_t child = ::fork();
    if (child == 0) {
        const gid_t groups[] = {kGroup};
        if (::setgroups(1, groups) != 0 || ::setresgid(kGroup, kGroup, kGroup) != 0 ||
            ::setresuid(kOperatorA, kOperatorA, kOperatorA) != 0)
            ::_exit(100);
        ::_exit(static_cast<int>(CheckWorkFolder(sys + "/LiveUpdate/")));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(WorkFolderState::NotWritable));
    EXPECT_NE(WorkFolderProblem(WorkFolderState::NotWritable, "/x/").find("cannot be written"), std::string::npos);
}

} // namespace
} // namespace dilato
