#pragma once
// The start-up's questions to the desktop and its windows, answered with the real desktop
// and the program's Qt windows.

#include "core/StartUp.h"

namespace dilato::ui {
class HelpViewer;
}

namespace dilato::gui {

class GuiProgram;

class GuiHost final : public StartUpHost {
  public:
    GuiHost(GuiProgram& gui, ui::HelpViewer& help) : gui_(gui), help_(help) {}

    bool TakeSingleCopyLock() override;
    bool MonetaryDecimalIsPoint() override;
    DialogClose ShowRegionalSettingsWarning() override;
    void RaisePriority() override;
    bool PdfViewerRegistered() override;
    DialogClose ShowPdfViewerPrompt() override;
    void ShowComPortSettings() override;
    bool ShowUpdateReminder(bool remind) override;
    bool ShowUpdateInstaller() override;
    int ScreenHeight() override;
    void ShowVideoModeWarning() override;
    void ShowSysparamBackupChoice() override;
    bool ShowPassword() override;
    DialogClose ShowSystemWarnings() override;
    void ShowTimedMessage(const std::string& caption, const std::string& text, int ms) override;
    void ShowMainWindow() override;
    void FocusTabStrip() override;

  private:
    GuiProgram& gui_;
    ui::HelpViewer& help_;
};

} // namespace dilato::gui
