// The update control panel against a small HTTP server on the loopback address: the check of
// the signed version file, the download it names and every way the server can fail them.

#include "UpdateTestKit.h"
#include "platform/Files.h"
#include "support/TempFolder.h"
#include "update/LiveUpdateModel.h"
#include "update/QtFetcher.h"
#include "update/WorkFolder.h"

#include <QCoreApplication>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace dilato {
namespace {

using namespace liveupdate;
using test::Answer;
using test::RunUntil;

const std::string kVersionPath = "/wp-content/versions/Dilato_Version.htm";
const std::string kSignaturePath = kVersionPath + ".sig";
const std::string kArchivePath = "/wp-content/downloads/Dilato140.zip";
const std::vector<test::ZipEntry> kEntries{{"Setup.sh", "#!/bin/sh\n"},
                                           {"dilato_1.4.0_amd64.deb", "pkg"}};

class ControlPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        app_ = std::make_unique<QCoreApplication>(argc_, argv_);
        server_ = std::make_unique<test::TestHttpServer>();
        fetcher_ = std::make_unique<QtFetcher>(1500);
        std::filesystem::create_directories(work());
        release = test::MakeRelease(key, "1.4.0", kEntries);
        archive = QByteArray::fromStdString(release.archive);
    }
    void TearDown() override {
        model_.reset();
        fetcher_.reset();
        server_.reset();
        app_.reset();
    }

    // The version file as given, signed with the release key; the release's archive.
    void offer(const std::string& versionFile) {
        server_->answers[kVersionPath] = Answer::ok(QByteArray::fromStdString(versionFile));
        server_->answers[kSignaturePath] = Answer::ok(QByteArray::fromStdString(key.sign(versionFile)));
        server_->answers[kArchivePath] = Answer::ok(archive);
    }
    void offer(const test::TestRelease& r) {
        offer(r.manifestBytes);
        server_->answers[kSignaturePath] = Answer::ok(QByteArray::fromStdString(r.signature));
        server_->answers["/wp-content/downloads/" + r.manifest.archive] =
            Answer::ok(QByteArray::fromStdString(r.archive));
    }
    LiveUpdateModel& panel(const std::string& running = "1.3.7") {
        LiveUpdateSettings settings;
        settings.workFolder = work();
        settings.server = server_->address();
        settings.runningVersion = running;
        settings.releaseKey = key.publicKey();
        settings.today = "2026-12-09";
        if (adjust) adjust(settings);
        model_ = std::make_unique<LiveUpdateModel>(settings, *fetcher_);
        model_->changed = [this] { ++changes; };
        model_->load();
        return *model_;
    }
    // Presses the mode button and lets the transfer run to its end.
    void press(LiveUpdateModel& m) {
        const int before = changes;
        m.pressMode();
        ASSERT_TRUE(RunUntil([&] { return changes > before; }, 8000)) << "no answer in time";
    }
    void check(LiveUpdateModel& m) {
        ASSERT_EQ(m.view().modeCaption, kCheck);
        m.pressMode();
        EXPECT_EQ(m.view().state, kChecking);
        EXPECT_FALSE(m.view().modeEnabled);
        const int before = changes;
        ASSERT_TRUE(RunUntil([&] { return changes > before; }, 8000)) << "no answer in time";
    }
    std::string work() const { return folder.path() + "LiveUpdate/"; }
    std::vector<std::string> workFiles() const { return ListFiles(work()); }

    test::TempFolder folder{};
    test::TestSigningKey key;
    test::TestRelease release;
    QByteArray archive;
    std::function<void(LiveUpdateSettings&)> adjust;
    int changes = 0;
    std::unique_ptr<test::TestHttpServer> server_;

  private:
    int argc_ = 1;
    char arg0_[8] = "test";
    char* argv_[1] = {arg0_};
    std::unique_ptr<QCoreApplication> app_;
    std::unique_ptr<QtFetcher> fetcher_;
    std::unique_ptr<LiveUpdateModel> model_;
};

TEST_F(ControlPanel, OpensIdleWithTheRunningVersion) {
    auto& m = panel();
    EXPECT_EQ(m.view().currentVersion, "1.3.7");
    EXPECT_EQ(m.view().updateVersion, "--");
    EXPECT_EQ(m.view().state, kIdle);
    EXPECT_EQ(m.view().modeCaption, "Check for Update!");
    EXPECT_EQ(m.view().message,
              "Press the 'Check for Update!' button to check the Norvane Server for Dilato updates!");
    m.statusTimerTick();
    EXPECT_EQ(m.view().statusPanel, "Status: Idle");
    m.downloadTimerTick(); // not running: no count
    EXPECT_EQ(m.view().timePanel, "");
}

