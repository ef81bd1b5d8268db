#pragma once
// The windows over logic that lives below the window: the COM configuration window
// (`frmSystemCOMError`), the choice among parameter backups (`frmSysparamBackup`) and the
// remote data stores (`frmDataStorageOptions`). Each shows its form's state and forwards
// the operator's choices; all three are modal.

#include <QDialog>

namespace dilato {
class DataStorageOptionsModel;
class SysparamBackupModel;
class ComSettingsModel;
} // namespace dilato

namespace dilato::ui {

class HelpViewer;

// Runs the COM configuration window until OK or Demo Mode closes it (or the program ends).
void ShowComSettings(ComSettingsModel& form, HelpViewer& help, QWidget* parent = nullptr);
// Runs the backup choice until "Change Serial #" succeeds or "No Change" is pressed.
void ShowSysparamBackup(SysparamBackupModel& form, QWidget* parent = nullptr);
// Runs the remote data stores window until OK or Cancel.
void ShowDataStorageOptions(DataStorageOptionsModel& form, HelpViewer& help,
                            QWidget* parent = nullptr);

} // namespace dilato::ui
