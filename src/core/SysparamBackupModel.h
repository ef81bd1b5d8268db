#pragma once
// What the "Multiple Sysparams" dialog shows and does, without the window: the present serial
// number, the list of serial numbers that have a backup copy, and the switch of the main
// parameter file to another serial number's backup. The window maps this state onto its
// label, the list SerialNumList and the buttons "Change Serial #" and "No Change".

#include "storage/SystemParameterFile.h"

#include <string>
#include <vector>

namespace dilato {

class SysparamBackupModel {
  public:
    static constexpr const char* kCaption = "Multiple Sysparams";

    explicit SysparamBackupModel(SystemParameterFile& file) : file_(file) {}

    // Fills the label and the list; selects the present serial number, else the first entry.
    void Activate();
    void Select(int index) { selected_ = index; }

    // "Change Serial #": loads the chosen serial number's backup and saves it as the main
    // file. Returns true when the dialog closes; false (dialog stays open) when the choice is
    // empty or the present serial number, or when the backup could not be loaded, in which
    // case the parameters in memory are those from before and the main file is untouched.
    bool ChangeSerial();
    // "No Change" closes the dialog and touches no file; nothing to do here.

    [[nodiscard]] const std::string& label() const { return label_; }
    [[nodiscard]] const std::vector<std::string>& SerialNumbers() const { return list_; }
    [[nodiscard]] int selected() const { return selected_; }
    [[nodiscard]] std::string selectedText() const;

  private:
    SystemParameterFile& file_;
    std::string label_;
    std::vector<std::string> list_;
    int selected_ = -1;
};

} // namespace dilato
