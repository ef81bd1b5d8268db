#pragma once
// Existence tests and folder listings. Listings come back sorted by name so that every run,
// and every machine, shows the same order.

#include <string>
#include <vector>

namespace dilato {

// True when the path is not empty and names an existing regular file.
[[nodiscard]] bool IsFile(const std::string& path);
// True when a folder (or a file) of that name exists.
[[nodiscard]] bool IsDirectory(const std::string& path);

// Names (not paths) of the regular files in `folder` whose name ends with `ending`
// (compared exactly: upper and lower case are distinct); empty ending lists every file.
[[nodiscard]] std::vector<std::string> ListFiles(const std::string& folder,
                                                 const std::string& ending = {});
// Names of the sub-folders of `folder`.
[[nodiscard]] std::vector<std::string> ListFolders(const std::string& folder);

// The path of the file `name` in `folder`, found with any letter case (a file copied from a
// Windows PC may be "ctesysparam.DAT"); the exact name is preferred. When there is none,
// folder + name.
[[nodiscard]] std::string FindFileAnyCase(const std::string& folder, const std::string& name);

// The folder text with exactly one separator at its end ("a/b" -> "a/b/").
[[nodiscard]] std::string WithTrailingSeparator(std::string folder);

} // namespace dilato
