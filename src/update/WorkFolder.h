#pragma once
// The update work folder, SysFolder + "LiveUpdate/": what the control panel downloads and the
// hand-over reads, and the rules for clearing it. The system folder is shared by every operator
// of the group, so the work folder is used only when it is a real folder (not a link) that
// belongs to this user or to root; its files are handled without following links.

#include <optional>
#include <string>
#include <vector>

namespace dilato {

inline constexpr const char* kWorkFolderName = "LiveUpdate";

// sysFolder + "LiveUpdate/"
[[nodiscard]] std::string UpdateWorkFolder(const std::string& sysFolder);

enum class WorkFolderState {
    Usable,
    Missing,
    Link,         // a symbolic link (it could lead anywhere)
    NotFolder,
    ForeignOwner, // belongs to another user than this one or root
    NotWritable,
};
[[nodiscard]] WorkFolderState CheckWorkFolder(const std::string& workFolder);
// The operator's sentence for a state other than Usable.
[[nodiscard]] std::string WorkFolderProblem(WorkFolderState state, const std::string& workFolder);

// Endings of the files a start-up removes from the work folder: the version file, archives,
// their signatures, and the installers and packages an unpacked archive leaves behind.
// Compared exactly (upper and lower case are distinct).
[[nodiscard]] const std::vector<std::string>& LeftoverEndings();

// The start-up's clean-up: removes every leftover from the work folder, or creates the folder
// when it is missing. Files with other endings, sub-folders and links' targets are left
// alone; a folder that is a link or belongs to another user is not touched at all.
void CleanUpdateFolder(const std::string& sysFolder);

// The first archive "Dilato*.zip" in a usable work folder, by name; nullopt when there is none.
[[nodiscard]] std::optional<std::string> FindPendingArchive(const std::string& workFolder);

// The confirmation's "Close": removes the downloads (names ending ".htm" or ".zip", and the
// signatures that belong to them) and nothing else.
void DiscardDownloads(const std::string& workFolder);

// Removes one archive and its signature (after a failed check or extraction).
void RemoveArchive(const std::string& archivePath);

} // namespace dilato
