#pragma once
// Where the instrument's files live (settings, parameters, records, data and logs).
// In order of precedence: the --system-folder option, the DILATO_SYSTEM_FOLDER environment
// variable, then the machine's all-users folder /var/lib/dilato when it exists and is
// writable (or can be created), else the user's own data folder (~/.local/share/Dilato).
// The result always ends with a separator.

#include <optional>
#include <string>

namespace dilato {

inline constexpr const char* kSystemFolderVariable = "DILATO_SYSTEM_FOLDER";
inline constexpr const char* kAllUsersSystemFolder = "/var/lib/dilato";

[[nodiscard]] std::string ResolveSystemFolder(const std::optional<std::string>& commandLine);

// The folder of the running program, with a trailing separator (its resources live there).
[[nodiscard]] std::string ProgramFolder();

} // namespace dilato
