#pragma once
// The system parameter file: SysFolder + "CTESysParam.dat", a profile file with the sections
// "SysParams" (eleven option keys and the "Batch" plan) and "ScaleData" (the four calibration
// constants), plus one backup copy per serial number, "CTESysParam" + serial + ".bak".
// ReadWriteSysFile loads the file into SystemParameters or saves them to it; a save is one
// atomic rewrite, so a failed save leaves the previous file whole.

#include "platform/Operator.h"
#include "storage/Folders.h"
#include "storage/SystemParameters.h"

#include <string>
#include <vector>

namespace dilato {

inline constexpr const char* kSysParamFile = "CTESysParam.dat";
inline constexpr const char* kSysParamSection = "SysParams";
inline constexpr const char* kScaleSection = "ScaleData";
inline constexpr const char* kDefaultBatch = "20/50/0/0/0/0/0/0/0";

enum class SysFileAccess { Load, Save };
enum class SysFileCopy { Main, Backup };

// The factory defaults: Scale 1, 0, 1, 0; units inches, no PDF, normal accuracy, reordering
// on, no round trip, two batch temperatures of the plan 20, 50, 0, ...; everything else empty.
void SetFactoryDefaults(SystemParameters& params);

// The serial number (slot 2) as it appears in file names: formatted "#", left-trimmed.
[[nodiscard]] std::string SerialText(const SystemParameters& params);
// A serial number text in the same form ("0012" -> "12"; a word stays as it is).
[[nodiscard]] std::string SerialText(const std::string& serial);

// The description stored behind Scale n (1 to 4) in the file.
[[nodiscard]] const char* ScaleDescription(int n);

class SystemParameterFile {
  public:
    SystemParameterFile(SystemParameters& params, const Folders& folders, Operator& op)
        : params_(params), folders_(folders), op_(op) {}

    // Loads or saves; with resetToDefaults the tables first take the factory defaults and
    // the call becomes a save. Failures are reported to the operator; the result is false.
    bool ReadWriteSysFile(SysFileAccess access, bool resetToDefaults, SysFileCopy copy);

    [[nodiscard]] std::string MainFileName() const { return folders_.SysFolder + kSysParamFile; }
    // The backup copy of the current serial number.
    [[nodiscard]] std::string BackupFileName() const;

    // The serial numbers that have a backup copy, in folder listing order (each file name
    // without "CTESysParam" and ".bak").
    [[nodiscard]] std::vector<std::string> BackupSerials() const;
    // The start-up backup check: true when two or more backups exist and the operator is to
    // choose among them (the "Multiple Sysparams" dialog).
    [[nodiscard]] bool BackupChoiceNeeded() const { return BackupSerials().size() >= 2; }

    [[nodiscard]] SystemParameters& params() { return params_; }

  private:
    void Load(const std::string& path);
    void Save(const std::string& path);

    SystemParameters& params_;
    const Folders& folders_;
    Operator& op_;
};

} // namespace dilato
