// The administrator's side of the hand-over with a package manager that records what it is
// asked to install: only the verified package at the signed version, newer than the installed
// one, reaches it; every outcome is recorded for the next start; apt waits for its lock only
// so long.

#include "UpdateTestKit.h"
#include "platform/Files.h"
#include "platform/TextFile.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"
#include "update/HandOver.h"
#include "update/UpdateResult.h"
#include "update/UpdateStartup.h"
#include "update/WorkFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dilato {
namespace {

using test::TempFolder;

// Records the bytes of each package it is asked to install.
struct RecordingPackages final : PackageSystem {
    std::string installed = "1.3.7";
    std::vector<std::string> packages;
    PackageInstall answer{true, false, {}};
    std::string installedVersion() override { return installed; }
    PackageInstall install(const std::string& deb, int) override {
        std::ifstream in(deb, std::ios::binary);
        packages.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return answer;
    }
};

class HandOverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test::MakeDeb(debs.file("genuine.deb"), "dilato", "1.4.0", "genuine"));
        genuineDeb = debs.read("genuine.deb");
        ::chmod(results.path().c_str(), 0755);
        config.key = key.publicKey();
        config.resultFolder = results.path() + "record";
        config.resultOwner = ::geteuid();
        config.log = results.file("update.log");
        config.stagingParent = staging.path().substr(0, staging.path().size() - 1);
        config.today = [] { return std::string("2026-12-09"); };
    }
    void publish(const std::vector<test::ZipEntry>& entries, const std::string& version = "1.4.0") {
        test::WriteRelease(work.path(), test::MakeRelease(key, version, entries));
    }
    std::string deb(const std::string& package, const std::string& version) {
        const std::string path = debs.file(package + version + ".deb");
        EXPECT_TRUE(test::MakeDeb(path, package, version, "other"));
        return debs.read(package + version + ".deb");
    }
    HandOverOutcome run() { return RunHandOver(work.path(), packages, config); }

    TempFolder work, debs, results, staging;
    test::TestSigningKey key;
    RecordingPackages packages;
    HandOverConfig config;
    std::string genuineDeb;
};

TEST_F(HandOverTest, InstallsTheVerifiedPackageAndTellsTheNextStartOnce) {
    publish({{"Setup.sh", "touch /tmp/never-run\n"}, {"dilato_1.4.0_all.deb", genuineDeb}});
    std::vector<std::string> steps;
    config.between = [&](const std::string& step) { steps.push_back(step); };
    const HandOverOutcome outcome = run();
    EXPECT_TRUE(outcome.installed) << outcome.message;
    EXPECT_EQ(outcome.message, "Dilato 1.4.0 was installed.");
    ASSERT_EQ(packages.packages.size(), 1u);
    EXPECT_EQ(packages.packages[0], genuineDeb);
    EXPECT_EQ(steps, std::vector<std::string>(std::begin(kHandOverSteps), std::end(kHandOverSteps)));
    // The private unpacking folder is gone, and the shared folder got nothing new.
    EXPECT_TRUE(std::filesystem::is_empty(staging.path()));
    EXPECT_EQ(ListFiles(work.path()),
              (std::vector<std::string>{"Dilato140.zip", "Dilato_Version.htm", "Dilato_Version.htm.sig"}));

    test::RecordingOperator op;
    const std::string sys = work.path() + "sys/";
    std::filesystem::create_directory(sys);
    CleanUpdateFolder(sys);
    for (int start = 0; start < 2; ++start) {
        const auto shown = TakeUnseenUpdateResult(config.resultFolder, UpdateWorkFolder(sys), ::geteuid());
        EXPECT_EQ(shown.has_value(), start == 0);
        if (shown) EXPECT_EQ(*shown, "Dilato 1.4.0 was installed.");
    }
    // A record in a folder that anyone but its owner could change is not believed.
    ::chmod(config.resultFolder.c_str(), 0777);
    ::unlink((UpdateWorkFolder(sys) + kUpdateResultSeenName).c_str());
    EXPECT_FALSE(TakeUnseenUpdateResult(config.resultFolder, UpdateWorkFolder(sys), ::geteuid()));
}

