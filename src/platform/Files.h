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

// The folder text with exactly one separator at its end ("a/b" -> "a/b/").
[[nodiscard]] std::string WithTrailingSeparator(std::string folder);

} // namespace dilato