TEST_F(ControlPanel, NewerVersionIsOfferedDownloadedAndVerified) {
    folder.write("LiveUpdate/notes.txt", "keep");
    offer(release);
    auto& m = panel();
    check(m);
    EXPECT_EQ(m.view().updateVersion, "1.4.0");
    EXPECT_EQ(m.view().message, kNewerAvailable);
    EXPECT_EQ(m.view().modeCaption, "Download!");
    EXPECT_TRUE(m.view().modeEnabled);
    EXPECT_EQ(m.view().state, kIdle);

    m.pressMode();
    EXPECT_EQ(m.view().state, "Downloading.....");
    EXPECT_EQ(m.view().message, "File Download in progress. Please wait!");
    EXPECT_EQ(m.view().modeCaption, "OK");
    EXPECT_FALSE(m.view().modeEnabled);
    EXPECT_FALSE(m.view().cancelEnabled);
    EXPECT_TRUE(m.view().downloadTimerRunning);
    m.downloadTimerTick();
    m.downloadTimerTick();
    EXPECT_EQ(m.view().timePanel, "Download Time:2 Secs");
    m.statusTimerTick();
    EXPECT_EQ(m.view().statusPanel, "Status: Downloading.....");
    ASSERT_TRUE(RunUntil([&] { return m.view().modeEnabled; }, 8000));

    EXPECT_EQ(m.view().message, kDownloadComplete);
    EXPECT_EQ(m.view().state, kIdle);
    EXPECT_TRUE(m.view().cancelEnabled);
    EXPECT_FALSE(m.view().downloadTimerRunning);
    EXPECT_EQ(folder.read("LiveUpdate/Dilato140.zip"), archive.toStdString());
    EXPECT_EQ(workFiles(), (std::vector<std::string>{"Dilato140.zip", "Dilato_Version.htm",
                                                     "Dilato_Version.htm.sig", "notes.txt"}));
    EXPECT_EQ(server_->requests, (std::vector<std::string>{kVersionPath, kSignaturePath,
                                                           kArchivePath}));
    m.pressMode(); // "OK"
    EXPECT_TRUE(m.view().closed);
}

TEST_F(ControlPanel, SameVersionReportsTheMostRecent) {
    offer(test::MakeRelease(key, "1.3.7", kEntries));
    auto& m = panel();
    check(m);
    EXPECT_EQ(m.view().message, kMostRecent);
    EXPECT_EQ(m.view().modeCaption, "OK");
    EXPECT_TRUE(m.view().modeEnabled);
    EXPECT_FALSE(m.view().cancelEnabled);
    EXPECT_EQ(server_->requests, (std::vector<std::string>{kVersionPath, kSignaturePath}));
}

TEST_F(ControlPanel, VersionFilesOf299And300Bytes) {
    std::string body = release.manifestBytes;
    body += std::string(299 - body.size(), '-');
    offer(body);
    auto& ok = panel();
    check(ok);
    EXPECT_EQ(ok.view().message, kNewerAvailable);

    offer(body + "-");
    auto& tooLong = panel();
    check(tooLong);
    EXPECT_EQ(tooLong.view().message, kInvalidFile);
    EXPECT_EQ(tooLong.view().modeCaption, "OK");
    EXPECT_TRUE(tooLong.view().modeEnabled);
    EXPECT_FALSE(tooLong.view().cancelEnabled);

    offer(std::string(200000, 'x')); // cut off long before the end
    auto& huge = panel();
    check(huge);
    EXPECT_EQ(huge.view().message, kInvalidFile);
}

TEST_F(ControlPanel, NoVersionLineTwoDigitFieldsAndServerFailures) {
    offer("<html><body>Maintenance</body></html>");
    auto& none = panel();
    check(none);
    EXPECT_EQ(none.view().message, kUnableToConnect);
    EXPECT_EQ(none.view().modeCaption, "OK");
    EXPECT_TRUE(none.view().modeEnabled);
    EXPECT_EQ(none.view().state, kIdle);

    offer("Ver. 1.10.0");
    auto& twoDigits = panel();
    check(twoDigits);
    EXPECT_EQ(twoDigits.view().message, kInvalidFile);

    std::filesystem::remove(work() + "Dilato_Version.htm");
    server_->answers.erase(kVersionPath); // 404
    auto& missing = panel();
    check(missing);
    EXPECT_EQ(missing.view().message, kUnableToConnect);
    EXPECT_TRUE(missing.view().modeEnabled);
    EXPECT_FALSE(IsFile(work() + "Dilato_Version.htm")); // the error page is not kept

    server_->answers[kVersionPath] = Answer::silent();
    auto& silent = panel();
    check(silent);
    EXPECT_EQ(silent.view().message, kUnableToConnect);
}

