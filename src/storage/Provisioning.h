#pragma once
// Makes a system folder ready to start, once its lock is held:
//   - temporary files left by a killed process are removed;
//   - a new, empty folder is provisioned: the folders "Data/" and "LogFiles/", a copy of every
//     file under the program's "SystemSeed/" folder (same relative paths, the report's logo
//     among them), and last the factory parameter file "CTESysParam.dat", so that a folder
//     interrupted half-way is still new and is completed at the next start;
//   - a folder that already holds an instrument's data, logs or backups but no parameter
//     file is never provisioned again (factory values would silently replace the
//     calibration): "Missing Application File:  " + path, and the program ends;
//   - in a folder in use, a seed file that has gone (the logo) is restored.
// What already exists is never overwritten.

#include "platform/Operator.h"
#include "storage/Folders.h"

#include <string>
#include <vector>

namespace dilato {

inline constexpr const char* kSeedFolder = "SystemSeed/";

// Provisions the folder unconditionally (folders, seed files, then the parameter file) and
// returns the paths it created, in the order made. Throws FileError when a folder or file
// cannot be made; what was made before stays.
std::vector<std::string> ProvisionSystemFolder(const Folders& folders, Operator& op);

// Copies the seed files that are missing from the system folder; returns their paths.
// Throws FileError.
std::vector<std::string> RestoreSeedFiles(const Folders& folders);

// True when the folder holds nothing of an instrument yet: no files but the seed files,
// the settings file, the lock and temporaries (empty folders do not count).
[[nodiscard]] bool IsNewSystemFolder(const Folders& folders);

struct SystemFolderPreparation {
    bool ok = false; // false: the program cannot start (the operator has been told)
    std::vector<std::string> created;
    std::vector<std::string> removedTemporaries;
};

// The start-up preparation above. Failures to create files are reported to the operator.
[[nodiscard]] SystemFolderPreparation PrepareSystemFolder(const Folders& folders, Operator& op);

} // namespace dilato
