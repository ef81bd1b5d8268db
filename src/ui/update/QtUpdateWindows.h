#pragma once
// The update windows of the program: the reminder, from it the control panel, and the
// installation confirmation, as Qt dialogs over the update models.

#include "update/QtFetcher.h"
#include "update/UpdateStartup.h"

#include <QPointer>
#include <QWidget>

namespace dilato {

class QtUpdateWindows final : public UpdateWindows {
  public:
    // sysFolder: the system folder (its "Dilato.ini" names the server, "LiveUpdate/" is the
    // work folder). op shows the installation's failure messages.
    QtUpdateWindows(const std::string& sysFolder, Operator& op, QWidget* parent = nullptr);

    bool showReminder(bool remindAgain) override;
    bool showInstallConfirmation() override;

  private:
    LiveUpdateSettings settings_;
    Operator& op_;
    QPointer<QWidget> parent_;
    QtFetcher fetcher_;
};

} // namespace dilato
