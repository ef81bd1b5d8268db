#pragma once
// The update's moments in the program's start-up, in this order:
//   1. CleanUpdateFolder (WorkFolder.h), right after the start-up log entry: leftovers of
//      earlier runs go, the work folder is made when missing; then ShowLastUpdateResult tells
//      the operator what became of the last hand-over;
//   2. after the instrument links are checked, when UpdateReminderDue: the reminder
//      (UpdateWindows::showReminder, from which the control panel opens); its option goes
//      back into "UpdateStatus" and today into "UpdateDate";
//   3. right after it, when FindPendingArchive finds the archive the control panel just
//      downloaded: StartPendingInstallation; when it returns true the program ends.

#include "platform/Operator.h"
#include "update/LiveUpdateModel.h"
#include "update/UpdateResult.h"

#include <QDate>
#include <functional>
#include <memory>
#include <string>

namespace dilato {

// The update windows as start-up opens them: Qt dialogs in the program, scripts in tests.
class UpdateWindows {
  public:
    virtual ~UpdateWindows() = default;
    // The reminder, modal, with "Remind me again" preset; its "Yes" opens the control panel
    // (modal) before it returns. Returns the reminder option as the operator left it.
    virtual bool showReminder(bool remindAgain) = 0;
    // The installation confirmation, modal; returns `Updating`.
    virtual bool showInstallConfirmation() = 0;
};

// Starts the installer the archive brought, detached from this program.
class InstallerLauncher {
  public:
    virtual ~InstallerLauncher() = default;
    // "" when it started, otherwise why it did not.
    virtual std::string start(const std::string& workFolder) = 0;
};

// pkexec /usr/lib/dilato/dilato-update-helper <work folder>: the desktop asks for an
// administrator's password, naming the helper's action, and the helper installs the verified
// package as root (update/HandOver.h).
[[nodiscard]] std::unique_ptr<InstallerLauncher> MakeSystemInstallerLauncher();

// The control panel's settings for this system folder: the work folder, the server from the
// administrator's settings (UpdateServer.h), this program's version and its built-in key.
[[nodiscard]] LiveUpdateSettings SystemLiveUpdateSettings(const std::string& sysFolder);

// Whole days from the "UpdateDate" text (month-day-year) to today; 7000 when it cannot be read.
[[nodiscard]] int DaysSinceUpdateReminder(const std::string& updateDate, const QDate& today);
// More than 89 days and the reminder on.
[[nodiscard]] bool UpdateReminderDue(const std::string& updateDate, bool updateStatus,
                                     const QDate& today);

// The installation confirmation for the archive waiting in the work folder. When the operator
// accepts and the archive checks out: writeSettings, then the installer starts; true then,
// and the caller ends the program. An installer that cannot be started is reported and
// false returned, as for every other outcome: the program goes on with this version.
[[nodiscard]] bool StartPendingInstallation(const std::string& sysFolder, UpdateWindows& windows,
                                            InstallerLauncher& launcher,
                                            const std::function<void()>& writeSettings,
                                            Operator& op);

// Shows, once, the outcome the update helper recorded for the last hand-over.
void ShowLastUpdateResult(const std::string& sysFolder, Operator& op,
                          const std::string& resultFolder = kUpdateResultFolder);

} // namespace dilato
