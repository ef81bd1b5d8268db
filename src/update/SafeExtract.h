#pragma once
// Extraction of an update archive flat into a folder: every file lands under its base name
// directly in the folder, whatever folders the archive stored. Only plain files are written;
// an archive that names a file outside the folder, holds a link or a device, repeats a name
// or expands beyond the limits is refused as a whole. Nothing of a refused or broken archive
// reaches the folder: the files are unpacked beside it first and moved in only when every
// one of them was read whole and intact.

#include <cstdint>
#include <string>
#include <vector>

namespace dilato {

struct ExtractLimits {
    std::int64_t maxEntries = 256;
    std::int64_t maxTotalBytes = 1024LL * 1024 * 1024; // sum of the unpacked sizes
};

struct ExtractResult {
    bool ok = false;
    std::string message;            // why it failed, for the operator
    std::vector<std::string> files; // base names written into the folder
};

// Extracts `archive` into `folder` (which must exist). Files already in the folder under the
// same names are replaced; every other file of the folder is left alone. A non-empty
// `required` name refuses an archive that holds no file of that name.
[[nodiscard]] ExtractResult ExtractFlat(const std::string& archive, const std::string& folder,
                                        const ExtractLimits& limits = {},
                                        const std::string& required = {});

// The base name an entry is written under, or "" when the entry name is refused (absolute,
// "..", drive letters, empty). A name ending in "/" is a folder and gives "" too; callers tell
// the two apart with IsFolderEntry.
[[nodiscard]] std::string FlatEntryName(const std::string& entryName);
[[nodiscard]] bool IsFolderEntry(const std::string& entryName);

} // namespace dilato
