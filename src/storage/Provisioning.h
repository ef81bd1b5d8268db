#pragma once
// Makes a new machine ready to start: creates the system folder with the factory parameter
// file "CTESysParam.dat", the folders "Data/" and "LogFiles/", and a copy of every file found
// under the program's "SystemSeed/" folder (same relative paths). What already exists is
// never overwritten, so provisioning an instrument's folder again changes nothing.

#include "platform/Operator.h"
#include "storage/Folders.h"

#include <string>
#include <vector>

namespace dilato {

inline constexpr const char* kSeedFolder = "SystemSeed/";

// Returns the paths it created, in the order made. Throws FileError when a folder or file
// cannot be made; what was made before stays.
std::vector<std::string> ProvisionSystemFolder(const Folders& folders, Operator& op);

} // namespace dilato
