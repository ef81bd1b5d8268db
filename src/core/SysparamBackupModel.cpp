#include "core/SysparamBackupModel.h"

#include "platform/LeadingNumber.h"

namespace dilato {

void SysparamBackupModel::Activate() {
    label_ = "Present Serial #: " + FormatParam(file_.params().SysParam(slot::SerialNumber), "#");
    list_ = file_.BackupSerials();
    const std::string present = SerialText(file_.params());
    selected_ = list_.empty() ? -1 : 0;
    for (size_t i = 0; i < list_.size(); ++i)
        if (list_[i] == present) selected_ = static_cast<int>(i);
}

std::string SysparamBackupModel::selectedText() const {
    if (selected_ < 0 || static_cast<size_t>(selected_) >= list_.size()) return {};
    return list_[static_cast<size_t>(selected_)];
}

bool SysparamBackupModel::ChangeSerial() {
    const std::string chosen = selectedText();
    SystemParameters& params = file_.params();
    const double present = LeadingNumber(params.SysParam(slot::SerialNumber).text());
    if (chosen.empty() || LeadingNumber(chosen) == present) return false;

    const SystemParameters before = params;
    params.SysParam(slot::SerialNumber) = SerialText(chosen);
    if (!file_.ReadWriteSysFile(SysFileAccess::Load, false, SysFileCopy::Backup)) {
        // A half-read backup must not become the main file, nor be saved at shutdown.
        params = before;
        return false;
    }
    file_.ReadWriteSysFile(SysFileAccess::Save, false, SysFileCopy::Main);
    return true;
}

} // namespace dilato
