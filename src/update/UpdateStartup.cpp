#include "update/UpdateStartup.h"

#include "platform/Format.h"
#include "update/UpdateResult.h"
#include "update/UpdateServer.h"
#include "update/VersionText.h"
#include "update/WorkFolder.h"

#include <QProcess>
#include <sys/stat.h>

namespace dilato {

namespace {

inline constexpr int kUnreadableDateDays = 7000;
inline constexpr int kReminderAfterDays = 89;
inline constexpr const char* kPkexec = "/usr/bin/pkexec";

// pkexec <helper> <work folder>: the administrator's prompt names the helper's polkit action.
// The helper is used only as the package installed it: a root-owned file nobody else can
// change.
class SystemInstallerLauncher final : public InstallerLauncher {
  public:
    std::string start(const std::string& workFolder) override {
        const std::string helper = UpdateHelperPath();
        struct stat st {};
        if (::lstat(helper.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != 0 ||
            (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
            return "the update helper " + helper +
                   " is not installed (install Dilato from its package).";
        const bool started = QProcess::startDetached(
            kPkexec, {QString::fromStdString(helper), QString::fromStdString(workFolder)});
        return started ? std::string() : std::string(kPkexec) + " could not be started.";
    }
};

} // namespace

std::unique_ptr<InstallerLauncher> MakeSystemInstallerLauncher() {
    return std::make_unique<SystemInstallerLauncher>();
}

LiveUpdateSettings SystemLiveUpdateSettings(const std::string& sysFolder) {
    LiveUpdateSettings settings;
    settings.workFolder = UpdateWorkFolder(sysFolder);
    const UpdateServerChoice server = AdminUpdateServer();
    settings.server = server.server;
    settings.serverProblem = server.problem;
    settings.runningVersion = RunningVersionText();
    settings.releaseKey = BuiltInReleaseKey();
    return settings;
}

int DaysSinceUpdateReminder(const std::string& updateDate, const QDate& today) {
    const QDate date = ParseDateMDY(updateDate);
    return date.isValid() ? static_cast<int>(date.daysTo(today)) : kUnreadableDateDays;
}

bool UpdateReminderDue(const std::string& updateDate, bool updateStatus, const QDate& today) {
    return updateStatus && DaysSinceUpdateReminder(updateDate, today) > kReminderAfterDays;
}

bool StartPendingInstallation(const std::string& sysFolder, UpdateWindows& windows,
                              InstallerLauncher& launcher,
                              const std::function<void()>& writeSettings, Operator& op) {
    const std::string workFolder = UpdateWorkFolder(sysFolder);
    if (!FindPendingArchive(workFolder) || !windows.showInstallConfirmation()) return false;
    if (writeSettings) writeSettings();
    const std::string why = launcher.start(workFolder);
    if (why.empty()) return true;
    ShowMessage(op, "The update could not be installed: " + why + " Dilato goes on with the current version.",
                "Software Update", MessageIcon::Exclamation);
    return false;
}

void ShowLastUpdateResult(const std::string& sysFolder, Operator& op, const std::string& resultFolder) {
    if (const auto message = TakeUnseenUpdateResult(resultFolder, UpdateWorkFolder(sysFolder)))
        ShowMessage(op, *message, "Software Update", MessageIcon::Information);
}

} // namespace dilato
