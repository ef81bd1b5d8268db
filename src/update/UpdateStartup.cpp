#include "update/UpdateStartup.h"

#include "platform/Format.h"
#include "update/UpdateServer.h"
#include "update/VersionText.h"
#include "update/WorkFolder.h"

#include <QProcess>

namespace dilato {

namespace {

inline constexpr int kUnreadableDateDays = 7000;
inline constexpr int kReminderAfterDays = 89;

class SystemInstallerLauncher final : public InstallerLauncher {
  public:
    std::string start(const std::string& workFolder) override {
        const QString installer = QString::fromStdString(workFolder + kInstallerName);
#ifdef _WIN32
        const bool started = QProcess::startDetached(installer, {});
#else
        const bool started = QProcess::startDetached(
            "pkexec", {"/bin/sh", installer, QString::fromStdString(workFolder)});
#endif
        return started ? std::string() : "the installer " + installer.toStdString() + " could not be started.";
    }
};

} // namespace

std::unique_ptr<InstallerLauncher> MakeSystemInstallerLauncher() {
    return std::make_unique<SystemInstallerLauncher>();
}

LiveUpdateSettings SystemLiveUpdateSettings(const std::string& sysFolder) {
    LiveUpdateSettings settings;
    settings.workFolder = UpdateWorkFolder(sysFolder);
    settings.server = UpdateServerAddress(sysFolder + "Dilato.ini");
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

} // namespace dilato
