#pragma once
// The system parameter file: SysFolder + "CTESysParam.dat", a profile file with the sections
// "SysParams" (eleven option keys and the "Batch" plan) and "ScaleData" (the four calibration
// constants), plus one backup copy per serial number, "CTESysParam" + serial + ".bak".
// ReadWriteSysFile loads the file into SystemParameters or saves them to it; a save is one
// atomic rewrite, so a failed save leaves the previous file whole.
// A load refuses a file the instrument cannot work with (a stage or thermistor slope of 0,
// as a missing calibration section reads; a batch temperature that is no number or out of
// range), and after a failed load nothing is saved (neither the main file nor a backup)
// until a load succeeds or the values are reset: values that did not load never replace
// good ones.

#include "platform/Files.h"
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
inline constexpr const char* kInvalidSysParamTitle = "Invalid System Parameter File";

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

    // The start-up load: the main file, and when it is there but cannot be loaded, each
    // per-serial backup in turn (the newest first) is offered to the operator; an accepted
    // one that loads is saved as the main file. False: nothing usable was loaded.
    [[nodiscard]] bool LoadMainOrOfferBackup();

    // SysFolder + "CTESysParam.dat", found with any letter case.
    [[nodiscard]] std::string MainFileName() const {
        return FindFileAnyCase(folders_.SysFolder, kSysParamFile);
    }
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
    bool valuesLoaded_ = true; // false after a failed load, until a load or a reset
};

// The calibration constants a stage calibration can give: slopes (Scale 1 and 3) near 1,
// offsets (Scale 2 and 4) of a few degrees. A load refuses others.
inline constexpr double kLowestScaleSlope = 0.5;
inline constexpr double kHighestScaleSlope = 2.0;
inline constexpr double kLargestScaleOffset = 25.0;

// Batch temperatures beyond this many degrees either way are no set point of a stage.
inline constexpr double kBatchTemperatureLimit = 1000.0;

} // namespace dilato