TEST_F(ControlPanel, NoServerAtAllIsUnableToConnect) {
    LiveUpdateSettings settings;
    settings.workFolder = work();
    settings.server = "http://127.0.0.1:1"; // nothing listens there
    settings.runningVersion = "1.3.7";
    settings.releaseKey = key.publicKey();
    QtFetcher fetcher(1500);
    LiveUpdateModel m(settings, fetcher);
    int done = 0;
    m.changed = [&] { ++done; };
    m.load();
    m.pressMode();
    ASSERT_TRUE(RunUntil([&] { return done > 0; }, 8000));
    EXPECT_EQ(m.view().message, kUnableToConnect);
}

TEST_F(ControlPanel, RedirectToAnotherHostIsNotFollowed) {
    offer(release);
    // "localhost" is another host than 127.0.0.1 as far as the origin goes.
    const std::string elsewhere = "http://localhost:" + server_->address().substr(17);
    server_->answers[kVersionPath] = Answer::redirect(QByteArray::fromStdString(elsewhere + "/evil.htm"));
    server_->answers["/evil.htm"] = Answer::ok("Ver. 9.9.9");
    auto& m = panel();
    check(m);
    EXPECT_EQ(m.view().message, kUnableToConnect);
    EXPECT_EQ(server_->requests, (std::vector<std::string>{kVersionPath}));
}

// Every failed download says why, ends with "OK" enabled and leaves no archive behind.
TEST_F(ControlPanel, FailedDownloadsLeaveNothingBehind) {
    struct Case {
        const char* what;
        std::function<void()> breakIt;
        const char* reason;
    };
    const std::vector<Case> cases{
        {"archive missing", [&] { server_->answers.erase(kArchivePath); },
         "(file not found on the server)"},
        {"archive missing, long error page",
         [&] { server_->answers[kArchivePath] = Answer::make(404, QByteArray(5000, 'e'), Answer::Kind::Normal, {}); },
         "(file not found on the server)"},
        {"altered archive", [&] { server_->answers[kArchivePath].body[40] ^= 1; }, "not signed by Norvane"},
        {"another release's archive",
         [&] { server_->answers[kArchivePath].body = QByteArray::fromStdString(
                   test::MakeRelease(key, "1.3.9", {{"dilato_1.3.9_amd64.deb", "old"}}).archive); },
         "not signed by Norvane"},
        {"longer than signed", [&] { server_->answers[kArchivePath].body += "x"; }, "more than"},
        {"closed midway", [&] { server_->answers[kArchivePath].kind = Answer::Kind::CloseMidway; },
         "could not be downloaded"},
        {"silent", [&] { server_->answers[kArchivePath].kind = Answer::Kind::Silent; },
         "did not answer in time"},
    };
    for (const Case& c : cases) {
        server_->requests.clear();
        offer(release);
        c.breakIt();
        auto& m = panel();
        check(m);
        ASSERT_EQ(m.view().modeCaption, "Download!") << c.what;
        m.pressMode();
        ASSERT_TRUE(RunUntil([&] { return m.view().modeEnabled; }, 8000)) << c.what;
        EXPECT_NE(m.view().message.find(c.reason), std::string::npos) << c.what << ": " << m.view().message;
        EXPECT_NE(m.view().message.find("Press 'OK' to continue running the current version."),
                  std::string::npos) << c.what;
        EXPECT_EQ(m.view().state, kIdle) << c.what;
        EXPECT_FALSE(m.view().downloadTimerRunning) << c.what;
        EXPECT_EQ(workFiles(), (std::vector<std::string>{"Dilato_Version.htm", "Dilato_Version.htm.sig"}))
            << c.what;
    }
}

