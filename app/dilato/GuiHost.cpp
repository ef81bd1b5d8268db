#include "GuiHost.h"

#include "GuiProgram.h"

#include "core/StartUpModels.h"
#include "core/SysparamBackupModel.h"
#include "platform/DesktopChecks.h"
#include "ui/Guard.h"
#include "ui/MessageWindows.h"
#include "ui/SettingsWindows.h"
#include "ui/StartUpWindows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace dilato::gui {

// Each window of the start-up runs its own event loop; "the program ends" inside it carries
// on from here once the window is gone.

bool GuiHost::TakeSingleCopyLock() {
    if (gui_.lock_) return true;
    std::string problem;
    gui_.lock_ = SystemFolderLock::Acquire(gui_.systemFolder_, problem);
    if (!gui_.lock_) std::cerr << "dilato: " << problem << std::endl;
    return gui_.lock_ != nullptr;
}

bool GuiHost::MonetaryDecimalIsPoint() {
    return dilato::MonetaryDecimalIsPoint(QLocale::system());
}

DialogClose GuiHost::ShowRegionalSettingsWarning() {
    const DialogClose close =
        ui::ShowEnvironmentWarning(ui::EnvironmentWarning::RegionalSettings, help_);
    ui::ContinueEnding();
    return close;
}

void GuiHost::RaisePriority() {
    dilato::RaisePriority();
}

bool GuiHost::PdfViewerRegistered() {
    return dilato::PdfViewerRegistered();
}

DialogClose GuiHost::ShowPdfViewerPrompt() {
    const DialogClose close = ui::ShowPdfViewerPrompt(help_);
    ui::ContinueEnding();
    return close;
}

void GuiHost::ShowComPortSettings() {
    gui_.comWindow_.ShowSystemComError();
    ui::ContinueEnding();
}

bool GuiHost::ShowUpdateReminder(bool remind) {
    const bool option = gui_.updateReminder ? gui_.updateReminder(remind) : remind;
    ui::ContinueEnding();
    return option;
}

bool GuiHost::ShowUpdateInstaller() {
    const bool starting = gui_.updateInstaller && gui_.updateInstaller();
    ui::ContinueEnding();
    return starting;
}

int GuiHost::ScreenHeight() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().height() : 0;
}

void GuiHost::ShowVideoModeWarning() {
    (void)ui::ShowEnvironmentWarning(ui::EnvironmentWarning::VideoMode, help_);
    ui::ContinueEnding();
}

void GuiHost::ShowSysparamBackupChoice() {
    SysparamBackupModel form(gui_.program_->paramFile);
    ui::ShowSysparamBackup(form);
    ui::ContinueEnding();
}

bool GuiHost::ShowPassword() {
    PasswordModel form(gui_.program_->params.SysParam(slot::Password).text(), gui_.op_);
    ui::PasswordWindow window(form, help_);
    window.exec();
    ui::ContinueEnding();
    return window.fullOperation();
}

DialogClose GuiHost::ShowSystemWarnings() {
    WarningsModel form(gui_.program_->settings, gui_.op_, gui_.program_->folders.AppFolder);
    ui::WarningsWindow window(form, help_);
    window.exec();
    ui::ContinueEnding();
    return window.closedBy();
}

void GuiHost::ShowTimedMessage(const std::string& caption, const std::string& text, int ms) {
    // The message's time runs on the program's clock, as every wait does.
    const double factor = std::max(1.0, gui_.clock_.timeFactor());
    ui::ShowTimedMessage(caption, text, static_cast<int>(std::lround(ms / factor)));
    ui::ContinueEnding();
}

void GuiHost::ShowMainWindow() {
    gui_.ShowMainWindow();
}

void GuiHost::FocusTabStrip() {
    if (gui_.window()) gui_.window()->tabs().setFocus();
}

} // namespace dilato::gui
