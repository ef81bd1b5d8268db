// The version rules, the work folder's clean-up rules and the start-up's three moments.

#include "platform/Files.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"
#include "update/UpdateServer.h"
#include "update/UpdateStartup.h"
#include "update/VersionText.h"
#include "update/WorkFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dilato {
namespace {

using test::TempFolder;

// A version file of exactly `size` bytes whose version line reads `line`.
std::string VersionFileOfSize(const std::string& line, std::size_t size) {
    std::string text = "<html><body>\r\n" + line + "\r\n</body></html>\r\n";
    text.insert(0, std::string(size - text.size(), ' '));
    return text;
}

TEST(VersionRules, NumberUsesCharactersOneThreeAndFive) {
    EXPECT_EQ(VersionNumber("1.3.7"), 137);
    EXPECT_EQ(VersionNumber("1.4.0"), 140);
    EXPECT_EQ(VersionNumber(""), 0);
    EXPECT_EQ(ArchiveName("1.3.7"), "Dilato137.zip");
    EXPECT_EQ(ArchiveName("1.4.0"), "Dilato140.zip");
    EXPECT_TRUE(IsVersionText("1.4.0"));
    for (const char* bad : {"1.10.0", "1.4", "1.4.0.1", "a.b.c", "14.0.0"})
        EXPECT_FALSE(IsVersionText(bad)) << bad;
}

TEST(VersionRules, NewerSameAndOlderVersions) {
    auto check = CheckVersionFile("<p>Ver. 1.4.0</p>\r\n", "1.3.7");
    EXPECT_EQ(check.verdict, VersionVerdict::Newer);
    EXPECT_EQ(check.newVersion, "1.4.0"); // the markup after it is not part of the version
    EXPECT_EQ(CheckVersionFile("Ver. 1.3.7", "1.3.7").verdict, VersionVerdict::UpToDate);
    EXPECT_EQ(CheckVersionFile("Ver. 1.2.9", "1.3.7").verdict, VersionVerdict::UpToDate);
    // The first line with the marker counts.
    EXPECT_EQ(CheckVersionFile("Dilato\nVer. 2.0.0\nVer. 1.0.0\n", "1.3.7").newVersion, "2.0.0");
}

TEST(VersionRules, FileOf299BytesIsReadAndOf300IsInvalid) {
    const std::string at299 = VersionFileOfSize("Ver. 1.4.0", 299);
    const std::string at300 = VersionFileOfSize("Ver. 1.4.0", 300);
    ASSERT_EQ(at299.size(), 299u);
    EXPECT_EQ(CheckVersionFile(at299, "1.3.7").verdict, VersionVerdict::Newer);
    EXPECT_EQ(CheckVersionFile(at300, "1.3.7").verdict, VersionVerdict::Invalid);
}

TEST(VersionRules, MissingOrUncomparableVersions) {
    EXPECT_EQ(CheckVersionFile("<html>Version 1.4.0</html>", "1.3.7").verdict,
              VersionVerdict::NoVersion);
    EXPECT_EQ(CheckVersionFile("", "1.3.7").verdict, VersionVerdict::NoVersion);
    EXPECT_EQ(CheckVersionFile("Ver. 0.0.0", "1.3.7").verdict, VersionVerdict::NoVersion);
    // 1.10.0 would compare as 1.1.0 and never be offered: it is refused as invalid instead.
    const auto twoDigits = CheckVersionFile("Ver. 1.10.0", "1.3.7");
    EXPECT_EQ(twoDigits.verdict, VersionVerdict::Invalid);
    EXPECT_EQ(twoDigits.newVersion, "1.10.0");
}

// The server is the administrator's: a file only its owner can change, https only. An
// operator's Dilato.ini in the shared folder names nothing.
TEST(UpdateServerSetting, ComesFromTheAdministratorsFileOverHttpsOnly) {
    TempFolder folder;
    const uid_t me = ::geteuid();
    const std::string conf = folder.file("dilato.conf");
    EXPECT_EQ(AdminUpdateServer(conf, me).server, kDefaultUpdateServer);
    EXPECT_EQ(std::string(kDefaultUpdateServer).rfind("https://", 0), 0u);
    folder.write("Dilato.ini", "[General]\r\nUpdateServer=http://evil.example\r\n");
    EXPECT_EQ(AdminUpdateServer(conf, me).server, kDefaultUpdateServer);

    struct Case {
        const char* text;
        std::string server; // "" when refused
    };
    const std::vector<Case> cases{
        {"# no server set\n[Update]\n", kDefaultUpdateServer},
        {"[Update]\nServer = https://updates.example.org:8443/\n", "https://updates.example.org:8443"},
        {"[Other]\nServer=https://elsewhere.example\n", kDefaultUpdateServer},
        {"[Update]\nServer=http://updates.example.org\n", ""},
        {"[Update]\nServer=https://updates.example.org/evil?x\n", ""},
        {"[Update]\nServer=ftp://updates.example.org\n", ""},
    };
    for (const Case& c : cases) {
        folder.write("dilato.conf", c.text);
        ::chmod(conf.c_str(), 0644);
        const UpdateServerChoice choice = AdminUpdateServer(conf, me);
        EXPECT_EQ(choice.server, c.server) << c.text;
        EXPECT_EQ(choice.problem.empty(), !c.server.empty()) << c.text;
    }
    // A file others may change, or a link, is not the administrator's word.
    folder.write("dilato.conf", "[Update]\nServer=https://updates.example.org\n");
    ::chmod(conf.c_str(), 0664);
    EXPECT_NE(AdminUpdateServer(conf, me).problem, "");
    ::chmod(conf.c_str(), 0644);
    EXPECT_NE(AdminUpdateServer(conf, me + 1).problem, "");
    ::symlink(conf.c_str(), folder.file("link.conf").c_str());
    EXPECT_NE(AdminUpdateServer(folder.file("link.conf"), me).problem, "");

    const std::string server = "https://updates.example.org";
    EXPECT_EQ(VersionFileUrl(server), server + "/wp-content/versions/Dilato_Version.htm");
    EXPECT_EQ(VersionSignatureUrl(server), server + "/wp-content/versions/Dilato_Version.htm.sig");
    EXPECT_EQ(ArchiveUrl(server, "Dilato140.zip"), server + "/wp-content/downloads/Dilato140.zip");
}

// Another operator put a link where the work folder belongs: the clean-up deletes nothing
// behind it, makes nothing, and the folder counts as unusable.
TEST(WorkFolderRules, CleanUpNeverFollowsALink) {
    TempFolder sys, privateFiles;
    privateFiles.write("thesis.zip", "precious");
    privateFiles.write("notes.htm", "precious");
    ASSERT_EQ(::symlink(privateFiles.path().c_str(), sys.file("LiveUpdate").c_str()), 0);
    CleanUpdateFolder(sys.path());
    EXPECT_EQ(ListFiles(privateFiles.path()), (std::vector<std::string>{"notes.htm", "thesis.zip"}));
    EXPECT_EQ(CheckWorkFolder(UpdateWorkFolder(sys.path())), WorkFolderState::Link);
    EXPECT_FALSE(FindPendingArchive(UpdateWorkFolder(sys.path())));

    // Links inside the folder go themselves; what they lead to stays.
    ::unlink(sys.file("LiveUpdate").c_str());
    CleanUpdateFolder(sys.path());
    ASSERT_EQ(::symlink(privateFiles.file("thesis.zip").c_str(), sys.file("LiveUpdate/Dilato140.zip").c_str()), 0);
    CleanUpdateFolder(sys.path());
    EXPECT_FALSE(std::filesystem::is_symlink(sys.file("LiveUpdate/Dilato140.zip")));
    EXPECT_EQ(privateFiles.read("thesis.zip"), "precious");
}

TEST(WorkFolderRules, StartUpCleanUpRemovesOnlyLeftoversByExactEnding) {
    TempFolder sys;
    CleanUpdateFolder(sys.path()); // creates the missing folder
    ASSERT_TRUE(IsDirectory(sys.path() + "LiveUpdate"));
    for (const char* name : {"a.zip", "b.HTM", "c.txt", "Setup.exe", "x.inf", "v.htm",
                             "Dilato140.zip.sig", "dilato_1.4.0_amd64.deb", "Setup.sh"})
        sys.write(std::string("LiveUpdate/") + name, "x");
    sys.write("LiveUpdate/keep/inner.zip", "x");
    CleanUpdateFolder(sys.path());
    EXPECT_EQ(ListFiles(sys.path() + "LiveUpdate"), (std::vector<std::string>{"b.HTM", "c.txt"}));
    EXPECT_TRUE(IsFile(sys.path() + "LiveUpdate/keep/inner.zip"));
}

TEST(WorkFolderRules, CloseDiscardsOnlyVersionFileArchiveAndItsSignature) {
    TempFolder work;
    for (const char* name : {"Dilato140.zip", "Dilato140.zip.sig", "Dilato_Version.htm",
                             "notes.txt", "Setup.sh", "readme.HTM", "old.zip.bak"})
        work.write(name, "x");
    DiscardDownloads(work.path());
    EXPECT_EQ(ListFiles(work.path()),
              (std::vector<std::string>{"Setup.sh", "notes.txt", "old.zip.bak", "readme.HTM"}));
}

TEST(WorkFolderRules, PendingArchiveIsTheFirstDilatoZip) {
    TempFolder work;
    EXPECT_FALSE(FindPendingArchive(work.path()));
    work.write("Other.zip", "x");
    work.write("Dilato140.zip.sig", "x");
    EXPECT_FALSE(FindPendingArchive(work.path()));
    work.write("Dilato150.zip", "x");
    work.write("Dilato140.zip", "x");
    EXPECT_EQ(FindPendingArchive(work.path()), work.file("Dilato140.zip"));
}

TEST(UpdateReminder, DueAfter89DaysWhenOnAndUnreadableDatesCountAs7000) {
    const QDate today(2026, 12, 9);
    EXPECT_EQ(DaysSinceUpdateReminder("09-10-2026", today), 90);
    EXPECT_TRUE(UpdateReminderDue("09-10-2026", true, today));
    EXPECT_FALSE(UpdateReminderDue("09-11-2026", true, today)); // 89 days
    EXPECT_FALSE(UpdateReminderDue("09-10-2026", false, today));
    EXPECT_EQ(DaysSinceUpdateReminder("someday", today), 7000);
    EXPECT_TRUE(UpdateReminderDue("", true, today));
}

// Update windows answering from a script and recording what start-up asked.
struct ScriptedWindows final : UpdateWindows {
    bool updating = false;
    int confirmations = 0;
    bool showReminder(bool remindAgain) override { return remindAgain; }
    bool showInstallConfirmation() override {
        ++confirmations;
        return updating;
    }
};

struct RecordingLauncher final : InstallerLauncher {
    std::string failure;
    std::vector<std::string> started;
    std::function<void()> onStart;
    std::string start(const std::string& workFolder) override {
        started.push_back(workFolder);
        if (onStart) onStart();
        return failure;
    }
};

TEST(PendingInstallation, AcceptedUpdateWritesSettingsBeforeTheInstallerStarts) {
    TempFolder sys;
    CleanUpdateFolder(sys.path());
    test::RecordingOperator op;
    ScriptedWindows windows;
    RecordingLauncher launcher;
    std::vector<std::string> order;
    const auto write = [&] { order.push_back("settings written"); };
    // No archive: no question.
    EXPECT_FALSE(StartPendingInstallation(sys.path(), windows, launcher, write, op));
    EXPECT_EQ(windows.confirmations, 0);

    sys.write("LiveUpdate/Dilato140.zip", "x");
    EXPECT_FALSE(StartPendingInstallation(sys.path(), windows, launcher, write, op));
    EXPECT_EQ(windows.confirmations, 1);
    EXPECT_TRUE(order.empty());
    EXPECT_TRUE(launcher.started.empty());

    windows.updating = true;
    launcher.onStart = [&] { order.push_back("installer started"); };
    EXPECT_TRUE(StartPendingInstallation(sys.path(), windows, launcher, write, op));
    EXPECT_EQ(order, (std::vector<std::string>{"settings written", "installer started"}));
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0], UpdateWorkFolder(sys.path()));
    EXPECT_TRUE(op.messages.empty());

    // An installer that cannot start is reported and the program goes on.
    launcher.failure = "no pkexec.";
    EXPECT_FALSE(StartPendingInstallation(sys.path(), windows, launcher, write, op));
    EXPECT_TRUE(op.sawText("The update could not be installed: no pkexec. Dilato goes on with the current version."));
}

} // namespace
} // namespace dilato
