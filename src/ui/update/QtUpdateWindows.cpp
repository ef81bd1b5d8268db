#include "ui/update/QtUpdateWindows.h"

#include "ui/update/InstallDialog.h"
#include "ui/update/LiveUpdateDialog.h"
#include "ui/update/ReminderDialog.h"

namespace dilato {

QtUpdateWindows::QtUpdateWindows(const std::string& sysFolder, Operator& op, QWidget* parent)
    : settings_(SystemLiveUpdateSettings(sysFolder)), op_(op), parent_(parent) {}

bool QtUpdateWindows::showReminder(bool remindAgain) {
    ReminderModel reminder{remindAgain};
    {
        ReminderDialog dialog(reminder, parent_);
        dialog.exec();
    }
    if (reminder.openControlPanel) {
        LiveUpdateModel panel(settings_, fetcher_);
        LiveUpdateDialog dialog(panel, parent_);
        dialog.exec();
        fetcher_.cancel();
    }
    return reminder.UpdateReminder;
}

bool QtUpdateWindows::showInstallConfirmation() {
    InstallModel model(settings_.workFolder, settings_.releaseKey, op_);
    InstallDialog dialog(model, parent_);
    dialog.exec();
    return model.Updating;
}

} // namespace dilato
