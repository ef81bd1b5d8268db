#pragma once
// The update's three moments in the program's start-up, in this order:
//   1. CleanUpdateFolder (WorkFolder.h), right after the start-up log entry: leftovers of
//      earlier runs go, the work folder is made when missing;
//   2. RunUpdateReminder, after the instrument links are checked: the reminder (and from it
//      the control panel) when the last one is 90 days old or more and reminders are on;
//   3. RunPendingInstallation, right after it: an archive that the control panel just
//      downloaded is offered for installation; when the operator accepts, the settings are
//      written, the installer is started and the program ends.

#include "platform/Operator.h"
#include "update/LiveUpdateModel.h"

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

// On Linux: pkexec /bin/sh <work folder>/Setup.sh <work folder>, so the desktop asks for an
// administrator's password; on Windows the setup program itself.
[[nodiscard]] std::unique_ptr<InstallerLauncher> MakeSystemInstallerLauncher();

// The control panel's settings for this system folder: the work folder, the server from the
// settings file, this program's version and its built-in release key.
[[nodiscard]] LiveUpdateSettings SystemLiveUpdateSettings(const std::string& sysFolder);

// Whole days from the "UpdateDate" text (month-day-year) to today; 7000 when it cannot be read.
[[nodiscard]] int DaysSinceUpdateReminder(const std::string& updateDate, const QDate& today);
// More than 89 days and the reminder on.
[[nodiscard]] bool UpdateReminderDue(const std::string& updateDate, bool updateStatus,
                                     const QDate& today);

// When due, shows the reminder preset from `updateStatus`, then stores the operator's choice
// back into `updateStatus` and today into `updateDate` (the settings' "UpdateStatus" and
// "UpdateDate", written at the next settings save). True when the reminder was shown.
bool RunUpdateReminder(bool& updateStatus, std::string& updateDate, const QDate& today,
                       UpdateWindows& windows);

// When an archive "Dilato*.zip" waits in the work folder, shows the installation
// confirmation. When it reports `Updating`: writeSettings, start the installer and end the
// program (EndProgram, which does not return). An installer that cannot be started is
// reported and the program goes on. Returns normally in every other case.
void RunPendingInstallation(const std::string& sysFolder, UpdateWindows& windows,
                            InstallerLauncher& launcher,
                            const std::function<void()>& writeSettings, Operator& op);

} // namespace dilato