// Each refusal installs nothing, and the record says why and what to do.
TEST_F(HandOverTest, RefusesAnythingButDilatoAtTheSignedNewerVersion) {
    struct Case {
        const char* what;
        std::function<void()> prepare;
        const char* reason;
    };
    const std::vector<Case> cases{
        {"another package", [&] { publish({{"dilato_1.4.0_all.deb", deb("evil", "1.4.0")}}); },
         "is not Dilato 1.4.0"},
        {"another version inside", [&] { publish({{"dilato_1.4.0_all.deb", deb("dilato", "1.3.0")}}); },
         "is not Dilato 1.4.0"},
        {"two packages",
         [&] { publish({{"dilato_1.4.0_all.deb", genuineDeb}, {"dilato_1.4.1_all.deb", genuineDeb}}); },
         "more than one Dilato package"},
        {"no package", [&] { publish({{"Setup.sh", "x"}}); }, "holds no Dilato package"},
        {"not newer than the installed",
         [&] { publish({{"dilato_1.4.0_all.deb", genuineDeb}}); packages.installed = "1.4.0"; },
         "is not newer than the installed version 1.4.0"},
        {"expired", [&] {
             publish({{"dilato_1.4.0_all.deb", genuineDeb}});
             config.today = [] { return std::string("2027-06-02"); };
         }, "expired on 2027-06-01"},
        {"not installed as a package",
         [&] { publish({{"dilato_1.4.0_all.deb", genuineDeb}}); packages.installed.clear(); },
         "not installed as a package"},
        {"package manager busy", [&] {
             publish({{"dilato_1.4.0_all.deb", genuineDeb}});
             packages.answer = {false, true, "the package manager was busy with another installation for 120 s."};
         }, "busy with another installation"},
    };
    for (const Case& c : cases) {
        packages = RecordingPackages{};
        config.today = [] { return std::string("2026-12-09"); };
        c.prepare();
        const HandOverOutcome outcome = run();
        EXPECT_FALSE(outcome.installed) << c.what;
        if (std::string(c.what) != "package manager busy") EXPECT_TRUE(packages.packages.empty()) << c.what;
        EXPECT_NE(outcome.message.find(c.reason), std::string::npos) << c.what << ": " << outcome.message;
        EXPECT_NE(outcome.message.find("Run Live Update again"), std::string::npos) << c.what;
        const auto held = ReadFileBytes(config.resultFolder + "/" + kUpdateResultName);
        ASSERT_TRUE(held) << c.what;
        const auto record = ParseResultRecord(*held);
        ASSERT_TRUE(record) << c.what;
        EXPECT_FALSE(record->installed) << c.what;
        EXPECT_EQ(record->message, outcome.message) << c.what;
        EXPECT_TRUE(std::filesystem::is_empty(staging.path())) << c.what;
    }
}

// The folder named is used only as itself: a link in its place is refused even when it leads
// to a genuine release, and even when named with a trailing "/".
TEST_F(HandOverTest, ALinkInPlaceOfTheWorkFolderIsRefused) {
    publish({{"dilato_1.4.0_all.deb", genuineDeb}});
    const std::string link = results.path() + "LiveUpdate";
    ASSERT_EQ(::symlink(work.path().c_str(), link.c_str()), 0);
    for (const std::string& named : {link, link + "/"}) {
        const HandOverOutcome outcome = RunHandOver(named, packages, config);
        EXPECT_FALSE(outcome.installed) << named;
        EXPECT_NE(outcome.message.find("is a link or not a folder"), std::string::npos) << outcome.message;
    }
    EXPECT_TRUE(packages.packages.empty());
}

// apt-get and dpkg-query stand-ins: what they are asked, and a lock that stays held.
TEST(AptPackageSystem, WaitsForTheLockOnlySoLongAndSaysSo) {
    TempFolder folder;
    const std::string args = folder.file("args");
    const auto script = [&](const std::string& name, const std::string& body) {
        const std::string path = folder.write(name, "#!/bin/sh\necho \"$@\" > " + args + "\n" + body);
        ::chmod(path.c_str(), 0755);
        return path;
    };
    AptPackageSystem::Tools tools;
    tools.log = folder.file("update.log");
    tools.aptGet = script("apt-get", "echo 'E: Could not get lock /var/lib/dpkg/lock-frontend. It is "
                                     "held by process 4242 (apt-get)'\nexit 100\n");
    tools.dpkgQuery = script("dpkg-query", "printf 'install ok installed\\t1.3.7'\n");
    AptPackageSystem apt(tools);
    EXPECT_EQ(apt.installedVersion(), "1.3.7");
    const PackageInstall busy = apt.install("/tmp/dilato-update-x/dilato_1.4.0_all.deb", 7);
    EXPECT_FALSE(busy.ok);
    EXPECT_TRUE(busy.lockBusy);
    EXPECT_EQ(busy.problem, "the package manager was busy with another installation for 7 s.");
    EXPECT_EQ(folder.read("args"), "install --yes --no-install-recommends -o DPkg::Lock::Timeout=7 "
                                   "/tmp/dilato-update-x/dilato_1.4.0_all.deb\n");
    EXPECT_NE(folder.read("update.log").find("Could not get lock"), std::string::npos);

    tools.aptGet = script("apt-get2", "exit 0\n");
    tools.dpkgQuery = script("dpkg-query2", "printf 'deinstall ok config-files\\t1.3.7'\n");
    AptPackageSystem removed(tools);
    EXPECT_EQ(removed.installedVersion(), "");
    EXPECT_TRUE(removed.install("/tmp/x.deb", 7).ok);
}

} // namespace
} // namespace dilato