// What the version file claims counts only under the release key's signature: an unsigned,
// re-labelled, replayed or expired one offers nothing, and no archive is asked for.
TEST_F(ControlPanel, OnlyASignedCurrentNewerManifestOffersADownload) {
    const test::TestSigningKey stranger;
    test::TestRelease relabelled = release; // an old signed release served as "9.9.9"
    const test::TestRelease old = test::MakeRelease(key, "1.3.5", kEntries);
    relabelled.manifestBytes = old.manifestBytes;
    relabelled.signature = old.signature;
    auto replace = [](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    relabelled.manifestBytes = replace(relabelled.manifestBytes, "Ver. 1.3.5", "Ver. 9.9.9");
    test::TestRelease expired = test::MakeRelease(key, "1.4.0", kEntries, "2026-06-01", "2026-12-08");
    test::TestRelease foreign = release;
    foreign.manifestBytes = replace(foreign.manifestBytes, kProductId, "com.example.Other");
    test::Resign(foreign, key);
    test::TestRelease wrongKey = release;
    test::Resign(wrongKey, stranger);

    struct Case {
        const char* what;
        test::TestRelease offered;
        std::function<void()> breakIt;
        std::string message;
        std::string shownVersion;
    };
    const std::vector<Case> cases{
        {"signed by a stranger", wrongKey, {}, kInvalidFile, "--"},
        {"no signature", release, [&] { server_->answers.erase(kSignaturePath); }, kInvalidFile, "--"},
        {"old release relabelled", relabelled, {}, kInvalidFile, "--"},
        {"old signed release replayed", old, {}, kMostRecent, "1.3.5"},
        {"expired yesterday", expired, {}, ExpiredMessage("2026-12-08"), "--"},
        {"another product", foreign, {}, kInvalidFile, "--"},
    };
    for (const Case& c : cases) {
        server_->requests.clear();
        offer(c.offered);
        if (c.breakIt) c.breakIt();
        auto& m = panel();
        check(m);
        EXPECT_EQ(m.view().message, c.message) << c.what;
        EXPECT_EQ(m.view().updateVersion, c.shownVersion) << c.what;
        EXPECT_EQ(m.view().modeCaption, "OK") << c.what;
        EXPECT_TRUE(m.view().modeEnabled) << c.what;
        EXPECT_EQ(server_->requests, (std::vector<std::string>{kVersionPath, kSignaturePath})) << c.what;
    }
    // Expiry counts whole days: on its last day the release is still offered.
    offer(expired);
    adjust = [](LiveUpdateSettings& s) { s.today = "2026-12-08"; };
    auto& lastDay = panel();
    check(lastDay);
    EXPECT_EQ(lastDay.view().message, kNewerAvailable);
    EXPECT_EQ(lastDay.view().updateVersion, "1.4.0");
}

// Without a key, with the administrator's server refused or with a folder this user must not
// or cannot use, the check says why and the server never hears of it.
TEST_F(ControlPanel, NothingIsFetchedThatCouldNotBeCheckedOrKept) {
    offer(release);
    server_->answers[kArchivePath] = Answer::ok(QByteArray(40 * 1024 * 1024, 'z'));
    struct Case {
        const char* what;
        std::function<void(LiveUpdateSettings&)> adjust;
        std::string expected;
        bool cancelEnabled;
    };
    test::TempFolder elsewhere;
    const std::vector<Case> cases{
        {"no release key", [](LiveUpdateSettings& s) { s.releaseKey.reset(); }, kUpdatesDisabled, false},
        {"server refused", [](LiveUpdateSettings& s) { s.serverProblem = "The update server is refused."; },
         std::string("The update server is refused.") + kContinueCurrent, true},
        {"folder is a link",
         [&](LiveUpdateSettings& s) {
             std::filesystem::remove_all(work());
             std::filesystem::create_directory_symlink(elsewhere.path(), folder.path() + "LiveUpdate");
             s.workFolder = work();
         },
         WorkFolderProblem(WorkFolderState::Link, work()) + kContinueCurrent, true},
    };
    for (const Case& c : cases) {
        adjust = c.adjust;
        auto& m = panel();
        m.pressMode();
        EXPECT_EQ(m.view().message, c.expected) << c.what;
        EXPECT_EQ(m.view().modeCaption, "OK") << c.what;
        EXPECT_TRUE(m.view().modeEnabled) << c.what;
        EXPECT_EQ(m.view().cancelEnabled, c.cancelEnabled) << c.what;
        EXPECT_EQ(m.view().updateVersion, "--") << c.what;
        RunUntil([] { return false; }, 100);
        EXPECT_TRUE(server_->requests.empty()) << c.what;
        EXPECT_TRUE(ListFiles(elsewhere.path()).empty()) << c.what;
    }
}

// A version file that cannot be stored is this computer's trouble, not the server's.
TEST_F(ControlPanel, AFolderThatCannotTakeTheFileSaysSo) {
    offer(release);
    std::filesystem::create_directories(work() + "Dilato_Version.htm/inside");
    auto& m = panel();
    check(m);
    EXPECT_EQ(m.view().message.rfind("The update folder " + work() + " cannot be written (", 0), 0u)
        << m.view().message;
    EXPECT_TRUE(m.view().modeEnabled);
}

TEST_F(ControlPanel, CancelDuringDownloadAbandonsItWithoutLeftovers) {
    offer(release);
    server_->answers[kArchivePath].kind = Answer::Kind::Silent;
    auto& m = panel();
    check(m);
    m.pressMode();
    ASSERT_TRUE(RunUntil([&] { return server_->requests.size() == 3; }, 8000));
    m.pressCancel();
    EXPECT_TRUE(m.view().closed);
    EXPECT_FALSE(m.view().downloadTimerRunning);
    RunUntil([] { return false; }, 300); // nothing arrives after the cancel
    EXPECT_EQ(workFiles(), (std::vector<std::string>{"Dilato_Version.htm", "Dilato_Version.htm.sig"}));
}

} // namespace
} // namespace dilato
