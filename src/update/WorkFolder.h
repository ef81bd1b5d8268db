#pragma once
// The update work folder, SysFolder + "LiveUpdate/": what the control panel downloads and the
// installation confirmation unpacks, and the rules for clearing it.

#include <optional>
#include <string>
#include <vector>

namespace dilato {

inline constexpr const char* kWorkFolderName = "LiveUpdate";

// The installer the archive carries and the hand-over starts: on Linux a shell script that
// installs the Debian package beside it, on Windows the setup program.
#ifdef _WIN32
inline constexpr const char* kInstallerName = "Setup.exe";
#else
inline constexpr const char* kInstallerName = "Setup.sh";
#endif

// sysFolder + "LiveUpdate/"
[[nodiscard]] std::string UpdateWorkFolder(const std::string& sysFolder);

// Endings of the files a start-up removes from the work folder: the version file, archives,
// their signatures, and the installers and packages an unpacked archive leaves behind.
// Compared exactly (upper and lower case are distinct).
[[nodiscard]] const std::vector<std::string>& LeftoverEndings();

// The start-up's clean-up: removes every leftover from the work folder, or creates the folder
// when it is missing. Files with other endings and sub-folders are left alone.
void CleanUpdateFolder(const std::string& sysFolder);

// The first archive "Dilato*.zip" in the work folder, by name; nullopt when there is none.
[[nodiscard]] std::optional<std::string> FindPendingArchive(const std::string& workFolder);

// The confirmation's "Close": removes the downloads (names ending ".htm" or ".zip", and the
// signature that belongs to such an archive) and nothing else.
void DiscardDownloads(const std::string& workFolder);

// Removes one archive and its signature (after a failed check or extraction).
void RemoveArchive(const std::string& archivePath);

} // namespace dilato
